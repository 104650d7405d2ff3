#include "platform/sim/simclock.h"
#include "platform/taskhandle.h"

#include <coroutine>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {
// A hand-driven suspension point. (QCoro copies an awaited lvalue, so the
// awaiter refers back to the gate.)
struct Gate {
    struct Awaiter {
        Gate* gate;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> h) { gate->waiting = h; }
        void await_resume() const noexcept {}
    };
    std::coroutine_handle<> waiting;
    Awaiter wait() { return {this}; }
    void open()
    {
        auto h = std::exchange(waiting, {});
        if (h)
            h.resume();
    }
};
} // namespace

TEST(TaskHandle, StartCancelsThePreviousTaskReplaceDoesNot)
{
    TaskHandle handle;
    Gate first, second, third;
    bool firstSawCancel = false, secondSawCancel = true, thirdSawCancel = true;

    handle.start([&](CancelToken t) -> QCoro::Task<> {
        co_await first.wait();
        firstSawCancel = t.isCancelled();
    });
    handle.start([&](CancelToken t) -> QCoro::Task<> {
        co_await second.wait();
        secondSawCancel = t.isCancelled();
    });
    handle.replace([&](CancelToken t) -> QCoro::Task<> {
        co_await third.wait();
        thirdSawCancel = t.isCancelled();
    });
    EXPECT_TRUE(handle.isRunning());

    first.open();
    second.open();
    EXPECT_TRUE(firstSawCancel);
    EXPECT_FALSE(secondSawCancel); // replaced, not cancelled
    EXPECT_TRUE(handle.isRunning());

    third.open();
    EXPECT_FALSE(thirdSawCancel);
    EXPECT_FALSE(handle.isRunning());
}

TEST(TaskHandle, CancelReachesTheRunningTaskAndForgetsIt)
{
    TaskHandle handle;
    Gate gate;
    bool sawCancel = false;
    handle.start([&](CancelToken t) -> QCoro::Task<> {
        co_await gate.wait();
        sawCancel = t.isCancelled();
    });
    handle.cancel();
    EXPECT_FALSE(handle.isRunning());
    gate.open();
    EXPECT_TRUE(sawCancel);
}

TEST(TaskHandle, ACancelledTasksSleepsEndInsideTheCancelAndItsFrameIsFreed)
{
    SimClock clock;
    TaskHandle handle;
    auto captured = std::make_shared<int>(0);
    const std::weak_ptr<int> frame = captured;
    int woke = 0;
    handle.start([&clock, &woke, captured = std::move(captured)](CancelToken t) -> QCoro::Task<> {
        co_await clock.sleep(1, t);
        ++woke;
        co_await clock.sleep(3600, t);
        ++woke;
        co_await clock.sleep(3600, t); // cancelled already: no wait at all
        ++woke;
    });
    clock.advance(1); // the first sleep ends on time and leaves nothing behind
    EXPECT_EQ(woke, 1);
    EXPECT_EQ(clock.pendingTimers(), 1u);

    handle.cancel();
    EXPECT_EQ(woke, 3);
    EXPECT_FALSE(handle.isRunning());
    EXPECT_EQ(clock.pendingTimers(), 0u);
    EXPECT_TRUE(frame.expired()); // the task's frame, with its captures, is gone
}

TEST(TaskHandle, ASleepWithoutATokenIsUnaffectedByCancels)
{
    SimClock clock;
    TaskHandle handle;
    bool woke = false;
    handle.start([&](CancelToken) -> QCoro::Task<> {
        co_await clock.sleep(5);
        woke = true;
    });
    handle.cancel();
    EXPECT_FALSE(woke);
    clock.advance(5);
    EXPECT_TRUE(woke);
}

TEST(TaskHandle, AReplacedTaskRunsOnUntilTheHandleGoes)
{
    SimClock clock;
    bool replacedWoke = false, replacedSawCancel = false;
    {
        TaskHandle handle;
        handle.start([&](CancelToken t) -> QCoro::Task<> {
            co_await clock.sleep(3600, t);
            replacedWoke = true;
            replacedSawCancel = t.isCancelled();
        });
        handle.replace([&](CancelToken t) -> QCoro::Task<> { co_await clock.sleep(3600, t); });
        clock.advance(60);
        EXPECT_FALSE(replacedWoke); // not cancelled by the replace
    }
    EXPECT_TRUE(replacedWoke);
    EXPECT_TRUE(replacedSawCancel);
    EXPECT_EQ(clock.pendingTimers(), 0u);
}
