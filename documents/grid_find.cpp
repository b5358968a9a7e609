#include "documents/grid_find.h"

#include "common/codepage.h"
#include "common/messages.h"
#include "common/zered_error.h"

namespace {

// The next cell in reading order (or against it), wrapping at the grid's ends.
GridCell Advance(const StringGrid &grid, GridCell cell, int step)
{
    cell.col += step;
    if (cell.col >= grid.colCount() || cell.col < 0) {
        cell.col = cell.col < 0 ? grid.colCount() - 1 : 0;
        cell.row += step;
        if (cell.row >= grid.rowCount())
            cell.row = 0;
        else if (cell.row < 0)
            cell.row = grid.rowCount() - 1;
    }
    return cell;
}

} // namespace

GridCell FindInGrid(const StringGrid &grid, const QString &text, const FindOptions &options, QString &searchText)
{
    searchText = options.matchCase ? text : text.toLower();
    const int step = options.down ? 1 : -1;
    GridCell start{grid.col(), grid.row()};
    if (options.findNext)
        start = Advance(grid, start, step);
    if (grid.colCount() < 1 || grid.rowCount() < 1)
        throw OstrelError(QString::fromUtf8(Msg::NotFound).arg(searchText));
    GridCell cell = start;
    do {
        QString value = DecodeCp932(grid.cell(cell.col, cell.row));
        if (!options.matchCase)
            value = value.toLower();
        const bool match = options.wholeWord ? value == searchText
                                             : !searchText.isEmpty() && value.contains(searchText);
        if (match)
            return cell;
        cell = Advance(grid, cell, step);
    } while (!(cell == start));
    throw OstrelError(QString::fromUtf8(Msg::NotFound).arg(searchText));
}
