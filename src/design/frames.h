#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

namespace tavrin {

class Timer;

// Display frames for views that animate: a callback about sixty times a
// second on the platform clock while running. Without a platform clock
// nothing runs (and `start` says so).
class Frames : public QObject {
    Q_OBJECT
public:
    static constexpr double kInterval = 1.0 / 60;

    Frames(QObject* owner, std::function<void()> onFrame);

    bool start();
    void stop();
    bool isRunning() const;

    // The platform clock's monotonic seconds; 0 without a clock.
    static double now();

private:
    QPointer<Timer> timer_;
    std::function<void()> onFrame_;
};

} // namespace tavrin
