#include "documents/file_stamp.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Fast enough to stamp a file at the size cap in a few tens of milliseconds.
constexpr auto HashKind = QCryptographicHash::Blake2b_256;

QString Identity(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

}   // namespace

FileStamp FileStamp::Of(const QString &path)
{
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(HashKind);
    if (!hash.addData(&file))
        return {};
    return {true, info.size(), info.lastModified(), hash.result()};
}

FileStamp FileStamp::Written(const QString &path, const QByteArray &bytes)
{
    return {true, bytes.size(), QFileInfo(path).lastModified(), QCryptographicHash::hash(bytes, HashKind)};
}

bool FileStamp::HoldsSameBytes(const FileStamp &other) const
{
    return exists && other.exists && size == other.size && hash == other.hash;
}

bool FileStamp::ChangedSince(const FileStamp &known) const
{
    return exists && known.exists && !HoldsSameBytes(known);
}

QString FileStamp::TimeText() const
{
    return modified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool SameFile(const QString &a, const QString &b)
{
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity letters = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity letters = Qt::CaseSensitive;
#endif
    return QString::compare(Identity(a), Identity(b), letters) == 0;
}
