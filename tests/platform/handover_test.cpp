// Work handed from a worker thread to the main thread's event loop.

#include "platform/handover.h"

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <future>
#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(HandOver, TheOwnersThreadRunsTheWorkAndItsAnswerComesBack)
{
    QObject owner;
    auto ranThere = std::make_shared<std::atomic<bool>>(false);
    auto answer = std::async(std::launch::async, [&owner, ranThere] {
        return HandOver::ask<int>(owner, std::chrono::minutes(10), [ranThere, thread = owner.thread()] {
            *ranThere = QThread::currentThread() == thread;
            return 42;
        });
    });
    // The main thread answers until the worker has its answer.
    while (answer.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        QCoreApplication::processEvents();
    EXPECT_EQ(answer.get(), 42);
    EXPECT_TRUE(*ranThere);
    // Asked on the owner's own thread, it runs at once.
    EXPECT_EQ(HandOver::ask<int>(owner, std::chrono::milliseconds(0), [] { return 7; }), 7);
}

TEST(HandOver, WorkGivenUpDoesNotRunWhenItsTurnComesLate)
{
    QObject owner;
    auto runs = std::make_shared<std::atomic<int>>(0);
    // The main thread waits for the worker and so cannot take the work up.
    auto answer = std::async(std::launch::async, [&owner, runs] {
        return HandOver::ask<int>(owner, std::chrono::milliseconds(10), [runs] { return ++*runs; });
    });
    EXPECT_EQ(answer.get(), std::nullopt);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(*runs, 0);
}

} // namespace
} // namespace tavrin
