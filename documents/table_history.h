#pragma once

#include "documents/string_grid.h"

#include <QByteArray>
#include <QList>
#include <QObject>

// What a step of a table's history did, so the window can name it ("Undo Paste").
enum class EditStep { Typing, Cut, Paste, DeleteRows, InsertRows, Sort, Clear, MoveRow, Receive, Reload, Replace,
                      FillDown, FillSeries };
inline constexpr int EditStepCount = int(EditStep::FillSeries) + 1;

// Where the cursor and the selection were.
struct GridPlace
{
    GridRect selection;
    GridCell cursor;
    friend bool operator==(const GridPlace &, const GridPlace &) = default;
};

// Where a TableDocument keeps the steps that can be undone, and which state of
// them is the one saved. The editor's is a QUndoStack (TableUndoStack, on the
// widget side: Qt keeps its undo classes out of QtCore); a document without one,
// as the command-line tool has, keeps no steps and is never modified.
class TableHistory : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // A step just done: the grid held cellsBefore (the list as cells() gave it)
    // with the place before, and now holds its texts with the place after.
    virtual void Record(EditStep kind, const QList<QByteArray> &cellsBefore, const GridPlace &before,
                        const GridPlace &after) = 0;
    // Forgets every step; the texts now are the saved ones.
    virtual void Clear() = 0;
    // The texts are those last saved (or loaded).
    virtual bool IsClean() const = 0;
    virtual void SetClean() = 0;
    // No state in the history is the saved one any more.
    virtual void ResetClean() = 0;

Q_SIGNALS:
    void cleanChanged(bool clean);
};
