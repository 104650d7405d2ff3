#include "focus/calendar/icsevent.h"

#include "focus/calendar/wallclock.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <numeric>
#include <vector>

namespace tavrin {

namespace {
constexpr double kExclusionTolerance = 60.0;
// Far enough for any period of years 1 to 9999; larger steps give no date.
constexpr qint64 kMaxDays = 4'000'000;
constexpr qint64 kMaxMonths = qint64{12} * 10'000;

// Work allowed to one expansion, in list entries examined and days produced.
// Real rules use a tiny part of it; it stops absurd ones (lists of 100,000
// entries, counts from centuries ago) in well under a second.
constexpr qint64 kWorkLimit = 2'000'000;

struct Budget {
    qint64 left = std::numeric_limits<qint64>::max();
    // False once the work is spent; the caller then gives up.
    bool spend(qint64 amount)
    {
        left -= amount;
        return left >= 0;
    }
};

// 1 Sunday ... 7 Saturday.
int weekdayOf(QDate day) { return day.dayOfWeek() % 7 + 1; }

// A BYMONTHDAY value as a day of a month of `n` days (0 when it names none).
qint64 dayOfMonth(qint64 value, int n)
{
    if (value >= 1)
        return value;
    return value >= -n ? n + value + 1 : 0;
}

std::optional<QDate> addUnits(QDate base, ICSEvent::Unit unit, qint64 n)
{
    QDate result;
    switch (unit) {
    case ICSEvent::Unit::day:
        if (n < -kMaxDays || n > kMaxDays)
            return std::nullopt;
        result = base.addDays(n);
        break;
    case ICSEvent::Unit::week:
        if (n < -kMaxDays / 7 || n > kMaxDays / 7)
            return std::nullopt;
        result = base.addDays(n * 7);
        break;
    case ICSEvent::Unit::month:
        if (n < -kMaxMonths || n > kMaxMonths)
            return std::nullopt;
        result = base.addMonths(int(n));
        break;
    case ICSEvent::Unit::year:
        if (n < -kMaxMonths / 12 || n > kMaxMonths / 12)
            return std::nullopt;
        result = base.addYears(int(n));
        break;
    }
    if (!WallClock::supports(result))
        return std::nullopt;
    return result;
}

// Whole periods from `base` (a period start) to the day `day`.
qint64 unitsBetween(QDate base, QDate day, ICSEvent::Unit unit)
{
    switch (unit) {
    case ICSEvent::Unit::day: return base.daysTo(day);
    case ICSEvent::Unit::week: return base.daysTo(day) / 7;
    case ICSEvent::Unit::month: return qint64(day.year() - base.year()) * 12 + day.month() - base.month();
    case ICSEvent::Unit::year: return day.year() - base.year();
    }
    return 0;
}

// The days of BYDAY in a month of `n` days that starts on `monthStart`,
// ordinals counted within the month.
std::array<bool, 32> byDayNumbers(const ICSEvent& e, QDate monthStart, int n)
{
    std::array<bool, 32> picked{};
    const int firstWeekday = weekdayOf(monthStart);
    for (const ICSEvent::Weekday& w : e.byDay) {
        if (w.weekday < 1 || w.weekday > 7)
            continue;
        const int first = 1 + (w.weekday - firstWeekday + 7) % 7;
        const qint64 matches = first <= n ? (n - first) / 7 + 1 : 0;
        if (w.ordinal == 0) {
            for (int d = first; d <= n; d += 7)
                picked[d] = true;
        } else if (w.ordinal > 0 && w.ordinal <= matches) {
            picked[first + 7 * (w.ordinal - 1)] = true;
        } else if (w.ordinal < 0 && w.ordinal >= -matches) {
            picked[first + 7 * (matches + w.ordinal)] = true;
        }
    }
    return picked;
}

// The days of a month of `n` days that BYMONTHDAY and BYDAY pick, or the
// start's day of the month without either.
std::array<bool, 32> pickedMonthDays(const ICSEvent& e, QDate monthStart, int n, QDate startDay)
{
    std::array<bool, 32> present{};
    if (!e.byMonthDay.isEmpty()) {
        // With BYDAY as well, a day must satisfy both.
        std::array<bool, 32> allowed;
        if (e.byDay.isEmpty())
            allowed.fill(true);
        else
            allowed = byDayNumbers(e, monthStart, n);
        for (qint64 value : e.byMonthDay) {
            const qint64 d = dayOfMonth(value, n);
            if (d >= 1 && d <= n && allowed[d])
                present[d] = true;
        }
    } else if (!e.byDay.isEmpty()) {
        present = byDayNumbers(e, monthStart, n);
    } else if (startDay.day() <= n) {
        present[startDay.day()] = true;
    }
    return present;
}

// The days of a month, at most 31, in a fixed buffer: months are worked out
// by the thousand when a feed is read.
struct MonthDays {
    std::array<int, 32> day{};
    int size = 0;
};

// The entries of an ascending list at the positions BYSETPOS names, in
// ascending order (a position named twice gives its day twice).
QList<int> atSetPositions(const MonthDays& numbers, const QList<qint64>& bySetPos)
{
    const qint64 size = numbers.size;
    QList<int> picked;
    for (qint64 p : bySetPos) {
        if (p > 0 && p <= size)
            picked.append(numbers.day[p - 1]);
        else if (p < 0 && p >= -size)
            picked.append(numbers.day[size + p]);
    }
    std::sort(picked.begin(), picked.end());
    return picked;
}

QList<QDate> monthDaysOf(const ICSEvent& e, QDate monthStart, QDate startDay, Budget& budget)
{
    if (!budget.spend(32 + e.byDay.size() + e.byMonthDay.size() + e.bySetPos.size()))
        return {};
    const int n = monthStart.isValid() ? monthStart.daysInMonth() : 30;
    const std::array<bool, 32> present = pickedMonthDays(e, monthStart, n, startDay);

    MonthDays numbers;
    for (int d = 1; d <= n; ++d)
        if (present[d])
            numbers.day[numbers.size++] = d;
    QList<QDate> days;
    const auto add = [&](int d) {
        const QDate day = monthStart.addDays(d - 1);
        if (WallClock::supports(day))
            days.append(day);
    };
    if (!e.bySetPos.isEmpty()) {
        const QList<int> picked = atSetPositions(numbers, e.bySetPos);
        days.reserve(picked.size());
        for (int d : picked)
            add(d);
    } else {
        days.reserve(numbers.size);
        for (int i = 0; i < numbers.size; ++i)
            add(numbers.day[i]);
    }
    return days;
}

QList<QDate> candidateDaysOf(const ICSEvent& e, QDate periodStart, ICSEvent::Unit unit, QDate startDay, Budget& budget);

// Whether a value of an ascending list lies less than the tolerance from `instant`.
bool nearAny(const QList<double>& ascending, double instant)
{
    const auto it = std::upper_bound(ascending.cbegin(), ascending.cend(), instant - kExclusionTolerance);
    return it != ascending.cend() && *it < instant + kExclusionTolerance;
}

struct Pattern;

// The resolver of a zone for this thread, kept with the offsets it has
// looked up: the events of a feed share a few zones, and a fresh resolver
// would ask Qt for the same changes of offset again for each of them.
const WallClock& clockOf(const QTimeZone& zone)
{
    static thread_local std::map<QByteArray, std::unique_ptr<WallClock>> clocks;
    const QByteArray id = zone.isValid() ? zone.id() : QByteArray();
    auto found = clocks.find(id);
    if (found == clocks.end()) {
        if (clocks.size() >= 64)
            clocks.clear(); // a feed of many zones: start again
        found = clocks.emplace(id, std::make_unique<WallClock>(zone)).first;
    }
    return *found->second;
}

// What every walk through a rule's days starts from: the rule's periods in
// its zone, the first occurrence's day and the wall-clock time they all keep.
struct Series {
    const ICSEvent& event;
    const WallClock& clock;
    ICSEvent::Unit unit;
    QDate startDay;
    int timeOfDay;
    qint64 step;
    QDate base;                      // the period that holds the start
    const std::atomic<bool>* stop{}; // set: give up

