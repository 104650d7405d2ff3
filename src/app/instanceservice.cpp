#include "app/instanceservice.h"

#include <QCryptographicHash>
#include <QDBusMessage>
#include <QFileInfo>

namespace tavrin {

QString InstanceService::serviceName(const QString& settingsPath)
{
    const QByteArray path = QFileInfo(settingsPath).absoluteFilePath().toUtf8();
    return QStringLiteral("app.tavrin.Instance.s")
           + QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(24));
}

InstanceService::InstanceService(std::function<void()> openWindow, QString options, QString runningOn, QObject* parent)
    : QObject(parent),
      openWindow_(std::move(openWindow)),
      options_(std::move(options)),
      runningOn_(std::move(runningOn))
{}

bool InstanceService::publish(QDBusConnection bus, const QString& settingsPath, QString* problem)
{
    auto fail = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return false;
    };
    if (!bus.isConnected())
        return fail(tr("There is no session bus, so a second start can't reach this Tavrin."));
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots))
        return fail(tr("This Tavrin couldn't be put on the session bus."));
    if (!bus.registerService(serviceName(settingsPath))) {
        bus.unregisterObject(kObjectPath);
        return fail(tr("Another Tavrin answers for these settings on the session bus."));
    }
    return true;
}

bool InstanceService::Open(const QString& options)
{
    // A plain `tavrin` (no options) is the user opening their Tavrin,
    // whatever it was started with; only other explicit options differ.
    if (!options.isEmpty() && options != options_)
        return false;
    if (openWindow_)
        openWindow_();
    return true;
}

InstanceService::Answer InstanceService::askRunning(QDBusConnection bus, const QString& settingsPath,
                                                    const QString& options)
{
    Answer answer;
    if (!bus.isConnected())
        return answer;
    const QString service = serviceName(settingsPath);
    const QDBusMessage where =
        bus.call(QDBusMessage::createMethodCall(service, kObjectPath, kInterface, QStringLiteral("RunningOn")),
                 QDBus::Block, kLimitMs);
    if (where.type() != QDBusMessage::ReplyMessage || where.arguments().isEmpty())
        return answer;
    answer.reached = true;
    answer.runningOn = where.arguments().constFirst().toString();
    QDBusMessage open = QDBusMessage::createMethodCall(service, kObjectPath, kInterface, QStringLiteral("Open"));
    open << options;
    const QDBusMessage opened = bus.call(open, QDBus::Block, kLimitMs);
    answer.opened = opened.type() == QDBusMessage::ReplyMessage && !opened.arguments().isEmpty()
                    && opened.arguments().constFirst().toBool();
    return answer;
}

} // namespace tavrin
