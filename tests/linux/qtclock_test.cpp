#include "platform/linux/qtclock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {

constexpr int kPatienceMs = 2000; // only reached when something is broken

TEST(QtClockTest, ReadsTheWallClockAndAMonotonicClock)
{
    QtClock clock;
    const double wall = double(QDateTime::currentMSecsSinceEpoch()) / 1000.0 - Clock::kReferenceEpochOffset;
    EXPECT_NEAR(clock.now(), wall, 1.0);
    const double a = clock.monotonic();
    const double b = clock.monotonic();
    EXPECT_GE(a, 0.0);
    EXPECT_GE(b, a);
}

TEST(QtClockTest, TimersRunInDueOrderAndEqualDueOnesInSchedulingOrder)
{
    QtClock clock;
    QStringList ran;
    const auto record = [&](QString name) { return [&ran, name] { ran << name; }; };
    constexpr double kLater = 0.05;
    const double start = clock.monotonic();
    clock.schedule(kLater, record(QStringLiteral("later")));
    for (int i = 0; i < 5; ++i)
        clock.schedule(0, record(QStringLiteral("now%1").arg(i)));
    clock.schedule(-1, record(QStringLiteral("negative")));
    // A machine that paused this thread past kLater made "later" due before
    // the others: then its place says nothing, and only theirs is checked.
    const bool laterIsDueLast = clock.monotonic() - start < kLater;
    EXPECT_TRUE(ran.isEmpty()) << "a timer ran inside schedule()";

    ASSERT_TRUE(QTest::qWaitFor([&] { return ran.size() == 7; }, kPatienceMs));
    const QStringList dueOrder{QStringLiteral("now0"), QStringLiteral("now1"), QStringLiteral("now2"),
                               QStringLiteral("now3"), QStringLiteral("now4"), QStringLiteral("negative")};
    QStringList others = ran;
    EXPECT_EQ(others.removeAll(QStringLiteral("later")), 1);
    EXPECT_EQ(others, dueOrder);
    if (laterIsDueLast) {
        EXPECT_EQ(ran.last(), QStringLiteral("later"));
    }
}

TEST(QtClockTest, ATimerNeverRunsBeforeItIsDue)
{
    QtClock clock;
    const double start = clock.monotonic();
    double ranAt = -1;
    clock.schedule(0.015, [&] { ranAt = clock.monotonic(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ranAt >= 0; }, kPatienceMs));
    EXPECT_GE(ranAt - start, 0.015);
}

TEST(QtClockTest, CancelStopsATimerAndIsHarmlessAfterwards)
{
    QtClock clock;
    QStringList ran;
    Clock::TimerId second = 0;
    clock.schedule(0, [&] {
        ran << QStringLiteral("first");
        clock.cancel(second); // due at the same turn, not yet run
    });
    second = clock.schedule(0, [&] { ran << QStringLiteral("second"); });
    const Clock::TimerId third = clock.schedule(0, [&] { ran << QStringLiteral("third"); });
    const Clock::TimerId cancelled = clock.schedule(0.001, [&] { ran << QStringLiteral("cancelled"); });
    clock.cancel(cancelled);
    clock.schedule(0.003, [&] { ran << QStringLiteral("last"); });

    ASSERT_TRUE(QTest::qWaitFor([&] { return ran.contains(QStringLiteral("last")); }, kPatienceMs));
    EXPECT_EQ(ran, (QStringList{QStringLiteral("first"), QStringLiteral("third"), QStringLiteral("last")}));
    clock.cancel(third);
    clock.cancel(cancelled);
    clock.cancel(123456);
}

TEST(QtClockTest, ATimerThatKeepsReschedulingItselfDoesNotStarveTheEventLoop)
{
    QtClock clock;
    bool stop = false;
    int turns = 0;
    std::function<void()> again = [&] {
        ++turns;
        if (!stop)
            clock.schedule(0, again);
    };
    clock.schedule(0, again);
    QMetaObject::invokeMethod(
        qApp, [&] { stop = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return stop; }, kPatienceMs));
    EXPECT_GE(turns, 1);
}

