#pragma once

#include <QByteArray>
#include <QString>

// A zip archive held in memory, read through minizip: its entries by name.
class ZipReader
{
public:
    explicit ZipReader(const QByteArray &archive);
    ~ZipReader();
    ZipReader(const ZipReader &) = delete;
    ZipReader &operator=(const ZipReader &) = delete;

    // False when the bytes are no zip archive minizip can read.
    bool isOpen() const { return m_zip != nullptr; }
    bool contains(const QString &name) const;
    // The unpacked bytes of an entry (names compared without case). Empty with
    // error set when it is missing, damaged or unpacks to more than maxBytes.
    QByteArray read(const QString &name, qint64 maxBytes, QString &error) const;

    // Where minizip reads: the archive and the place in it.
    struct Source
    {
        const QByteArray *bytes;
        qint64 position;
    };

private:
    Source m_source;
    void *m_zip = nullptr;
};
