#include "shell/find_commands.h"

#include "common/zered_gui.h"
#include "documents/textlist_form.h"
#include "shell/barcodemain.h"
#include "shell/find_dialog.h"

#include <QAction>

FindCommands::FindCommands(TOstrelMain &main) : m_main(main), m_dialog(new TFindDialog(&main))
{
    QObject::connect(m_main.action(MainAction::SearchFind1), &QAction::triggered, &m_main, [this] { SearchFind1Execute(); });
    QObject::connect(m_main.action(MainAction::SearchFindNext1), &QAction::triggered, &m_main, [this] {
        zered::Guarded([this] { SearchFindNext1Execute(); });
    });
    QObject::connect(m_main.action(MainAction::SearchCheckTable1), &QAction::triggered, &m_main, [this] {
        zered::Guarded([this] {
            if (auto *form = qobject_cast<TTextList2Form *>(m_main.activeChild()))
                form->CheckTable1Execute();
        });
    });
    QObject::connect(m_dialog, &TFindDialog::find, &m_main, [this] { zered::Guarded([this] { FindDialog1Find(); }); });
}

void FindCommands::SearchFind1Execute()
{
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void FindCommands::SearchFindNext1Execute()
{
    m_dialog->setFindNext(true);   // stays set for later steps
    FindDialog1Find();
}

void FindCommands::FindDialog1Find()
{
    // The dialog can outlive the last table window; then there is nothing to search.
    auto *form = qobject_cast<TTextList2Form *>(m_main.activeChild());
    if (!form)
        return;
    form->FindInGrid(m_dialog->findText(), m_dialog->options());
    // The hit may lie in a part of the window outside the document area.
    const StringGrid &grid = form->document().grid();
    m_main.documentArea()->ensureVisible(form, form->CellRect({grid.col(), grid.row()}));
}
