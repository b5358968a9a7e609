#pragma once

class QMenu;
class TOstrelMain;

// The Window menu's commands (close, close all, cascade, tile, minimise all,
// arrange icons) on the document area, and the list of open document windows.
class WindowCommands
{
public:
    WindowCommands(TOstrelMain &main, QMenu *windowMenu);
    void updateActions();

private:
    void listWindows();

    TOstrelMain &m_main;
    QMenu *m_windowMenu;
};
