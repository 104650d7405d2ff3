#pragma once

#include <QtGlobal>

namespace tavrin {

// A number that follows its target as a critically damped spring: it
// settles without overshoot in about `response` seconds. Retargeting in
// mid-flight keeps the current value and speed, so a change of mind turns
// smoothly. A plain value: the owner samples it on its frames.
class Spring {
public:
    explicit Spring(double response = 0.25, qreal value = 0) : response_(response), from_(value), to_(value) {}

    // Heads for `to` from wherever the spring is at `now`.
    void animate(qreal to, double now);
    void jump(qreal to);

    qreal value(double now) const;
    qreal target() const { return to_; }
    // Whether the value is still visibly on its way (within 1/1000).
    bool moving(double now) const;

private:
    double omega() const;
    qreal velocity(double now) const;

    double response_;
    qreal from_;
    qreal to_;
    qreal speed_ = 0; // at `start_`
    double start_ = 0;
};

} // namespace tavrin
