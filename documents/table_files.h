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
QList<QByteArray> ParseCommaLine(const QByteArray &line, char separator = ',');
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
// Text a load could not put into the table (fields past the second, records past
// the 512th): how many records lost some, and the first of them.
struct LeftOutText
{
    int records = 0;
    int firstRecord = 0;        // 1-based line or row of the file
    QByteArray firstText;       // its left-out fields, comma-joined
    // The one warning line that says so; empty when nothing was left out.
    QString warning(const QString &fileName) const;
};
// Puts records (at most 512) into rows 1.. of grid: number, first field, second field.
LeftOutText PutTableRecords(const QList<QList<QByteArray>> &records, StringGrid &grid);
// The same for the lines of a text file, each parsed in the comma dialect.
LeftOutText ParseTextTable(const QList<QByteArray> &lines, StringGrid &grid);

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
