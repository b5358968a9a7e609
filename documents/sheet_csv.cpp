#include "documents/sheet_csv.h"

#include "common/codepage.h"
#include "common/delimited_text.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "documents/string_grid.h"
#include "documents/table_files.h"
#include "documents/table_image.h"

#include <QStringDecoder>
#include <algorithm>

namespace {

constexpr char Bom[] = "\xEF\xBB\xBF";

// Comma, quote and line ends are below 0x40, so they never occur inside a UTF-8
// sequence or as the second byte of a Shift-JIS character: one byte-wise reader
// serves both encodings.
// Keeps the first kept fields of each record (all for -1): a table's record
// of millions of fields costs no more than its bytes.
QList<QList<QByteArray>> readRecords(const QByteArray &text, const QString &fileName, LoadWarnings &warnings,
                                     int kept)
{
    struct Sink
    {
        const QString &fileName;
        LoadWarnings &warnings;
        RecordFields fields;
        QList<QList<QByteArray>> records;
        void field(const char *text, qsizetype size) { fields.add(QByteArrayView(text, size)); }
        // No closing quote: the field runs to the end.
        void unclosed(const char *text, qsizetype size)
        {
            warnings.unclosed.add(int(records.size() + 1), QByteArray(text, std::min(size, LeftOutBytes)));
        }
        void breakInQuotes()
        {
            throw OstrelError(QString::fromUtf8(Msg::SheetBreakInField)
                                  .arg(fileName)
                                  .arg(records.size() + 1)
                                  .arg(fields.count() + 1));
        }
        void endRecord() { records.append(fields.take()); }
    } sink{fileName, warnings, RecordFields(kept), {}};
    DelimitedRules rules;
    rules.linesAreRecords = true;
    rules.textAfterQuoteJoins = true;   // text after a closing quote stays in the field
    rules.breaksInQuotesRefused = true;
    ReadDelimited(text.constData(), text.size(), rules, sink);
    return std::move(sink.records);
}

}   // namespace

QByteArray SheetCsvField(const QByteArray &field)
{
    const bool quoted = std::any_of(field.begin(), field.end(), [](char c) {
        return c == ',' || c == '"' || static_cast<unsigned char>(c) <= 0x20;
    });
    return quoted ? '"' + QByteArray(field).replace("\"", "\"\"") + '"' : field;
}

QList<QList<QByteArray>> SheetCsvRecords(const QByteArray &text, const QString &fileName)
{
    LoadWarnings ignored;
    return readRecords(text.startsWith(Bom) ? text.sliced(3) : text, fileName, ignored, -1);
}

QByteArray SheetFieldToCp932(const QByteArray &utf8, const QString &fileName, int row, int column)
{
    if (IsAsciiText(utf8))
        return utf8;
    const QString text = QString::fromUtf8(utf8);
    const Cp932Encoding encoded = EncodeCp932Exact(text);   // look-alikes mapped
    if (encoded.unencodableAt < 0)
        return encoded.bytes;
    const qsizetype i = encoded.unencodableAt;
    const QString ch = text.mid(i, text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1);
    throw OstrelError(QString::fromUtf8(Msg::SheetCannotHold)
                          .arg(fileName)
                          .arg(row)
                          .arg(column)
                          .arg(ch)
                          .arg(QString::number(ch.toUcs4().value(0), 16).toUpper().rightJustified(4, u'0')));
}

QByteArray SheetFieldToUtf8(const QByteArray &cell, const QString &fileName, int row)
{
    CheckFieldWritable(cell, fileName, row);
    if (IsAsciiText(cell))
        return cell;
    if (!IsCp932Text(cell))
        throw OstrelError(QString::fromUtf8(Msg::SheetNotShiftJis).arg(fileName).arg(row));
    return DecodeCp932(cell).toUtf8();
}

bool IsValidUtf8(const QByteArray &bytes, bool complete)
{
    if (complete)
        return QByteArrayView(bytes).isValidUtf8();   // without decoding all of it
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Default);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

LoadWarnings ParseSheetTable(QByteArray text, StringGrid &grid, const QString &fileName)
{
    if (text.contains('\0'))
        throw OstrelError(QString::fromUtf8(Msg::SheetNulByte).arg(fileName));
    const bool bom = text.startsWith(Bom);
    LoadWarnings warnings;
    QList<QList<QByteArray>> records;
    bool utf8 = false;
    {
        // The text without its mark, sharing its bytes.
        const QByteArray body = bom ? QByteArray::fromRawData(text.constData() + 3, text.size() - 3) : text;
        utf8 = bom || IsValidUtf8(body);
        records = readRecords(body, fileName, warnings, 2);
    }
    text.clear();   // the records hold it now: a line of megabytes is not held twice
    if (records.isEmpty())
        throw OstrelError(Msg::CsvEmpty);
    if (utf8) {
        // Only the two fields the table keeps must fit the code page; the rest
        // is converted for the warning that quotes it.
        for (qsizetype r = 0; r < records.size(); ++r)
            for (qsizetype c = 0; c < records[r].size(); ++c) {
                QByteArray &field = records[r][c];
                field = r < TableRowCount && c < 2 ? SheetFieldToCp932(field, fileName, int(r + 1), int(c + 1))
                                                   : EncodeCp932(QString::fromUtf8(field));
            }
        if (!warnings.unclosed.isEmpty())
            warnings.unclosed.firstText = EncodeCp932(QString::fromUtf8(warnings.unclosed.firstText));
    }
    PutTableRecords(records, grid, warnings);
    return warnings;
}

QByteArray FormatSheetTable(const StringGrid &grid, const QString &fileName)
{
    QByteArray text(Bom);
    text.reserve(TableRowCount * 16);
    for (int row = 1; row <= TableRowCount; ++row) {
        for (int col : {ConvStrColumn, BarcodeColumn}) {
            const QByteArray field = SheetFieldToUtf8(grid.cell(col, row), fileName, row);
            if (col == BarcodeColumn)
                text += ',';
            text += SheetCsvField(field);
        }
        text += "\r\n";
    }
    return text;
}
