#include "design/spring.h"

#include <cmath>

namespace tavrin {

double Spring::omega() const { return 2 * M_PI / (response_ > 0 ? response_ : 1e-6); }

qreal Spring::value(double now) const
{
    // x(t) = to + (d + (v + ω d) t) e^(−ω t), d = from − to.
    const double t = std::max(0.0, now - start_);
    const double w = omega();
    const double d = from_ - to_;
    return qreal(to_ + (d + (speed_ + w * d) * t) * std::exp(-w * t));
}

qreal Spring::velocity(double now) const
{
    const double t = std::max(0.0, now - start_);
    const double w = omega();
    const double d = from_ - to_;
    const double c = speed_ + w * d;
    return qreal((c - w * (d + c * t)) * std::exp(-w * t));
}

void Spring::animate(qreal to, double now)
{
    if (to == to_)
        return;
    const qreal at = value(now);
    speed_ = velocity(now);
    from_ = at;
    to_ = to;
    start_ = now;
}

void Spring::jump(qreal to)
{
    from_ = to_ = to;
    speed_ = 0;
}

bool Spring::moving(double now) const { return std::abs(value(now) - to_) > 1e-3 || std::abs(velocity(now)) > 1e-2; }

} // namespace tavrin
