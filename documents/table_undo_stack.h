#pragma once

#include "documents/table_history.h"

#include <QUndoStack>
#include <array>

class TableDocument;

// A table's undo history as Qt keeps it, for the window's Undo and Redo and the
// main window's undo group. Each step is a command holding the texts of the
// other side of it: a whole-grid list that shares every unchanged text with its
// neighbours, so a step costs the list and the texts it changed, and undo and
// redo only swap lists with the grid.
class TableUndoStack : public TableHistory
{
    Q_OBJECT
public:
    // At least this many steps can be undone.
    static constexpr int Limit = 100;
    // The name of each kind of step, by EditStep: the commands' texts ("Paste").
    using StepNames = std::array<QString, EditStepCount>;

    TableUndoStack(TableDocument &document, const StepNames &names);
    ~TableUndoStack() override;

    QUndoStack *undoStack() { return &m_stack; }
    const QUndoStack *undoStack() const { return &m_stack; }

    void Record(EditStep kind, const QList<QByteArray> &cellsBefore, const GridPlace &before,
                const GridPlace &after) override;
    void Clear() override;
    bool IsClean() const override { return m_stack.isClean(); }
    void SetClean() override { m_stack.setClean(); }
    void ResetClean() override { m_stack.resetClean(); }

private:
    TableDocument &m_document;
    const StepNames m_names;
    QUndoStack m_stack;
};
