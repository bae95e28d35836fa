#ifndef FILEBYTES_H
#define FILEBYTES_H

#include <QByteArray>
#include <QFile>
#include <QString>

// Local files as bytes, for stating what must be on the disk byte for byte.

inline QByteArray readFile(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The 256 byte values in order, for files that must come through unchanged.
inline QByteArray allByteValues()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(char(value));
    return bytes;
}

// UTF-16 bytes of UTF-8 text, in this machine's (little-endian) byte order.
inline QByteArray utf16le(const char *utf8)
{
    const QString text = QString::fromUtf8(utf8);
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

#endif // FILEBYTES_H
