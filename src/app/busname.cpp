#include "app/busname.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <unistd.h>

namespace tavrin {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("BusName", text); }

// The executable a process runs, as the system names it; empty when it can't
// be read (a process of another user, one that has ended).
QString executableOf(qint64 pid) { return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget(); }
} // namespace

QString BusName::forSettings(const QString& prefix, const QString& settingsPath)
{
    const QByteArray path = QFileInfo(settingsPath).absoluteFilePath().toUtf8();
    return prefix + QStringLiteral(".s")
           + QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(24));
}

BusName::Taken BusName::take(QDBusConnection bus, const QString& name)
{
    QDBusConnectionInterface* daemon = bus.interface();
    if (!daemon)
        return Taken::refused;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = daemon->registerService(
        name, QDBusConnectionInterface::QueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid())
        return Taken::refused;
    switch (reply.value()) {
    case QDBusConnectionInterface::ServiceRegistered: return Taken::now;
    case QDBusConnectionInterface::ServiceQueued: return Taken::queued;
    case QDBusConnectionInterface::ServiceNotRegistered: break;
    }
    return Taken::refused;
}

QString BusName::trustedOwner(QDBusConnection bus, const QString& name, QString* why)
{
    why->clear();
    QDBusConnectionInterface* daemon = bus.interface();
    if (!daemon)
        return {};
    const QDBusReply<QString> owner = daemon->serviceOwner(name);
    if (!owner.isValid() || owner.value().isEmpty())
        return {};
    const QDBusReply<uint> uid = daemon->serviceUid(owner.value());
    const QDBusReply<uint> pid = daemon->servicePid(owner.value());
    if (!uid.isValid() || !pid.isValid()) {
        *why = tr("the session bus can't say who answers on %1").arg(name);
        return {};
    }
    if (uid.value() != ::getuid()) {
        *why = tr("%1 is answered by a process of another user").arg(name);
        return {};
    }
    const QString exe = executableOf(pid.value());
    if (!exe.isEmpty() && (exe == executableOf(::getpid()) || QFileInfo(exe).fileName() == QLatin1String("tavrin")))
        return owner.value();
    *why = tr("%1 is answered by another program (process %2), not Tavrin").arg(name).arg(pid.value());
    return {};
}

} // namespace tavrin
