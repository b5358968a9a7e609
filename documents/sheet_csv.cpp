#include "documents/sheet_csv.h"

#include "common/codepage.h"
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
QList<QList<QByteArray>> readRecords(const QByteArray &text, const QString &fileName)
{
    QList<QList<QByteArray>> records;
    QList<QByteArray> fields;
    QByteArray field;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto lineBreak = [&] {
        return OstrelError(
            QString::fromUtf8(Msg::SheetBreakInField).arg(fileName).arg(records.size() + 1).arg(fields.size() + 1));
    };
    while (i < n) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= n)
                    break;   // no closing quote: the field runs to the end
                const char c = text[i];
                if (c == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (c == '\r' || c == '\n')
                    throw lineBreak();
                field += c;
            }
        }
        while (i < n && text[i] != ',' && text[i] != '\r' && text[i] != '\n')
            field += text[i++];   // text after a closing quote stays in the field
        fields.append(field);
        field.clear();
        if (i < n && text[i] == ',') {
            ++i;
            if (i == n)
                fields.append(QByteArray());
            continue;
        }
        if (i < n && text[i] == '\r' && i + 1 < n && text[i + 1] == '\n')
            ++i;
        ++i;
        records.append(fields);
        fields.clear();
    }
    if (!fields.isEmpty())
        records.append(fields);
    return records;
}

// The Shift-JIS bytes of a UTF-8 field, or an error naming the first character
// the code page cannot hold.
QByteArray toShiftJis(const QByteArray &utf8, const QString &fileName, int row, int column)
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

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

bool needsQuotes(const QByteArray &field)
{
    return std::any_of(field.begin(), field.end(),
                       [](char c) { return c == ',' || c == '"' || static_cast<unsigned char>(c) <= 0x20; });
}

} // namespace

LeftOutText ParseSheetTable(const QByteArray &text, StringGrid &grid, const QString &fileName)
{
    if (text.contains('\0'))
        throw OstrelError(QString::fromUtf8(Msg::SheetNulByte).arg(fileName));
    const bool bom = text.startsWith(Bom);
    const QByteArray body = bom ? text.sliced(3) : text;
    QList<QList<QByteArray>> records = readRecords(body, fileName);
    if (records.isEmpty())
        throw OstrelError(Msg::CsvEmpty);
    if (bom || isValidUtf8(body)) {
        // Only the two fields the table keeps must fit the code page; the rest
        // is converted for the warning that quotes it.
        for (qsizetype r = 0; r < records.size(); ++r)
            for (qsizetype c = 0; c < records[r].size(); ++c) {
                QByteArray &field = records[r][c];
                field = r < TableRowCount && c < 2 ? toShiftJis(field, fileName, int(r + 1), int(c + 1))
                                                   : EncodeCp932(QString::fromUtf8(field));
            }
    }
    return PutTableRecords(records, grid);
}

QByteArray FormatSheetTable(const StringGrid &grid, const QString &fileName)
{
    QByteArray text(Bom);
    text.reserve(TableRowCount * 16);
    for (int row = 1; row <= TableRowCount; ++row) {
        for (int col : {ConvStrColumn, BarcodeColumn}) {
            const QByteArray &cell = grid.cell(col, row);
            CheckFieldWritable(cell, fileName, row);
            QByteArray field = cell;
            if (!IsAsciiText(cell)) {
                if (!DecodesCleanly(cell))
                    throw OstrelError(QString::fromUtf8(Msg::SheetNotShiftJis).arg(fileName).arg(row));
                field = DecodeCp932(cell).toUtf8();
            }
            if (col == BarcodeColumn)
                text += ',';
            if (needsQuotes(field))
                text += '"' + QByteArray(field).replace("\"", "\"\"") + '"';
            else
                text += field;
        }
        text += "\r\n";
    }
    return text;
}
