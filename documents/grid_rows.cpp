#include "documents/grid_rows.h"

#include "documents/string_grid.h"

#include <QByteArrayList>

void GridMoveRow(StringGrid &grid, int from, int to)
{
    if (from == to || from < grid.fixedRows() || to < grid.fixedRows()
        || from >= grid.rowCount() || to >= grid.rowCount())
        return;
    grid.beginUpdate();
    QByteArrayList moving;
    for (int c = 0; c < grid.colCount(); ++c)
        moving.append(grid.cell(c, from));
    const int step = from < to ? 1 : -1;
    for (int r = from; r != to; r += step)
        for (int c = 0; c < grid.colCount(); ++c)
            grid.setCell(c, r, grid.cell(c, r + step));
    for (int c = 0; c < grid.colCount(); ++c)
        grid.setCell(c, to, moving[c]);
    grid.endUpdate();
}
