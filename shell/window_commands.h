#pragma once

class QMenu;
class TOstrelMain;

// The Window menu's commands: close, close all, cascade, tile, minimise all,
// arrange icons, and the list of open document windows.
class WindowCommands
{
public:
    WindowCommands(TOstrelMain &main, QMenu *windowMenu);
    void updateActions();

private:
    enum class Tiling { Horizontal, Vertical };
    void tile(Tiling how);
    void arrangeIcons();
    void listWindows();

    TOstrelMain &m_main;
    QMenu *m_windowMenu;
};
