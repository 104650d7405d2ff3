#include "app/instanceservice.h"

#include "app/busname.h"

#include <QDBusMessage>
#include <QFileInfo>

namespace tavrin {

QString InstanceService::serviceName(const QString& settingsPath)
{
    return BusName::forSettings(QStringLiteral("app.tavrin.Instance"), settingsPath);
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
    switch (BusName::take(bus, serviceName(settingsPath))) {
    case BusName::Taken::now: return true;
    case BusName::Taken::queued:
        fail(tr("Another process holds this Tavrin's name on the session bus; this Tavrin takes it once it is free."));
        return true;
    case BusName::Taken::refused: break;
    }
    bus.unregisterObject(kObjectPath);
    return fail(tr("Another Tavrin answers for these settings on the session bus."));
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
    // Asked by its unique name: the name can't change hands after the check.
    const QString service = BusName::trustedOwner(bus, serviceName(settingsPath), &answer.distrusted);
    if (service.isEmpty())
        return answer;
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
    // Only the boolean Open answers with: any other answer ("true" as a
    // string) is not a window opened.
    answer.opened = opened.type() == QDBusMessage::ReplyMessage && opened.arguments().size() == 1
                    && opened.arguments().constFirst().typeId() == QMetaType::Bool
                    && opened.arguments().constFirst().toBool();
    return answer;
}

} // namespace tavrin
