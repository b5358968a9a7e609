// Reading a table from the first sheet of an Excel workbook.
#include "documents/sheet_xlsx.h"

#include "common/codepage.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "documents/sheet_csv.h"
#include "documents/table_image.h"
#include "documents/xml_reader.h"
#include "documents/zip_reader.h"

#include <QStringDecoder>
#include <QXmlStreamReader>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// A workbook part is a few kilobytes for a table; far more is no table, and
// as the cap on a text file it keeps the cost of a hostile one bounded.
constexpr qint64 MaxPartBytes = 16 * 1024 * 1024;
constexpr int MaxColumns = 16384, MaxRows = 1048576;   // as far as a sheet goes

[[noreturn]] void damaged(const QString &fileName, const QString &why)
{
    throw OstrelError(QString::fromUtf8(Msg::XlsxDamaged).arg(fileName, why));
}

QByteArray part(const ZipReader &zip, const QString &name, const QString &fileName)
{
    QString error;
    QByteArray bytes = zip.read(name, MaxPartBytes, error);
    if (!error.isEmpty())
        damaged(fileName, error);
    return bytes;
}

// The small parts go through QXmlStreamReader, for the namespaces they are read by;
// the sheet and the shared strings, which may be megabytes, through XmlReader.
template <typename Reader>
void checkParsed(const Reader &xml, const QString &partName, const QString &fileName)
{
    if (xml.hasError())
        damaged(fileName, QStringLiteral("%1, line %2: %3").arg(partName).arg(xml.lineNumber()).arg(xml.errorString()));
}

// UTF-8 as UTF-16, a leading U+FEFF kept (QString::fromUtf8 drops it): it is a character of the cell.
QString utf16(const QByteArray &utf8)
{
    return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)(utf8);
}

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// "_x000D_" and the like: how a workbook writes characters XML cannot carry
// ("_x005F_" is a "_" that would otherwise start one). The escapes are UTF-16
// code units (a pair of them one character), so the text is read as UTF-16.
QByteArray unescapeXstring(const QByteArray &utf8)
{
    if (!utf8.contains("_x"))
        return utf8;
    const QString text = utf16(utf8);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_'
            && std::all_of(text.begin() + i + 2, text.begin() + i + 6, isHex)) {
            out += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 7;
        } else {
            out += text[i++];
        }
    }
    return out.toUtf8();
}

// The text of a string item (<si> or <is>): its <t>, or the <t> of its rich-text
// runs; the readings Japanese Excel keeps in phonetic runs (<rPh>) are no part of it.
QByteArray readStringItem(XmlReader &xml)
{
    const QByteArrayView element = xml.name();   // it stays in the part
    QByteArray text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == element)
            break;
        if (!xml.isStartElement())
            continue;
        if (xml.name() == "rPh")
            xml.skipCurrentElement();
        else if (xml.name() == "t")
            text += xml.readElementText();
    }
    return unescapeXstring(text);
}

// The shared strings end to end in one text: a million short ones cost
// their characters, not a million strings.
class SharedStrings
{
public:
    void append(const QByteArray &text)
    {
        m_starts.append(m_text.size());
        m_text += text;
    }
    qsizetype size() const { return m_starts.size(); }
    QByteArray at(qsizetype i) const
    {
        const qsizetype end = i + 1 < m_starts.size() ? m_starts[i + 1] : m_text.size();
        return m_text.mid(m_starts[i], end - m_starts[i]);
    }

private:
    QByteArray m_text;   // UTF-8
    QList<qsizetype> m_starts;
};

SharedStrings readSharedStrings(const QByteArray &bytes, const QString &partName, const QString &fileName)
{
    XmlReader xml(bytes);
    SharedStrings strings;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == "si")
            strings.append(readStringItem(xml));
    }
    checkParsed(xml, partName, fileName);
    return strings;
}

// The workbook's first sheet (its name and relationship id) and how many it has.
struct SheetList
{
    QString firstName, firstId;
    int count = 0;
};

SheetList readSheetList(const QByteArray &bytes, const QString &fileName)
{
    SheetList sheets;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"sheet" || sheets.count++ > 0)
            continue;
        sheets.firstName = xml.attributes().value(QLatin1String("name")).toString();
        for (const QXmlStreamAttribute &attribute : xml.attributes())
            if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                sheets.firstId = attribute.value().toString();
    }
    checkParsed(xml, QStringLiteral("xl/workbook.xml"), fileName);
    if (sheets.firstId.isEmpty())
        damaged(fileName, QStringLiteral("xl/workbook.xml names no sheet"));
    return sheets;
}

// The parts the workbook's relationships lead to: the first sheet's, and the
// shared strings' (empty when there are none).
struct WorkbookParts
{
    QString sheet;
    QString sharedStrings;
};

