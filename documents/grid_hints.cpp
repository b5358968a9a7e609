#include "documents/grid_hints.h"

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
