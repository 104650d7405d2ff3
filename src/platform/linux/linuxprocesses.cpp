#include "platform/linux/linuxprocesses.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tavrin {

QString LinuxProcesses::locate(const QString& program)
{
    const QFileInfo info(program);
    if (info.isAbsolute() && info.isFile() && info.isExecutable())
        return program;
    return QStandardPaths::findExecutable(info.fileName());
}

std::optional<QByteArray> LinuxProcesses::run(const QString& program, const QStringList& arguments, double timeLimit)
{
    const QString path = locate(program);
    if (path.isEmpty())
        return std::nullopt;
    // Blocking waits only: this runs on worker threads without an event loop.
    QProcess process;
    process.setProgram(path);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    const QDeadlineTimer deadline(qint64(std::max(timeLimit, 0.0) * 1000));
    if (!process.waitForStarted(int(std::max<qint64>(deadline.remainingTime(), 0)))) {
        process.kill();
        process.waitForFinished(-1);
        return std::nullopt;
    }
    QByteArray out;
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        process.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)));
        out += process.readAllStandardOutput();
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(-1);
        return std::nullopt;
    }
    out += process.readAllStandardOutput();
    return out;
}

bool LinuxProcesses::runWithoutOutput(const QString& program, const QStringList& arguments, double timeLimit)
{
    const QString path = locate(program);
    if (path.isEmpty())
        return false;
    QProcess process;
    process.setProgram(path);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QIODevice::NotOpen);
    const QDeadlineTimer deadline(qint64(std::max(timeLimit, 0.0) * 1000));
    const bool ended = process.waitForStarted(int(std::max<qint64>(deadline.remainingTime(), 0)))
                       && process.waitForFinished(int(std::max<qint64>(deadline.remainingTime(), 1)));
    if (!ended && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(-1);
    }
    return ended;
}

} // namespace tavrin