WorkbookParts findParts(const QByteArray &relationships, const QString &sheetId, const QString &fileName)
{
    const QString partName = QStringLiteral("xl/_rels/workbook.xml.rels");
    // Targets are relative to xl/ unless they start at the root.
    auto resolve = [](QStringView target) {
        return target.startsWith(u'/') ? target.mid(1).toString() : QStringLiteral("xl/") + target.toString();
    };
    WorkbookParts parts;
    QXmlStreamReader xml(relationships);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (attributes.value(QLatin1String("Id")) == sheetId)
            parts.sheet = resolve(attributes.value(QLatin1String("Target")));
        else if (attributes.value(QLatin1String("Type")).endsWith(u"/sharedStrings"))
            parts.sharedStrings = resolve(attributes.value(QLatin1String("Target")));
    }
    checkParsed(xml, partName, fileName);
    if (parts.sheet.isEmpty())
        damaged(fileName, QStringLiteral("%1 does not say where the first sheet is").arg(partName));
    return parts;
}

// A number as a spreadsheet shows it in a wide enough column: at most 15
// significant digits, never an exponent (4901234567894, not 4.90123E+12; 12345,
// not 12345.0). A value that is no number stays as it is.
QByteArray shownNumber(const QByteArray &value)
{
    const QByteArray text = value.trimmed();
    double number = 0;
    const auto [end, failure] = std::from_chars(text.begin(), text.end(), number);
    if (failure != std::errc() || end != text.end() || !std::isfinite(number))
        return value;
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::scientific, 14);
    std::string_view scientific(buffer, size_t(written.ptr - buffer));   // [-]d.dddddddddddddde[+-]xx
    const bool negative = scientific.front() == '-';
    if (negative)
        scientific.remove_prefix(1);
    const size_t e = scientific.find('e');
    int exponent = 0;
    std::from_chars(scientific.data() + e + 1 + (scientific[e + 1] == '+'), scientific.data() + scientific.size(),
                    exponent);
    std::string digits = std::string(1, scientific[0]) + std::string(scientific.substr(2, e - 2));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (digits == "0")
        return "0";
    const int point = exponent + 1;   // digits before the decimal point
    std::string shown;
    if (point <= 0)
        shown = "0." + std::string(size_t(-point), '0') + digits;
    else if (size_t(point) >= digits.size())
        shown = digits + std::string(size_t(point) - digits.size(), '0');
    else
        shown = digits.substr(0, size_t(point)) + '.' + digits.substr(size_t(point));
    return QByteArray::fromStdString(negative ? '-' + shown : shown);
}

// "AB12" -> column 27 (0-based), row 12; false when it is no cell reference.
bool parseReference(const QByteArray &reference, int &column, int &row)
{
    qsizetype i = 0;
    int col = 0;
    for (; i < reference.size() && std::isalpha(uchar(reference[i])); ++i) {
        col = col * 26 + (std::toupper(uchar(reference[i])) - 'A' + 1);
        if (col > MaxColumns)
            return false;
    }
    bool ok = false;
    const int r = reference.mid(i).toInt(&ok);
    if (i == 0 || !ok || r < 1 || r > MaxRows)
        return false;
    column = col - 1;
    row = r;
    return true;
}

struct Cell
{
    QByteArray text;   // UTF-8
    bool number = false;
    bool formula = false;
};

// The cell the reader is at (<c>), read to its end.
Cell readCell(XmlReader &xml, const SharedStrings &shared, const QString &partName, const QString &fileName)
{
    const QByteArray type = xml.attribute("t");
    Cell cell;
    QByteArray value;
    while (xml.readNextStartElement()) {
        if (xml.name() == "v") {
            value = xml.readElementText();
        } else if (xml.name() == "is") {
            value = readStringItem(xml);
        } else {
            cell.formula = cell.formula || xml.name() == "f";
            xml.skipCurrentElement();
        }
    }
    if (type == "s") {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= shared.size())
            damaged(fileName, QStringLiteral("%1, line %2: no shared string %3")
                                  .arg(partName)
                                  .arg(xml.lineNumber())
                                  .arg(QString::fromUtf8(value)));
        cell.text = shared.at(index);
    } else if (type == "b") {
        cell.text = value == "1" ? "TRUE" : "FALSE";
    } else if (type == "str") {
        cell.text = unescapeXstring(value);
    } else if (type == "inlineStr" || type == "e" || type == "d") {
        cell.text = value;
    } else if (!value.isEmpty()) {
        cell.text = shownNumber(value);
        cell.number = true;
    }
    return cell;
}

