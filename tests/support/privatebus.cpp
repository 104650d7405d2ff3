#include "support/privatebus.h"

#include <QStandardPaths>

namespace tavrin {

PrivateBus::PrivateBus()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty()) {
        problem_ = QStringLiteral("dbus-daemon is not installed");
        return;
    }
    daemon_.setProgram(program);
    daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                          QStringLiteral("--print-address=1")});
    daemon_.setProcessChannelMode(QProcess::SeparateChannels);
    daemon_.start();
    if (!daemon_.waitForStarted(5000)) {
        problem_ = QStringLiteral("dbus-daemon did not start: ") + daemon_.errorString();
        return;
    }
    QByteArray out;
    while (!out.contains('\n') && daemon_.waitForReadyRead(5000))
        out += daemon_.readAllStandardOutput();
    address_ = QString::fromUtf8(out).section(QLatin1Char('\n'), 0, 0).trimmed();
    if (address_.isEmpty())
        problem_ =
            QStringLiteral("dbus-daemon printed no address: ") + QString::fromUtf8(daemon_.readAllStandardError());
}

PrivateBus::~PrivateBus()
{
    for (const QString& name : connections_)
        QDBusConnection::disconnectFromBus(name);
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000))
            daemon_.kill();
    }
}

QDBusConnection PrivateBus::connect(const QString& name)
{
    connections_ << name;
    return QDBusConnection::connectToBus(address_, name);
}

} // namespace tavrin
