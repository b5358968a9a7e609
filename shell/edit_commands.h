#pragma once

#include <QPointer>

class QWidget;
class TOstrelMain;
class TTextList2Form;

// The main window's edit commands (cut, copy, paste, select all, undo, redo,
// delete): they act on the text editor that has the keyboard, such as a grid
// cell being edited. Without one, cut, copy, paste, undo and redo act on the
// active table window's cells, as its own commands do.
class EditCommands
{
public:
    explicit EditCommands(TOstrelMain &main);
    void updateActions();

private:
    QWidget *focusedEditor() const;
    // The active table window when no text editor has the keyboard.
    TTextList2Form *focusedTable() const;

    TOstrelMain &m_main;
};
