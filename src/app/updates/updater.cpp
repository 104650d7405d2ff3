#include "app/updates/updater.h"

#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/workspace.h"

#include <QCoreApplication>
#include <QUrl>

namespace tavrin {

Updater::Updater(const Platform& platform, QObject* parent)
    : QObject(parent),
      defaults_(platform.defaults),
      workspace_(platform.workspace)
{
    UpdateController::Delegate delegate;
    delegate.feedURLString = [this] { return feedURLString(); };
    delegate.supportsGentleScheduledUpdateReminders = &Updater::supportsGentleScheduledUpdateReminders;
    controller_ = new UpdateController(std::move(delegate), platform, this);

    // The updater's can-check state, its present value first, each value
    // delivered from the main loop.
    auto deliver = [self = QPointer<Updater>(this), clock = platform.clock](bool can) {
        if (clock)
            clock->singleShot(0, self, [self, can] {
                if (self)
                    self->setCanCheck(can);
            });
        else if (self)
            self->setCanCheck(can);
    };
    connect(controller_, &UpdateController::canCheckForUpdatesChanged, this, deliver);
    deliver(controller_->canCheckForUpdates());
}

void Updater::start()
{
    if (started_)
        return;
    started_ = true;
    controller_->startUpdater();
}

void Updater::checkForUpdates()
{
    start();
    if (workspace_)
        workspace_->activate(workspace_->currentPid());
    controller_->checkForUpdates();
}

bool Updater::isLoopbackFeed(const QString& address)
{
    if (!address.startsWith(QLatin1String("http://127.0.0.1:")))
        return false;
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && url.scheme() == QLatin1String("http") && url.host() == QLatin1String("127.0.0.1")
           && url.port() != -1 && url.userInfo().isEmpty();
}

std::optional<QString> Updater::feedURLString() const
{
    if (!defaults_)
        return std::nullopt;
    const auto feed = defaults_->string(kTestFeedKey);
    if (!feed || !isLoopbackFeed(*feed))
        return std::nullopt;
    return *feed;
}

QString Updater::versionString()
{
    const QString version = QCoreApplication::applicationVersion();
    return QStringLiteral("Tavrin ") + (version.isEmpty() ? QStringLiteral("?") : version);
}

void Updater::setCanCheck(bool can)
{
    if (can == canCheck_)
        return;
    canCheck_ = can;
    emit canCheckChanged(can);
}

} // namespace tavrin
