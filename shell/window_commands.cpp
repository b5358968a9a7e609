#include "shell/window_commands.h"

#include "common/zered_gui.h"
#include "documents/textlist_form.h"
#include "shell/command_host.h"
#include "shell/document_area.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

WindowCommands::WindowCommands(CommandHost &host, DocumentArea &area, QMenu *windowMenu)
    : m_host(host), m_area(area), m_windowMenu(windowMenu)
{
    auto on = [this](MainAction id, auto handler) {
        QAction *command = m_host.action(id);
        QObject::connect(command, &QAction::triggered, command, handler);
    };
    on(MainAction::WindowClose1, [this] {
        if (QMdiSubWindow *frame = m_area.currentSubWindow())
            frame->close();
    });
    on(MainAction::WindowCloseAll1, [this] {
        const QList<TTextList2Form *> tables = m_host.documents();
        zered::Guarded([&] { TChildForm::CloseAllChildren({tables.cbegin(), tables.cend()}); });
    });
    on(MainAction::WindowCascade1, [this] { m_area.cascadeSubWindows(); });
    on(MainAction::WindowTileHorizontal1, [this] { m_area.tile(DocumentArea::Tiling::Horizontal); });
    on(MainAction::WindowTileVertical1, [this] { m_area.tile(DocumentArea::Tiling::Vertical); });
    on(MainAction::WindowMinimizeAll1, [this] { m_area.minimizeAll(); });
    on(MainAction::WindowArrange1, [this] { m_area.arrangeIcons(); });
    QObject::connect(m_windowMenu, &QMenu::aboutToShow, m_windowMenu, [this] { listWindows(); });
}

void WindowCommands::updateActions()
{
    const bool any = !m_area.subWindowList().isEmpty();
    m_host.action(MainAction::WindowClose1)->setEnabled(m_area.currentSubWindow() != nullptr);
    for (MainAction id : {MainAction::WindowCascade1, MainAction::WindowTileHorizontal1,
                          MainAction::WindowTileVertical1, MainAction::WindowMinimizeAll1, MainAction::WindowArrange1})
        m_host.action(id)->setEnabled(any);
}

void WindowCommands::listWindows()
{
    // The fixed entries come first; the open windows follow, numbered.
    const QList<QAction *> entries = m_windowMenu->actions();
    for (QAction *entry : entries)
        if (entry->property("windowEntry").toBool()) {
            m_windowMenu->removeAction(entry);
            entry->deleteLater();
        }
    QMdiArea *area = &m_area;
    const QList<QMdiSubWindow *> frames = area->subWindowList(QMdiArea::CreationOrder);
    if (frames.isEmpty())
        return;
    QAction *separator = m_windowMenu->addSeparator();
    separator->setProperty("windowEntry", true);
    int number = 0;
    for (QMdiSubWindow *frame : frames) {
        ++number;
        QString title = frame->windowTitle();
        title.replace(u'&', QLatin1String("&&"));
        QAction *entry = m_windowMenu->addAction(number <= 9 ? QStringLiteral("&%1 %2").arg(number).arg(title)
                                                             : QStringLiteral("%1 %2").arg(number).arg(title));
        entry->setProperty("windowEntry", true);
        entry->setCheckable(true);
        entry->setChecked(frame == area->currentSubWindow());
        QObject::connect(entry, &QAction::triggered, area, [area, target = QPointer<QMdiSubWindow>(frame)] {
            if (target)
                area->setActiveSubWindow(target);
        });
    }
}
