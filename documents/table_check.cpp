#include "documents/table_check.h"

#include "common/codepage.h"
#include "common/counted_text.h"
#include "common/messages.h"
#include "common/zered_log.h"
#include "documents/string_grid.h"
#include "documents/table_image.h"

#include <QHash>
#include <algorithm>

namespace {

QString columnName(int column)
{
    return column == BarcodeColumn ? QStringLiteral("bar code") : QStringLiteral("conv str");
}

// True when the first length bytes end with the lead byte of a double-byte character.
bool cutSplitsCharacter(const QByteArray &text, int length)
{
    int i = 0;
    while (i < length) {
        if (IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()
            && IsCp932TrailByte(static_cast<unsigned char>(text[i + 1]))) {
            if (i + 1 == length)
                return true;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

void checkLength(QList<TableFinding> &findings, const QByteArray &cell, int row, int column, int length)
{
    if (cell.size() <= length)
        return;
    const bool splits = cutSplitsCharacter(cell, length);
    const QByteArray kept = cell.left(splits ? length - 1 : length);
    findings.append({TableFinding::Kind::Cut, row, column,
                     QString::fromUtf8(splits ? Msg::CheckCutSplits : Msg::CheckCut)
                         .arg(row)
                         .arg(columnName(column))
                         .arg(cell.size())
                         .arg(length)
                         .arg(DecodeCp932(kept))});
}

} // namespace

QList<TableFinding> CheckTable(const StringGrid &grid)
{
    const FieldLengths lengths = ActiveFieldLengths();
    int lastBarcodeRow = 0;
    for (int row = TableRowCount; row >= 1 && lastBarcodeRow == 0; --row)
        if (!grid.cell(BarcodeColumn, row).isEmpty())
            lastBarcodeRow = row;

    QList<TableFinding> findings;
    QHash<QByteArray, int> firstRowOfBarcode;
    for (int row = 1; row <= TableRowCount; ++row) {
        const QByteArray &convStr = grid.cell(ConvStrColumn, row);
        const QByteArray &barcode = grid.cell(BarcodeColumn, row);
        for (int column : {ConvStrColumn, BarcodeColumn}) {
            const QByteArray &cell = grid.cell(column, row);
            if (!IsAsciiText(cell) && !DecodesCleanly(cell))
                findings.append({TableFinding::Kind::NotShiftJis, row, column,
                                 QString::fromUtf8(Msg::CheckNotShiftJis).arg(row).arg(columnName(column))});
        }
        checkLength(findings, convStr, row, ConvStrColumn, lengths.convStr);
        checkLength(findings, barcode, row, BarcodeColumn, lengths.barcode);
        if (!barcode.isEmpty()) {
            // The controller compares what its field holds.
            const int firstRow = firstRowOfBarcode.value(barcode.left(lengths.barcode), 0);
            if (firstRow == 0)
                firstRowOfBarcode.insert(barcode.left(lengths.barcode), row);
            else
                findings.append({TableFinding::Kind::Duplicate, row, BarcodeColumn,
                                 QString::fromUtf8(Msg::CheckDuplicate).arg(row).arg(DecodeCp932(barcode)).arg(firstRow)});
        } else if (row > lastBarcodeRow && !convStr.isEmpty()) {
            const QString text = lastBarcodeRow == 0
                                     ? QString::fromUtf8(Msg::CheckNoBarcode).arg(row).arg(DecodeCp932(convStr))
                                     : QString::fromUtf8(Msg::CheckAfterEnd)
                                           .arg(row)
                                           .arg(DecodeCp932(convStr))
                                           .arg(lastBarcodeRow);
            findings.append({TableFinding::Kind::AfterEnd, row, ConvStrColumn, text});
        }
    }
    return findings;
}

QString LossWarning(const QList<TableFinding> &findings)
{
    constexpr int quoted = 5;
    QStringList lines;
    int losing = 0;
    for (const TableFinding &f : findings) {
        if (f.kind != TableFinding::Kind::Cut && f.kind != TableFinding::Kind::AfterEnd)
            continue;
        if (++losing <= quoted)
            lines.append(f.text);
    }
    if (losing == 0)
        return QString();
    if (losing > quoted)
        lines.append(QStringLiteral("..."));
    return QString::fromUtf8(Msg::WarnLosingData).arg(losing).arg(lines.join(u'\n'));
}

int LogFindings(const QList<TableFinding> &findings)
{
    for (const TableFinding &f : findings)
        zered::LogText(zered::clWarning, f.text);
    if (findings.isEmpty())
        zered::LogPrint(zered::clBlack, "%s", Msg::CheckClean);
    else
        zered::LogText(zered::clWarning, FillCounted(Msg::CheckFound, {QString::number(findings.size())}));
    return int(findings.size());
}
