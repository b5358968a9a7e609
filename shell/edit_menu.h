#pragma once

class CommandHost;
class QMenu;
class QMenuBar;

// The main window's "&Edit" menu: Undo and Redo (the main window's, which
// follow the active table's history), then the active table window's own
// commands, each item linked to that window's action; without a table window
// its items are shown greyed. Built afresh each time it opens.
class EditMenu
{
public:
    // Put into menuBar before the menu before.
    EditMenu(CommandHost &host, QMenuBar &menuBar, QMenu *before);
    QMenu *menu() const { return m_menu; }

private:
    void Build();

    CommandHost &m_host;
    QMenu *m_menu;
};
