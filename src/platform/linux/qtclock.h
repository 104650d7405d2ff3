#pragma once

#include "platform/clock.h"

#include <QElapsedTimer>
#include <QHash>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace tavrin {

// The real clock: the system's wall clock, a monotonic clock, timers on the
// thread that made it (the main thread) and a pool of background threads.
//
// All pending timers share one precise QTimer set for the earliest of them,
// so timers due at the same moment run in the order they were scheduled.
class QtClock : public Clock {
    Q_OBJECT
public:
    explicit QtClock(QObject* parent = nullptr);
    // Waits a bounded time for background work still running (the process is
    // quitting: a read that hangs must not keep it alive), then leaves it
    // behind; results not yet delivered are dropped.
    ~QtClock() override;
    static constexpr int kDrainMs = 1000;

    double now() const override;
    double monotonic() const override;

    // May be called from any thread; the callback runs on the clock's thread.
    TimerId schedule(double seconds, std::function<void()> fn) override;
    void cancel(TimerId id) override;

    void runInBackground(std::function<void()> work, QObject* context, std::function<void()> done) override;

private:
    using Due = std::pair<qint64, TimerId>; // monotonic nanoseconds, then scheduling order

    qint64 nowNs() const { return elapsed_.nsecsElapsed(); }
    void insert(TimerId id, qint64 due, std::function<void()> fn);
    void remove(TimerId id);
    void runDue();
    void arm();

    QElapsedTimer elapsed_;
    QTimer timer_;
    std::map<Due, std::function<void()>> pending_;
    QHash<TimerId, qint64> dueOf_;
    std::atomic<TimerId> nextId_{1};
    // Left behind, not destroyed, when its work outlasts the drain.
    QThreadPool* pool_ = new QThreadPool;
    // Whom finished work reports to; none once the clock is going.
    struct Owner {
        std::mutex lock;
        QtClock* clock = nullptr;
    };
    std::shared_ptr<Owner> owner_ = std::make_shared<Owner>();
};

} // namespace tavrin
