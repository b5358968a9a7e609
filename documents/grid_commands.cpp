#include "documents/grid_commands.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "documents/table_files.h"

#include <QByteArrayList>
#include <algorithm>
#include <functional>

namespace {

// taken sees each cell right after its text went into the result.
QByteArray SelectionText(const StringGrid &grid, const std::function<void(int col, int row)> &taken)
{
    const GridRect sel = grid.selection();
    QByteArray text;
    for (int r = sel.top; r <= sel.bottom; ++r) {
        for (int c = sel.left; c <= sel.right; ++c) {
            if (c != sel.left)
                text += '\t';
            text += QuoteField(grid.cell(c, r));
            if (taken)
                taken(c, r);
        }
        text += "\r\n";
    }
    return text;
}

QList<QByteArray> ClipboardFields(const QByteArray &line)
{
    return ParseCommaLine(line, '\t');
}

} // namespace

QByteArray GridSelectionText(const StringGrid &grid)
{
    return SelectionText(grid, nullptr);
}

QByteArray GridCutSelection(StringGrid &grid)
{
    grid.beginUpdate();
    const QByteArray text = SelectionText(grid, [&grid](int c, int r) { grid.setCell(c, r, QByteArray()); });
    grid.endUpdate();
    return text;
}

GridRect GridPasteAtCell(StringGrid &grid, const QByteArray &text)
{
    const GridRect sel = grid.selection();
    const QList<QByteArray> lines = SplitTextLines(text);
    GridRect filled{sel.left, sel.top, sel.left, sel.top};
    grid.beginUpdate();
    int row = sel.top;
    for (qsizetype line = 0; line < lines.size() && row < grid.rowCount(); ++line, ++row) {
        const QList<QByteArray> fields = ClipboardFields(lines[line]);
        filled.bottom = row;
        for (qsizetype k = 0; k < fields.size() && sel.left + k < grid.colCount(); ++k) {
            const int col = sel.left + int(k);
            grid.setCell(col, row, fields[k]);
            filled.right = std::max(filled.right, col);
        }
    }
    grid.endUpdate();
    return filled;
}

GridRect GridPasteIntoSelection(StringGrid &grid, const QByteArray &text)
{
    const GridRect sel = grid.selection();
    const QList<QByteArray> lines = SplitTextLines(text);
    grid.beginUpdate();
    for (int r = sel.top; r <= sel.bottom; ++r) {
        const qsizetype line = r - sel.top;
        const QList<QByteArray> fields = line < lines.size() ? ClipboardFields(lines[line]) : QList<QByteArray>();
        for (int c = sel.left; c <= sel.right; ++c)
            grid.setCell(c, r, fields.value(c - sel.left));
    }
    grid.endUpdate();
    return sel;
}

void GridDeleteRow(StringGrid &grid, int first, int count)
{
    if (grid.rowCount() - count < grid.fixedRows() + 1)
        throw OstrelError(Msg::GridDeleteRowTooFew);
    // Rows past the end cannot be deleted; the rows above first always stay.
    count = std::min(count, grid.rowCount() - first);
    if (count <= 0 || first < 0)
        return;
    grid.beginUpdate();
    for (int r = first; r + count < grid.rowCount(); ++r)
        for (int c = 0; c < grid.colCount(); ++c)
            grid.setCell(c, r, grid.cell(c, r + count));
    grid.setRowCount(grid.rowCount() - count);
    grid.endUpdate();
}

void GridInsertRow(StringGrid &grid, int first, int count)
{
    if (count <= 0 || first < 0 || first > grid.rowCount())
        return;
    grid.beginUpdate();
    grid.setRowCount(grid.rowCount() + count);
    for (int r = grid.rowCount() - 1; r >= first + count; --r)
        for (int c = 0; c < grid.colCount(); ++c)
            grid.setCell(c, r, grid.cell(c, r - count));
    for (int r = first; r < first + count; ++r)
        for (int c = 0; c < grid.colCount(); ++c)
            grid.setCell(c, r, QByteArray());
    grid.endUpdate();
}

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

namespace {

char FoldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Byte-wise with a-z as A-Z; a common prefix puts the shorter text first.
int CompareFolded(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(FoldAscii(a[i]));
        const auto y = static_cast<unsigned char>(FoldAscii(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Empty texts go last whatever the direction; 0 when the keys are equal.
int CompareText(const GridSortEntry &a, const GridSortEntry &b, int direction)
{
    if (a.text.isEmpty() || b.text.isEmpty())
        return int(a.text.isEmpty()) - int(b.text.isEmpty());
    return direction * CompareFolded(a.text, b.text);
}

int NumberKey(const QByteArray &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 999;
}

int CompareNumber(const GridSortEntry &a, const GridSortEntry &b, int direction)
{
    const int x = NumberKey(a.text), y = NumberKey(b.text);
    return x == y ? 0 : direction * (x < y ? -1 : 1);
}

// The key first; equal keys keep their former order ascending and reverse it descending.
template <int (*Key)(const GridSortEntry &, const GridSortEntry &, int), int Direction>
int KeyThenFormerRow(const GridSortEntry &a, const GridSortEntry &b)
{
    const int key = Key(a, b, Direction);
    return key != 0 ? key : Direction * (a.row - b.row);
}

} // namespace

const GridSortComparison GridCompareTextAscending = KeyThenFormerRow<CompareText, 1>;
const GridSortComparison GridCompareTextDescending = KeyThenFormerRow<CompareText, -1>;
const GridSortComparison GridCompareNumberAscending = KeyThenFormerRow<CompareNumber, 1>;
const GridSortComparison GridCompareNumberDescending = KeyThenFormerRow<CompareNumber, -1>;

GridSortComparison GridSortComparisonFor(int column, int direction)
{
    if (column == 0)
        return direction < 0 ? GridCompareNumberDescending : GridCompareNumberAscending;
    return direction < 0 ? GridCompareTextDescending : GridCompareTextAscending;
}

void GridSortByColumn(StringGrid &grid, int column, GridSortComparison compare)
{
    const int first = grid.fixedRows();
    QList<GridSortEntry> entries;
    for (int r = first; r < grid.rowCount(); ++r)
        entries.append({grid.cell(column, r), r});
    std::sort(entries.begin(), entries.end(),
              [compare](const GridSortEntry &a, const GridSortEntry &b) { return compare(a, b) < 0; });
    const StringGrid before = grid;
    grid.beginUpdate();
    for (qsizetype i = 0; i < entries.size(); ++i)
        for (int c = 0; c < grid.colCount(); ++c)
            grid.setCell(c, first + int(i), before.cell(c, entries[i].row));
    grid.endUpdate();
}

void GridSelectAll(StringGrid &grid)
{
    grid.setSelection({grid.fixedCols(), grid.fixedRows(), grid.colCount() - 1, grid.rowCount() - 1});
}
