#include "design/frames.h"

#include "design/environment.h"
#include "platform/clock.h"
#include "platform/timer.h"

namespace tavrin {

Frames::Frames(QObject* owner, std::function<void()> onFrame) : QObject(owner), onFrame_(std::move(onFrame)) {}

bool Frames::start()
{
    Clock* clock = Environment::clock();
    if (!clock)
        return false;
    if (!timer_) {
        timer_ = new Timer(*clock, this);
        connect(timer_, &Timer::timeout, this, [this] { onFrame_(); });
    }
    if (!timer_->isActive())
        timer_->startRepeating(interval_);
    return true;
}

void Frames::setInterval(double seconds)
{
    if (seconds == interval_)
        return;
    interval_ = seconds;
    if (isRunning()) {
        timer_->stop();
        timer_->startRepeating(interval_);
    }
}

void Frames::stop()
{
    if (timer_)
        timer_->stop();
}

bool Frames::isRunning() const { return timer_ && timer_->isActive(); }

double Frames::now()
{
    const Clock* clock = Environment::clock();
    return clock ? clock->monotonic() : 0;
}

} // namespace tavrin
