#pragma once

class CommandHost;
class QUndoGroup;
class QWidget;
class TTextList2Form;

// The main window's edit commands (cut, copy, paste, select all, undo, redo,
// delete): they act on the text editor that has the keyboard, such as a grid
// cell being edited. Without one, cut, copy, paste, undo and redo act on the
// active table window's cells, as its own commands do; Undo and Redo follow
// that window's history through the undo group.
class EditCommands
{
public:
    EditCommands(CommandHost &host, const QUndoGroup &undoGroup);
    void updateActions();

private:
    QWidget *focusedEditor() const;
    // The active table window when no text editor has the keyboard.
    TTextList2Form *focusedTable() const;

    CommandHost &m_host;
    const QUndoGroup &m_undoGroup;
};