TEST(QtClockTest, TimersKeepRunningInsideANestedEventLoop)
{
    QtClock clock;
    bool innerRan = false;
    bool outerDone = false;
    clock.schedule(0, [&] {
        clock.schedule(0.001, [&] { innerRan = true; });
        outerDone = QTest::qWaitFor([&] { return innerRan; }, kPatienceMs);
    });
    clock.schedule(0, [] {}); // still due while the first callback waits
    ASSERT_TRUE(QTest::qWaitFor([&] { return outerDone; }, kPatienceMs));
}

TEST(QtClockTest, ScheduleFromAnotherThreadRunsOnTheClocksThread)
{
    QtClock clock;
    QThread* ranOn = nullptr;
    std::unique_ptr<QThread> worker(
        QThread::create([&] { clock.schedule(0, [&] { ranOn = QThread::currentThread(); }); }));
    worker->start();
    worker->wait();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ranOn != nullptr; }, kPatienceMs));
    EXPECT_EQ(ranOn, QThread::currentThread());
}

TEST(QtClockTest, BackgroundWorkRunsAwayAndDeliversOnTheMainThread)
{
    QtClock clock;
    QObject context;
    QThread* workedOn = nullptr;
    QThread* doneOn = nullptr;
    clock.runInBackground([&] { workedOn = QThread::currentThread(); }, &context,
                          [&] { doneOn = QThread::currentThread(); });
    bool withoutContext = false;
    clock.runInBackground([] {}, nullptr, [&] { withoutContext = true; });

    ASSERT_TRUE(QTest::qWaitFor([&] { return doneOn && withoutContext; }, kPatienceMs));
    EXPECT_NE(workedOn, QThread::currentThread());
    EXPECT_EQ(doneOn, QThread::currentThread());

    QCoro::Task<int> task = clock.background<int>([] { return 6 * 7; });
    EXPECT_FALSE(task.isReady());
    EXPECT_EQ(QCoro::waitFor(task), 42);
}

TEST(QtClockTest, BackgroundResultIsDroppedOnceItsContextIsGone)
{
    QtClock clock;
    auto context = std::make_unique<QObject>();
    QSemaphore release;
    std::atomic<bool> worked = false;
    bool delivered = false;
    clock.runInBackground(
        [&] {
            release.acquire();
            worked = true;
        },
        context.get(), [&] { delivered = true; });
    context.reset();
    release.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return worked.load(); }, kPatienceMs));
    QTest::qWait(10); // the result is posted right after the work returns
    EXPECT_FALSE(delivered);
}

TEST(QtClockTest, DestroyingTheClockWaitsForBackgroundWork)
{
    std::atomic<bool> worked = false;
    bool delivered = false;
    {
        QtClock clock;
        clock.runInBackground(
            [&] {
                QThread::msleep(5);
                worked = true;
            },
            nullptr, [&] { delivered = true; });
    }
    EXPECT_TRUE(worked);
    QCoreApplication::processEvents();
    EXPECT_FALSE(delivered);
}

} // namespace

namespace {

TEST(QtClockTest, DestroyingTheClockLeavesBehindWorkThatDoesNotEnd)
{
    // Work stuck in a read that never ends (a FIFO, a hung file system):
    // quitting must not wait for it.
    auto release = std::make_shared<QSemaphore>();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    bool delivered = false;
    {
        QtClock clock;
        clock.runInBackground(
            [release, ended] {
                release->acquire();
                *ended = true;
            },
            nullptr, [&] { delivered = true; });
    }
    EXPECT_FALSE(*ended);
    release->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended->load(); }, kPatienceMs));
    QTest::qWait(10);
    EXPECT_FALSE(delivered);
}

} // namespace
