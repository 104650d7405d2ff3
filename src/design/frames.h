#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

namespace tavrin {

class Timer;

// Display frames for views that animate: a callback about sixty times a
// second (or as often as `setInterval` says) on the platform clock while
// running. Without a platform clock nothing runs (and `start` says so).
class Frames : public QObject {
    Q_OBJECT
public:
    static constexpr double kInterval = 1.0 / 60;

    Frames(QObject* owner, std::function<void()> onFrame);

    bool start();
    void stop();
    bool isRunning() const;
    // Seconds between frames from now on (kInterval until set).
    void setInterval(double seconds);
    double interval() const { return interval_; }

    // The platform clock's monotonic seconds; 0 without a clock.
    static double now();

private:
    QPointer<Timer> timer_;
    std::function<void()> onFrame_;
    double interval_ = kInterval;
};

} // namespace tavrin
