#pragma once

// The CPU time of another process, for benchmarks that run the built program
// and judge its share of a core.
#include <QFile>
#include <QList>
#include <unistd.h>

namespace tavrin::bench {

// User and system time process `pid` has taken, in seconds; 0 when it cannot
// be read.
inline double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    // The fields after the command name, which may hold spaces and brackets.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(::sysconf(_SC_CLK_TCK));
}

} // namespace tavrin::bench
