#include "focus/icsevent.h"

#include "focus/wallclock.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace tavrin {

namespace {
constexpr double kExclusionTolerance = 60.0;
// Far enough for any period of years 1 to 9999; larger steps give no date.
constexpr qint64 kMaxDays = 4'000'000;
constexpr qint64 kMaxMonths = 12 * 10'000;

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
int weekdayOf(QDate day)
{
    return day.dayOfWeek() % 7 + 1;
}

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
    case ICSEvent::Unit::day:
        return base.daysTo(day);
    case ICSEvent::Unit::week:
        return base.daysTo(day) / 7;
    case ICSEvent::Unit::month:
        return qint64(day.year() - base.year()) * 12 + day.month() - base.month();
    case ICSEvent::Unit::year:
        return day.year() - base.year();
    }
    return 0;
}

QList<QDate> monthDaysOf(const ICSEvent& e, QDate monthStart, QDate startDay, Budget& budget)
{
    if (!budget.spend(32 + e.byDay.size() + e.byMonthDay.size() + e.bySetPos.size()))
        return {};
    const int n = monthStart.isValid() ? monthStart.daysInMonth() : 30;
    // The days of BYDAY in this month, ordinals counted within the month.
    auto byDayNumbers = [&] {
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
    };

    std::array<bool, 32> present{};
    if (!e.byMonthDay.isEmpty()) {
        // With BYDAY as well, a day must satisfy both.
        std::array<bool, 32> allowed;
        if (e.byDay.isEmpty())
            allowed.fill(true);
        else
            allowed = byDayNumbers();
        for (qint64 value : e.byMonthDay) {
            const qint64 d = dayOfMonth(value, n);
            if (d >= 1 && d <= n && allowed[d])
                present[d] = true;
        }
    } else if (!e.byDay.isEmpty()) {
        present = byDayNumbers();
    } else if (startDay.day() <= n) {
        present[startDay.day()] = true;
    }

    QList<int> numbers;
    for (int d = 1; d <= n; ++d)
        if (present[d])
            numbers.append(d);

    if (!e.bySetPos.isEmpty()) {
        const qint64 size = numbers.size();
        QList<int> picked;
        for (qint64 p : e.bySetPos) {
            if (p > 0 && p <= size)
                picked.append(numbers[p - 1]);
            else if (p < 0 && p >= -size)
                picked.append(numbers[size + p]);
        }
        std::sort(picked.begin(), picked.end());
        numbers = picked;
    }

    QList<QDate> days;
    days.reserve(numbers.size());
    for (int d : numbers) {
        const QDate day = monthStart.addDays(d - 1);
        if (WallClock::supports(day))
            days.append(day);
    }
    return days;
}

