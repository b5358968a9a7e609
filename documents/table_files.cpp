#include "documents/table_files.h"

#include "common/codepage.h"
#include "common/delimited_text.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "documents/string_grid.h"
#include "documents/table_image.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>
#include <cstring>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

bool isBlank(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x01 && b <= 0x20;
}

// Counts the line ends in bytes as SplitTextLines sees them (CR LF, lone CR,
// lone LF); afterCr carries a CR at the end of one block over to the next.
qint64 CountLineEnds(const char *bytes, qint64 size, bool &afterCr)
{
    qint64 ends = 0;
    for (qint64 i = 0; i < size; ++i) {
        if (bytes[i] == '\r')
            ++ends;
        else if (bytes[i] == '\n' && !afterCr)
            ++ends;
        afterCr = bytes[i] == '\r';
    }
    return ends;
}

bool needsQuotes(const QByteArray &field)
{
    for (char c : field)
        if (isBlank(c) || c == '"' || c == '\'' || c == ',')
            return true;
    return false;
}

} // namespace

QList<QByteArray> SplitTextLines(const QByteArray &text)
{
    const char *p = text.constData();
    const char *nul = static_cast<const char *>(std::memchr(p, 0x00, text.size()));
    const char *end = nul ? nul : p + text.size();
    QList<QByteArray> lines;
    const char *start = p;
    for (const char *q = p; q < end; ++q) {
        if (*q != '\r' && *q != '\n')
            continue;
        lines.append(QByteArray(start, q - start));
        if (*q == '\r' && q + 1 < end && q[1] == '\n')
            ++q;
        start = q + 1;
    }
    if (start < end)
        lines.append(QByteArray(start, end - start));
    return lines;
}

namespace {

// A double-byte CP932 character is one step: its second byte may look like a separator.
struct Cp932Steps
{
    qsizetype operator()(const char *text, qsizetype i, qsizetype n) const
    {
        return i + 1 < n && IsCp932LeadByte(uchar(text[i])) && IsCp932TrailByte(uchar(text[i + 1])) ? 2 : 1;
    }
};

// The fields of one line, and whether a quote was left open.
struct LineSink : DelimitedSinkDefaults
{
    RecordFields fields;
    bool leftOpen = false;
    void field(const char *text, qsizetype size) { fields.add(QByteArrayView(text, size)); }
    void unclosed(const char *, qsizetype) { leftOpen = true; }
};

}   // namespace

QList<QByteArray> ParseCommaLine(const QByteArray &line, char separator, bool *unclosed, int keptFields)
{
    LineSink sink{{}, RecordFields(keptFields)};
    DelimitedRules rules;
    rules.separator = char16_t(uchar(separator));
    rules.blanksAroundFields = true;
    ReadDelimited(line.constData(), line.size(), rules, sink, Cp932Steps{});
    if (unclosed && sink.leftOpen)
        *unclosed = true;
    return sink.fields.take();
}

void RecordFields::add(QByteArrayView field)
{
    const bool kept = m_kept < 0 || m_count < m_kept;
    ++m_count;
    if (kept) {
        m_fields.append(field.toByteArray());
        return;
    }
    if (m_rest.size() < LeftOutBytes) {
        if (m_count > m_kept + 1)
            m_rest += ',';
        m_rest += field.first(std::min(field.size(), LeftOutBytes));
        m_rest.truncate(LeftOutBytes);
    }
    m_restHasText = m_restHasText || !field.isEmpty();
}

QList<QByteArray> RecordFields::take()
{
    QList<QByteArray> fields = std::move(m_fields);
    if (m_kept >= 0 && m_count > m_kept)
        fields.append(m_restHasText ? m_rest : QByteArray());
    m_fields.clear();
    m_rest.clear();
    m_restHasText = false;
    m_count = 0;
    return fields;
}

QByteArray QuoteField(const QByteArray &field)
{
    if (!needsQuotes(field))
        return field;
    QByteArray quoted;
    quoted.reserve(field.size() + 2);
    quoted += '"';
    for (char c : field) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    quoted += '"';
    return quoted;
}

void CheckFieldWritable(const QByteArray &field, const QString &fileName, int row)
{
    if (field.contains('\r') || field.contains('\n'))
        throw OstrelError(QString::fromUtf8(Msg::LineBreakInField).arg(fileName).arg(row));
    if (field.contains('\0'))
        throw OstrelError(QString::fromUtf8(Msg::NulByteInField).arg(fileName).arg(row));
}

QByteArray FormatTextTable(const StringGrid &grid, const QString &fileName)
{
    QByteArray text;
    text.reserve(TableRowCount * 16);
    for (int row = 1; row <= TableRowCount; ++row) {
        for (int col : {ConvStrColumn, BarcodeColumn}) {
            const QByteArray &field = grid.cell(col, row);
            CheckFieldWritable(field, fileName, row);
            if (col == BarcodeColumn)
                text += ',';
            text += QuoteField(field);
        }
        text += "\r\n";
    }
    return text;
}

