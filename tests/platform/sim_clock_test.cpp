#include "platform/sim/simclock.h"
#include "platform/timer.h"

#include <QObject>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace tavrin;

TEST(SimClock, StartsAtItsWallTimeWithMonotonicZero)
{
    SimClock clock;
    EXPECT_EQ(clock.nowDate(), QDateTime(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC));
    EXPECT_EQ(clock.monotonic(), 0.0);
    clock.advance(90);
    EXPECT_EQ(clock.nowDate(), QDateTime(QDate(2026, 12, 7), QTime(9, 1, 30), Qt::UTC));
    clock.setNow(0);
    EXPECT_EQ(clock.now(), 0.0);
    EXPECT_EQ(clock.monotonic(), 90.0); // setting the wall time leaves the monotonic clock alone
}

TEST(SimClock, RunsTimersInDueOrderAtTheirDueTimesAndEqualTimesInSchedulingOrder)
{
    SimClock clock;
    std::vector<std::pair<int, double>> ran;
    auto note = [&](int which) { return [&, which] { ran.emplace_back(which, clock.monotonic()); }; };
    clock.schedule(2.0, note(1));
    clock.schedule(0.5, note(2));
    clock.schedule(2.0, note(3));
    clock.schedule(5.0, note(4));

    clock.advance(3.0);
    EXPECT_EQ(ran, (std::vector<std::pair<int, double>>{{2, 0.5}, {1, 2.0}, {3, 2.0}}));
    EXPECT_EQ(clock.monotonic(), 3.0);
    EXPECT_EQ(clock.pendingTimers(), 1u);
    EXPECT_EQ(clock.nextDueIn(), 2.0);
}

TEST(SimClock, TimersScheduledWhileAdvancingRunWhenTheyFallInsideTheSpan)
{
    SimClock clock;
    std::vector<double> ran;
    clock.schedule(1.0, [&] {
        ran.push_back(clock.monotonic());
        clock.schedule(1.5, [&] { ran.push_back(clock.monotonic()); }); // due at 2.5: inside
        clock.schedule(5.0, [&] { ran.push_back(clock.monotonic()); }); // due at 6: outside
    });
    clock.advance(3.0);
    EXPECT_EQ(ran, (std::vector<double>{1.0, 2.5}));
    clock.advance(3.0);
    EXPECT_EQ(ran, (std::vector<double>{1.0, 2.5, 6.0}));
}

TEST(SimClock, ZeroDelayNeverRunsInsideScheduleButOnTheNextRun)
{
    SimClock clock;
    int ran = 0;
    clock.schedule(0, [&] { ++ran; });
    clock.schedule(-3, [&] { ++ran; });
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(clock.nextDueIn(), 0.0);
    clock.runDue();
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(clock.monotonic(), 0.0);
}

TEST(SimClock, CancelledTimersDoNotRunEvenWhenCancelledByAnEarlierTimer)
{
    SimClock clock;
    bool lateRan = false, keptRan = false;
    const auto late = clock.schedule(2, [&] { lateRan = true; });
    clock.schedule(1, [&] { clock.cancel(late); });
    clock.schedule(3, [&] { keptRan = true; });
    clock.cancel(9999); // unknown: nothing happens
    clock.advance(5);
    EXPECT_FALSE(lateRan);
    EXPECT_TRUE(keptRan);
    EXPECT_EQ(clock.pendingTimers(), 0u);
    EXPECT_EQ(clock.nextDueIn(), std::nullopt);
}

TEST(SimClock, ElapseMovesTimeWithoutRunningTimersWhichRunLateAtTheNextAdvance)
{
    SimClock clock;
    std::vector<double> ran;
    clock.schedule(1.0, [&] { ran.push_back(clock.monotonic()); });
    clock.elapse(2.5);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(clock.monotonic(), 2.5);
    clock.runDue();
    EXPECT_EQ(ran, (std::vector<double>{2.5})); // late, and time never goes back
}

TEST(SimClock, RepeatingTimerFiresEveryIntervalUntilStopped)
{
    SimClock clock;
    Timer timer(clock);
    std::vector<double> fired;
    QObject::connect(&timer, &Timer::timeout, [&] {
        fired.push_back(clock.monotonic());
        if (fired.size() == 4)
            timer.stop();
    });
    timer.startRepeating(1.0);
    clock.advance(3.5);
    EXPECT_EQ(fired, (std::vector<double>{1.0, 2.0, 3.0}));
    clock.advance(10);
    EXPECT_EQ(fired.size(), 4u);
    EXPECT_FALSE(timer.isActive());
}

TEST(SimClock, DestroyedTimerAndGoneContextRunNothing)
{
    SimClock clock;
    int ran = 0;
    {
        Timer timer(clock);
        QObject::connect(&timer, &Timer::timeout, [&] { ++ran; });
        timer.start(1);
    }
    auto context = std::make_unique<QObject>();
    clock.singleShot(1, context.get(), [&] { ++ran; });
    context.reset();
    clock.advance(2);
    EXPECT_EQ(ran, 0);
}

// A widget deleted from the main loop may take its timer down after the
// platform's clock has gone.
TEST(SimClock, ATimerOutlivesItsClock)
{
    auto clock = std::make_unique<SimClock>();
    Timer timer(*clock);
    timer.startRepeating(1);
    clock.reset();
    EXPECT_FALSE(timer.isActive());
    timer.start(1);
    EXPECT_FALSE(timer.isActive());
    timer.stop();
}

namespace {
QCoro::Task<> sleeper(Clock& clock, double seconds, std::vector<double>& woke)
{
    co_await clock.sleep(seconds);
    woke.push_back(clock.monotonic());
    co_await clock.sleep(seconds);
    woke.push_back(clock.monotonic());
}

QCoro::Task<> backgroundSum(Clock& clock, std::optional<int>& result)
{
    result = co_await clock.background<int>([] { return 40 + 2; });
}
} // namespace

TEST(SimClock, CoroutineSleepResumesAtTheVirtualTimeItAskedFor)
{
    SimClock clock;
    std::vector<double> woke;
    auto task = sleeper(clock, 0.75, woke);
    clock.advance(0.7);
    EXPECT_TRUE(woke.empty());
    clock.advance(1.0);
    EXPECT_EQ(woke, (std::vector<double>{0.75, 1.5}));
}

TEST(SimClock, BackgroundWorkRunsOnTheNextRunAndReturnsItsResult)
{
    SimClock clock;
    std::optional<int> result;
    auto task = backgroundSum(clock, result);
    EXPECT_FALSE(result);
    clock.runDue();
    EXPECT_EQ(result, 42);
}

TEST(SimClock, BackgroundDoneIsSkippedWhenItsContextIsGone)
{
    SimClock clock;
    bool worked = false, done = false;
    auto context = std::make_unique<QObject>();
    clock.runInBackground([&] { worked = true; }, context.get(), [&] { done = true; });
    context.reset();
    clock.runDue();
    EXPECT_TRUE(worked);
    EXPECT_FALSE(done);
}
