#pragma once

#include <QPointer>

class QWidget;
class TOstrelMain;

// The main window's edit commands (cut, copy, paste, select all, undo,
// delete): they act on the text editor that has the keyboard, such as a grid
// cell being edited, and are enabled only while one has it.
class EditCommands
{
public:
    explicit EditCommands(TOstrelMain &main);
    void updateActions();

private:
    QWidget *focusedEditor() const;

    TOstrelMain &m_main;
};