    static std::optional<Series> of(const ICSEvent& e, const std::atomic<bool>* stop)
    {
        const std::optional<ICSEvent::Unit> unit = ICSEvent::unit(e.freq.value_or(QString()));
        if (!unit)
            return std::nullopt;
        const WallClock& clock = clockOf(e.zone);
        const std::optional<WallClock::Local> first = clock.local(e.start);
        if (!first)
            return std::nullopt;
        const int time = e.writtenTimeOfDay.value_or(first->secondOfDay);
        return Series{e,
                      clock,
                      *unit,
                      first->date,
                      time,
                      e.interval > 1 ? e.interval : 1,
                      ICSEvent::periodStart(first->date, *unit),
                      stop};
    }

    bool stopped() const { return stop && stop->load(std::memory_order_relaxed); }

    // Whether an occurrence on `day` (one the rule picks) is one of the
    // series', that is, not before the start. Resolving instants is what
    // costs in a zone with a history of changes, and after the first day
    // the order of wall dates is the order of instants: a change of offset
    // never reaches a day, and a reading the clocks skip or show twice
    // still falls between those of the days either side.
    bool counts(QDate day) const
    {
        if (day != startDay)
            return day > startDay;
        // The start itself may be the second of a time shown twice.
        const std::optional<double> instant = clock.instant(day, timeOfDay);
        return instant && *instant >= event.start;
    }

