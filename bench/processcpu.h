#pragma once

// The CPU time of a process, for benchmarks that judge its share of a core:
// from the scheduler's nanosecond counters of each of its threads, not from
// the clock ticks of /proc/<pid>/stat, which count in steps of 10 ms and so
// cannot tell 0.1 % from nothing over a few seconds.
#include <QDir>
#include <QFile>
#include <QHash>
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

// What each thread of process `pid` has done so far, by thread id: its
// time on a CPU in seconds and how many times it has been put on one.
struct Threads {
    QHash<QString, double> cpu;
    QHash<QString, double> runs;
};

inline Threads threads(qint64 pid)
{
    Threads t;
    for (const QString& tid :
         QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        t.cpu.insert(tid, threadCpuSeconds(pid, tid));
        t.runs.insert(tid, threadRuns(pid, tid));
    }
    return t;
}

// The time all threads of process `pid` have spent on a CPU since `before`,
// in seconds, and how many times they were put on one. A thread that has
// ended since counts nothing (what it did after `before` can no longer be
// read; Qt's pool threads end 30 s after their last work, having done
// nothing since), one that started counts all it did.
inline double cpuSince(qint64 pid, const Threads& before)
{
    const Threads now = threads(pid);
    double total = 0;
    for (auto it = now.cpu.begin(); it != now.cpu.end(); ++it)
        total += it.value() - before.cpu.value(it.key(), 0);
    return total;
}

inline double runsSince(qint64 pid, const Threads& before)
{
    const Threads now = threads(pid);
    double total = 0;
    for (auto it = now.runs.begin(); it != now.runs.end(); ++it)
        total += it.value() - before.runs.value(it.key(), 0);
    return total;
}

} // namespace tavrin::bench
