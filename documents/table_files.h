#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

class QIODevice;
class StringGrid;

// The comma-separated text dialect of table files.

// Lines end at CR LF, lone CR or lone LF; a last line without an end still counts;
// a 0x00 byte ends the text.
QList<QByteArray> SplitTextLines(const QByteArray &text);
// The fields of one line. Bytes 0x01-0x20 are blanks around fields; a double-byte
// CP932 character is one step, so its second byte never separates or quotes.
// unclosed, when given, is set when a quote is never closed (the field ran to the end).
// With keptFields >= 0, the fields after the first keptFields come back as one,
// comma-joined and cut to LeftOutBytes (empty when they all are), so a line of
// millions of fields costs no more than its own bytes.
QList<QByteArray> ParseCommaLine(const QByteArray &line, char separator = ',', bool *unclosed = nullptr,
                                 int keptFields = -1);
// As much of a left-out text as a warning can quote.
inline constexpr qsizetype LeftOutBytes = 256;
// The fields of one record as a reader finds them: with kept >= 0 the first
// kept ones, then the rest as one field as ParseCommaLine says.
class RecordFields
{
public:
    explicit RecordFields(int kept = -1) : m_kept(kept) {}
    void add(QByteArrayView field);
    int count() const { return m_count; }   // fields added so far
    // The fields, leaving this empty for the next record.
    QList<QByteArray> take();

private:
    int m_kept;
    int m_count = 0;
    QList<QByteArray> m_fields;
    QByteArray m_rest;
    bool m_restHasText = false;
};
// A field as the writer puts it on a line: in double quotes (inner quotes doubled)
// when it holds a blank (0x01-0x20), a double quote, an apostrophe or a comma.
QByteArray QuoteField(const QByteArray &field);

// Raises, naming the file and row, when a field holds a line break or a 0x00
// byte, which no text file can carry.
void CheckFieldWritable(const QByteArray &field, const QString &fileName, int row);

// The text file of rows 1..512 of grid: "conv,bar" lines, each ending in CR LF.
// Raises OstrelError naming fileName and the row when a field holds CR, LF or 0x00,
// which the format cannot carry.
QByteArray FormatTextTable(const StringGrid &grid, const QString &fileName);
// Lines (or rows) of a file that one kind of trouble touched: their numbers
// and the text of the first, as the table's bytes.
struct LineTrouble
{
    QList<int> lines;   // 1-based, in file order
    QByteArray firstText;
    void add(int line, const QByteArray &text)
    {
        if (lines.isEmpty())
            firstText = text;
        lines.append(line);
    }
    bool isEmpty() const { return lines.isEmpty(); }
};
// What a load read but could not keep as the file had it; each kind that
// happened is one warning line, logged after the load's own line.
struct LoadWarnings
{
    LineTrouble leftOut;   // fields past the second, records past the 512th
    LineTrouble unclosed;   // a quote that never closes: the field ran to the end
    LineTrouble nul;   // a 0x00 byte ended the text there; text is what followed it
    LineTrouble numbers;   // bar codes a workbook stored as numbers
    LineTrouble formulas;   // cells a workbook computes; their last value was read
    qint64 imageBytes = 0;   // a binary file longer than an image: its size
    int laterSheets = 0;   // a workbook's sheets after the first, which is read
    QString firstSheet;   // the name of that first sheet
    QStringList lines(const QString &fileName) const;
};
// A lost text as a warning quotes it: decoded, control characters made visible,
// at most 60 characters.
QString QuoteLost(const QByteArray &bytes);
// Puts records (at most 512) into rows 1.. of grid: number, first field, second
// field; what does not fit is noted in warnings.leftOut.
void PutTableRecords(const QList<QList<QByteArray>> &records, StringGrid &grid, LoadWarnings &warnings);
// The lines of a text file, each parsed in the comma dialect, put into grid.
LoadWarnings ParseTextTable(const QList<QByteArray> &lines, StringGrid &grid);
// Notes in warnings.nul where a 0x00 byte ends text (SplitTextLines stops
// there), when that is inside the table's 512 lines.
void NoteNulByte(const QByteArray &text, LoadWarnings &warnings);

// File layer; every failure raises OstrelError with a message naming the file.
// Only regular files are read (a pipe or device could block or never end).
// The text of a file up to its first 0x00 byte, but no further than the end of
// line 513 (a table uses 512; one more shows whether text was left out).
// Raises when that takes more than MaxTextFileBytes.
inline constexpr qint64 MaxTextFileBytes = 16 * 1024 * 1024;
QByteArray ReadTextFile(const QString &fileName);
// Up to maxBytes from the start of a file.
QByteArray ReadFileHead(const QString &fileName, qint64 maxBytes);
// Writes all of bytes, going on after a short write until the device fails
// (its errorString then says why); false when not all went out.
bool WriteAll(QIODevice &device, const QByteArray &bytes);
// Writes through a temporary file beside the target (TemporarySaveName), renamed
// over it, so a failed write leaves the old file as it was; temporary files of
// an earlier save of the same target that was killed are removed first. A target
// that exists but is no regular file (a device, a pipe) is written directly; so
// is a writable file whose folder cannot take a temporary file, with a log line.
// write gets the open, unbuffered device and raises on a short write.
void WriteFileSafely(const QString &fileName, const std::function<void(QIODevice &)> &write);
// The name of the finished temporary file of a save of fileName; while it is
// written it may also be that name plus "." and six letters or digits.
QString TemporarySaveName(const QString &fileName);