    // The period `k` periods of the rule after the first; none beyond the
    // supported years.
    std::optional<QDate> period(qint64 k) const
    {
        qint64 offset = 0;
        if (__builtin_mul_overflow(k, step, &offset))
            return std::nullopt;
        return addUnits(base, unit, offset);
    }

    // The last period that an expansion from the first reaches: the period
    // limit's, or the last within the supported years; none when not even
    // the first is.
    std::optional<qint64> lastPeriod() const;
    // Whether the periods up to `last` can never spend the work allowed to
    // one expansion.
    bool withinWork(qint64 last) const;
    // Whether a count is more than the periods up to `last` can ever give,
    // so that the expansion ends at the limit whatever came before.
    bool outlasts(qint64 count, qint64 last) const;
    // The rule's pattern, when its days can be counted by arithmetic all the
    // way to the period limit.
    std::optional<Pattern> pattern() const;

    // Hands the rule's days, from period `k` on, in time order, to `visit`
    // until it answers false, `periodsLeft` periods are done, a period
    // starts after `lastDay` (unless a yearly rule's months run into later
    // years) or the work allowed to one expansion is spent.
    template <class Visit>
    void walk(qint64 k, std::optional<QDate> lastDay, Visit visit, qint64 periodsLeft = ICSEvent::kPeriodLimit) const
    {
        const bool monthsInYear =
            unit != ICSEvent::Unit::year
            || std::all_of(event.byMonth.cbegin(), event.byMonth.cend(), [](qint64 m) { return m >= 1 && m <= 12; });
        Budget budget{kWorkLimit};
        for (qint64 periods = 0; periods < periodsLeft && budget.left >= 0; ++periods, ++k) {
            if (stopped())
                return;
            const std::optional<QDate> start = period(k);
            if (!start || (lastDay && monthsInYear && *start > *lastDay))
                return;
            const QList<QDate> days = candidateDaysOf(event, *start, unit, startDay, budget);
            if (!budget.spend(days.size()))
                return;
            for (const QDate& day : days)
                if (!visit(day))
                    return;
        }
    }
};

// The day of a daily rule's period, unless BYMONTH, BYMONTHDAY or BYDAY
// leaves it out: each of them narrows a daily rule.
QList<QDate> dailyDays(const ICSEvent& e, QDate periodStart, Budget& budget)
{
    QList<QDate> days;
    if (!budget.spend(1 + e.byMonth.size() + e.byMonthDay.size() + e.byDay.size()))
        return days;
    if (!e.byMonth.isEmpty() && !e.byMonth.contains(periodStart.month()))
        return days;
    const int n = periodStart.daysInMonth();
    if (!e.byMonthDay.isEmpty() && std::none_of(e.byMonthDay.cbegin(), e.byMonthDay.cend(), [&](qint64 d) {
            return dayOfMonth(d, n) == periodStart.day();
        }))
        return days;
    const int weekday = weekdayOf(periodStart);
    if (!e.byDay.isEmpty() && std::none_of(e.byDay.cbegin(), e.byDay.cend(), [&](const ICSEvent::Weekday& w) {
            return w.weekday == weekday;
        }))
        return days;
    days.append(periodStart);
    return days;
}

// The days of a weekly rule's week: those of BYDAY, else the start's weekday.
QList<QDate> weeklyDays(const ICSEvent& e, QDate periodStart, QDate startDay, Budget& budget)
{
    QList<QDate> days;
    if (!budget.spend(8 + e.byDay.size()))
        return days;
    std::array<bool, 8> wanted{};
    if (e.byDay.isEmpty())
        wanted[weekdayOf(startDay)] = true;
    for (const ICSEvent::Weekday& w : e.byDay)
        if (w.weekday >= 1 && w.weekday <= 7)
            wanted[w.weekday] = true;
    for (int i = 0; i < 7; ++i) {
        const QDate day = periodStart.addDays(i);
        if (wanted[weekdayOf(day)] && WallClock::supports(day))
            days.append(day);
    }
    return days;
}

// The days of a yearly rule's year: those of each month of BYMONTH (else the
// start's month), months in ascending order.
QList<QDate> yearlyDays(const ICSEvent& e, QDate periodStart, QDate startDay, Budget& budget)
{
    QList<QDate> days;
    if (!budget.spend(1 + e.byMonth.size()))
        return days;
    QList<qint64> months = e.byMonth;
    if (months.isEmpty())
        months.append(startDay.month());
    std::sort(months.begin(), months.end());
    for (qint64 m : months) {
        // Out-of-range months run on into the neighbouring years.
        if (m < -kMaxMonths || m > kMaxMonths)
            continue;
        if (const auto monthStart = addUnits(periodStart, ICSEvent::Unit::month, m - 1))
            days.append(monthDaysOf(e, *monthStart, startDay, budget));
        if (budget.left < 0)
            break;
    }
    return days;
}

QList<QDate> candidateDaysOf(const ICSEvent& e, QDate periodStart, ICSEvent::Unit unit, QDate startDay, Budget& budget)
{
    switch (unit) {
    case ICSEvent::Unit::day: return dailyDays(e, periodStart, budget);
    case ICSEvent::Unit::week: return weeklyDays(e, periodStart, startDay, budget);
    case ICSEvent::Unit::month:
        if (!budget.spend(1 + e.byMonth.size()))
            return {};
        if (!e.byMonth.isEmpty() && !e.byMonth.contains(periodStart.month()))
            return {};
        return monthDaysOf(e, periodStart, startDay, budget);
    case ICSEvent::Unit::year: return yearlyDays(e, periodStart, startDay, budget);
    }
    return {};
}
// The most work one period of a rule can cost an expansion (as Budget
// counts it), and the most days it can give.
qint64 workPerPeriod(const ICSEvent& e, ICSEvent::Unit unit)
{
    const qint64 d = e.byDay.size(), md = e.byMonthDay.size(), m = e.byMonth.size(), sp = e.bySetPos.size();
    const qint64 month = 32 + d + md + sp + std::max<qint64>(31, sp);
    switch (unit) {
    case ICSEvent::Unit::day: return 2 + m + md + d;
    case ICSEvent::Unit::week: return 15 + d;
    case ICSEvent::Unit::month: return 1 + m + month;
    case ICSEvent::Unit::year: return 1 + m + std::max<qint64>(m, 1) * month;
    }
    return kWorkLimit;
}

qint64 daysPerPeriod(const ICSEvent& e, ICSEvent::Unit unit)
{
    const qint64 month = std::max<qint64>(31, e.bySetPos.size());
    switch (unit) {
    case ICSEvent::Unit::day: return 1;
    case ICSEvent::Unit::week: return 7;
    case ICSEvent::Unit::month: return month;
    case ICSEvent::Unit::year: return std::max<qint64>(e.byMonth.size(), 1) * month;
    }
    return month;
}

// A rule whose days repeat in a fixed cycle of periods: a weekly rule has the
// same weekdays every week, and a daily rule narrowed by weekdays alone
// repeats every seven periods. Its occurrences are counted, and the n-th one
// found, by arithmetic instead of a walk.
struct Pattern {
    struct Hit {
        qint64 period; // within the cycle
        qint64 day;    // days after that period's start
    };
    qint64 cycle = 1;
    QList<Hit> hits;    // the days of one cycle, in time order
    qint64 skipped = 0; // days of the first cycle before the start

