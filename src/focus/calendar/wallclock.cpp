#include "focus/calendar/wallclock.h"

#include <QDateTime>
#include <cmath>
#include <limits>

namespace tavrin {

namespace {
constexpr qint64 kDay = 86400;
constexpr qint64 kUnixEpochJulianDay = 2440588; // 1970-01-01
constexpr qint64 kFirstJulianDay = 1721426;     // 0001-01-01
constexpr qint64 kLastJulianDay = 5373484;      // 9999-12-31
constexpr qint64 kReferenceOffset = WallClock::kReferenceEpochSeconds;
// Offsets stay within a day, so instants two days beyond the supported dates
// cannot read as a supported date.
constexpr double kLowest = double((kFirstJulianDay - kUnixEpochJulianDay - 2) * kDay - kReferenceOffset);
constexpr double kHighest = double((kLastJulianDay - kUnixEpochJulianDay + 3) * kDay - kReferenceOffset);
constexpr std::size_t kMaxSpans = 64;

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}
} // namespace

WallClock::WallClock(const QTimeZone& zone) : m_zone(zone.isValid() ? zone : QTimeZone::utc())
{
    m_fixed = m_zone.id() == "UTC";
}

bool WallClock::supports(QDate date)
{
    if (!date.isValid())
        return false;
    const qint64 jd = date.toJulianDay();
    return jd >= kFirstJulianDay && jd <= kLastJulianDay;
}

int WallClock::offsetAt(qint64 unixSeconds) const
{
    if (m_fixed)
        return 0;
    auto contains = [unixSeconds](const Span& span) { return unixSeconds >= span.from && unixSeconds < span.to; };
    if (m_lastSpan < m_spans.size() && contains(m_spans[m_lastSpan]))
        return m_spans[m_lastSpan].offset;
    for (std::size_t i = 0; i < m_spans.size(); ++i) {
        if (contains(m_spans[i])) {
            m_lastSpan = i;
            return m_spans[i].offset;
        }
    }
    const QDateTime at = QDateTime::fromSecsSinceEpoch(unixSeconds, Qt::UTC);
    const QTimeZone::OffsetData next = m_zone.nextTransition(at);
    // The last transition at or before this second.
    const QTimeZone::OffsetData previous = m_zone.previousTransition(at.addSecs(1));
    Span span{std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), m_zone.offsetFromUtc(at)};
    if (previous.atUtc.isValid())
        span.from = std::min(previous.atUtc.toSecsSinceEpoch(), unixSeconds);
    if (next.atUtc.isValid())
        span.to = std::max(next.atUtc.toSecsSinceEpoch(), unixSeconds + 1);
    if (m_spans.size() >= kMaxSpans)
        m_spans.clear();
    m_spans.push_back(span);
    m_lastSpan = m_spans.size() - 1;
    return span.offset;
}

qint64 WallClock::resolve(qint64 localSeconds) const
{
    if (m_fixed)
        return localSeconds;
    // Offsets never reach a day, so the offsets a day either side are those
    // before and after any change that could affect this reading.
    const int before = offsetAt(localSeconds - kDay);
    const int after = offsetAt(localSeconds + kDay);
    const qint64 early = localSeconds - before;
    const qint64 late = localSeconds - after;
    const bool earlyFits = offsetAt(early) == before;
    const bool lateFits = before != after && offsetAt(late) == after;
    if (earlyFits && lateFits)
        return std::min(early, late); // shown twice: the first time
    if (earlyFits)
        return early;
    if (lateFits)
        return late;
    // Skipped by the clocks: the first instant at which they read this time
    // or later, which is the moment of the jump.
    qint64 lo = localSeconds - 2 * kDay; // reads earlier than wanted
    qint64 hi = localSeconds + 2 * kDay; // reads later than wanted
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        if (mid + offsetAt(mid) >= localSeconds)
            hi = mid;
        else
            lo = mid;
    }
    return hi;
}

std::optional<double> WallClock::instant(QDate date, int secondOfDay) const
{
    if (!supports(date) || secondOfDay < 0 || secondOfDay >= kDay)
        return std::nullopt;
    const qint64 local = (date.toJulianDay() - kUnixEpochJulianDay) * kDay + secondOfDay;
    return double(resolve(local) - kReferenceOffset);
}

std::optional<WallClock::Local> WallClock::local(double instant) const
{
    if (!(instant >= kLowest && instant <= kHighest)) // also rejects NaN
        return std::nullopt;
    const qint64 unix = qint64(std::floor(instant)) + kReferenceOffset;
    const qint64 wall = unix + offsetAt(unix);
    const qint64 day = floorDiv(wall, kDay);
    const QDate date = QDate::fromJulianDay(day + kUnixEpochJulianDay);
    if (!supports(date))
        return std::nullopt;
    return Local{date, int(wall - day * kDay)};
}

} // namespace tavrin
