#ifndef PEAKMEMORY_H
#define PEAKMEMORY_H

#include <QByteArray>
#include <QFile>
#include <QString>

// The most memory this process has held resident so far, in bytes; -1 where /proc does not tell.
inline long long peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

#endif // PEAKMEMORY_H
