#include "platform/timer.h"

namespace tavrin {

Timer::Timer(Clock& clock, QObject* parent) : QObject(parent), clock_(&clock) {}

Timer::~Timer() { stop(); }

void Timer::start(double seconds)
{
    stop();
    repeating_ = false;
    interval_ = seconds;
    arm(seconds);
}

void Timer::startRepeating(double interval)
{
    stop();
    repeating_ = true;
    interval_ = interval;
    arm(interval);
}

void Timer::stop()
{
    if (id_ != 0 && clock_)
        clock_->cancel(id_);
    id_ = 0;
}

void Timer::arm(double seconds)
{
    if (!clock_)
        return;
    QPointer<Timer> self(this);
    id_ = clock_->schedule(seconds, [self] {
        if (self)
            self->fire();
    });
}

void Timer::fire()
{
    id_ = 0;
    if (repeating_)
        arm(interval_);
    emit timeout();
}

} // namespace tavrin