QString QuoteLost(const QByteArray &bytes)
{
    constexpr qsizetype quoted = 60;
    QString text = DecodeCp932(bytes.left(quoted * 2));
    if (text.size() > quoted || bytes.size() > quoted * 2)
        text = text.left(quoted - 1) + u'\u2026';
    for (QChar &c : text)
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());   // the control picture: ␀, ␉, ...
    return text;
}

QStringList LoadWarnings::lines(const QString &fileName) const
{
    QStringList out;
    if (imageBytes > TableImageSize)
        out.append(QString::fromUtf8(Msg::ImageLongerThanTable)
                       .arg(fileName)
                       .arg(imageBytes)
                       .arg(imageBytes - TableImageSize));
    if (laterSheets > 0)
        out.append(QString::fromUtf8(Msg::XlsxOtherSheets).arg(fileName, firstSheet).arg(laterSheets));
    auto add = [&](const char *message, const LineTrouble &trouble) {
        if (!trouble.isEmpty())
            out.append(QString::fromUtf8(message)
                           .arg(fileName)
                           .arg(trouble.lines.size())
                           .arg(trouble.lines.first())
                           .arg(QuoteLost(trouble.firstText)));
    };
    if (!nul.isEmpty())
        out.append(
            QString::fromUtf8(Msg::TextEndsAtNul).arg(fileName).arg(nul.lines.first()).arg(QuoteLost(nul.firstText)));
    add(Msg::TextUnclosedQuote, unclosed);
    add(Msg::TextLeftOut, leftOut);
    // The rows, as many as a line can name.
    auto rows = [](const LineTrouble &trouble) {
        constexpr qsizetype named = 10;
        QList<int> distinct = trouble.lines;
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        QStringList numbers;
        for (qsizetype i = 0; i < std::min(named, distinct.size()); ++i)
            numbers.append(QString::number(distinct[i]));
        return (distinct.size() == 1 ? u"row "_qs : u"rows "_qs) + numbers.join(u", ")
               + (distinct.size() > named ? u", \u2026"_qs : QString());
    };
    for (const auto &[message, trouble] :
         {std::pair{Msg::XlsxNumbers, &numbers}, std::pair{Msg::XlsxFormulas, &formulas}})
        if (!trouble->isEmpty())
            out.append(QString::fromUtf8(message).arg(fileName).arg(trouble->lines.size()).arg(rows(*trouble)));
    return out;
}

void PutTableRecords(const QList<QList<QByteArray>> &records, StringGrid &grid, LoadWarnings &warnings)
{
    const int count = int(std::min<qsizetype>(records.size(), TableRowCount));
    for (int row = 1; row <= count; ++row) {
        const QList<QByteArray> &fields = records[row - 1];
        grid.setCell(NumberColumn, row, RowNumberText(row));
        grid.setCell(ConvStrColumn, row, fields.value(0));
        grid.setCell(BarcodeColumn, row, fields.value(1));
    }
    for (qsizetype i = 0; i < records.size(); ++i) {
        const QList<QByteArray> &fields = records[i];
        const QList<QByteArray> lost = i < TableRowCount ? fields.mid(2) : fields;
        if (!std::all_of(lost.begin(), lost.end(), [](const QByteArray &f) { return f.isEmpty(); }))
            warnings.leftOut.add(int(i + 1), lost.join(','));
    }
}

LoadWarnings ParseTextTable(const QList<QByteArray> &lines, StringGrid &grid)
{
    LoadWarnings warnings;
    QList<QList<QByteArray>> records;
    records.reserve(lines.size());
    for (const QByteArray &line : lines) {
        bool unclosed = false;
        records.append(ParseCommaLine(line, ',', &unclosed, 2));
        if (unclosed && records.size() <= TableRowCount)
            warnings.unclosed.add(int(records.size()), line);
    }
    PutTableRecords(records, grid, warnings);
    return warnings;
}

void NoteNulByte(const QByteArray &text, LoadWarnings &warnings)
{
    const qsizetype nul = text.indexOf('\0');
    if (nul < 0)
        return;
    bool afterCr = false;
    const qint64 line = CountLineEnds(text.constData(), nul, afterCr) + 1;
    if (line > TableRowCount)
        return;   // the lines past the table are left out anyway
    qsizetype end = nul;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    warnings.nul.add(int(line), text.mid(nul + 1, end - nul - 1));
}

namespace {

void openForReading(QFile &file)
{
    const QFileInfo info(file.fileName());
    if (info.isDir())
        throw OstrelError(QString::fromUtf8(Msg::NotAFile).arg(file.fileName()));
    // Opening a named pipe would wait for a writer, and a device may never end.
    if (info.exists() && !info.isFile())
        throw OstrelError(QString::fromUtf8(Msg::NotARegularFile).arg(file.fileName()));
    if (!file.open(QIODevice::ReadOnly))
        throw OstrelError(QString::fromUtf8(Msg::CannotOpenFile).arg(file.fileName(), file.errorString()));
}

[[noreturn]] void readFailed(const QFile &file)
{
    throw OstrelError(QString::fromUtf8(Msg::CannotReadFile).arg(file.fileName(), file.errorString()));
}

} // namespace

