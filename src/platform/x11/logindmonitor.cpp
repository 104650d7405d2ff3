#include "platform/x11/logindmonitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <unistd.h>

namespace tavrin {

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
} // namespace

LogindMonitor::LogindMonitor(QObject* parent) : QObject(parent)
{
    // Heard from whichever screen saver takes the name, now or later.
    if (QDBusConnection session = QDBusConnection::sessionBus(); session.isConnected())
        session.connect(kScreenSaver, QStringLiteral("/org/freedesktop/ScreenSaver"), kScreenSaver,
                        QStringLiteral("ActiveChanged"), this, SLOT(onScreenSaver(bool)));
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kService))
        return;
    connected_ = bus.connect(kService, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), this,
                             SLOT(onPrepareForSleep(bool)));
    auto call = QDBusMessage::createMethodCall(kService, kManagerPath, kManager, QStringLiteral("GetSessionByPID"));
    call << quint32(::getpid());
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isValid())
            watchSession(reply.value().path());
        w->deleteLater();
    });
}

void LogindMonitor::watchSession(const QString& path)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    bus.connect(kService, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                this, SLOT(onSessionProperties(QString, QVariantMap, QStringList)));
    bus.connect(kService, path, kSession, QStringLiteral("Lock"), this, SLOT(onLock()));
}

void LogindMonitor::onPrepareForSleep(bool start)
{
    if (start)
        emit willSleep();
}

void LogindMonitor::onSessionProperties(const QString& interface, const QVariantMap& changed, const QStringList&)
{
    if (interface == kSession && changed.contains(QStringLiteral("Active"))
        && !changed.value(QStringLiteral("Active")).toBool())
        emit sessionInactive();
}

void LogindMonitor::onLock() { emit sessionLocked(); }

void LogindMonitor::onScreenSaver(bool active)
{
    if (active)
        emit sessionLocked();
}

} // namespace tavrin
