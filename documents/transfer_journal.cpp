#include "documents/transfer_journal.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_log.h"
#include "documents/sheet_csv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryFile>
#include <zlib.h>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

constexpr char Bom[] = "\xEF\xBB\xBF";

// Appends bytes to the file at path in one write on a handle opened for
// appending only, which the system puts at the end whoever else writes: false
// when there is no such file yet. Raises the file error.
#ifdef Q_OS_WIN
[[noreturn]] void ThrowWindowsError(const QString &path, DWORD code)
{
    throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile)
                          .arg(QDir::toNativeSeparators(path), QStringLiteral("Windows error %1").arg(code)));
}

// Writes bytes in one call and closes the file; raises when not all went.
void WriteAndClose(HANDLE file, const QString &path, const QByteArray &bytes)
{
    DWORD written = 0;
    const bool wrote = WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
    const DWORD code = GetLastError();
    CloseHandle(file);
    if (!wrote || written != DWORD(bytes.size()))
        ThrowWindowsError(path, code);
}

bool AppendWhole(const QString &path, const QByteArray &bytes)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    // A file another writer is making is held unshared until its first lines
    // are in: wait for it a while.
    for (int attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
        file = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                           GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            break;
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)   // no file, or no folder yet
            return false;
        if (code != ERROR_SHARING_VIOLATION || attempt >= 500)
            ThrowWindowsError(path, code);
        Sleep(10);
    }
    // Appending alone is not one step everywhere (network shares, Wine): the
    // end is found and written under a lock of the whole file.
    OVERLAPPED whole{};
    LARGE_INTEGER none{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)
        || !SetFilePointerEx(file, none, nullptr, FILE_END)) {
        const DWORD code = GetLastError();
        CloseHandle(file);
        ThrowWindowsError(path, code);
    }
    WriteAndClose(file, path, bytes);   // closing lets the lock go
    return true;
}

// Makes the file holding bytes, no other writer opening it before they are
// in: false when it is there already.
bool CreateWhole(const QString &path, const QByteArray &bytes)
{
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                                    GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_EXISTS || code == ERROR_SHARING_VIOLATION)
            return false;
        ThrowWindowsError(path, code);
    }
    WriteAndClose(file, path, bytes);
    return true;
}
#else
bool AppendWhole(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return false;
        throw OstrelError(
            QString::fromUtf8(Msg::CannotWriteFile).arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    ssize_t written;
    do
        written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    while (written < 0 && errno == EINTR);
    const int code = errno;
    ::close(fd);
    if (written != bytes.size())
        throw OstrelError(
            QString::fromUtf8(Msg::CannotWriteFile)
                .arg(path, written < 0 ? QString::fromLocal8Bit(std::strerror(code))
                                       : QStringLiteral("only %1 of %2 bytes written").arg(written).arg(bytes.size())));
    return true;
}
// Makes the file holding bytes, no other writer opening it before they are
// in: written under a name of its own, then linked to its name, which fails
// when the name is taken (false then).
bool CreateWhole(const QString &path, const QByteArray &bytes)
{
    QTemporaryFile fresh(QFileInfo(path).absolutePath() + QStringLiteral("/transfers-XXXXXX.tmp"));
    if (!fresh.open() || fresh.write(bytes) != bytes.size() || !fresh.flush())
        throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile).arg(path, fresh.errorString()));
    if (::link(QFile::encodeName(fresh.fileName()).constData(), QFile::encodeName(path).constData()) == 0)
        return true;   // the temporary name goes with fresh
    if (errno == EEXIST)
        return false;
    throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile).arg(path, QString::fromLocal8Bit(std::strerror(errno))));
}
#endif

// A field of one line: line breaks would end the line, so they become blanks.
QByteArray Field(const QString &text)
{
    QString flat = text;
    flat.replace(u'\r', u' ').replace(u'\n', u' ');
    return SheetCsvField(flat.toUtf8());
}

QByteArray FieldsLine(const QStringList &fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i)
        line += (i ? "," : "") + Field(fields[i]);
    return line + "\r\n";
}

}   // namespace

QStringList TransferJournal::Columns()
{
    return {QStringLiteral("time"),          QStringLiteral("user"),  QStringLiteral("host"),
            QStringLiteral("operation"),     QStringLiteral("port"),  QStringLiteral("adapter"),
            QStringLiteral("serial number"), QStringLiteral("table"), QStringLiteral("CRC-32"),
            QStringLiteral("result"),        QStringLiteral("ms"),    QStringLiteral("backup")};
}

QString TransferJournal::Crc32(const QByteArray &image)
{
    if (image.isEmpty())
        return QString();
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(image.constData()),
                            uInt(image.size()));
    return QStringLiteral("%1").arg(quint32(crc), 8, 16, QLatin1Char('0')).toUpper();
}

QByteArray TransferJournal::Line(const TransferRecord &record, const QString &user, const QString &host)
{
    // With its offset from UTC, which local time alone leaves out.
    const QDateTime time = record.time.toOffsetFromUtc(record.time.offsetFromUtc());
    return FieldsLine({time.toString(Qt::ISODate), user, host, QString::fromLatin1(record.operation), record.link.port,
                       record.link.adapter, record.link.serialNumber, QDir::toNativeSeparators(record.table),
                       Crc32(record.image), record.result, QString::number(record.durationMs),
                       QDir::toNativeSeparators(record.backupFile)});
}

void TransferJournal::Append(const TransferRecord &record) const
{
    const QByteArray line = Line(record, UserName(), HostName());
    if (AppendWhole(m_path, line))
        return;
    // A new file is made whole, its head and first line at once, unless
    // another writer made it first: this line then follows theirs.
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile)
                              .arg(QDir::toNativeSeparators(m_path), QString::fromUtf8(Msg::CannotMakeFolder)));
    if (CreateWhole(m_path, Bom + FieldsLine(Columns()) + line))
        return;
    if (!AppendWhole(m_path, line))
        throw OstrelError(QString::fromUtf8(Msg::CannotWriteFile)
                              .arg(QDir::toNativeSeparators(m_path), QStringLiteral("the file went away as it was made")));
}

QString TransferJournal::DefaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QLatin1String(FileName));
}

void TransferJournal::AppendOrWarn(TransferRecord record, const QString &portChosen) const
{
    if (record.link.port.isEmpty())
        record.link.port = portChosen;
    try {
        Append(record);
    } catch (const OstrelError &e) {
        zered::LogPrint(zered::clWarning, Msg::JournalNotWritten, qUtf8Printable(e.message()));
    }
}

QList<QStringList> TransferJournal::Read() const
{
    QFile file(m_path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw OstrelError(
            QString::fromUtf8(Msg::CannotReadFile).arg(QDir::toNativeSeparators(m_path), file.errorString()));
    const QList<QList<QByteArray>> records = SheetCsvRecords(file.readAll(), m_path);
    QList<QStringList> lines;
    for (qsizetype i = 1; i < records.size(); ++i) {
        QStringList fields;
        for (const QByteArray &field : records[i])
            fields.append(QString::fromUtf8(field));
        lines.append(fields);
    }
    return lines;
}

QString TransferJournal::UserName()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("USERNAME");
#else
    if (const passwd *entry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
#endif
}

QString TransferJournal::HostName()
{
    return QSysInfo::machineHostName();
}
