#pragma once

#include "focus/calendar/icsevent.h"
#include "focus/linkoccurrences.h"
#include "platform/taskhandle.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <limits>
#include <optional>
#include <qcoro/qcorotask.h>

namespace tavrin {

// The user's calendar links ("focus.links": addresses of iCalendar feeds, in
// the user's order) and what the last fetch of them brought: the events of
// every link that answered with a calendar, and for every link that did not,
// a message saying why. Links are fetched at most every 600 s, and at once
// after they change; between fetches their events stay, so repeating events
// go on starting routines without the network. Main thread.
class CalendarLinks : public QObject {
    Q_OBJECT
public:
    static inline const QString kLinksKey = QStringLiteral("focus.links");
    static constexpr double kFetchInterval = 600.0;
    // What one link's fetch may take: time, redirects, size.
    static constexpr double kTimeout = 60.0;
    static constexpr int kMaxRedirects = 5;
    static constexpr qint64 kMaxBytes = 20 * 1024 * 1024;

    static inline const QString kNotALink = QStringLiteral("That isn't a link.");
    static inline const QString kNotACalendar = QStringLiteral("That link didn't return a calendar.");
    static inline const QString kCouldNotLoad = QStringLiteral("Couldn't load it: ");
    static inline const QString kTooLarge = QStringLiteral("Couldn't load it: the calendar is larger than 20 MB.");

    using QObject::QObject;

    // The stored links (none when missing).
    static QStringList stored();
    // The address fetched for a link: "webcal://" (exactly so) becomes
    // "https://"; none when the text is not an http or https address.
    static std::optional<QUrl> address(const QString& link);

    // Starts a fetch of the stored links when there are some and none was
    // started for kFetchInterval seconds before `now`; forgets the events of
    // the last fetch when there are no links (their messages stay). Works out
    // the events' occurrences ahead of time as `now` moves on.
    void refreshIfDue(double now);
    // Stores the links as given; the next refresh fetches them at once. A
    // fetch under way is called off and its results dropped.
    void setLinks(const QStringList& links);

    // Fetches the links one after another, then takes their events and
    // messages (replacing the earlier ones whole) and announces `fetched`;
    // unless a later fetch has started or the links changed meanwhile, when
    // its results are dropped. Without `cancel` (the fetches the refresh
    // starts have one), this object must outlive the fetch.
    QCoro::Task<> fetch(QStringList links, CancelToken cancel = {});

    // The events of the last completed fetch, link by link in order.
    const QList<ICSEvent>& events() const { return events_; }
    // Those of them with an occurrence under way at `now`, in order, each
    // with the end of that occurrence.
    QList<LinkOccurrences::Happening> happening(double now) const { return occurrences_.at(events_, now); }
    const LinkOccurrences& occurrences() const { return occurrences_; }
    // Link (as stored) to the message of its failure in the last completed fetch.
    const QHash<QString, QString>& errors() const { return errors_; }
    bool isFetching() const { return task_.isRunning(); }
    // When the last fetch was started; none before the first (and after a
    // change of the links).
    std::optional<double> lastFetch() const { return lastFetch_; }

signals:
    // A fetch's results were taken.
    void fetched();
    void errorsChanged();

private:
    struct Result {
        QList<ICSEvent> events;
        std::optional<QString> error;
    };
    // One link: its events, or why there are none.
    static QCoro::Task<Result> fetchOne(QString link, CancelToken cancel);

    QList<ICSEvent> events_;
    LinkOccurrences occurrences_;
    QHash<QString, QString> errors_;
    std::optional<double> lastFetch_;
    std::uint64_t generation_ = 0;
    TaskHandle task_;
};

} // namespace tavrin
