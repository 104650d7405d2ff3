#pragma once

#include "focus/calendar/icsevent.h"
#include "platform/taskhandle.h"

#include <QList>
#include <atomic>
#include <cstdint>
#include <utility>

namespace tavrin {

struct Platform;

// When the calendar links' events occur over the hour ahead, worked out away
// from the main thread when the links are read and again as time moves on,
// so that asking which of them happen now costs the main thread a look-up
// rather than an expansion of every rule. Main thread.
class LinkOccurrences {
public:
    // How far ahead one table reaches; the next is worked out once half of
    // it has passed.
    static constexpr double kSpan = 3600.0;

    // The occurrences of a list of events that may be under way at some
    // moment from `from` to `to`: for each event in order, their starts.
    struct Table {
        double from = 0;
        double to = -1; // none: covers no moment
        QList<double> starts;
        QList<qsizetype> firsts; // event i's starts begin at firsts[i] and end at firsts[i + 1]

        // Pure: may run on any thread. Once `stop` is set it gives up, its
        // answer incomplete.
        static Table of(const QList<ICSEvent>& events, double from, double to, const std::atomic<bool>* stop = nullptr);
        bool covers(double t) const { return from <= t && t <= to; }
        // The table of no events, which covers every moment.
        static Table empty();
        // The part of the table for `count` events from event `first`.
        Table slice(qsizetype first, qsizetype count) const;
        // The tables of consecutive runs of events, one after the other,
        // over the moments all of them cover.
        static Table join(const QList<Table>& parts);
    };

    // An event of the list happening at a moment, and when that occurrence ends.
    struct Happening {
        qsizetype index;
        double end;
    };
    // Each of `events` with an occurrence under way at `now`, in list order,
    // with the end of its first such occurrence: from the table when it was
    // made for these events and covers `now`, else worked out here.
    QList<Happening> at(const QList<ICSEvent>& events, double now) const;
    static QList<Happening> expanded(const QList<ICSEvent>& events, double now);

    // Works its tables out in the background on the clock of `platform`,
    // which must outlive it.
    explicit LinkOccurrences(const Platform& platform) : platform_(platform) {}

    // Takes the table of a new list of events (calling off a refresh of the old).
    void take(Table table);
    // The table taken or worked out last (it may be for an older list).
    const Table& table() const { return table_; }
    // Forgets the table: the events changed.
    void clear();
    // Starts working out the next table of `events` in the background when
    // `now` has passed the middle of this one.
    void refreshIfDue(const QList<ICSEvent>& events, double now);

private:
    const Platform& platform_;
    Table table_;
    std::uint64_t generation_ = 0; // of the event list the table is for
    TaskHandle task_;
};

} // namespace tavrin
