#include "documents/grid_commands.h"

#include "common/delimited_text.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "documents/table_files.h"

#include <QByteArrayList>
#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <utility>

GridBlock GridSelectionBlock(const StringGrid &grid)
{
    const GridRect sel = grid.selection();
    GridBlock block;
    for (int r = sel.top; r <= sel.bottom; ++r) {
        QList<QByteArray> row;
        for (int c = sel.left; c <= sel.right; ++c)
            row.append(grid.cell(c, r));
        block.append(row);
    }
    return block;
}

QByteArray GridBlockText(const GridBlock &block)
{
    QByteArray text;
    for (const QList<QByteArray> &row : block) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += '\t';
            text += QuoteField(row[c]);
        }
        text += "\r\n";
    }
    return text;
}

namespace {
constexpr quint32 BlockMagic = 0x4F42'4C4B;   // "OBLK"
}

QByteArray SerializeGridBlock(const GridBlock &block)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << BlockMagic << block;
    return data;
}

GridBlock DeserializeGridBlock(const QByteArray &data)
{
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    GridBlock block;
    in >> magic;
    if (magic != BlockMagic)
        return {};
    in >> block;
    return in.status() == QDataStream::Ok ? block : GridBlock();
}

QList<QStringList> ParseClipboardText(const QString &text)
{
    struct Sink : DelimitedSinkDefaults
    {
        QList<QStringList> rows;
        QStringList row;
        void field(const char16_t *text, qsizetype size)
        {
            row.append(QString(reinterpret_cast<const QChar *>(text), size));
        }
        void endRecord() { rows.append(std::exchange(row, {})); }
    } sink;
    // Tab-separated; a quoted field may hold tabs and line breaks, and what
    // follows its closing quote up to the next tab or line end is kept as it stands.
    DelimitedRules rules;
    rules.separator = u'\t';
    rules.linesAreRecords = true;
    rules.textAfterQuoteJoins = true;
    const qsizetype end = text.contains(QChar(0)) ? text.indexOf(QChar(0)) : text.size();
    ReadDelimited(reinterpret_cast<const char16_t *>(text.utf16()), end, rules, sink);
    return sink.rows;
}

bool PastesAtCell(const StringGrid &grid)
{
    const GridRect sel = grid.selection();
    return sel.top == sel.bottom && sel.left == sel.right;
}

PasteLeftOut FindPasteLeftOut(const StringGrid &grid, const QList<QStringList> &rows)
{
    const GridRect sel = grid.selection();
    const bool atCell = PastesAtCell(grid);
    const qsizetype linesTaken = atCell ? grid.rowCount() - sel.top : sel.bottom - sel.top + 1;
    const qsizetype fieldsTaken = atCell ? grid.colCount() - sel.left : sel.right - sel.left + 1;
    PasteLeftOut out;
    out.clipboardLines = int(rows.size());
    for (qsizetype line = 0; line < rows.size(); ++line) {
        bool lost = false;
        for (qsizetype k = line < linesTaken ? fieldsTaken : 0; k < rows[line].size(); ++k) {
            if (rows[line][k].isEmpty())
                continue;
            ++out.texts;
            if (!lost)
                ++out.lines;
            lost = true;
            if (out.firstLine == 0) {
                out.firstLine = int(line + 1);
                out.firstText = rows[line][k];
            }
        }
    }
    return out;
}

GridRect GridPasteAtCell(StringGrid &grid, const GridBlock &block)
{
    const GridRect sel = grid.selection();
    GridRect filled{sel.left, sel.top, sel.left, sel.top};
    int row = sel.top;
    for (qsizetype line = 0; line < block.size() && row < grid.rowCount(); ++line, ++row) {
        const QList<QByteArray> &fields = block[line];
        filled.bottom = row;
        for (qsizetype k = 0; k < fields.size() && sel.left + k < grid.colCount(); ++k) {
            const int col = sel.left + int(k);
            grid.setCell(col, row, fields[k]);
            filled.right = std::max(filled.right, col);
        }
    }
    return filled;
}

GridRect GridPasteIntoSelection(StringGrid &grid, const GridBlock &block)
{
    const GridRect sel = grid.selection();
    for (int r = sel.top; r <= sel.bottom; ++r) {
        const QList<QByteArray> fields = block.value(r - sel.top);
        for (int c = sel.left; c <= sel.right; ++c)
            grid.setCell(c, r, fields.value(c - sel.left));
    }
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
    for (int r = first; r + count < grid.rowCount(); ++r)
        for (int c = 0; c < grid.colCount(); ++c)
            grid.setCell(c, r, grid.cell(c, r + count));
    grid.setRowCount(grid.rowCount() - count);
}

void GridInsertRow(StringGrid &grid, int first, int count)
{
    if (count <= 0 || first < 0 || first > grid.rowCount())
        return;
    grid.setRowCount(grid.rowCount() + count);
    for (int r = grid.rowCount() - 1; r >= first + count; --r)
        for (int c = 0; c < grid.colCount(); ++c)
            grid.setCell(c, r, grid.cell(c, r - count));
    for (int r = first; r < first + count; ++r)
        for (int c = 0; c < grid.colCount(); ++c)
            grid.setCell(c, r, QByteArray());
}

void GridMoveRow(StringGrid &grid, int from, int to)
{
    if (from == to || from < grid.fixedRows() || to < grid.fixedRows()
        || from >= grid.rowCount() || to >= grid.rowCount())
        return;
    QByteArrayList moving;
    for (int c = 0; c < grid.colCount(); ++c)
        moving.append(grid.cell(c, from));
    const int step = from < to ? 1 : -1;
    for (int r = from; r != to; r += step)
        for (int c = 0; c < grid.colCount(); ++c)
            grid.setCell(c, r, grid.cell(c, r + step));
    for (int c = 0; c < grid.colCount(); ++c)
        grid.setCell(c, to, moving[c]);
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
    // Rows are moved whole: the row list is rebuilt from the texts as they were.
    const QList<QByteArray> before = grid.cells();
    QList<QByteArray> sorted = before;
    const int cols = grid.colCount();
    for (qsizetype i = 0; i < entries.size(); ++i)
        for (int c = 0; c < cols; ++c)
            sorted[(first + i) * cols + c] = before[qsizetype(entries[i].row) * cols + c];
    grid.setCells(sorted);
}

void GridSelectAll(StringGrid &grid)
{
    grid.setSelection({grid.fixedCols(), grid.fixedRows(), grid.colCount() - 1, grid.rowCount() - 1});
}
