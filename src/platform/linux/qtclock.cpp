#include "platform/linux/qtclock.h"

#include <QThread>
#include <chrono>
#include <cmath>

namespace tavrin {

namespace {
// Longer delays are clamped (about 31 years), which keeps the sums in range.
constexpr double kLongestDelay = 1e9;
// The shared QTimer is set for at most a day and set again when it wakes early.
constexpr qint64 kLongestWaitMs = qint64{24} * 3600 * 1000;
} // namespace

QtClock::QtClock(QObject* parent) : Clock(parent)
{
    elapsed_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &QtClock::runDue);
    owner_->clock = this;
}

QtClock::~QtClock()
{
    const bool drained = pool_->waitForDone(kDrainMs);
    {
        const std::lock_guard hold(owner_->lock);
        owner_->clock = nullptr;
    }
    if (drained)
        delete pool_;
    // Otherwise the pool and its threads are left to the process's end:
    // destroying it would wait for them.
}

double QtClock::now() const
{
    using namespace std::chrono;
    const auto us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return double(us) / 1e6 - kReferenceEpochOffset;
}

double QtClock::monotonic() const { return double(nowNs()) / 1e9; }

Clock::TimerId QtClock::schedule(double seconds, std::function<void()> fn)
{
    const TimerId id = nextId_++;
    const double delay = std::isnan(seconds) ? 0.0 : std::clamp(seconds, 0.0, kLongestDelay);
    const qint64 due = nowNs() + qint64(delay * 1e9);
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, id, due, fn = std::move(fn)]() mutable { insert(id, due, std::move(fn)); },
            Qt::QueuedConnection);
    } else {
        insert(id, due, std::move(fn));
    }
    return id;
}

void QtClock::cancel(TimerId id)
{
    if (QThread::currentThread() != thread())
        QMetaObject::invokeMethod(
            this, [this, id] { remove(id); }, Qt::QueuedConnection);
    else
        remove(id);
}

void QtClock::insert(TimerId id, qint64 due, std::function<void()> fn)
{
    if (stopped_)
        return;
    pending_.emplace(Due{due, id}, std::move(fn));
    dueOf_.insert(id, due);
    if (!timer_.isActive() || pending_.begin()->first.second == id)
        arm();
}

void QtClock::remove(TimerId id)
{
    const auto it = dueOf_.constFind(id);
    if (it == dueOf_.cend())
        return;
    pending_.erase(Due{*it, id});
    dueOf_.erase(it);
    // The shared timer may wake for nothing; it then sets itself again.
}

void QtClock::runDue()
{
    const qint64 now = nowNs();
    // Timers that the callbacks schedule wait for the next turn of the event
    // loop, even when already due: a callback that keeps scheduling itself
    // must not starve everything else.
    const TimerId lastBefore = nextId_ - 1;
    auto it = pending_.begin();
    while (it != pending_.end() && it->first.first <= now) {
        if (it->first.second > lastBefore) {
            ++it;
            continue;
        }
        auto fn = std::move(it->second);
        dueOf_.remove(it->first.second);
        pending_.erase(it);
        // Keeps timers alive in a nested event loop the callback may run.
        arm();
        if (fn)
            fn();
        // The callback may have scheduled or cancelled timers.
        it = pending_.begin();
    }
    arm();
}

void QtClock::arm()
{
    if (pending_.empty()) {
        timer_.stop();
        return;
    }
    const qint64 waitNs = pending_.begin()->first.first - nowNs();
    // Rounded up: a timer never runs before it is due.
    const qint64 waitMs = waitNs <= 0 ? 0 : std::min((waitNs + 999'999) / 1'000'000, kLongestWaitMs);
    timer_.start(std::chrono::milliseconds(waitMs));
}

void QtClock::runInBackground(std::function<void()> work, QObject* context, std::function<void()> done)
{
    if (stopped_)
        return;
    // Without a context, `done` always runs; with one, only while it lives.
    const bool guarded = context != nullptr;
    pool_->start([owner = owner_, work = std::move(work), guarded, guard = QPointer<QObject>(context),
                  done = std::move(done)]() mutable {
        if (work)
            work();
        const std::lock_guard hold(owner->lock);
        if (!owner->clock)
            return;
        QMetaObject::invokeMethod(
            owner->clock,
            [guarded, guard, done = std::move(done)] {
                if (done && (!guarded || guard))
                    done();
            },
            Qt::QueuedConnection);
    });
}

bool QtClock::stop(double bound)
{
    stopped_ = true;
    pending_.clear();
    dueOf_.clear();
    timer_.stop();
    pool_->clear(); // work queued but not started never starts
    return pool_->waitForDone(int(std::clamp(bound, 0.0, 3600.0) * 1000));
}

} // namespace tavrin
