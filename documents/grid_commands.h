#pragma once

#include "documents/string_grid.h"

#include <QByteArray>

// The table window's block commands on a StringGrid, in grid coordinates; the
// window adds the clipboard, the prompts and the modified mark.

// The clipboard text of the selection: one line per selected row, each ending in
// CR LF; the row's cells separated by TAB, each as QuoteField writes it.
QByteArray GridSelectionText(const StringGrid &grid);
// The same text; every selected cell is emptied once its text is taken.
QByteArray GridCutSelection(StringGrid &grid);

// Pastes clipboard text (lines as SplitTextLines splits them, fields as
// ParseCommaLine reads them with TAB as separator) with its top-left at the
// selection's top-left cell; cells no field reaches keep their text, what falls
// outside the grid is dropped. Returns the rectangle it filled.
GridRect GridPasteAtCell(StringGrid &grid, const QByteArray &text);
// Pastes into the selected block exactly: line k into the k-th selected row,
// field j into the j-th selected column; selected cells no field reaches are
// emptied, extra lines and fields dropped. Returns the selection.
GridRect GridPasteIntoSelection(StringGrid &grid, const QByteArray &text);

// Removes count rows from first on (all columns, row numbers included); the row
// count drops by count. Raises OstrelError "GridDeleteRow; row count too few",
// changing nothing, when fewer than one non-fixed row would be left.
void GridDeleteRow(StringGrid &grid, int first, int count);
// Inserts count empty rows at first; the row count grows by count.
void GridInsertRow(StringGrid &grid, int first, int count);

// Moves row from to position to, whole rows at a time (row numbers travel
// with their rows); the rows between shift by one.
void GridMoveRow(StringGrid &grid, int from, int to);

// One row's key for sorting: its text in the sort column and where it was.
struct GridSortEntry
{
    QByteArray text;
    int row = 0;
};
// Negative when a goes first; never 0 for entries of different rows.
using GridSortComparison = int (*)(const GridSortEntry &a, const GridSortEntry &b);

// Texts compared byte-wise with only a-z folded to upper case, empty texts last
// in both directions; equal keys in their former order ascending, reversed descending.
extern const GridSortComparison GridCompareTextAscending;
extern const GridSortComparison GridCompareTextDescending;
// Keys are the texts' decimal integer values, 999 for an empty or non-integer text.
extern const GridSortComparison GridCompareNumberAscending;
extern const GridSortComparison GridCompareNumberDescending;
// The numeric comparison for column 0, the text one otherwise; direction +1 or -1.
GridSortComparison GridSortComparisonFor(int column, int direction);

// Reorders the non-fixed rows, whole rows at a time, by their texts in column.
void GridSortByColumn(StringGrid &grid, int column, GridSortComparison compare);

// Selects every non-fixed cell.
void GridSelectAll(StringGrid &grid);
