#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What a file held when a document last read or wrote it: its size, its time
// and a hash of its bytes, so a change by another program shows even when the
// size stays or the time is not kept (copied back, a share's coarse clock).
struct FileStamp
{
    bool exists = false;
    qint64 size = -1;
    QDateTime modified;
    QByteArray hash;

    // The file as it is now; a missing or unreadable file has no stamp.
    static FileStamp Of(const QString &path);
    // The stamp of a file just written with bytes: the hash is of what was
    // written, so a change by someone else right after it still shows.
    static FileStamp Written(const QString &path, const QByteArray &bytes);

    // Both are stamps of files holding the same bytes.
    bool HoldsSameBytes(const FileStamp &other) const;
    // Other bytes than known holds. A file that is gone has not changed (a save
    // makes it again); a stamp that holds nothing knows of no file.
    bool ChangedSince(const FileStamp &known) const;
    // The time as the questions show it: "2026-12-09 06:12:03".
    QString TimeText() const;
};

// Whether two paths name the same file: links resolved, and on Windows letters
// compared without case. Paths of files that do not exist are compared cleaned.
bool SameFile(const QString &a, const QString &b);
