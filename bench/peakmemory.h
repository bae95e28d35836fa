#ifndef PEAKMEMORY_H
#define PEAKMEMORY_H

#include <QByteArray>
#include <QFile>
#include <QString>

// A size /proc/self/status gives (as "VmHWM:"), in bytes; -1 where it does not tell.
inline long long statusBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

// The most memory this process has held resident so far, in bytes; -1 where /proc does not tell.
inline long long peakResidentBytes()
{
    return statusBytes("VmHWM:");
}

// The memory this process holds resident now.
inline long long residentBytes()
{
    return statusBytes("VmRSS:");
}

#endif // PEAKMEMORY_H
