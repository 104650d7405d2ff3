#pragma once

#include <QDateTime>
#include <QString>

namespace tavrin {

class Clock;
class Defaults;

// How many plans each kind of planner made per month, kept in the defaults
// under "usage." + year-month (Gregorian, local time) + ".device" or ".cloud".
class UsageCounters {
public:
    enum class Kind { device, cloud };

    UsageCounters(Defaults& defaults, Clock& clock) : defaults_(defaults), clock_(clock) {}

    static QString key(const QDateTime& when, Kind kind);

    void increment(Kind kind);
    qint64 count(const QDateTime& when, Kind kind) const;

private:
    Defaults& defaults_;
    Clock& clock_;
};

} // namespace tavrin
