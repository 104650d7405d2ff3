#include "app/updates/updatecontroller.h"

#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/httpclient.h"
#include "platform/platform.h"
#include "platform/timer.h"

#include <QCoreApplication>

namespace tavrin {

namespace {
Defaults* defaults() { return Platform::current().defaults; }

// Reads the feed with the platform's HTTP client.
QCoro::Task<UpdateController::FeedAnswer> readFeed(QUrl url, CancelToken cancel)
{
    HttpClient* http = Platform::current().http;
    if (!http)
        co_return UpdateController::FeedAnswer{false, {}, QStringLiteral("There is no network here.")};
    HttpRequest request;
    request.url = url;
    request.headers = {{"Accept", "application/rss+xml, application/xml, text/xml"}};
    request.timeout = UpdateController::kFeedTimeout;
    request.maxResponseBytes = UpdateController::kMaxFeedBytes;
    request.cancel = std::move(cancel);
    const HttpResponse response = co_await http->send(request);
    UpdateController::FeedAnswer answer;
    if (response.failure == HttpResponse::Failure::timedOut)
        answer.error = QStringLiteral("The update server didn't answer in time.");
    else if (!response.answered())
        answer.error = response.errorMessage.isEmpty() ? QStringLiteral("The update server couldn't be reached.")
                                                       : response.errorMessage;
    else if (response.status != 200)
        answer.error = QStringLiteral("The update server answered with status %1.").arg(response.status);
    else
        answer = {true, response.body, {}};
    co_return answer;
}
} // namespace

UpdateController::UpdateController(Delegate delegate, QObject* parent)
    : QObject(parent), delegate_(std::move(delegate)), fetch_(readFeed)
{
    qRegisterMetaType<AppcastItem>();
}

UpdateController::~UpdateController() = default;

QString UpdateController::currentVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("0") : version;
}

void UpdateController::startUpdater()
{
    if (started_)
        return;
    started_ = true;
    setCanCheck();
    scheduleNext();
}

void UpdateController::checkForUpdates()
{
    check(true);
}

void UpdateController::checkInBackground()
{
    // A check the user started is not replaced by a scheduled one.
    if (checking_)
        return;
    check(false);
}

void UpdateController::check(bool userInitiated)
{
    if (!started_)
        return;
    checking_ = true;
    setCanCheck();
    task_.start([this, userInitiated](CancelToken cancel) { return run(userInitiated, cancel); });
}

QCoro::Task<> UpdateController::run(bool userInitiated, CancelToken cancel)
{
    QPointer<UpdateController> self(this);
    const QUrl url = feedURL();
    const FeedAnswer answer = co_await fetch_(url, cancel);
    if (!self || cancel.isCancelled())
        co_return;

    std::optional<AppcastItem> newest;
    QString problem;
    if (!answer.ok) {
        problem = answer.error.isEmpty() ? tr("The update feed couldn't be read.") : answer.error;
    } else {
        QString why;
        const auto items = Appcast::parse(answer.body, &why);
        if (!items)
            problem = tr("The update feed couldn't be read: %1").arg(why);
        else
            newest = Appcast::newest(*items);
    }
    finishCheck();

    if (!problem.isEmpty()) {
        if (userInitiated)
            emit checkFailed(problem);
        co_return;
    }
    if (newest && Appcast::compareVersions(newest->version, currentVersion()) > 0) {
        const bool gentle = !userInitiated && delegate_.supportsGentleScheduledUpdateReminders
            && delegate_.supportsGentleScheduledUpdateReminders();
        emit updateFound(*newest, userInitiated, gentle);
    } else if (userInitiated) {
        emit noUpdateFound(currentVersion());
    }
}

void UpdateController::finishCheck()
{
    if (Defaults* d = defaults(); d && Platform::current().clock)
        d->setValue(kLastCheckKey, Platform::current().clock->nowDate());
    checking_ = false;
    setCanCheck();
    scheduleNext();
}

bool UpdateController::automaticallyChecksForUpdates() const
{
    const Defaults* d = defaults();
    return d && d->boolValue(kAutomaticChecksKey);
}

void UpdateController::setAutomaticallyChecksForUpdates(bool on)
{
    if (on == automaticallyChecksForUpdates())
        return;
    if (Defaults* d = defaults())
        d->setValue(kAutomaticChecksKey, on);
    scheduleNext();
    emit automaticallyChecksForUpdatesChanged(on);
}

std::optional<QDateTime> UpdateController::lastCheck() const
{
    const Defaults* d = defaults();
    if (!d)
        return std::nullopt;
    const auto value = d->value(kLastCheckKey);
    if (!value || value->typeId() != QMetaType::QDateTime || !value->toDateTime().isValid())
        return std::nullopt;
    return value->toDateTime();
}

std::optional<double> UpdateController::nextCheckIn() const
{
    if (!schedule_ || !schedule_->isActive() || !Platform::current().clock)
        return std::nullopt;
    return nextDue_ - Platform::current().clock->monotonic();
}

void UpdateController::scheduleNext()
{
    if (schedule_)
        schedule_->stop();
    Clock* clock = Platform::current().clock;
    if (!started_ || !automaticallyChecksForUpdates() || !clock)
        return;
    // At most once a day: a day after the last check, or now when there was
    // none (or the clock was set back past it).
    double wait = 0;
    if (const auto last = lastCheck()) {
        const double since = clock->now() - Clock::referenceSeconds(*last);
        if (since >= 0 && since < kCheckInterval)
            wait = kCheckInterval - since;
    }
    // One timer, restarted: this may run inside its own timeout.
    if (!schedule_) {
        schedule_ = new Timer(*clock, this);
        connect(schedule_, &Timer::timeout, this, &UpdateController::checkInBackground);
    }
    nextDue_ = clock->monotonic() + wait;
    schedule_->start(wait);
}

QUrl UpdateController::feedURL() const
{
    if (delegate_.feedURLString)
        if (const auto override = delegate_.feedURLString())
            return QUrl(*override);
    return QUrl(kDeclaredFeed);
}

void UpdateController::setCanCheck()
{
    const bool can = canCheckForUpdates();
    if (can == canCheck_)
        return;
    canCheck_ = can;
    emit canCheckForUpdatesChanged(can);
}

} // namespace tavrin
