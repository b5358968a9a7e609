#include "documents/go_to_row.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_lang.h"
#include "documents/string_grid.h"

int LastUsedRow(const StringGrid &grid)
{
    for (int row = grid.rowCount() - 1; row > grid.fixedRows(); --row)
        for (int col = grid.fixedCols(); col < grid.colCount(); ++col)
            if (!grid.cell(col, row).isEmpty())
                return row;
    return grid.fixedRows();
}

int GoToRowTarget(const StringGrid &grid, const QString &answer)
{
    const QString text = answer.trimmed();
    const QString last = LocaleLookup(QStringLiteral("GoToRowLast"), QStringLiteral("last"));
    if (text.compare(QLatin1String("last"), Qt::CaseInsensitive) == 0 || text.compare(last, Qt::CaseInsensitive) == 0)
        return LastUsedRow(grid);
    bool ok = false;
    const int row = text.toInt(&ok);
    const int lastRow = grid.rowCount() - 1;
    if (!ok || row < grid.fixedRows() || row > lastRow)
        throw OstrelError(QString::fromUtf8(Msg::NoSuchRow).arg(answer).arg(grid.fixedRows()).arg(lastRow).arg(last));
    return row;
}
