#include "platform/linux/terminalfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

namespace tavrin::TerminalFolder {

namespace {

struct Stat {
    int pid = 0;
    QString command;
    int parent = 0;
    int group = 0;
    int foregroundGroup = 0; // of its terminal device
};

// /proc/<pid>/stat: "pid (command) state ppid pgrp session tty_nr tpgid …";
// the command may hold spaces and parentheses, so it ends at the last ')'.
std::optional<Stat> statOf(const QString& pid)
{
    QFile file(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = file.readAll();
    const qsizetype open = line.indexOf('('), close = line.lastIndexOf(')');
    if (open < 0 || close < open)
        return std::nullopt;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    if (fields.size() < 6)
        return std::nullopt;
    return Stat{pid.toInt(), QString::fromUtf8(line.mid(open + 1, close - open - 1)), fields[1].toInt(),
                fields[2].toInt(), fields[5].toInt()};
}

bool isShell(const QString& command)
{
    static const QStringList shells{QStringLiteral("bash"), QStringLiteral("zsh"),  QStringLiteral("fish"),
                                    QStringLiteral("sh"),   QStringLiteral("dash"), QStringLiteral("nu"),
                                    QStringLiteral("ksh"),  QStringLiteral("tcsh"), QStringLiteral("csh")};
    return shells.contains(command);
}

QList<Stat> allProcesses()
{
    QList<Stat> out;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        name.toInt(&number);
        if (number)
            if (const auto s = statOf(name))
                out.append(*s);
    }
    return out;
}

const Stat* childShell(const QList<Stat>& processes, int parent, int foregroundGroup)
{
    for (const Stat& s : processes)
        if (s.parent == parent && isShell(s.command) && (foregroundGroup == 0 || s.group == foregroundGroup))
            return &s;
    return nullptr;
}

// The folder the user works in through `shell`: a shell started from it
// counts while the user types into it.
std::optional<QString> folderThrough(const QList<Stat>& processes, const Stat* shell)
{
    const int foreground = shell->foregroundGroup;
    while (const Stat* inner = childShell(processes, shell->pid, foreground))
        shell = inner;
    const QString folder = QFileInfo(QStringLiteral("/proc/%1/cwd").arg(shell->pid)).symLinkTarget();
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

// The window a process was started for, as its environment's WINDOWID
// (decimal) says; 0 when it says none.
quint32 windowIdOf(int pid)
{
    QFile file(QStringLiteral("/proc/%1/environ").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& entry : file.readAll().split('\0'))
        if (entry.startsWith("WINDOWID="))
            return entry.mid(9).toUInt();
    return 0;
}

} // namespace

std::optional<QString> of(int terminalPid)
{
    const QList<Stat> processes = allProcesses();
    const Stat* shell = childShell(processes, terminalPid, 0);
    if (!shell)
        return std::nullopt;
    return folderThrough(processes, shell);
}

std::optional<QString> ofWindow(int terminalPid, quint32 window)
{
    if (window == 0)
        return std::nullopt;
    const QList<Stat> processes = allProcesses();
    std::optional<QString> found;
    for (const Stat& s : processes) {
        if (s.parent != terminalPid || !isShell(s.command) || windowIdOf(s.pid) != window)
            continue;
        const auto folder = folderThrough(processes, &s);
        if (!folder || (found && *found != *folder))
            return std::nullopt;
        found = folder;
    }
    return found;
}

} // namespace tavrin::TerminalFolder
