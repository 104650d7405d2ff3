#include "testclock.h"

#include <QDateTime>
#include <QPointer>
#include <QThreadPool>
#include <chrono>

namespace tavrin {

double RealTimeClock::now() const
{
    return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0 - kReferenceEpochOffset;
}

double RealTimeClock::monotonic() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Clock::TimerId RealTimeClock::schedule(double seconds, std::function<void()> fn)
{
    const TimerId id = ++next_;
    auto* t = new QTimer(this);
    t->setSingleShot(true);
    connect(t, &QTimer::timeout, this, [this, id, t, fn = std::move(fn)] {
        timers_.remove(id);
        t->deleteLater();
        fn();
    });
    timers_.insert(id, t);
    t->start(std::max(0, int(seconds * 1000)));
    return id;
}

void RealTimeClock::cancel(TimerId id)
{
    if (QTimer* t = timers_.take(id))
        t->deleteLater();
}

void RealTimeClock::runInBackground(std::function<void()> work, QObject* context, std::function<void()> done)
{
    QPointer<QObject> guard(context);
    const bool hasContext = context != nullptr;
    QThreadPool::globalInstance()->start([this, work = std::move(work), done = std::move(done), guard, hasContext] {
        work();
        QMetaObject::invokeMethod(this, [done, guard, hasContext] {
            if (!hasContext || guard)
                done();
        });
    });
}

} // namespace tavrin
