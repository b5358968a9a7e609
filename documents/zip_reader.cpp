#include "documents/zip_reader.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cstring>

namespace {

// minizip reads the archive through these, from the bytes in memory.
ZipReader::Source &sourceOf(voidpf opaque)
{
    return *static_cast<ZipReader::Source *>(opaque);
}

voidpf ZCALLBACK openArchive(voidpf opaque, const void *, int)
{
    return opaque;
}

uLong ZCALLBACK readArchive(voidpf opaque, voidpf, void *buffer, uLong size)
{
    ZipReader::Source &s = sourceOf(opaque);
    const qint64 n = std::clamp<qint64>(s.bytes->size() - s.position, 0, qint64(size));
    std::memcpy(buffer, s.bytes->constData() + s.position, size_t(n));
    s.position += n;
    return uLong(n);
}

uLong ZCALLBACK writeArchive(voidpf, voidpf, const void *, uLong)
{
    return 0;   // read only
}

ZPOS64_T ZCALLBACK tellArchive(voidpf opaque, voidpf)
{
    return ZPOS64_T(sourceOf(opaque).position);
}

long ZCALLBACK seekArchive(voidpf opaque, voidpf, ZPOS64_T offset, int origin)
{
    ZipReader::Source &s = sourceOf(opaque);
    const qint64 base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? s.position
                        : origin == ZLIB_FILEFUNC_SEEK_END ? s.bytes->size()
                                                           : 0;
    const qint64 target = base + qint64(offset);
    if (offset > ZPOS64_T(s.bytes->size()) || target < 0 || target > s.bytes->size())
        return -1;
    s.position = target;
    return 0;
}

int ZCALLBACK closeArchive(voidpf, voidpf)
{
    return 0;
}

int ZCALLBACK archiveError(voidpf, voidpf)
{
    return 0;
}

}   // namespace

ZipReader::ZipReader(const QByteArray &archive) : m_source{&archive, 0}
{
    zlib_filefunc64_def functions{};
    functions.zopen64_file = openArchive;
    functions.zread_file = readArchive;
    functions.zwrite_file = writeArchive;
    functions.ztell64_file = tellArchive;
    functions.zseek64_file = seekArchive;
    functions.zclose_file = closeArchive;
    functions.zerror_file = archiveError;
    functions.opaque = &m_source;
    m_zip = unzOpen2_64("", &functions);
}

ZipReader::~ZipReader()
{
    if (m_zip)
        unzClose(m_zip);
}

bool ZipReader::contains(const QString &name) const
{
    return m_zip && unzLocateFile(m_zip, name.toUtf8().constData(), 2) == UNZ_OK;
}

QByteArray ZipReader::read(const QString &name, qint64 maxBytes, QString &error) const
{
    if (!contains(name)) {
        error = QStringLiteral("%1 is missing").arg(name);
        return QByteArray();
    }
    if (unzOpenCurrentFile(m_zip) != UNZ_OK) {
        error = QStringLiteral("%1 cannot be unpacked").arg(name);
        return QByteArray();
    }
    // The sizes an archive states may lie: read in blocks up to the limit.
    QByteArray bytes;
    constexpr int block = 1 << 16;
    for (;;) {
        const qsizetype old = bytes.size();
        bytes.resize(old + block);
        const int n = unzReadCurrentFile(m_zip, bytes.data() + old, block);
        if (n < 0) {
            error = QStringLiteral("%1 is damaged").arg(name);
            bytes.clear();
            break;
        }
        bytes.resize(old + n);
        if (n == 0)
            break;
        if (bytes.size() > maxBytes) {
            error = QStringLiteral("%1 unpacks to more than %2 bytes").arg(name).arg(maxBytes);
            bytes.clear();
            break;
        }
    }
    // A wrong checksum shows only at the close.
    if (unzCloseCurrentFile(m_zip) != UNZ_OK && error.isEmpty()) {
        error = QStringLiteral("%1 is damaged").arg(name);
        bytes.clear();
    }
    return bytes;
}
