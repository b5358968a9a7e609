#include "documents/grid_hints.h"

#include "common/codepage.h"
#include "common/zered_lang.h"
#include "documents/string_grid.h"
#include "documents/table_image.h"

namespace {

std::function<QString(const QString &)> &Lookup()
{
    static std::function<QString(const QString &)> lookup;
    return lookup;
}

} // namespace

QString TableText(const QString &key)
{
    return Lookup() ? Lookup()(key) : QString();
}

void SetTableTextLookup(std::function<QString(const QString &key)> lookup)
{
    Lookup() = std::move(lookup);
}

QString TextGridHint(int col, int row)
{
    QString hint;
    if (row == 0)
        hint = TableText(QStringLiteral("TextGrid.RowHint0")) + QStringLiteral("\r\n");
    if (col >= 0 && row >= 0)
        hint += TableText(QStringLiteral("TextGrid.ColHint") + QString::number(col));
    return hint;
}

QString ByteCountText(qsizetype bytes, int fieldLength)
{
    return LocaleLookup(QStringLiteral("ByteCount"), QStringLiteral("%1 / %2 bytes")).arg(bytes).arg(fieldLength);
}

QString CursorByteCount(const StringGrid &grid)
{
    return CursorByteCount(grid, grid.cell(grid.col(), grid.row()).size());
}

QString CursorByteCount(const StringGrid &grid, qsizetype bytes)
{
    const int field = ColumnFieldLength(grid.col());
    if (field < 0 || grid.row() < grid.fixedRows())
        return QString();
    return LocaleLookup(QStringLiteral("CursorByteCount"), QStringLiteral("%1, row %2: %3"))
        .arg(DecodeCp932(grid.cell(grid.col(), 0)))
        .arg(grid.row())
        .arg(ByteCountText(bytes, field));
}
