#pragma once

#include "platform/clock.h"

#include <cstddef>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

namespace tavrin {

// Virtual time for tests and the simulated desktop. Nothing happens until the
// clock is told to move: `advance` runs the timers that fall due on the way,
// in due order (equal due times in scheduling order), with the clock set to
// each timer's due time while it runs. Background work runs on the main
// thread as a zero-delay timer, so every run is deterministic.
class SimClock : public Clock {
    Q_OBJECT
public:
    // 2026-12-07 09:00:00 UTC, in seconds since 1 January 2001.
    static constexpr double kDefaultStart = 818326800.0;

    explicit SimClock(QObject* parent = nullptr) : SimClock(kDefaultStart, parent) {}
    explicit SimClock(double wallStart, QObject* parent = nullptr);

    double now() const override { return wallOffset_ + monotonic_; }
    double monotonic() const override { return monotonic_; }

    TimerId schedule(double seconds, std::function<void()> fn) override;
    void cancel(TimerId id) override;
    void runInBackground(std::function<void()> work, QObject* context, std::function<void()> done) override;

    // Sets the wall time; the monotonic clock is not affected.
    void setNow(double referenceSeconds) { wallOffset_ = referenceSeconds - monotonic_; }

    // Moves time forward by `seconds`, running every timer that is due by the
    // end of the span, including timers scheduled while advancing.
    void advance(double seconds);
    // Runs what is due now (zero-delay timers among them).
    void runDue() { advance(0); }
    // Moves time forward without running anything, as a call that blocks
    // does; timers that fell due run at the next `advance`.
    void elapse(double seconds);
    // What a call that blocks for `seconds` does to `clock`: on virtual
    // time it elapses, on real time the calling thread sleeps.
    static void block(Clock& clock, double seconds);

    std::size_t pendingTimers() const { return timers_.size(); }
    // Seconds until the next timer is due (0 when one is overdue), or none.
    std::optional<double> nextDueIn() const;

private:
    using Key = std::pair<double, TimerId>; // due time, then scheduling order

    double wallOffset_;
    double monotonic_ = 0;
    TimerId nextId_ = 1;
    std::map<Key, std::function<void()>> timers_;
    std::unordered_map<TimerId, double> dueById_;
};

} // namespace tavrin