QByteArray ReadTextFile(const QString &fileName)
{
    QFile file(fileName);
    openForReading(file);
    // Read in blocks up to the first 0x00, which ends the text, or the end of
    // the one line past the table.
    constexpr qint64 blockSize = 1 << 16;
    constexpr qint64 linesWanted = TableRowCount + 1;
    QByteArray text;
    // Room for all of it at once: growing by blocks could leave twice the bytes allocated.
    text.reserve(std::min(file.size(), MaxTextFileBytes) + blockSize);
    qint64 lineEnds = 0;
    bool afterCr = false;
    for (;;) {
        if (text.size() >= MaxTextFileBytes)
            throw OstrelError(
                QString::fromUtf8(Msg::TextFileTooLong).arg(fileName).arg(MaxTextFileBytes).arg(linesWanted));
        const qsizetype old = text.size();
        text.resize(old + blockSize);
        const qint64 n = file.read(text.data() + old, blockSize);
        if (n < 0)
            readFailed(file);
        text.resize(old + n);
        if (n == 0 || std::memchr(text.constData() + old, 0x00, n))
            return text;
        lineEnds += CountLineEnds(text.constData() + old, n, afterCr);
        if (lineEnds >= linesWanted)
            return text;
    }
}

QByteArray ReadFileHead(const QString &fileName, qint64 maxBytes)
{
    QFile file(fileName);
    openForReading(file);
    QByteArray bytes(maxBytes, Qt::Uninitialized);
    qint64 got = 0;
    while (got < maxBytes) {
        const qint64 n = file.read(bytes.data() + got, maxBytes - got);
        if (n < 0)
            readFailed(file);
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

bool WriteAll(QIODevice &device, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = device.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QString TemporarySaveName(const QString &fileName)
{
    return fileName + QStringLiteral(".ostrel-save");
}

namespace {

// A save killed between its steps leaves its temporary files; they are ours
// by name, and only a save of the same target looks at them.
void RemoveStaleTemporaries(const QString &target)
{
    const QFileInfo finished(TemporarySaveName(target));
    const QRegularExpression ours(u'^' + QRegularExpression::escape(finished.fileName())
                                  + QStringLiteral("(\\.[A-Za-z0-9]{6})?$"));
    const QDir folder = finished.dir();
    for (const QString &name : folder.entryList({finished.fileName() + u'*'}, QDir::Files | QDir::Hidden | QDir::System)) {
        if (ours.match(name).hasMatch())
            QFile::remove(folder.filePath(name));
    }
}

// Replaces target by source in one step, as the file system allows.
bool ReplaceFile(const QString &source, const QString &target)
{
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(source).utf16()),
                       reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(target).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    return ::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0;
#endif
}

// Whether this process may write path (the effective user counts).
bool MayWrite(const QString &path)
{
#ifdef Q_OS_WIN
    return QFileInfo(path).isWritable();
#else
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
#endif
}

void WriteDirectly(const QString &fileName, const std::function<void(QIODevice &)> &write)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw OstrelError(QString::fromUtf8(Msg::CannotOpenFile).arg(fileName, file.errorString()));
    write(file);
    if (!file.flush())
        throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile).arg(fileName, file.errorString()));
}

} // namespace

void WriteFileSafely(const QString &fileName, const std::function<void(QIODevice &)> &write)
{
    const QFileInfo info(fileName);
    if (info.isDir())
        throw OstrelError(QString::fromUtf8(Msg::NotAFile).arg(fileName));
    if (info.exists() && !info.isFile()) {
        // Renaming over a device or pipe would replace it; write into it instead.
        WriteDirectly(fileName, write);
        return;
    }
    // A link stays a link: the file it leads to is replaced.
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : fileName;
    const QFileInfo targetInfo(target);
    RemoveStaleTemporaries(target);

    // Unbuffered: a buffered QSaveFile commits a file cut short by a full disk
    // without noticing; unbuffered, the short write itself shows.
    const QString temporary = TemporarySaveName(target);
    QSaveFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // Only a folder that refuses new files; a full disk must not cost the old file.
        if (targetInfo.exists() && !MayWrite(targetInfo.path()) && MayWrite(target)) {
            WriteDirectly(target, write);
            zered::LogPrint(zered::clMagenta, Msg::SavedInPlace, qUtf8Printable(target));
            return;
        }
        throw OstrelError(QString::fromUtf8(Msg::CannotOpenFile).arg(fileName, file.errorString()));
    }
    if (targetInfo.exists())
        file.setPermissions(targetInfo.permissions());
    write(file);   // an error here drops the temporary file with the QSaveFile
    if (!file.commit())
        throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile).arg(fileName, file.errorString()));
    if (!ReplaceFile(temporary, target)) {
        const QString reason = qt_error_string();
        QFile::remove(temporary);
        throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile).arg(fileName, reason));
    }
}
