#include "documents/string_grid.h"

#include <algorithm>

StringGrid::StringGrid(int colCount, int rowCount, int fixedCols, int fixedRows)
    : m_colCount(std::max(colCount, 0)), m_rowCount(std::max(rowCount, 0)),
      m_fixedCols(fixedCols), m_fixedRows(fixedRows),
      m_cells(qsizetype(m_colCount) * m_rowCount)
{
}

void StringGrid::setRowCount(int rows)
{
    rows = std::max(rows, 0);
    if (rows == m_rowCount)
        return;
    m_cells.resize(qsizetype(m_colCount) * rows);
    m_rowCount = rows;
    const int lastRow = std::max(rows - 1, 0);
    m_row = std::min(m_row, lastRow);
    m_selection.top = std::min(m_selection.top, lastRow);
    m_selection.bottom = std::min(m_selection.bottom, lastRow);
    m_resetPending = true;
    m_selectionPending = true;
    if (m_updateDepth == 0)
        notify();
}

bool StringGrid::contains(int col, int row) const
{
    return col >= 0 && col < m_colCount && row >= 0 && row < m_rowCount;
}

const QByteArray &StringGrid::cell(int col, int row) const
{
    static const QByteArray empty;
    return contains(col, row) ? m_cells[qsizetype(row) * m_colCount + col] : empty;
}

void StringGrid::setCell(int col, int row, const QByteArray &text)
{
    if (!contains(col, row))
        return;
    QByteArray &stored = m_cells[qsizetype(row) * m_colCount + col];
    if (stored == text)
        return;
    stored = text;
    if (m_changePending) {
        m_changed.left = std::min(m_changed.left, col);
        m_changed.right = std::max(m_changed.right, col);
        m_changed.top = std::min(m_changed.top, row);
        m_changed.bottom = std::max(m_changed.bottom, row);
    } else {
        m_changed = {col, row, col, row};
        m_changePending = true;
    }
    if (m_updateDepth == 0)
        notify();
}

void StringGrid::setCells(const QList<QByteArray> &cells)
{
    if (cells.size() != m_cells.size())
        return;
    m_cells = cells;
    m_changed = {0, 0, m_colCount - 1, m_rowCount - 1};
    m_changePending = true;
    if (m_updateDepth == 0)
        notify();
}

void StringGrid::setSelection(const GridRect &r)
{
    if (r == m_selection)
        return;
    m_selection = r;
    m_selectionPending = true;
    if (m_updateDepth == 0)
        notify();
}

void StringGrid::setCurrent(int col, int row)
{
    if (col == m_col && row == m_row)
        return;
    m_col = col;
    m_row = row;
    m_selectionPending = true;
    if (m_updateDepth == 0)
        notify();
}

void StringGrid::addObserver(GridObserver *o)
{
    if (!m_observers.contains(o))
        m_observers.append(o);
}

void StringGrid::removeObserver(GridObserver *o)
{
    m_observers.removeAll(o);
}

void StringGrid::beginUpdate()
{
    ++m_updateDepth;
}

void StringGrid::endUpdate()
{
    if (m_updateDepth > 0 && --m_updateDepth == 0)
        notify();
}

void StringGrid::notify()
{
    const bool reset = m_resetPending;
    const bool changed = m_changePending;
    const bool selection = m_selectionPending;
    m_resetPending = m_changePending = m_selectionPending = false;
    // A copy: an observer may go away while it is told.
    const QList<GridObserver *> observers = m_observers;
    for (GridObserver *o : observers) {
        if (reset)
            o->gridReset();
        else if (changed)
            o->gridCellsChanged(m_changed);
    }
    if (selection)
        for (GridObserver *o : observers)
            o->gridSelectionChanged();
}
