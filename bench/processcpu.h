#pragma once

// The CPU time of a process, for benchmarks that judge its share of a core:
// from the scheduler's nanosecond counters of each of its threads, not from
// the clock ticks of /proc/<pid>/stat, which count in steps of 10 ms and so
// cannot tell 0.1 % from nothing over a few seconds.
#include <QDir>
#include <QFile>
#include <QStringList>

namespace tavrin::bench {

// The time thread `tid` of process `pid` has spent on a CPU, in seconds; 0
// when it cannot be read (the thread has ended).
inline double threadCpuSeconds(qint64 pid, const QString& tid)
{
    QFile f(QStringLiteral("/proc/%1/task/%2/schedstat").arg(pid).arg(tid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    // "<ns on a CPU> <ns waiting for one> <time slices>"
    return double(f.readAll().split(' ').value(0).toLongLong()) / 1e9;
}

// How many times thread `tid` of process `pid` has been put on a CPU (each
// wake-up at least once); 0 when it cannot be read.
inline double threadRuns(qint64 pid, const QString& tid)
{
    QFile f(QStringLiteral("/proc/%1/task/%2/schedstat").arg(pid).arg(tid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().trimmed().split(' ').value(2).toDouble();
}

// The same summed over all threads of process `pid`.
inline double runs(qint64 pid)
{
    double total = 0;
    for (const QString& tid :
         QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        total += threadRuns(pid, tid);
    return total;
}

// The time all threads of process `pid` have spent on a CPU, in seconds; 0
// when it cannot be read. Threads that have ended no longer count: compare
// two readings over a time in which the program keeps its threads (Qt's pool
// threads linger 30 s after their last work).
inline double cpuSeconds(qint64 pid)
{
    const QStringList threads =
        QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    double total = 0;
    for (const QString& tid : threads)
        total += threadCpuSeconds(pid, tid);
    return total;
}

} // namespace tavrin::bench
