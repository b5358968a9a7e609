#include "documents/string_grid.h"

#include <algorithm>

StringGrid::StringGrid(int colCount, int rowCount, int fixedCols, int fixedRows)
    : m_colCount(std::max(colCount, 0)), m_rowCount(std::max(rowCount, 0)), m_fixedCols(fixedCols),
      m_fixedRows(fixedRows), m_cells(qsizetype(m_colCount) * m_rowCount)
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
    // An equal text leaves the list shared with the copies taken of it.
    const qsizetype at = qsizetype(row) * m_colCount + col;
    if (m_cells.at(at) != text)
        m_cells[at] = text;
}

void StringGrid::setCells(const QList<QByteArray> &cells)
{
    if (cells.size() == m_cells.size())
        m_cells = cells;
}

void StringGrid::setCurrent(int col, int row)
{
    m_col = col;
    m_row = row;
}
