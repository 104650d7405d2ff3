#pragma once

#include "platform/clock.h"

#include <QObject>

namespace tavrin {

// A restartable one-shot or repeating timer on the platform clock. Stops
// itself when destroyed.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(Clock& clock, QObject* parent = nullptr);
    ~Timer() override;

    void start(double seconds);
    void startRepeating(double interval);
    void stop();
    bool isActive() const { return id_ != 0; }
    double interval() const { return interval_; }

signals:
    void timeout();

private:
    void arm(double seconds);
    void fire();

    Clock& clock_;
    Clock::TimerId id_ = 0;
    double interval_ = 0;
    bool repeating_ = false;
};

} // namespace tavrin
