#pragma once

#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/sim/simappearance.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <map>

namespace tavrin::test {

// Virtual time for the design tests: timers run only when the test moves
// the clock on.
class ManualClock : public Clock {
public:
    double now() const override { return kStartDate + time_; }
    double monotonic() const override { return time_; }

    TimerId schedule(double seconds, std::function<void()> fn) override
    {
        const TimerId id = ++next_;
        timers_[{time_ + std::max(0.0, seconds), id}] = std::move(fn);
        return id;
    }

    void cancel(TimerId id) override
    {
        for (auto it = timers_.begin(); it != timers_.end(); ++it)
            if (it->first.second == id) {
                timers_.erase(it);
                return;
            }
    }

    void runInBackground(std::function<void()> work, QObject* context, std::function<void()> done) override
    {
        work();
        singleShot(0, context, std::move(done));
    }

    // Moves time on by `seconds`, running every timer that falls due, in
    // order, then lets Qt handle the repaints they asked for.
    void advance(double seconds)
    {
        const double end = time_ + seconds;
        while (!timers_.empty() && timers_.begin()->first.first <= end) {
            auto it = timers_.begin();
            time_ = std::max(time_, it->first.first);
            auto fn = std::move(it->second);
            timers_.erase(it);
            ++fired_;
            fn();
        }
        time_ = end;
        QCoreApplication::processEvents();
    }

    size_t pending() const { return timers_.size(); }
    // How many timers have run so far.
    int fired() const { return fired_; }

    // A wall-clock date whose seconds are a whole number of glow turns.
    static constexpr double kStartDate = 800000000.0;

private:
    double time_ = 0;
    TimerId next_ = 0;
    int fired_ = 0;
    std::map<std::pair<double, TimerId>, std::function<void()>> timers_;
};

// Installs a platform with just what the design system reads: the
// simulated appearance and a manual clock.
class DesignTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Platform services;
        services.appearance = &appearance;
        services.clock = &clock;
        Platform::install(services);
    }
    void TearDown() override { Platform::uninstall(); }

    SimAppearance appearance;
    ManualClock clock;
};

} // namespace tavrin::test
