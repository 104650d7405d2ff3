#include "platform/sim/simclock.h"

#include <QDebug>
#include <QThread>

namespace tavrin {

namespace {
// A timer that keeps rescheduling itself at zero delay would keep an advance
// from ever ending; past this many timers in one advance it is stopped.
constexpr std::size_t kMaxTimersPerAdvance = 1'000'000;
} // namespace

SimClock::SimClock(double wallStart, QObject* parent) : Clock(parent), wallOffset_(wallStart) {}

Clock::TimerId SimClock::schedule(double seconds, std::function<void()> fn)
{
    const TimerId id = nextId_++;
    const double due = monotonic_ + std::max(seconds, 0.0);
    timers_.emplace(Key{due, id}, std::move(fn));
    dueById_.emplace(id, due);
    return id;
}

void SimClock::cancel(TimerId id)
{
    const auto it = dueById_.find(id);
    if (it == dueById_.end())
        return;
    timers_.erase(Key{it->second, id});
    dueById_.erase(it);
}

void SimClock::runInBackground(std::function<void()> work, QObject* context, std::function<void()> done)
{
    const bool guarded = context != nullptr;
    QPointer<QObject> guard(context);
    schedule(0, [work = std::move(work), done = std::move(done), guarded, guard] {
        if (work)
            work();
        if (done && (!guarded || guard))
            done();
    });
}

void SimClock::advance(double seconds)
{
    const double target = monotonic_ + std::max(seconds, 0.0);
    std::size_t ran = 0;
    while (!timers_.empty()) {
        auto first = timers_.begin();
        if (first->first.first > target)
            break;
        if (++ran > kMaxTimersPerAdvance) {
            qCritical("SimClock: more than %zu timers in one advance; stopping it", kMaxTimersPerAdvance);
            break;
        }
        // A timer that fell due during an `elapse` runs late, at the current time.
        monotonic_ = std::max(monotonic_, first->first.first);
        auto fn = std::move(first->second);
        dueById_.erase(first->first.second);
        timers_.erase(first);
        if (fn)
            fn();
    }
    monotonic_ = std::max(monotonic_, target);
}

void SimClock::elapse(double seconds) { monotonic_ += std::max(seconds, 0.0); }

void SimClock::block(Clock& clock, double seconds)
{
    if (seconds <= 0)
        return;
    if (auto* simulated = qobject_cast<SimClock*>(&clock))
        simulated->elapse(seconds);
    else
        QThread::usleep(static_cast<unsigned long>(seconds * 1e6));
}

std::optional<double> SimClock::nextDueIn() const
{
    if (timers_.empty())
        return std::nullopt;
    return std::max(timers_.begin()->first.first - monotonic_, 0.0);
}

} // namespace tavrin
