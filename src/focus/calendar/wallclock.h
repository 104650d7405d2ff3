#pragma once

#include <QDate>
#include <QTimeZone>
#include <cstddef>
#include <optional>
#include <vector>

namespace tavrin {

// Turns wall-clock readings in one time zone into instants and back, with
// the rules a calendar user expects around daylight-saving changes: a time
// that the clocks skip becomes the first time after the jump, and a time
// that the clocks show twice is taken the first time.
//
// Instants are seconds since 1 January 2001 (UTC), the system's date type.
// Calendar arithmetic is done on QDate; this class is the only place where a
// date meets a zone. (QDateTime in Qt 6.4 gets both the skipped and the
// repeated hour wrong, and its day arithmetic across a change yields times
// with the wrong offset.)
//
// Dates from year 1 to year 9999 are supported; others give no instant.
// An object remembers the offsets it has looked up, so resolving many times
// with one object is cheap; use one object per thread.
class WallClock {
public:
    // Where instants count from, 1 January 2001 (UTC), in seconds after the
    // Unix epoch: the platform clock's reference too (the Focus engine checks
    // that the two agree; this reader stands on Qt Core alone).
    static constexpr qint64 kReferenceEpochSeconds = 978307200;

    // An invalid zone counts as UTC.
    explicit WallClock(const QTimeZone& zone);

    const QTimeZone& zone() const { return m_zone; }

    // The instant at which the zone's clocks read `secondOfDay` seconds past
    // midnight on `date`; none for an unsupported date or a second outside
    // the day.
    std::optional<double> instant(QDate date, int secondOfDay) const;

    struct Local {
        QDate date;
        int secondOfDay = 0;
    };
    // What the zone's clocks read at an instant (fractions of a second
    // dropped); none for instants outside the supported years.
    std::optional<Local> local(double instant) const;

    static bool supports(QDate date);

private:
    // A stretch of time without a transition, and its offset.
    struct Span {
        qint64 from; // inclusive, Unix seconds
        qint64 to;   // exclusive
        int offset;
    };

    int offsetAt(qint64 unixSeconds) const;
    qint64 resolve(qint64 localSeconds) const;

    QTimeZone m_zone;
    bool m_fixed = false;
    mutable std::vector<Span> m_spans; // those looked up so far
    mutable std::size_t m_lastSpan = 0;
};

} // namespace tavrin