// The cells a row loses, joined with commas from the first column left out, as
// a text load shows what it leaves out. Only a warning quotes it, so it is cut
// short: a hostile sheet with a cell in its last column stays cheap.
struct LostCells
{
    static constexpr qsizetype MaxBytes = 256;
    QByteArray text;
    int commas = 0;
    // Adds a cell's text; offset is its column counted from the first one left out.
    void add(int offset, const QByteArray &cell)
    {
        if (text.size() >= MaxBytes)
            return;
        const int gap = offset > commas ? offset - commas : text.isEmpty() ? 0 : 1;
        text += QByteArray(std::min<qsizetype>(gap, MaxBytes), ',');
        text += cell.left(MaxBytes);
        commas += gap;
    }
};

}   // namespace

bool IsXlsxWorkbook(const QByteArray &bytes)
{
    return bytes.startsWith("PK\x03\x04") && ZipReader(bytes).contains(QStringLiteral("xl/workbook.xml"));
}

LoadWarnings ParseXlsxTable(const QByteArray &bytes, StringGrid &grid, const QString &fileName)
{
    const ZipReader zip(bytes);
    if (!zip.isOpen())
        damaged(fileName, QStringLiteral("no zip archive"));
    const SheetList sheets = readSheetList(part(zip, QStringLiteral("xl/workbook.xml"), fileName), fileName);
    const WorkbookParts parts = findParts(part(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), fileName),
                                          sheets.firstId, fileName);
    const SharedStrings shared = parts.sharedStrings.isEmpty() || !zip.contains(parts.sharedStrings)
                                     ? SharedStrings()
                                   : readSharedStrings(part(zip, parts.sharedStrings, fileName), parts.sharedStrings,
                                                       fileName);

    LoadWarnings warnings;
    warnings.laterSheets = sheets.count - 1;
    warnings.firstSheet = sheets.firstName;
    QList<QList<QByteArray>> records;   // rows 1..512, columns A and B
    // The rows that lose cells past column B or past row 512, in sheet order;
    // only the first one's cells are quoted, so only they are kept.
    QList<int> lostRows;
    LostCells firstLost;
    XmlReader xml(part(zip, parts.sheet, fileName));
    int row = 0, column = -1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == "row") {
            bool ok = true;
            const QByteArray r = xml.attribute("r");
            row = r.isEmpty() ? row + 1 : r.toInt(&ok);
            if (!ok || row < 1 || row > MaxRows)
                damaged(fileName, QStringLiteral("%1, line %2: no row %3")
                                      .arg(parts.sheet)
                                      .arg(xml.lineNumber())
                                      .arg(QString::fromUtf8(r)));
            column = -1;
            continue;
        }
        if (xml.name() != "c")
            continue;
        const QByteArray reference = xml.attribute("r");
        if (reference.isEmpty())
            ++column;
        else if (!parseReference(reference, column, row))
            damaged(fileName, QStringLiteral("%1, line %2: no cell %3")
                                  .arg(parts.sheet)
                                  .arg(xml.lineNumber())
                                  .arg(QString::fromUtf8(reference)));
        if (row < 1 || column >= MaxColumns)
            damaged(fileName,
                    QStringLiteral("%1, line %2: a cell outside any row").arg(parts.sheet).arg(xml.lineNumber()));
        const Cell cell = readCell(xml, shared, parts.sheet, fileName);
        const bool kept = row <= TableRowCount && column < 2;
        QByteArray bytesOfCell;
        if (kept) {
            if (cell.text.contains('\r') || cell.text.contains('\n'))
                throw OstrelError(QString::fromUtf8(Msg::SheetBreakInField).arg(fileName).arg(row).arg(column + 1));
            bytesOfCell = SheetFieldToCp932(cell.text, fileName, row, column + 1);
            if (cell.formula)
                warnings.formulas.add(row, bytesOfCell);
            if (cell.number && column == 1)
                warnings.numbers.add(row, bytesOfCell);
        }
        if (row <= TableRowCount && records.size() < row)
            records.resize(row);   // a row of the sheet fills its row of the table, lost cells or not
        if (kept) {
            QList<QByteArray> &fields = records[row - 1];
            if (fields.size() <= column)
                fields.resize(column + 1);
            fields[column] = bytesOfCell;
        } else if (!cell.text.isEmpty()) {
            if (lostRows.isEmpty() || lostRows.last() != row)
                lostRows.append(row);
            if (lostRows.first() == row)
                firstLost.add(row <= TableRowCount ? column - 2 : column, EncodeCp932(utf16(cell.text)));
        }
    }
    checkParsed(xml, parts.sheet, fileName);
    PutTableRecords(records, grid, warnings);
    if (!lostRows.isEmpty()) {
        if (warnings.leftOut.isEmpty())
            warnings.leftOut.firstText = firstLost.text;
        warnings.leftOut.lines += lostRows;
    }
    return warnings;
}
