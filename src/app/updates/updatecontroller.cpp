#include "app/updates/updatecontroller.h"

#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/httpclient.h"
#include "platform/platform.h"
#include "platform/timer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tavrin {

namespace {
// Reads an address of the update server with the platform's HTTP client.
QCoro::Task<UpdateController::FeedAnswer> readAddress(HttpClient* http, HttpRequest request)
{
    if (!http)
        co_return UpdateController::FeedAnswer{false, {}, QStringLiteral("There is no network here.")};
    const HttpResponse response = co_await http->send(std::move(request));
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

QCoro::Task<UpdateController::FeedAnswer> readFeed(HttpClient* http, QUrl url, CancelToken cancel)
{
    HttpRequest request;
    request.url = url;
    request.headers = {{"Accept", "application/rss+xml, application/xml, text/xml"}};
    request.timeout = UpdateController::kFeedTimeout;
    request.maxResponseBytes = UpdateController::kMaxFeedBytes;
    request.cancel = std::move(cancel);
    return readAddress(http, std::move(request));
}

QCoro::Task<UpdateController::FeedAnswer> readRelease(HttpClient* http, QUrl url, CancelToken cancel)
{
    HttpRequest request;
    request.url = url;
    request.timeout = UpdateController::kDownloadTimeout;
    request.maxResponseBytes = UpdateController::kMaxDownloadBytes;
    request.cancel = std::move(cancel);
    return readAddress(http, std::move(request));
}

// Only a secure address, or one on this machine (a test feed's), is
// downloaded from without the user.
bool mayDownload(const QUrl& url)
{
    return url.isValid()
           && (url.scheme() == QLatin1String("https")
               || (url.scheme() == QLatin1String("http") && url.host() == QLatin1String("127.0.0.1")));
}
} // namespace

UpdateController::UpdateController(Delegate delegate, const Platform& platform, QObject* parent)
    : QObject(parent),
      delegate_(std::move(delegate)),
      defaults_(platform.defaults),
      clock_(platform.clock),
      fetch_([http = platform.http](QUrl url, CancelToken cancel) { return readFeed(http, url, cancel); }),
      download_([http = platform.http](QUrl url, CancelToken cancel) { return readRelease(http, url, cancel); })
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

void UpdateController::checkForUpdates() { check(true); }

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
    const bool newer = problem.isEmpty() && newest && Appcast::compareVersions(newest->version, currentVersion()) > 0;
    // A release found on schedule is downloaded first, while it is allowed;
    // the check lasts until the download ends.
    std::optional<QString> downloaded;
    if (newer && !userInitiated && automaticallyDownloadsUpdates() && mayDownload(newest->downloadURL)) {
        auto fetching = download_(newest->downloadURL, cancel);
        const FeedAnswer file = co_await std::move(fetching);
        if (!self || cancel.isCancelled())
            co_return;
        if (file.ok)
            downloaded = keepRelease(*newest, file.body);
    }
    finishCheck();

    if (!problem.isEmpty()) {
        if (userInitiated)
            emit checkFailed(problem);
        co_return;
    }
    if (newer) {
        const bool gentle = !userInitiated && delegate_.supportsGentleScheduledUpdateReminders
                            && delegate_.supportsGentleScheduledUpdateReminders();
        // When the download failed the user is told of the release as usual.
        if (downloaded)
            emit updateDownloaded(*newest, *downloaded, gentle);
        else
            emit updateFound(*newest, userInitiated, gentle);
    } else if (userInitiated) {
        emit noUpdateFound(currentVersion());
    }
}

QString UpdateController::downloadsFolder() const
{
    if (!downloadsFolder_.isEmpty())
        return downloadsFolder_;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return folder.isEmpty() ? QDir::homePath() : folder;
}

std::optional<QString> UpdateController::keepRelease(const AppcastItem& item, const QByteArray& bytes) const
{
    const QDir folder(downloadsFolder());
    if (!folder.exists() && !QDir().mkpath(folder.path()))
        return std::nullopt;
    // The address's file name, never a hidden one; a file that is there
    // already is not replaced.
    QString name = item.downloadURL.fileName();
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name = QStringLiteral("Tavrin-") + item.displayVersion;
    // The extension is the last one, or a compressed tar's two; the
    // version's dots are part of the name.
    QString extension;
    for (const char* archive : {".tar.gz", ".tar.xz", ".tar.bz2", ".tar.zst"})
        if (name.endsWith(QLatin1String(archive)))
            extension = QLatin1String(archive);
    if (extension.isEmpty() && !QFileInfo(name).suffix().isEmpty())
        extension = QLatin1Char('.') + QFileInfo(name).suffix();
    const QString stem = name.chopped(extension.size());
    QString path = folder.filePath(name);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(extension));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return std::nullopt;
    return path;
}

void UpdateController::finishCheck()
{
    if (defaults_ && clock_)
        defaults_->setValue(kLastCheckKey, clock_->nowDate());
    checking_ = false;
    setCanCheck();
    scheduleNext();
}

bool UpdateController::automaticallyChecksForUpdates() const
{
    const Defaults* d = defaults_;
    return d && d->boolValue(kAutomaticChecksKey);
}

void UpdateController::setAutomaticallyChecksForUpdates(bool on)
{
    if (on == automaticallyChecksForUpdates())
        return;
    if (Defaults* d = defaults_)
        d->setValue(kAutomaticChecksKey, on);
    scheduleNext();
    emit automaticallyChecksForUpdatesChanged(on);
}

bool UpdateController::automaticallyDownloadsUpdates() const
{
    const Defaults* d = defaults_;
    return d && d->boolValue(kAutomaticDownloadsKey);
}

void UpdateController::setAutomaticallyDownloadsUpdates(bool on)
{
    if (on == automaticallyDownloadsUpdates())
        return;
    if (Defaults* d = defaults_)
        d->setValue(kAutomaticDownloadsKey, on);
    emit automaticallyDownloadsUpdatesChanged(on);
}

std::optional<QDateTime> UpdateController::lastCheck() const
{
    const Defaults* d = defaults_;
    if (!d)
        return std::nullopt;
    const auto value = d->value(kLastCheckKey);
    if (!value || value->typeId() != QMetaType::QDateTime || !value->toDateTime().isValid())
        return std::nullopt;
    return value->toDateTime();
}

std::optional<double> UpdateController::nextCheckIn() const
{
    if (!schedule_ || !schedule_->isActive() || !clock_)
        return std::nullopt;
    return nextDue_ - clock_->monotonic();
}

void UpdateController::scheduleNext()
{
    if (schedule_)
        schedule_->stop();
    Clock* clock = clock_;
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
