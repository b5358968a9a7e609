#pragma once

#include "documents/string_grid.h"

#include <QByteArray>
#include <QList>

// What a step of a table's history did, so the window can name it ("Undo Paste").
enum class EditStep { Typing, Cut, Paste, DeleteRows, InsertRows, Sort, Clear, MoveRow, Receive };

// Where the cursor and the selection were.
struct GridPlace
{
    GridRect selection;
    GridCell cursor;
};

// The undo history of one table: the grid's texts after each step, kept as
// whole-grid lists that share every unchanged text with their neighbours, so a
// step costs the list and the texts it changed. Undo and redo only swap lists.
class EditHistory
{
public:
    struct Step
    {
        EditStep kind;
        QList<QByteArray> cells;   // the texts after the step
        GridPlace before, after;
    };

    // At least this many steps can be undone.
    static constexpr int Limit = 100;

    // Forgets every step; cells are the texts now, which count as saved.
    void reset(const QList<QByteArray> &cells);
    // A new step after the current one; the steps that were undone are dropped,
    // and the oldest goes once there are more than Limit.
    void push(Step step);
    // The texts now changed without a step of their own (a save renumbering the rows).
    void replaceCurrent(const QList<QByteArray> &cells);
    const QList<QByteArray> &current() const { return cellsAt(m_index); }

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < m_steps.size(); }
    const Step &undoStep() const { return m_steps[m_index - 1]; }
    const Step &redoStep() const { return m_steps[m_index]; }
    // Moves back or on by one step and returns the texts of the state reached.
    const QList<QByteArray> &undo();
    const QList<QByteArray> &redo();

    // The current state is the one last saved.
    bool atSaved() const { return m_saved == m_index; }
    void markSaved() { m_saved = m_index; }
    // No state in the history is the saved one any more.
    void forgetSaved() { m_saved = -1; }

    qsizetype size() const { return m_steps.size(); }

private:
    const QList<QByteArray> &cellsAt(qsizetype index) const { return index == 0 ? m_base : m_steps[index - 1].cells; }

    QList<QByteArray> m_base;   // the texts before the oldest step kept
    QList<Step> m_steps;
    qsizetype m_index = 0;      // steps applied
    qsizetype m_saved = 0;      // steps applied when last saved; -1 when none is
};
