#include "focus/linkoccurrences.h"

#include "platform/clock.h"
#include "platform/platform.h"

#include <algorithm>
#include <limits>

namespace tavrin {

namespace {
// The first of `starts` (ascending, from one event of `duration`) under way at `now`.
std::optional<double> underWay(const double* first, const double* last, double duration, double now)
{
    for (const double* s = first; s != last && *s <= now; ++s)
        if (*s >= now - duration && *s + duration > now)
            return *s + duration;
    return std::nullopt;
}
} // namespace

LinkOccurrences::Table LinkOccurrences::Table::of(const QList<ICSEvent>& events, double from, double to,
                                                  const std::atomic<bool>* stop)
{
    Table table;
    table.from = from;
    table.to = to;
    table.firsts.reserve(events.size() + 1);
    for (const ICSEvent& e : events) {
        table.firsts.append(table.starts.size());
        const double d = e.duration;
        // An occurrence of no length is never under way, nor one after `to`.
        if (!(d > 0) || e.start > to || (stop && stop->load(std::memory_order_relaxed)))
            continue;
        for (const double start : e.occurrences(from - d, to, stop))
            if (start + d > from)
                table.starts.append(start);
    }
    table.firsts.append(table.starts.size());
    return table;
}

LinkOccurrences::Table LinkOccurrences::Table::empty()
{
    Table table;
    table.from = -std::numeric_limits<double>::infinity();
    table.to = std::numeric_limits<double>::infinity();
    table.firsts = {0};
    return table;
}

LinkOccurrences::Table LinkOccurrences::Table::slice(qsizetype first, qsizetype count) const
{
    Table part;
    part.from = from;
    part.to = to;
    const qsizetype base = firsts.value(first);
    part.starts = starts.mid(base, firsts.value(first + count) - base);
    part.firsts.reserve(count + 1);
    for (qsizetype i = first; i <= first + count; ++i)
        part.firsts.append(firsts.value(i) - base);
    return part;
}

LinkOccurrences::Table LinkOccurrences::Table::join(const QList<Table>& parts)
{
    Table whole = empty();
    for (const Table& part : parts) {
        whole.from = std::max(whole.from, part.from);
        whole.to = std::min(whole.to, part.to);
        const qsizetype base = whole.starts.size();
        whole.starts.append(part.starts);
        for (qsizetype i = 1; i < part.firsts.size(); ++i)
            whole.firsts.append(base + part.firsts[i]);
    }
    return whole;
}

QList<LinkOccurrences::Happening> LinkOccurrences::expanded(const QList<ICSEvent>& events, double now)
{
    QList<Happening> out;
    for (qsizetype i = 0; i < events.size(); ++i) {
        const ICSEvent& e = events[i];
        const double d = e.duration;
        if (!(d > 0) || e.start > now)
            continue;
        const QList<double> starts = e.occurrences(now - d, now);
        if (const auto end = underWay(starts.constData(), starts.constData() + starts.size(), d, now))
            out.append({i, *end});
    }
    return out;
}

QList<LinkOccurrences::Happening> LinkOccurrences::at(const QList<ICSEvent>& events, double now) const
{
    if (!table_.covers(now) || table_.firsts.size() != events.size() + 1)
        return expanded(events, now);
    QList<Happening> out;
    const double* starts = table_.starts.constData();
    for (qsizetype i = 0; i < events.size(); ++i) {
        const qsizetype first = table_.firsts[i], last = table_.firsts[i + 1];
        if (first == last)
            continue;
        if (const auto end = underWay(starts + first, starts + last, events[i].duration, now))
            out.append({i, *end});
    }
    return out;
}

void LinkOccurrences::take(Table table)
{
    clear();
    table_ = std::move(table);
}

void LinkOccurrences::clear()
{
    ++generation_;
    task_.cancel();
    table_ = Table();
}

void LinkOccurrences::refreshIfDue(const QList<ICSEvent>& events, double now)
{
    if (events.isEmpty() || task_.isRunning() || table_.covers(now + kSpan / 2))
        return;
    task_.start([this, events, now, generation = generation_](CancelToken cancel) -> QCoro::Task<> {
        // Named first: GCC 12 destroys a closure made inside a co_await twice.
        std::function<Table()> work = [events, now] { return Table::of(events, now, now + kSpan); };
        QCoro::Task<Table> working = platform_.clock->background<Table>(std::move(work));
        Table table = co_await std::move(working);
        if (!cancel.isCancelled() && generation == generation_)
            table_ = std::move(table);
    });
}

} // namespace tavrin
