#include "shell/window_commands.h"

#include "common/zered_gui.h"
#include "documents/child_form.h"
#include "shell/barcodemain.h"
#include "shell/document_area.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

WindowCommands::WindowCommands(TOstrelMain &main, QMenu *windowMenu) : m_main(main), m_windowMenu(windowMenu)
{
    DocumentArea *area = m_main.documentArea();
    auto on = [this](MainAction id, auto handler) {
        QObject::connect(m_main.action(id), &QAction::triggered, &m_main, handler);
    };
    on(MainAction::WindowClose1, [area] {
        if (QMdiSubWindow *frame = area->currentSubWindow())
            frame->close();
    });
    on(MainAction::WindowCloseAll1, [this] {
        zered::Guarded([this] { TChildForm::CloseAllChildren(m_main.children()); });
    });
    on(MainAction::WindowCascade1, [area] { area->cascadeSubWindows(); });
    on(MainAction::WindowTileHorizontal1, [area] { area->tile(DocumentArea::Tiling::Horizontal); });
    on(MainAction::WindowTileVertical1, [area] { area->tile(DocumentArea::Tiling::Vertical); });
    on(MainAction::WindowMinimizeAll1, [area] { area->minimizeAll(); });
    on(MainAction::WindowArrange1, [area] { area->arrangeIcons(); });
    QObject::connect(m_windowMenu, &QMenu::aboutToShow, &m_main, [this] { listWindows(); });
}

void WindowCommands::updateActions()
{
    const bool any = !m_main.documentArea()->subWindowList().isEmpty();
    m_main.action(MainAction::WindowClose1)->setEnabled(m_main.documentArea()->currentSubWindow() != nullptr);
    for (MainAction id : {MainAction::WindowCascade1, MainAction::WindowTileHorizontal1,
                          MainAction::WindowTileVertical1, MainAction::WindowMinimizeAll1, MainAction::WindowArrange1})
        m_main.action(id)->setEnabled(any);
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
    QMdiArea *area = m_main.documentArea();
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
