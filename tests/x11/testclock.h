#pragma once

#include "platform/clock.h"

#include <QHash>
#include <QTimer>

namespace tavrin {

// The wall clock and real timers, for tests against a real X server.
class RealTimeClock : public Clock {
    Q_OBJECT
public:
    using Clock::Clock;
    double now() const override;
    double monotonic() const override;
    TimerId schedule(double seconds, std::function<void()> fn) override;
    void cancel(TimerId id) override;
    void runInBackground(std::function<void()> work, QObject* context, std::function<void()> done) override;

private:
    TimerId next_ = 0;
    QHash<TimerId, QTimer*> timers_;
};

} // namespace tavrin
