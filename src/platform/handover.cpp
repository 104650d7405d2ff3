#include "platform/handover.h"

#include <QThread>
#include <condition_variable>
#include <mutex>

namespace tavrin {

namespace {
// What both threads hold of one hand-over.
struct Shared {
    enum class Step { queued, running, done, givenUp };
    std::mutex lock;
    std::condition_variable changed;
    Step step = Step::queued;
};
} // namespace

bool HandOver::run(QObject& owner, std::chrono::milliseconds bound, std::function<void()> work)
{
    if (QThread::currentThread() == owner.thread()) {
        work();
        return true;
    }
    auto shared = std::make_shared<Shared>();
    QMetaObject::invokeMethod(
        &owner,
        [shared, work = std::move(work)] {
            {
                const std::lock_guard hold(shared->lock);
                if (shared->step != Shared::Step::queued)
                    return; // given up: its caller went on without it
                shared->step = Shared::Step::running;
            }
            work();
            {
                const std::lock_guard hold(shared->lock);
                shared->step = Shared::Step::done;
            }
            shared->changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock hold(shared->lock);
    if (!shared->changed.wait_for(hold, bound, [&] { return shared->step != Shared::Step::queued; })) {
        shared->step = Shared::Step::givenUp;
        return false;
    }
    shared->changed.wait(hold, [&] { return shared->step == Shared::Step::done; });
    return true;
}

} // namespace tavrin
