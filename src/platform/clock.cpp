#include "platform/clock.h"

#include <cmath>

namespace tavrin {

Clock::TimerId Clock::singleShot(double seconds, QObject* context, std::function<void()> fn)
{
    QPointer<QObject> guard(context);
    return schedule(seconds, [guard, fn = std::move(fn)] {
        if (guard)
            fn();
    });
}

namespace {
struct SleepAwaiter {
    Clock* clock;
    double seconds;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> h) { clock->schedule(seconds, [h] { h.resume(); }); }
    void await_resume() const noexcept {}
};
} // namespace

QCoro::Task<> Clock::sleep(double seconds)
{
    co_await SleepAwaiter{this, seconds};
}

double Clock::referenceSeconds(const QDateTime& date)
{
    return double(date.toMSecsSinceEpoch()) / 1000.0 - kReferenceEpochOffset;
}

QDateTime Clock::dateFromReference(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround((seconds + kReferenceEpochOffset) * 1000.0)),
                                          Qt::UTC);
}

} // namespace tavrin
