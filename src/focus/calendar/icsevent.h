#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <atomic>
#include <limits>
#include <optional>

namespace tavrin {

// One timed event of a calendar link, with its recurrence rule, as ICS::parse
// reads it. Instants are seconds since 1 January 2001 (UTC).
//
// The expansion is a pure function of the record and the window: it may run
// on any thread.
struct ICSEvent {
    // One BYDAY entry: 2MO is (2, Monday), -1FR is (-1, Friday), MO is (0, Monday).
    struct Weekday {
        qint64 ordinal = 0;
        int weekday = 1; // 1 Sunday, 2 Monday, ... 7 Saturday
        bool operator==(const Weekday&) const = default;
    };

    enum class Unit { day, week, month, year };

    QString title;
    double start = 0;
    double duration = 3600; // seconds; may be zero or negative
    QTimeZone zone;         // the zone in which the rule is expanded
    // DTSTART's wall-clock time as written (seconds past midnight) when the
    // zone's clocks skipped it, so `start` is the moment of the jump: the
    // occurrences of other days keep the written time.
    std::optional<int> writtenTimeOfDay;
    QString uid;
    std::optional<double> recurrenceID; // set on a record that replaces one occurrence
    std::optional<QString> freq;        // as written; none: the event does not repeat
    qint64 interval = 1;
    QList<Weekday> byDay;
    QList<qint64> byMonthDay;
    QList<qint64> byMonth;
    QList<qint64> bySetPos;
    std::optional<double> until;
    std::optional<qint64> count;
    // The start of the last occurrence that a rule with a count can give,
    // when known (the parser works it out once): the count's last, or the
    // last before the period limit; kNoOccurrence when it gives none. A
    // window after it has no occurrence.
    std::optional<double> countEnd;
    QList<double> exdates;
    // The original starts of the occurrences that overrides of this series
    // replace or cancel, in ascending order. The masters of one UID share
    // one list.
    QList<double> overridden;

    bool operator==(const ICSEvent&) const = default;

    // Start instants of the occurrences with from <= start <= to, in time
    // order, leaving out those within a minute of an exclusion or an
    // overridden occurrence. A repeating event keeps its wall-clock time in
    // its own zone. Once `stop` is set the expansion gives up, its answer
    // incomplete: the caller that set it has stopped waiting for it.
    QList<double> occurrences(double from, double to, const std::atomic<bool>* stop = nullptr) const;

    // The start of the last occurrence of a rule with a count: the one the
    // count makes the last, or the last in the periods one expansion
    // examines when the count runs on beyond them; kNoOccurrence when there
    // is none, none without a count. Arithmetic for weekly rules, for daily
    // rules narrowed by weekdays alone and for monthly and yearly rules
    // (over the 400 years in which the calendar repeats), else one bounded
    // walk that resolves no instant but the last. Gives up as the expansion
    // does once `stop` is set.
    std::optional<double> lastCountedOccurrence(const std::atomic<bool>* stop = nullptr) const;

    // Whether an exclusion or an overridden occurrence lies less than 60
    // seconds from the instant.
    bool isExcluded(double instant) const;

    // The first day of the period of `unit` that holds `day` (weeks start on Monday).
    static QDate periodStart(QDate day, Unit unit);

    // The days the rule picks in the period that starts on `periodStart`, in
    // time order; `startDay` is the day of the first occurrence.
    QList<QDate> candidateDays(QDate periodStart, Unit unit, QDate startDay) const;

    // The period unit of a frequency ("DAILY", "WEEKLY", "MONTHLY", "YEARLY").
    static std::optional<Unit> unit(const QString& freq);

    // At most this many periods are examined by one expansion.
    static constexpr int kPeriodLimit = 20000;
    // A countEnd before every window: the rule gives no occurrence at all.
    static constexpr double kNoOccurrence = -std::numeric_limits<double>::infinity();
};

} // namespace tavrin
