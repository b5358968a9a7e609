#pragma once

#include <QByteArray>
#include <QList>

// A rectangle of grid cells, corners included.
struct GridRect
{
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const GridRect &, const GridRect &) = default;
};

// One cell of a grid, by column and row.
struct GridCell
{
    int col = 0, row = 0;
    friend bool operator==(const GridCell &, const GridCell &) = default;
};

// The table's grid as plain data: columns x rows of byte texts, the fixed header
// rows and columns, the selection and the cursor cell. Every grid command works on
// this; the table's document announces what changed, and the widget only shows it.
class StringGrid
{
public:
    StringGrid(int colCount, int rowCount, int fixedCols = 1, int fixedRows = 1);

    int colCount() const { return m_colCount; }
    int rowCount() const { return m_rowCount; }
    // New rows are empty; shrinking drops the rows at the end.
    void setRowCount(int rows);
    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }

    // Cells outside the grid read as empty and ignore writes.
    const QByteArray &cell(int col, int row) const;
    void setCell(int col, int row, const QByteArray &text);

    // Every text, row by row; the list shares its storage with the grid until
    // either changes, so keeping one is cheap.
    const QList<QByteArray> &cells() const { return m_cells; }
    // Puts back texts taken by cells() from a grid of the same size.
    void setCells(const QList<QByteArray> &cells);

    GridRect selection() const { return m_selection; }
    void setSelection(const GridRect &r) { m_selection = r; }
    int col() const { return m_col; }
    int row() const { return m_row; }
    void setCurrent(int col, int row);

private:
    bool contains(int col, int row) const;

    int m_colCount, m_rowCount, m_fixedCols, m_fixedRows;
    QList<QByteArray> m_cells;   // row by row
    GridRect m_selection;
    int m_col = 0, m_row = 0;
};
