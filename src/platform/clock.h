#pragma once

#include "platform/taskhandle.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <coroutine>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

namespace tavrin {

// Every clock read, timer and delay of the system goes through this service,
// so that tests run on virtual time. Callbacks always run on the main thread.
class Clock : public QObject {
    Q_OBJECT
public:
    using TimerId = std::uint64_t;

    // Seconds between 1970-01-01 and 2001-01-01, the epoch of stored dates:
    // the one definition every date conversion uses.
    static constexpr qint64 kReferenceEpochSeconds = 978307200;
    static constexpr double kReferenceEpochOffset = double(kReferenceEpochSeconds);

    using QObject::QObject;

    // Wall time in seconds since 1 January 2001 (UTC).
    virtual double now() const = 0;
    // Seconds from an arbitrary start; never goes backwards.
    virtual double monotonic() const = 0;

    // Runs `fn` once, `seconds` from now (0 or less: as soon as the main loop
    // runs again, never inside this call). Timers due at the same time run in
    // the order they were scheduled.
    virtual TimerId schedule(double seconds, std::function<void()> fn) = 0;
    virtual void cancel(TimerId id) = 0;

    // Runs `work` away from the main thread, then `done` on the main thread
    // unless `context` is gone by then.
    virtual void runInBackground(std::function<void()> work, QObject* context, std::function<void()> done) = 0;

    // Like `schedule`, but nothing runs once `context` has been destroyed.
    TimerId singleShot(double seconds, QObject* context, std::function<void()> fn);

    QDateTime nowDate() const { return dateFromReference(now()); }

    // Awaitable: resumes the coroutine on the main thread after `seconds`,
    // or inside the call that cancels `cancel` (at once when it is cancelled
    // already), so that a cancelled task is never kept waiting.
    QCoro::Task<> sleep(double seconds, CancelToken cancel = {});

    // Awaitable: runs `work` in the background and returns its result on the
    // main thread.
    template <class T>
    QCoro::Task<T> background(std::function<T()> work);

    static double referenceSeconds(const QDateTime& date);
    static QDateTime dateFromReference(double seconds);

private:
    // Refers to its work by pointer: the awaiter must stay trivially
    // destructible, as the compiler may destroy a co_await operand twice.
    struct BackgroundAwaiter {
        Clock* clock;
        std::function<void()>* work;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> h)
        {
            clock->runInBackground(std::move(*work), nullptr, [h] { h.resume(); });
        }
        void await_resume() const noexcept {}
    };
};

template <class T>
QCoro::Task<T> Clock::background(std::function<T()> work)
{
    auto result = std::make_shared<std::optional<T>>();
    // The awaiter is named and holds a pointer: GCC 12 destroys a braced
    // temporary in a co_await twice, which would free captured state early.
    std::function<void()> job = [result, work = std::move(work)] { result->emplace(work()); };
    BackgroundAwaiter awaiter{this, &job};
    co_await awaiter;
    co_return std::move(**result);
}

} // namespace tavrin