QList<QDate> candidateDaysOf(const ICSEvent& e, QDate periodStart, ICSEvent::Unit unit, QDate startDay, Budget& budget)
{
    QList<QDate> days;
    switch (unit) {
    case ICSEvent::Unit::day: {
        // BYMONTH, BYMONTHDAY and BYDAY each narrow a daily rule.
        if (!budget.spend(1 + e.byMonth.size() + e.byMonthDay.size() + e.byDay.size()))
            return days;
        if (!e.byMonth.isEmpty() && !e.byMonth.contains(periodStart.month()))
            return days;
        const int n = periodStart.daysInMonth();
        if (!e.byMonthDay.isEmpty()
            && std::none_of(e.byMonthDay.cbegin(), e.byMonthDay.cend(),
                            [&](qint64 d) { return dayOfMonth(d, n) == periodStart.day(); }))
            return days;
        const int weekday = weekdayOf(periodStart);
        if (!e.byDay.isEmpty()
            && std::none_of(e.byDay.cbegin(), e.byDay.cend(),
                            [&](const ICSEvent::Weekday& w) { return w.weekday == weekday; }))
            return days;
        days.append(periodStart);
        return days;
    }
    case ICSEvent::Unit::week: {
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
    case ICSEvent::Unit::month:
        if (!budget.spend(1 + e.byMonth.size()))
            return days;
        if (!e.byMonth.isEmpty() && !e.byMonth.contains(periodStart.month()))
            return days;
        return monthDaysOf(e, periodStart, startDay, budget);
    case ICSEvent::Unit::year: {
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
    }
    return days;
}
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
    return std::any_of(exdates.cbegin(), exdates.cend(),
                       [instant](double ex) { return std::abs(ex - instant) < kExclusionTolerance; });
}

QDate ICSEvent::periodStart(QDate day, Unit unit)
{
    if (!day.isValid())
        return day;
    switch (unit) {
    case Unit::day:
        return day;
    case Unit::week:
        return day.addDays(1 - day.dayOfWeek());
    case Unit::month:
        return QDate(day.year(), day.month(), 1);
    case Unit::year:
        return QDate(day.year(), 1, 1);
    }
    return day;
}

QList<QDate> ICSEvent::candidateDays(QDate periodStart, Unit unit, QDate startDay) const
{
    Budget unlimited;
    return candidateDaysOf(*this, periodStart, unit, startDay, unlimited);
}

QList<QDate> ICSEvent::monthDays(QDate monthStart, QDate startDay) const
{
    Budget unlimited;
    return monthDaysOf(*this, monthStart, startDay, unlimited);
}

QList<double> ICSEvent::occurrences(double from, double to) const
{
    QList<double> result;
    if (std::isnan(from) || std::isnan(to))
        return result;
    if (!freq) {
        if (from <= start && start <= to && !isExcluded(start))
            result.append(start);
        return result;
    }
    const std::optional<Unit> periodUnit = unit(*freq);
    if (!periodUnit)
        return result;

    const WallClock clock(zone);
    const std::optional<WallClock::Local> first = clock.local(start);
    if (!first)
        return result;
    const QDate startDay = first->date;
    const int timeOfDay = first->secondOfDay;
    const qint64 step = interval > 1 ? interval : 1;
    const QDate base = periodStart(startDay, *periodUnit);

    // Without a count there is nothing to count from DTSTART: begin one
    // period before the window.
    qint64 k = 0;
    if (!count) {
        if (const auto windowStart = clock.local(from)) {
            k = std::max<qint64>(unitsBetween(base, windowStart->date, *periodUnit) / step - 1, 0);
        } else if (from > start) {
            return result; // the window lies beyond the supported years
        }
    }

    // A period that starts after the last day that can hold an occurrence
    // ends the expansion (unless a yearly rule's months run into later years).
    std::optional<QDate> lastDay;
    if (const auto end = clock.local(until ? std::min(*until, to) : to))
        lastDay = end->date.addDays(1);
    const bool monthsInYear = *periodUnit != Unit::year
        || std::all_of(byMonth.cbegin(), byMonth.cend(), [](qint64 m) { return m >= 1 && m <= 12; });

    qint64 emitted = 0;
    Budget budget{kWorkLimit};
    for (int periods = 0; periods < kPeriodLimit && budget.left >= 0; ++periods, ++k) {
        qint64 offset = 0;
        if (__builtin_mul_overflow(k, step, &offset))
            break;
        const std::optional<QDate> period = addUnits(base, *periodUnit, offset);
        if (!period || (lastDay && monthsInYear && *period > *lastDay))
            break;
        const QList<QDate> days = candidateDaysOf(*this, *period, *periodUnit, startDay, budget);
        if (!budget.spend(days.size()))
            break;
        for (const QDate& day : days) {
            const std::optional<double> occurrence = clock.instant(day, timeOfDay);
            if (!occurrence || *occurrence < start)
                continue;
            if (count && emitted >= *count)
                return result;
            ++emitted;
            if ((until && *occurrence > *until) || *occurrence > to)
                return result;
            if (*occurrence >= from && !isExcluded(*occurrence))
                result.append(*occurrence);
        }
    }
    return result;
}

} // namespace tavrin
