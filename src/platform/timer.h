#pragma once

#include "platform/clock.h"

#include <QObject>
#include <QPointer>

namespace tavrin {

// A restartable one-shot or repeating timer on the platform clock. Stops
// itself when destroyed. It may outlive its clock (a widget deleted from the
// main loop after the platform that made it is gone): from then on it is
// inactive, starting it does nothing and stopping it asks nothing of the clock.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(Clock& clock, QObject* parent = nullptr);
    ~Timer() override;

    void start(double seconds);
    void startRepeating(double interval);
    void stop();
    bool isActive() const { return id_ != 0 && clock_; }
    double interval() const { return interval_; }

signals:
    void timeout();

private:
    void arm(double seconds);
    void fire();

    QPointer<Clock> clock_;
    Clock::TimerId id_ = 0;
    double interval_ = 0;
    bool repeating_ = false;
};

} // namespace tavrin
