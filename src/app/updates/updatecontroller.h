#pragma once

#include "app/updates/appcast.h"
#include "platform/taskhandle.h"
#include "platform/timer.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <qcoro/qcorotask.h>

namespace tavrin {

class Clock;
class Defaults;
struct Platform;

// The updater: reads the update feed, compares the newest release with the
// running version and tells the user through its signals (a small window
// listens). Created without starting; started once; checks on demand, and
// once a day on its own while automatic checks are on. Every wait is on the
// platform clock. Main thread only.
class UpdateController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates WRITE
                   setAutomaticallyChecksForUpdates NOTIFY automaticallyChecksForUpdatesChanged)
    Q_PROPERTY(bool automaticallyDownloadsUpdates READ automaticallyDownloadsUpdates WRITE
                   setAutomaticallyDownloadsUpdates NOTIFY automaticallyDownloadsUpdatesChanged)
public:
    // What reading the feed gave: the body of a 200 answer, or why not.
    struct FeedAnswer {
        bool ok = false;
        QByteArray body;
        QString error;
    };
    // Reads the feed; a cancelled check's read ends at once.
    using Fetch = std::function<QCoro::Task<FeedAnswer>(QUrl url, CancelToken cancel)>;

    // The questions the updater asks its owner.
    struct Delegate {
        // The feed to read instead of the declared one, or none.
        std::function<std::optional<QString>()> feedURLString;
        // Whether a release found by a scheduled check may be shown without
        // taking the focus.
        std::function<bool()> supportsGentleScheduledUpdateReminders;
    };

    static inline const QString kDeclaredFeed = QStringLiteral("https://tavrin.app/appcast.xml");
    static inline const QString kAutomaticChecksKey = QStringLiteral("updates.automaticChecks");
    static inline const QString kAutomaticDownloadsKey = QStringLiteral("updates.automaticDownloads");
    static inline const QString kLastCheckKey = QStringLiteral("updates.lastCheck");
    static constexpr double kCheckInterval = 24 * 60 * 60;
    static constexpr double kFeedTimeout = 30;
    static constexpr qint64 kMaxFeedBytes = 4LL * 1024 * 1024;
    static constexpr double kDownloadTimeout = 10 * 60;
    static constexpr qint64 kMaxDownloadBytes = 512LL * 1024 * 1024;

    // Keeps its settings in the platform's defaults, reads the feed with its
    // network and waits on its clock (each may be missing: no settings kept,
    // no network, no scheduled checks).
    UpdateController(Delegate delegate, const Platform& platform, QObject* parent = nullptr);
    ~UpdateController() override;

    bool isStarted() const { return started_; }
    // Starts the updater (once): from now on checks can run, and scheduled
    // ones are planned while automatic checks are on.
    void startUpdater();

    // A check the user asked for: its result is always reported. Does
    // nothing before the updater has started.
    void checkForUpdates();
    // A scheduled check: only a newer release is reported, gently when the
    // delegate allows it.
    void checkInBackground();

    // The updater has started and no check is running.
    bool canCheckForUpdates() const { return started_ && !checking_; }

    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool on);
    // A newer release found by a scheduled check is downloaded before the
    // user is told of it.
    bool automaticallyDownloadsUpdates() const;
    void setAutomaticallyDownloadsUpdates(bool on);
    // When the feed was last read, whatever the result.
    std::optional<QDateTime> lastCheck() const;
    // When the next scheduled check runs, in seconds from now; none when
    // none is planned.
    std::optional<double> nextCheckIn() const;

    // The feed address in use: the delegate's, else the declared one.
    QUrl feedURL() const;
    // The running version (the application's version), "0" when unknown.
    static QString currentVersion();

    // Replaces how the feed is read (tests).
    void setFetch(Fetch fetch) { fetch_ = std::move(fetch); }
    // Replaces how a release is downloaded (tests).
    void setDownload(Fetch download) { download_ = std::move(download); }
    // Where downloaded releases go: the user's downloads folder unless set.
    QString downloadsFolder() const;
    void setDownloadsFolder(const QString& folder) { downloadsFolder_ = folder; }

signals:
    void canCheckForUpdatesChanged(bool canCheck);
    void automaticallyChecksForUpdatesChanged(bool on);
    void automaticallyDownloadsUpdatesChanged(bool on);
    // A release newer than the running one. `gentle`: show it without
    // taking the focus from what the user is doing.
    void updateFound(const tavrin::AppcastItem& item, bool userInitiated, bool gentle);
    // A check the user asked for found nothing newer.
    void noUpdateFound(const QString& version);
    // A check the user asked for failed; the message is for the user.
    void checkFailed(const QString& message);
    // A release newer than the running one, found by a scheduled check while
    // automatic downloads are on, is in the downloads folder at `path`.
    void updateDownloaded(const tavrin::AppcastItem& item, const QString& path, bool gentle);

private:
    void check(bool userInitiated);
    QCoro::Task<> run(bool userInitiated, CancelToken cancel);
    void finishCheck();
    // Writes a downloaded release into the downloads folder; its path, or
    // none when it couldn't be written.
    std::optional<QString> keepRelease(const AppcastItem& item, const QByteArray& bytes) const;
    void scheduleNext();
    void setCanCheck();

    Delegate delegate_;
    Defaults* defaults_;
    Clock* clock_;
    Fetch fetch_;
    Fetch download_;
    QString downloadsFolder_;
    bool started_ = false;
    bool checking_ = false;
    bool canCheck_ = false;
    TaskHandle task_;
    QPointer<Timer> schedule_;
    double nextDue_ = 0; // on the monotonic clock
};

} // namespace tavrin

Q_DECLARE_METATYPE(tavrin::AppcastItem)
