#include "documents/table_check.h"

#include "common/codepage.h"
#include "common/counted_text.h"
#include "common/messages.h"
#include "common/zered_log.h"
#include "documents/string_grid.h"
#include "documents/table_image.h"

#include <QHash>
#include <QRegularExpression>
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

// What a finding quotes of a cell: the whole of any text a field can hold,
// the head of a longer one.
QString quoted(const QByteArray &cell)
{
    return DecodeCp932Head(cell, 256);
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper().replace(" ", " 0x").prepend("0x"));
}

// What a spreadsheet writes for a number too long for its column or a text that
// looks like a date, and what it evaluates.
const char *spreadsheetForm(const QByteArray &cell)
{
    static const QRegularExpression exponent(QStringLiteral("^-?[0-9](\\.[0-9]+)?E[+-][0-9]+$"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression
        date(QStringLiteral(
                 "^([0-9]{1,4}[/-][0-9]{1,2}([/-][0-9]{1,4})?|[0-9]{1,2}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|"
                 "Nov|Dec)[a-z]*(-[0-9]{2,4})?|(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)[a-z]*-[0-9]{2,4})$"),
             QRegularExpression::CaseInsensitiveOption);
    if (cell.startsWith('='))
        return Msg::CheckFormula;
    if (cell.isEmpty() || cell.size() > 80 || !IsAsciiText(cell))
        return nullptr;   // no number, formula result or date is longer
    const QString text = QString::fromLatin1(cell);
    if (exponent.match(text).hasMatch())
        return Msg::CheckExponent;
    if (date.match(text).hasMatch())
        return Msg::CheckDate;
    return nullptr;
}

bool allDigits(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The length most bar codes of digits have (at least three, more than half of
// them), and how many have it; 0 when none is that common.
std::pair<int, int> commonDigitLength(const StringGrid &grid)
{
    QHash<int, int> rowsOfLength;
    int digitCodes = 0;
    for (int row = 1; row <= TableRowCount; ++row)
        if (const QByteArray &barcode = grid.cell(BarcodeColumn, row); allDigits(barcode)) {
            ++rowsOfLength[int(barcode.size())];
            ++digitCodes;
        }
    std::pair<int, int> common{0, 0};
    for (auto it = rowsOfLength.cbegin(); it != rowsOfLength.cend(); ++it)
        if (it.value() > common.second || (it.value() == common.second && it.key() > common.first))
            common = {it.key(), it.value()};
    return common.second >= 3 && common.second * 2 > digitCodes ? common : std::pair{0, 0};
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
    const std::pair<int, int> commonLength = commonDigitLength(grid);
    for (int row = 1; row <= TableRowCount; ++row) {
        const QByteArray &convStr = grid.cell(ConvStrColumn, row);
        const QByteArray &barcode = grid.cell(BarcodeColumn, row);
        for (int column : {ConvStrColumn, BarcodeColumn}) {
            const QByteArray &cell = grid.cell(column, row);
            const bool ascii = IsAsciiText(cell);
            if (!ascii && !IsCp932Text(cell)) {
                findings.append({TableFinding::Kind::NotShiftJis, row, column,
                                 QString::fromUtf8(Msg::CheckNotShiftJis).arg(row).arg(columnName(column))});
            } else if (const OtherForm other = ascii ? OtherForm() : OtherFormAt(cell); !other.bytes.isEmpty()) {
                findings.append({TableFinding::Kind::OtherForm, row, column,
                                 QString::fromUtf8(Msg::CheckOtherForm)
                                     .arg(row)
                                     .arg(columnName(column), other.character, hex(other.bytes), hex(other.encoded))});
            }
            if (const char *form = spreadsheetForm(cell))
                findings.append({TableFinding::Kind::Spreadsheet, row, column,
                                 QString::fromUtf8(form).arg(row).arg(columnName(column), quoted(cell))});
        }
        if (allDigits(barcode) && barcode.size() < commonLength.first)
            findings.append({TableFinding::Kind::ShortDigits, row, BarcodeColumn,
                             QString::fromUtf8(Msg::CheckShortDigits)
                                 .arg(row)
                                 .arg(QString::fromLatin1(barcode))
                                 .arg(barcode.size())
                                 .arg(commonLength.second)
                                 .arg(commonLength.first)
                                 .arg(QString::fromLatin1(barcode).rightJustified(commonLength.first, u'0'))});
        checkLength(findings, convStr, row, ConvStrColumn, lengths.convStr);
        checkLength(findings, barcode, row, BarcodeColumn, lengths.barcode);
        if (!barcode.isEmpty()) {
            // The controller compares what its field holds.
            const int firstRow = firstRowOfBarcode.value(barcode.left(lengths.barcode), 0);
            if (firstRow == 0)
                firstRowOfBarcode.insert(barcode.left(lengths.barcode), row);
            else
                findings.append({TableFinding::Kind::Duplicate, row, BarcodeColumn,
                                 QString::fromUtf8(Msg::CheckDuplicate).arg(row).arg(quoted(barcode)).arg(firstRow)});
        } else if (row > lastBarcodeRow && !convStr.isEmpty()) {
            const QString text =
                lastBarcodeRow == 0
                    ? QString::fromUtf8(Msg::CheckNoBarcode).arg(row).arg(quoted(convStr))
                    : QString::fromUtf8(Msg::CheckAfterEnd).arg(row).arg(quoted(convStr)).arg(lastBarcodeRow);
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
