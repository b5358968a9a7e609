#pragma once

class CommandHost;
class DocumentArea;
class QMenu;

// The Window menu's commands (close, close all, cascade, tile, minimise all,
// arrange icons) on the document area, and the list of open document windows.
class WindowCommands
{
public:
    WindowCommands(CommandHost &host, DocumentArea &area, QMenu *windowMenu);
    void updateActions();

private:
    void listWindows();

    CommandHost &m_host;
    DocumentArea &m_area;
    QMenu *m_windowMenu;
};
