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
// Ends at the timer or at the cancellation, whichever comes first; each takes
// the other back. Refers to the token by pointer: the awaiter must stay
// trivially destructible, as the compiler may destroy a co_await operand twice.
struct SleepAwaiter {
    Clock* clock;
    double seconds;
    const CancelToken* cancel;

    struct Wait {
        Clock* clock;
        Clock::TimerId timer = 0;
        std::optional<CancelToken::WakeId> waker;
        std::coroutine_handle<> h;
    };

    bool await_ready() const noexcept { return cancel->isCancelled(); }
    void await_suspend(std::coroutine_handle<> h)
    {
        auto wait = std::make_shared<Wait>(Wait{clock, 0, std::nullopt, h});
        wait->timer = clock->schedule(seconds, [wait, token = *cancel] {
            if (wait->waker)
                token.forget(*wait->waker);
            wait->h.resume();
        });
        wait->waker = cancel->onCancel([wait] {
            wait->clock->cancel(wait->timer);
            wait->h.resume();
        });
    }
    void await_resume() const noexcept {}
};
} // namespace

QCoro::Task<> Clock::sleep(double seconds, CancelToken cancel) { co_await SleepAwaiter{this, seconds, &cancel}; }

double Clock::referenceSeconds(const QDateTime& date)
{
    return double(date.toMSecsSinceEpoch()) / 1000.0 - kReferenceEpochOffset;
}

QDateTime Clock::dateFromReference(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround((seconds + kReferenceEpochOffset) * 1000.0)), Qt::UTC);
}

} // namespace tavrin
