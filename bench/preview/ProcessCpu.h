#pragma once

// Processor time of a process (all its threads) from /proc, in seconds.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <unistd.h>

namespace bench {

// utime + stime of /proc/<pid>/stat; pid 0 reads this process. -1 when the
// process is gone.
inline double processCpuSeconds(qint64 pid = 0)
{
    QFile file(pid == 0 ? QStringLiteral("/proc/self/stat") : QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1.0;
    const QByteArray stat = file.readAll();
    // The command name is in parentheses and may hold blanks: count fields
    // from the last ')'. utime and stime are fields 14 and 15 of the line.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return -1.0;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 13)
        return -1.0;
    const double ticks = double(fields.at(11).toLongLong() + fields.at(12).toLongLong());
    return ticks / double(sysconf(_SC_CLK_TCK));
}

} // namespace bench
