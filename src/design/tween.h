#pragma once

#include <QEasingCurve>

namespace tavrin {

// A number eased from one value to another over a stretch of the platform
// clock's monotonic time. A plain value: the owner samples it on its frames.
class Tween {
public:
    enum class Curve { easeInOut, easeOut };

    Tween() = default;
    explicit Tween(qreal value) : from_(value), to_(value) {}

    // Starts from the value at `now` (so a change in mid-flight turns
    // smoothly) towards `to`. A duration of 0 or less jumps.
    void animate(qreal to, double duration, Curve curve, double now);
    void jump(qreal to);

    qreal value(double now) const;
    qreal target() const { return to_; }
    bool running(double now) const { return duration_ > 0 && now < start_ + duration_; }

    // The curve's progress for a fraction of the time, 0 to 1.
    static qreal ease(Curve curve, qreal t);

private:
    qreal from_ = 0;
    qreal to_ = 0;
    double start_ = 0;
    double duration_ = 0;
    Curve curve_ = Curve::easeInOut;
};

} // namespace tavrin