    static std::optional<Pattern> of(const Series& s)
    {
        const ICSEvent& e = s.event;
        std::array<bool, 8> wanted{};
        for (const ICSEvent::Weekday& w : e.byDay)
            if (w.weekday >= 1 && w.weekday <= 7)
                wanted[w.weekday] = true;
        Pattern p;
        if (s.unit == ICSEvent::Unit::week) {
            if (e.byDay.isEmpty())
                wanted[weekdayOf(s.startDay)] = true;
            for (qint64 i = 0; i < 7; ++i)
                if (wanted[weekdayOf(s.base.addDays(i))]) {
                    p.hits.append({0, i});
                    p.skipped += s.base.addDays(i) < s.startDay;
                }
            return p;
        }
        if (s.unit != ICSEvent::Unit::day || !e.byMonth.isEmpty() || !e.byMonthDay.isEmpty())
            return std::nullopt;
        p.cycle = 7;
        for (qint64 j = 0; j < 7; ++j)
            if (e.byDay.isEmpty() || wanted[weekdayOf(s.startDay.addDays(j * (s.step % 7) % 7))])
                p.hits.append({j, 0});
        return p;
    }

    // The occurrences in the periods before period `k`.
    qint64 before(qint64 k) const
    {
        qint64 n = k / cycle * hits.size();
        for (const Hit& h : hits)
            n += h.period < k % cycle;
        return std::max<qint64>(n - skipped, 0);
    }

