#include "documents/grid_fill.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "documents/string_grid.h"

#include <QByteArrayView>
#include <functional>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A decimal text plus n, as many digits as before unless it carries out of them.
QByteArray AddToDigits(QByteArray digits, qint64 n)
{
    for (qsizetype i = digits.size() - 1; i >= 0 && n > 0; --i) {
        const qint64 sum = (digits[i] - '0') + n;
        digits[i] = char('0' + sum % 10);
        n = sum / 10;
    }
    return n > 0 ? QByteArray::number(n) + digits : digits;
}

// Fills each selected column (row numbers left out) from its source cell:
// the text of row top + k is made by next(source, k, row).
void Fill(StringGrid &grid, const std::function<QByteArray(const QByteArray &, int, int)> &next)
{
    const GridRect sel = grid.selection();
    const int top = sel.top == sel.bottom ? sel.top - 1 : sel.top;
    if (top < grid.fixedRows())
        return;   // the first row has nothing above it
    for (int col = std::max(sel.left, grid.fixedCols()); col <= sel.right && col < grid.colCount(); ++col) {
        const QByteArray source = grid.cell(col, top);
        for (int row = top + 1; row <= sel.bottom && row < grid.rowCount(); ++row)
            grid.setCell(col, row, next(source, row - top, row));
    }
}

}   // namespace

bool IsJanCode(const QByteArray &text)
{
    if (text.size() != 13 && text.size() != 8)
        return false;
    if (!std::all_of(text.cbegin(), text.cend(), IsDigit))
        return false;
    return JanCheckDigit(text.chopped(1)) == text.back();
}

char JanCheckDigit(const QByteArray &digits)
{
    // Weights 3, 1, 3, ... from the digit before the check digit leftwards.
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += (digits[digits.size() - 1 - i] - '0') * (i % 2 == 0 ? 3 : 1);
    return char('0' + (10 - sum % 10) % 10);
}

QByteArray SeriesText(const QByteArray &start, int steps, int row)
{
    if (IsJanCode(start)) {
        const QByteArray digits = start.chopped(1);
        const QByteArray next = AddToDigits(digits, steps);
        if (next.size() > digits.size())
            throw OstrelError(
                QString::fromUtf8(Msg::JanSeriesRunsOut).arg(QString::fromLatin1(start)).arg(row).arg(start.size()));
        return next + JanCheckDigit(next);
    }
    qsizetype digitsAt = start.size();
    while (digitsAt > 0 && IsDigit(start[digitsAt - 1]))
        --digitsAt;
    if (digitsAt == start.size())
        return start;
    return start.left(digitsAt) + AddToDigits(start.mid(digitsAt), steps);
}

void GridFillDown(StringGrid &grid)
{
    Fill(grid, [](const QByteArray &source, int, int) { return source; });
}

void GridFillSeries(StringGrid &grid)
{
    Fill(grid, [](const QByteArray &source, int steps, int row) { return SeriesText(source, steps, row); });
}
