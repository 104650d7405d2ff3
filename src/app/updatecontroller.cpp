#include "app/updatecontroller.h"

#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/timer.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <qcoro/qcoronetworkreply.h>

namespace tavrin {

namespace {
Defaults* defaults() { return Platform::current().defaults; }

QNetworkAccessManager& network()
{
    static QNetworkAccessManager* manager = new QNetworkAccessManager;
    return *manager;
}

// Reads the feed with Qt's network access; the time limit runs on the
// platform clock, and an answer larger than the limit is given up.
QCoro::Task<UpdateController::FeedAnswer> readFeed(QUrl url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tavrin"));
    QPointer<QNetworkReply> reply = network().get(request);
    bool timedOut = false;
    bool tooLarge = false;
    Clock* clock = Platform::current().clock;
    const Clock::TimerId limit = clock ? clock->singleShot(UpdateController::kFeedTimeout, reply, [&timedOut, reply] {
        timedOut = true;
        reply->abort();
    })
                                       : 0;
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [&tooLarge, reply](qint64 received, qint64) {
        if (received > UpdateController::kMaxFeedBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QNetworkReply* raw = reply;
    co_await raw;
    if (clock)
        clock->cancel(limit);
    UpdateController::FeedAnswer answer;
    const int status = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (timedOut)
        answer.error = QStringLiteral("The update server didn't answer in time.");
    else if (tooLarge)
        answer.error = QStringLiteral("The update feed is too large.");
    else if (raw->error() != QNetworkReply::NoError && status == 0)
        answer.error = raw->errorString();
    else if (status != 200)
        answer.error = QStringLiteral("The update server answered with status %1.").arg(status);
    else {
        answer.ok = true;
        answer.body = raw->readAll();
    }
    raw->deleteLater();
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
    const FeedAnswer answer = co_await fetch_(url);
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
