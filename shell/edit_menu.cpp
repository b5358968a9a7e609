#include "shell/edit_menu.h"

#include "common/linked_menu_item.h"
#include "common/zered_lang.h"
#include "documents/textlist_form.h"
#include "shell/command_host.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}   // namespace

EditMenu::EditMenu(CommandHost &host, QMenuBar &menuBar, QMenu *before)
    : m_host(host), m_menu(new QMenu(QStringLiteral("&Edit"), &menuBar))
{
    m_menu->setObjectName(QStringLiteral("EditMenu"));
    menuBar.insertMenu(before ? before->menuAction() : nullptr, m_menu);
    // Built as it opens, so its items are the active table's, in the interface's language.
    QObject::connect(m_menu, &QMenu::aboutToShow, m_menu, [this] { Build(); });
}

void EditMenu::Build()
{
    m_menu->clear();   // deletes the items it owns
    m_menu->addAction(m_host.action(MainAction::EditUndo1));
    m_menu->addAction(m_host.action(MainAction::EditRedo1));
    TTextList2Form *table = m_host.activeTable();
    for (const PopupEntry &entry : TableEditMenuEntries) {
        if (!entry.action) {
            m_menu->addSeparator();
        } else if (table) {
            m_menu->addAction(LinkedMenuItem(Text(entry.item), table->action(*entry.action), m_menu));
        } else {
            const ActionSpec &spec = TableActionSpecs[std::size_t(*entry.action)];
            QAction *item = m_menu->addAction(
                LocaleLookup(Text(spec.name) + QStringLiteral(".Caption"), Text(spec.caption)));
            item->setEnabled(false);
        }
    }
}
