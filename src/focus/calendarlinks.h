#pragma once

#include "focus/calendar/icsevent.h"
#include "focus/linkoccurrences.h"
#include "platform/taskhandle.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <limits>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

namespace tavrin {

struct Platform;

// The user's calendar links ("focus.links": addresses of iCalendar feeds, in
// the user's order) and what the last fetch of each brought: the events of
// every link that answered with a calendar, and for every link that did not,
// a message saying why. Links are fetched at most every 600 s, and at once
// after they change; between fetches their events stay, so repeating events
// go on starting routines without the network. Each link is fetched, read
// and taken on its own, so a slow or failing link holds none of the others
// back; a link still being fetched is not fetched again until it is done.
// Main thread.
class CalendarLinks : public QObject {
    Q_OBJECT
public:
    static inline const QString kLinksKey = QStringLiteral("focus.links");
    static constexpr double kFetchInterval = 600.0;
    // What one link's fetch may take: time, redirects, size.
    static constexpr double kTimeout = 60.0;
    static constexpr int kMaxRedirects = 5;
    static constexpr qint64 kMaxBytes = 20LL * 1024 * 1024;
    // How long reading one feed (away from the main thread) may take before
    // it is abandoned. Any feed within kMaxBytes reads in seconds.
    static constexpr double kReadLimit = 60.0;

    static inline const QString kNotALink = QStringLiteral("That isn't a link.");
    static inline const QString kNotACalendar = QStringLiteral("That link didn't return a calendar.");
    static inline const QString kCouldNotLoad = QStringLiteral("Couldn't load it: ");
    static inline const QString kTooLarge = QStringLiteral("Couldn't load it: the calendar is larger than 20 MB.");
    static inline const QString kTooSlow = QStringLiteral("Couldn't load it: the calendar took too long to read.");

    // Calls off the fetches under way when the application quits, so that
    // no reading holds up its end.
    // Reads and stores the links in the settings of `platform`, fetches
    // them with its network and reads them on its clock's pool; `platform`
    // must outlive it.
    explicit CalendarLinks(const Platform& platform, QObject* parent = nullptr);

    // The stored links (none when missing).
    QStringList stored() const;
    // The address fetched for a link: "webcal://" (exactly so) becomes
    // "https://"; none when the text is not an http or https address.
    static std::optional<QUrl> address(const QString& link);

    // Starts a fetch of the stored links when there are some and none was
    // started for kFetchInterval seconds before `now`; forgets the events of
    // the last fetch when there are no links (their messages stay). Works out
    // the events' occurrences ahead of time as `now` moves on.
    void refreshIfDue(double now);
    // Stores the links as given and forgets the events of links no longer
    // among them; the next refresh fetches them at once. A link's fetch
    // under way runs on, and its results count only while it is stored.
    void setLinks(const QStringList& links);

    // Fetches each of the links that is not being fetched already, all at
    // once, and takes each one's events and message as it comes (for the
    // links stored by then), announcing `fetched`; ends when all are done.
    // Without `cancel` (the fetches the refresh starts have one), this
    // object must outlive the fetch.
    QCoro::Task<> fetch(QStringList links, CancelToken cancel = {});

    // What reading one feed brings: its events and when they occur over the
    // hour from `now`.
    struct Feed {
        QList<ICSEvent> events;
        LinkOccurrences::Table table;
    };
    // Reads a feed as it came; none when it holds no calendar, or once
    // `stop` is set: every long step of the reading looks at it, so a
    // reading given up ends within moments. Any thread.
    static std::optional<Feed> readFeed(QByteArrayView body, double now, const std::atomic<bool>& stop);

    // The events of each link's last completed fetch, link by link in order.
    const QList<ICSEvent>& events() const { return events_; }
    // Those of them with an occurrence under way at `now`, in order, each
    // with the end of that occurrence.
    QList<LinkOccurrences::Happening> happening(double now) const { return occurrences_.at(events_, now); }
    const LinkOccurrences& occurrences() const { return occurrences_; }
    // Link (as stored) to the message of its failure in its last completed
    // fetch; messages of removed links go when the next fetch completes.
    const QHash<QString, QString>& errors() const { return errors_; }
    bool isFetching() const { return !fetching_.isEmpty(); }

signals:
    // A link's results were taken.
    void fetched();
    void errorsChanged();

private:
    // What one link's fetch brought: its events and when they occur over
    // the hour ahead, or why there are none.
    struct Result {
        QList<ICSEvent> events;
        LinkOccurrences::Table table = LinkOccurrences::Table::empty();
        std::optional<QString> error;
    };
    QCoro::Task<> fetchLink(QString link, CancelToken cancel);
    QCoro::Task<Result> fetchOne(QString link, CancelToken cancel);
    // Reads a feed away from the main thread, giving up after kReadLimit.
    QCoro::Task<Result> read(QByteArray body, CancelToken cancel);
    void take(const QString& link, Result result);
    // Hands each taken link its part of the current table of occurrences.
    void keepTable();
    // Puts the events (and their table) of the stored links together in order.
    void assemble(const QStringList& links);

    const Platform& platform_;
    QHash<QString, Result> results_; // by link: its last completed fetch
    QStringList assembled_;          // the links whose events make `events_`, in order
    QList<ICSEvent> events_;
    LinkOccurrences occurrences_;
    QHash<QString, QString> errors_;
    QSet<QString> fetching_;
    std::optional<double> lastFetch_; // when the last fetch started; none before the first and after a change of links
    // Every fetch started by a refresh, running beside one another; last, so
    // that they are called off first when this object goes.
    std::unique_ptr<TaskHandle> tasks_ = std::make_unique<TaskHandle>();
};

} // namespace tavrin
