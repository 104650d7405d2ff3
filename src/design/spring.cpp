#include "design/spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavrin {

namespace {
struct State {
    double offset;
    double speed;
};

// The damped oscillator x'' + 2ζωx' + ω²x = 0 from (x0, v0), t seconds on.
State evolve(double omega, double zeta, double x0, double v0, double t)
{
    if (t <= 0)
        return {x0, v0};
    const double decay = std::exp(-zeta * omega * t);
    if (zeta < 1) {
        const double wd = omega * std::sqrt(1 - zeta * zeta);
        const double a = x0;
        const double b = (v0 + zeta * omega * x0) / wd;
        const double c = std::cos(wd * t), s = std::sin(wd * t);
        const double x = decay * (a * c + b * s);
        const double v = decay * ((b * wd - zeta * omega * a) * c - (a * wd + zeta * omega * b) * s);
        return {x, v};
    }
    // Critically damped (stiffer dampings are treated alike).
    const double b = v0 + omega * x0;
    const double x = decay * (x0 + b * t);
    const double v = decay * (b - omega * (x0 + b * t));
    return {x, v};
}
} // namespace

Spring::Spring(double response, double damping, double value)
    : omega_(2 * std::numbers::pi / std::max(response, 1e-3)),
      zeta_(std::clamp(damping, 0.0, 1.0)),
      to_(value)
{}

void Spring::animate(double to, double now)
{
    const State s = evolve(omega_, zeta_, offset_, speed_, now - start_);
    const double position = to_ + s.offset;
    to_ = to;
    offset_ = position - to;
    speed_ = s.speed;
    start_ = now;
}

void Spring::jump(double to)
{
    to_ = to;
    offset_ = 0;
    speed_ = 0;
}

double Spring::value(double now) const { return to_ + evolve(omega_, zeta_, offset_, speed_, now - start_).offset; }

double Spring::velocity(double now) const { return evolve(omega_, zeta_, offset_, speed_, now - start_).speed; }

bool Spring::running(double now) const
{
    const State s = evolve(omega_, zeta_, offset_, speed_, now - start_);
    return std::abs(s.offset) > 0.01 || std::abs(s.speed) > 0.1;
}

} // namespace tavrin
