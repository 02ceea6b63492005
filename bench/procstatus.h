#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace benchsupport {

// The resident set (VmRSS) or its peak (VmHWM) in bytes, from /proc/self/status.
inline qint64 statusBytes(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

// Makes the peak start again from the present resident set.
inline bool resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

} // namespace benchsupport
