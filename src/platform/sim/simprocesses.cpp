#include "platform/sim/simprocesses.h"

#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"

#include <QFileInfo>

namespace tavrin {

std::optional<QByteArray> SimProcesses::run(const QString& program, const QStringList& arguments, double timeLimit)
{
    const QString name = QFileInfo(program).fileName();
    record(name, arguments);
    if (arguments.value(0) == QLatin1String("shortcuts"))
        return shortcuts(arguments.mid(1));
    if (name == QLatin1String("ps"))
        return listing(arguments);
    if (name != QLatin1String("lsof"))
        return std::nullopt;
    auto folder = workingFolder(arguments);
    if (!folder)
        SimClock::block(desktop_.clock(), timeLimit); // killed at the limit
    return folder;
}

bool SimProcesses::runWithoutOutput(const QString& program, const QStringList& arguments, double)
{
    record(QFileInfo(program).fileName(), arguments);
    return arguments.value(0) == QLatin1String("shortcuts") && shortcuts(arguments.mid(1)).has_value();
}

void SimProcesses::record(const QString& name, const QStringList& arguments)
{
    const std::lock_guard guard(mutex_);
    runs_.append((QStringList{name} + arguments).join(QLatin1Char(' ')));
}

std::optional<QByteArray> SimProcesses::shortcuts(const QStringList& arguments) const
{
    auto guard = desktop_.lock();
    const QStringList& names = desktop_.shortcuts();
    if (arguments == QStringList{QStringLiteral("list")}) {
        QByteArray out;
        for (const QString& name : names)
            out += name.toUtf8() + '\n';
        return out;
    }
    if (arguments.size() == 2 && arguments[0] == QLatin1String("run") && names.contains(arguments[1]))
        return QByteArray();
    return std::nullopt;
}

std::optional<QByteArray> SimProcesses::listing(const QStringList& arguments) const
{
    if (arguments.size() != 4 || arguments[0] != QLatin1String("-t") || arguments[2] != QLatin1String("-o")
        || arguments[3] != QLatin1String("pid=,comm="))
        return QByteArray();
    auto guard = desktop_.lock();
    QByteArray out;
    for (const SimProcess& p : desktop_.terminalProcesses())
        if (p.tty == arguments[1])
            out += QStringLiteral("%1 %2\n").arg(p.pid, 5).arg(p.command).toUtf8();
    return out;
}

std::optional<QByteArray> SimProcesses::workingFolder(const QStringList& arguments) const
{
    if (arguments.size() != 6 || arguments[0] != QLatin1String("-a") || arguments[1] != QLatin1String("-p")
        || arguments[3] != QLatin1String("-d") || arguments[4] != QLatin1String("cwd")
        || arguments[5] != QLatin1String("-Fn"))
        return QByteArray();
    auto guard = desktop_.lock();
    for (const SimProcess& p : desktop_.terminalProcesses()) {
        if (QString::number(p.pid) != arguments[2])
            continue;
        if (p.hangs)
            return std::nullopt;
        return QStringLiteral("p%1\nfcwd\nn%2\n").arg(p.pid).arg(p.cwd).toUtf8();
    }
    return QByteArray();
}

QStringList SimProcesses::runs() const
{
    const std::lock_guard guard(mutex_);
    return runs_;
}

} // namespace tavrin
