#ifndef RESIDENTMEMORY_H
#define RESIDENTMEMORY_H

#include <QFile>

// This process's resident memory in megabytes, as Linux reports it.
inline double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

#endif // RESIDENTMEMORY_H
