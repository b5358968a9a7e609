#pragma once

#include "documents/string_grid.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// The table window's block commands on a StringGrid, in grid coordinates; the
// window adds the clipboard, the prompts and the modified mark.

// A block of cells as the clipboard carries it: rows of texts, left to right.
using GridBlock = QList<QList<QByteArray>>;

// The selected cells, top to bottom.
GridBlock GridSelectionBlock(const StringGrid &grid);
// The clipboard text of a block: one line per row, each ending in CR LF; the
// row's cells separated by TAB, each as QuoteField writes it.
QByteArray GridBlockText(const GridBlock &block);
// The private clipboard form of a block: the exact bytes of every cell.
QByteArray SerializeGridBlock(const GridBlock &block);
// Empty when data is not a serialized block.
GridBlock DeserializeGridBlock(const QByteArray &data);

// Clipboard text as rows of fields, as spreadsheets and the program's own copy
// write it: rows end at CR LF, lone CR or lone LF (a last line end adds no
// row), fields are split at TAB only, so an empty field between tabs is an
// empty cell and blanks are kept; a field that starts with a double quote runs
// to the matching quote (a doubled quote inside is one quote) and may hold
// tabs and line breaks. A NUL character ends the text.
QList<QStringList> ParseClipboardText(const QString &text);

// Whether a paste now goes at the cursor cell (GridPasteAtCell, one cell
// selected) or into the selected block (GridPasteIntoSelection).
bool PastesAtCell(const StringGrid &grid);

// What pasting rows now (as PastesAtCell chooses) leaves out: the texts no cell
// takes because they lie past the grid's last row or column, or outside the
// selected block. Empty fields count for nothing.
struct PasteLeftOut
{
    int clipboardLines = 0;
    int lines = 0;   // lines holding a text left out
    int texts = 0;
    int firstLine = 0;   // 1-based line of the first text left out
    QString firstText;
};
PasteLeftOut FindPasteLeftOut(const StringGrid &grid, const QList<QStringList> &rows);

// Pastes a block with its top-left at the selection's top-left cell; cells no
// field reaches keep their text, what falls outside the grid is dropped.
// Returns the rectangle it filled.
GridRect GridPasteAtCell(StringGrid &grid, const GridBlock &block);
// Pastes into the selected block exactly: row k into the k-th selected row,
// field j into the j-th selected column; selected cells no field reaches are
// emptied, extra rows and fields dropped. Returns the selection.
GridRect GridPasteIntoSelection(StringGrid &grid, const GridBlock &block);

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
