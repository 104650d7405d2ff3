#pragma once

namespace tavrin {

// A number that follows its target like a damped spring, over a stretch of
// the platform clock's monotonic time. Retargeting in mid-flight keeps the
// current position and speed, so the motion bends instead of jumping. A plain
// value: the owner samples it on its frames.
class Spring {
public:
    // `response`: the period of the undamped oscillation in seconds;
    // `damping`: the fraction of critical damping (1 settles without
    // overshoot, less overshoots a little).
    Spring(double response = 0.25, double damping = 1.0, double value = 0);

    void animate(double to, double now);
    void jump(double to);

    double value(double now) const;
    double velocity(double now) const;
    double target() const { return to_; }
    // Still visibly moving: further than a hundredth of a point from the
    // target, or faster than a tenth of a point a second.
    bool running(double now) const;

private:
    // Offset from the target and its speed at `start_`.
    double omega_; // undamped angular frequency
    double zeta_;  // damping fraction
    double to_ = 0;
    double offset_ = 0;
    double speed_ = 0;
    double start_ = 0;
};

} // namespace tavrin
