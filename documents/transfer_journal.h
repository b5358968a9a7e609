#pragma once

#include "device/port_identity.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The steps a journal line names.
namespace JournalOperation {
inline constexpr char Receive[] = "receive", Send[] = "send", Backup[] = "backup", ReadBack[] = "read-back",
                      Compare[] = "compare";
}   // namespace JournalOperation

// The result of a step that went through.
inline constexpr char JournalOk[] = "ok";

// One finished step of a transfer.
struct TransferRecord
{
    QDateTime time;   // when it started, local time
    const char *operation = JournalOperation::Receive;
    PortIdentity link;
    QString table;   // the table file, or the window without one
    QByteArray image;   // the 65,536 bytes moved; empty when none were
    QString result = QString::fromLatin1(JournalOk);   // "ok" or the error's message
    qint64 durationMs = 0;
    QString backupFile;
};

// transfers.csv, one line per finished step, as a spreadsheet reads it (CSV,
// UTF-8 with a byte order mark). Each line goes to the end of the file in one
// write on a file opened for appending, so lines that several transfers
// (threads or processes) write at once never mix.
class TransferJournal
{
public:
    static constexpr char FileName[] = "transfers.csv";

    explicit TransferJournal(QString path) : m_path(std::move(path)) {}
    const QString &path() const { return m_path; }
    // transfers.csv in the user's data folder, beside the send's backups.
    static QString DefaultPath();

    // The column names, as the file's first line holds them.
    static QStringList Columns();
    // The record's line, ended by CR LF, as written by user on host.
    static QByteArray Line(const TransferRecord &record, const QString &user, const QString &host);
    // 8 hex digits, zlib's CRC-32 of image; empty for no image.
    static QString Crc32(const QByteArray &image);
    // Appends the record's line; a new file (and its folder) is made with
    // the byte order mark and the column names first. Raises the file error.
    void Append(const TransferRecord &record) const;
    // Append for a transfer that has ended: a journal that cannot be written
    // does not make it fail, so the error is logged as a warning instead. A
    // record of a port that never opened names the port as it was chosen.
    void AppendOrWarn(TransferRecord record, const QString &portChosen) const;
    // The lines' fields, oldest first, the column names left out; none for a
    // missing file. Raises the file error when it cannot be read.
    QList<QStringList> Read() const;

    static QString UserName();
    static QString HostName();

private:
    QString m_path;
};