    // The day of occurrence `index` (0 the first).
    std::optional<QDate> day(const Series& s, qint64 index) const
    {
        const qint64 g = index + skipped;
        const Hit& hit = hits[g % hits.size()];
        const std::optional<QDate> start = s.period(g / hits.size() * cycle + hit.period);
        return start ? std::optional(start->addDays(hit.day)) : std::nullopt;
    }
};

std::optional<qint64> Series::lastPeriod() const
{
    qint64 hi = ICSEvent::kPeriodLimit - 1;
    if (period(hi))
        return hi;
    if (!period(0))
        return std::nullopt;
    qint64 lo = 0; // a period that exists; `hi` one that does not
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        (period(mid) ? lo : hi) = mid;
    }
    return lo;
}

bool Series::withinWork(qint64 last) const
{
    qint64 work = 0;
    return !__builtin_mul_overflow(workPerPeriod(event, unit), last + 1, &work) && work <= kWorkLimit;
}

bool Series::outlasts(qint64 count, qint64 last) const
{
    qint64 most = 0;
    return withinWork(last) && !__builtin_mul_overflow(daysPerPeriod(event, unit), last + 1, &most) && count > most;
}

std::optional<Pattern> Series::pattern() const
{
    // Every day of every period up to the limit exists and nothing else
    // cuts an expansion short.
    constexpr qint64 last = ICSEvent::kPeriodLimit - 1;
    if (!period(last + 1) || !withinWork(last))
        return std::nullopt;
    return Pattern::of(*this);
}

// The weekday (1 Monday ... 7 Sunday) of the first day of a month of the
// Gregorian calendar, year 1 or later.
int weekdayOfFirst(qint64 year, qint64 month)
{
    // Days from 1 January of the year 1 (a Monday) to the 1st of the month.
    static constexpr std::array<int, 12> kBefore{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const qint64 y = year - 1;
    qint64 days = y * 365 + y / 4 - y / 100 + y / 400 + kBefore[month - 1];
    if (month > 2 && QDate::isLeapYear(int(year)))
        ++days;
    return int(days % 7) + 1;
}

// A monthly or yearly rule whose months lie within its years picks the same
// days again every 400 years, when the weekdays and leap years of the
// Gregorian calendar repeat; in between, a month's days depend only on its
// length, weekday of the 1st and place in the year (a year's on its weekday
// of 1 January and whether it is a leap year). So a walk from the first
// period, with the work it spends and where that ends it, is a matter of
// arithmetic over one cycle of periods, each looked up among at most 168
// kinds of period rather than worked out.
struct Cycle {
    // A kind of period: the days it picks (days after its start), and the
    // work a walk spends on it.
    struct Kind {
        QList<qint64> days;
        qint64 work = 0;
    };
    QList<const Kind*> periods; // the kinds of one cycle's periods, from the first
    QList<qint64> daysBefore;   // days of the cycle's periods before period i (one entry more)
    QList<qint64> workBefore;   // the same for work
    qint64 skipped = 0;         // days of the first period before the start
    qint64 reach = 0;           // the periods a walk from the first goes through
    std::vector<std::unique_ptr<Kind>> kinds;

    static std::optional<Cycle> of(const Series& s, qint64 lastPeriod)
    {
        const ICSEvent& e = s.event;
        const bool yearly = s.unit == ICSEvent::Unit::year;
        if ((!yearly && s.unit != ICSEvent::Unit::month)
            || (yearly
                && !std::all_of(e.byMonth.cbegin(), e.byMonth.cend(), [](qint64 m) { return m >= 1 && m <= 12; })))
            return std::nullopt;
        const qint64 calendar = yearly ? 400 : 4800; // periods of the unit in 400 years
        const qint64 length = calendar / std::gcd(calendar, s.step % calendar);
        Cycle c;
        std::array<const Kind*, std::size_t{12} * 7 * 2> byKey{};
        // Months since the year 0 of the first period; each period's year,
        // month and weekday of its first day by arithmetic (QDate works out
        // a date's parts afresh at every question).
        const qint64 first = qint64(s.base.year()) * 12 + s.base.month() - 1;
        const qint64 monthsPerPeriod = (yearly ? 12 : 1) * s.step;
        for (qint64 k = 0; k < length; ++k) {
            if (s.stopped())
                return std::nullopt;
            const qint64 months = first + k * monthsPerPeriod;
            const qint64 year = months / 12, month = months % 12 + 1;
            if (year > 9999)
                break; // beyond the supported years: `reach` stops before it
            const bool leap = QDate::isLeapYear(int(year));
            const qint64 key = ((month - 1) * 7 + weekdayOfFirst(year, month) - 1) * 2 + leap;
            const Kind*& kind = byKey[key];
            if (!kind) {
                const std::optional<QDate> start = s.period(k);
                if (!start)
                    break;
                auto made = std::make_unique<Kind>();
                Budget budget;
                const QList<QDate> days = candidateDaysOf(e, *start, s.unit, s.startDay, budget);
                made->work = std::numeric_limits<qint64>::max() - budget.left + days.size();
                for (const QDate& day : days)
                    made->days.append(start->daysTo(day));
                kind = made.get();
                c.kinds.push_back(std::move(made));
            }
            c.periods.append(kind);
        }
        if (c.periods.isEmpty())
            return std::nullopt;
        c.daysBefore.append(0);
        c.workBefore.append(0);
        for (const Kind* kind : std::as_const(c.periods)) {
            c.daysBefore.append(c.daysBefore.last() + kind->days.size());
            c.workBefore.append(c.workBefore.last() + kind->work);
        }
        for (const qint64 offset : c.periods.value(0)->days)
            c.skipped += !s.counts(s.base.addDays(offset));
        c.reach = std::min<qint64>(lastPeriod + 1, c.worked(kWorkLimit));
        return c;
    }

    // How many periods from the first a walk finishes before it has spent
    // more than `work`.
    qint64 worked(qint64 work) const
    {
        const qint64 perCycle = workBefore.last();
        const qint64 cycles = perCycle > 0 ? work / perCycle : ICSEvent::kPeriodLimit;
        if (cycles * periods.size() >= ICSEvent::kPeriodLimit)
            return ICSEvent::kPeriodLimit;
        const qint64 left = work - cycles * perCycle;
        const qint64 within = std::upper_bound(workBefore.cbegin(), workBefore.cend(), left) - workBefore.cbegin() - 1;
        return std::min<qint64>(cycles * periods.size() + within, ICSEvent::kPeriodLimit);
    }

    // The occurrences in the periods before period `k`.
    qint64 before(qint64 k) const
    {
        const qint64 n = k / periods.size() * daysBefore.last() + daysBefore[k % periods.size()];
        return std::max<qint64>(n - skipped, 0);
    }

    // The day of occurrence `index` (0 the first).
    std::optional<QDate> day(const Series& s, qint64 index) const
    {
        const qint64 g = index + skipped;
        const qint64 perCycle = daysBefore.last();
        const qint64 r = g % perCycle;
        const qint64 i = std::upper_bound(daysBefore.cbegin(), daysBefore.cend(), r) - daysBefore.cbegin() - 1;
        const std::optional<QDate> start = s.period(g / perCycle * periods.size() + i);
        return start ? std::optional(start->addDays(periods[i]->days[r - daysBefore[i]])) : std::nullopt;
    }
};

// Where the expansion of a window that opens at `from` begins: the period to
// start at, the occurrences counted before it and the periods left to walk.
struct Resume {
    qint64 period = 0;
    qint64 emitted = 0;
    qint64 periodsLeft = ICSEvent::kPeriodLimit;

    // Without a count there is nothing to count from DTSTART: begin one
    // period before the window. With one, so does a rule whose count of
    // earlier occurrences is a matter of arithmetic, or does not matter
    // since the count outlasts the period limit. None when the window lies
    // beyond the supported years.
    static std::optional<Resume> of(const ICSEvent& e, const Series& series, double from)
    {
        Resume r;
        std::optional<Pattern> pattern;
        std::optional<Cycle> cycle;
        bool skipAhead = !e.count;
        if (e.count)
            if (const std::optional<qint64> last = series.lastPeriod()) {
                pattern = series.pattern();
                const bool outlasts = !pattern && series.outlasts(*e.count, *last);
                if (!pattern && !outlasts)
                    cycle = Cycle::of(series, *last);
                skipAhead = pattern || outlasts || cycle;
            }
        if (!skipAhead)
            return r;
        if (const auto windowStart = series.clock.local(from))
            r.period = std::max<qint64>(unitsBetween(series.base, windowStart->date, series.unit) / series.step - 1, 0);
        else if (from > e.start)
            return std::nullopt;
        if (e.count) {
            r.emitted = pattern ? pattern->before(r.period) : cycle ? cycle->before(r.period) : 0;
            // The limit, and the work a walk from the first may spend, count
            // from the first period.
            r.periodsLeft = (cycle ? cycle->reach : ICSEvent::kPeriodLimit) - r.period;
            if (r.periodsLeft <= 0)
                return std::nullopt;
        }
        return r;
    }
};
} // namespace

std::optional<ICSEvent::Unit> ICSEvent::unit(const QString& freq)
{
    if (freq == u"DAILY")
        return Unit::day;
    if (freq == u"WEEKLY")
        return Unit::week;
    if (freq == u"MONTHLY")
        return Unit::month;
    if (freq == u"YEARLY")
        return Unit::year;
    return std::nullopt;
}

bool ICSEvent::isExcluded(double instant) const
{
    QList<double> sorted = exdates;
    std::sort(sorted.begin(), sorted.end());
    return nearAny(sorted, instant) || nearAny(overridden, instant);
}

QDate ICSEvent::periodStart(QDate day, Unit unit)
{
    if (!day.isValid())
        return day;
    switch (unit) {
    case Unit::day: return day;
    case Unit::week: return day.addDays(1 - day.dayOfWeek());
    case Unit::month: return QDate(day.year(), day.month(), 1);
    case Unit::year: return QDate(day.year(), 1, 1);
    }
    return day;
}

QList<QDate> ICSEvent::candidateDays(QDate periodStart, Unit unit, QDate startDay) const
{
    Budget unlimited;
    return candidateDaysOf(*this, periodStart, unit, startDay, unlimited);
}

QList<double> ICSEvent::occurrences(double from, double to, const std::atomic<bool>* stop) const
{
    QList<double> result;
    if (std::isnan(from) || std::isnan(to))
        return result;
    if (!freq) {
        if (from <= start && start <= to && !isExcluded(start))
            result.append(start);
        return result;
    }
    // A count that ended before the window: nothing to walk through.
    if (count && countEnd && from > *countEnd)
        return result;
    const std::optional<Series> series = Series::of(*this, stop);
    if (!series)
        return result;
    const WallClock& clock = series->clock;
    const std::optional<Resume> resume = Resume::of(*this, *series, from);
    if (!resume)
        return result; // the window lies beyond the supported years
    qint64 emitted = resume->emitted;

    // A period that starts after the last day that can hold an occurrence
    // ends the expansion.
    std::optional<QDate> lastDay;
    if (const auto end = clock.local(until ? std::min(*until, to) : to))
        lastDay = end->date.addDays(1);

    QList<double> sortedExdates = exdates; // shared, not copied, when in order already
    if (!std::is_sorted(sortedExdates.cbegin(), sortedExdates.cend()))
        std::sort(sortedExdates.begin(), sortedExdates.end());

    // Days more than a day before the window cannot reach into it (offsets
    // never reach a day): they are counted by date, not resolved.
    std::optional<QDate> firstDay;
    if (const auto windowStart = clock.local(from))
        firstDay = windowStart->date.addDays(-1);
    series->walk(
        resume->period, lastDay,
        [&](QDate day) {
            if (firstDay && day < *firstDay) {
                if (!series->counts(day))
                    return true;
                return !count || emitted++ < *count;
            }
            const std::optional<double> occurrence = clock.instant(day, series->timeOfDay);
            if (!occurrence || *occurrence < start)
                return true;
            if (count && emitted >= *count)
                return false;
            ++emitted;
            if ((until && *occurrence > *until) || *occurrence > to)
                return false;
            if (*occurrence >= from && !nearAny(sortedExdates, *occurrence) && !nearAny(overridden, *occurrence))
                result.append(*occurrence);
            return true;
        },
        resume->periodsLeft);
    return result;
}

std::optional<double> ICSEvent::lastCountedOccurrence(const std::atomic<bool>* stop) const
{
    if (!freq || !count || *count < 1)
        return std::nullopt;
    const std::optional<Series> series = Series::of(*this, stop);
    if (!series)
        return std::nullopt;
    const std::optional<qint64> last = series->lastPeriod();
    if (!last)
        return kNoOccurrence;
    const auto at = [&](QDate day) { return series->clock.instant(day, series->timeOfDay); };

    if (const std::optional<Pattern> pattern = series->pattern()) {
        const qint64 within = pattern->before(*last + 1);
        if (within < 1)
            return kNoOccurrence;
        const std::optional<QDate> day = pattern->day(*series, std::min(*count, within) - 1);
        return day ? at(*day) : std::nullopt;
    }
    // A count that the periods up to the limit cannot hold: the last of
    // their occurrences, looked for from the end.
    if (series->outlasts(*count, *last)) {
        for (qint64 k = *last; k >= 0 && !series->stopped(); --k) {
            const QList<QDate> days = candidateDays(*series->period(k), series->unit, series->startDay);
            for (auto day = days.crbegin(); day != days.crend(); ++day)
                if (const auto instant = at(*day); instant && *instant >= start)
                    return instant;
        }
        return kNoOccurrence;
    }
    // A monthly or yearly rule: counted over its calendar's cycle.
    if (const std::optional<Cycle> cycle = Cycle::of(*series, *last)) {
        const qint64 within = cycle->before(cycle->reach);
        if (within < 1)
            return kNoOccurrence;
        const std::optional<QDate> day = cycle->day(*series, std::min(*count, within) - 1);
        return day ? at(*day) : std::nullopt;
    }
    // Otherwise the days are counted as an expansion counts them, up to the
    // count or wherever the expansion would stop. Which days count is a
    // matter of wall dates alone, so only the last one meets the zone.
    std::optional<QDate> lastSeen;
    qint64 counted = 0;
    series->walk(0, std::nullopt, [&](QDate day) {
        if (!series->counts(day))
            return true;
        lastSeen = day;
        return ++counted < *count;
    });
    return lastSeen ? at(*lastSeen) : kNoOccurrence;
}

} // namespace tavrin
