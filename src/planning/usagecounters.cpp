#include "planning/usagecounters.h"

#include "platform/clock.h"
#include "platform/defaults.h"

#include <limits>

namespace tavrin {

QString UsageCounters::key(const QDateTime& when, Kind kind)
{
    const QDate date = when.toLocalTime().date();
    return QStringLiteral("usage.%1-%2.%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(kind == Kind::device ? QStringLiteral("device") : QStringLiteral("cloud"));
}

void UsageCounters::increment(Kind kind)
{
    const QString k = key(clock_.nowDate(), kind);
    const qint64 count = defaults_.integer(k).value_or(0);
    // A counter at the top of its range stays there.
    if (count < std::numeric_limits<qint64>::max())
        defaults_.setValue(k, count + 1);
}

qint64 UsageCounters::count(const QDateTime& when, Kind kind) const
{
    return defaults_.integer(key(when, kind)).value_or(0);
}

} // namespace tavrin
