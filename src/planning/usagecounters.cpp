#include "planning/usagecounters.h"

#include "platform/clock.h"
#include "platform/defaults.h"

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
    defaults_.setValue(k, qint64(defaults_.integer(k).value_or(0) + 1));
}

qint64 UsageCounters::count(const QDateTime& when, Kind kind) const
{
    return defaults_.integer(key(when, kind)).value_or(0);
}

} // namespace tavrin
