#include "documents/table_compare.h"

#include "common/codepage.h"
#include "common/messages.h"
#include "documents/table_image.h"

#include <algorithm>

QList<TableDifference> CompareTableImages(const QByteArray &left, const QByteArray &right)
{
    Q_ASSERT(left.size() == TableImageSize && right.size() == TableImageSize);
    QList<TableDifference> differences;
    for (int row = 1; row <= TableRowCount; ++row) {
        const qsizetype record = qsizetype(row - 1) * TableRecordSize;
        const struct
        {
            int column, offset, length;
        } fields[] = {{ConvStrColumn, BarcodeFieldLen, ConvStrFieldLen}, {BarcodeColumn, 0, BarcodeFieldLen}};
        for (const auto &field : fields) {
            const QByteArray a = ReadImageField(left.constData() + record + field.offset, field.length);
            const QByteArray b = ReadImageField(right.constData() + record + field.offset, field.length);
            if (a != b)
                differences.append({row, field.column, a, b});
        }
    }
    return differences;
}

QString FieldName(int column)
{
    return column == BarcodeColumn ? QStringLiteral("bar code") : QStringLiteral("conv str");
}

QString DifferenceLine(const TableDifference &difference)
{
    return QStringLiteral("row %1, %2: '%3' / '%4'")
        .arg(difference.row)
        .arg(FieldName(difference.column), DecodeCp932(difference.left), DecodeCp932(difference.right));
}

TableChanges ChangesBetween(const QByteArray &before, const QByteArray &after)
{
    TableChanges changes;
    for (int row = 1; row <= TableRowCount; ++row) {
        const qsizetype record = qsizetype(row - 1) * TableRecordSize;
        if (before.sliced(record, TableRecordSize) != after.sliced(record, TableRecordSize)) {
            ++changes.records;
            if (!changes.firstRow)
                changes.firstRow = row;
        }
    }
    const QList<TableDifference> fields = CompareTableImages(before, after);
    changes.first = fields.first(std::min<qsizetype>(fields.size(), TableChanges::Listed));
    return changes;
}

QStringList ChangeLines(const TableChanges &changes)
{
    QStringList lines;
    for (const TableDifference &difference : changes.first)
        lines.append(DifferenceLine(difference));
    if (lines.isEmpty() && changes.firstRow)
        lines.append(QString::fromUtf8(Msg::ChangeNotShown).arg(changes.firstRow));
    return lines;
}

QString SendChangesQuestion(const TableChanges &changes)
{
    return QString::fromUtf8(Msg::AskSendChanges).arg(changes.records).arg(changes.first.size()) + u'\n'
           + ChangeLines(changes).join(u'\n') + u'\n' + QString::fromUtf8(Msg::AskSendChangesGo);
}
