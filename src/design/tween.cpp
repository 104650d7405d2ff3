#include "design/tween.h"

#include <QPointF>
#include <algorithm>

namespace tavrin {

qreal Tween::ease(Curve curve, qreal t)
{
    t = std::clamp<qreal>(t, 0, 1);
    // The usual cubic timing curves: ease-in-out (0.42, 0, 0.58, 1) and
    // ease-out (0, 0, 0.58, 1).
    static const QEasingCurve inOut = [] {
        QEasingCurve c(QEasingCurve::BezierSpline);
        c.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
        return c;
    }();
    static const QEasingCurve out = [] {
        QEasingCurve c(QEasingCurve::BezierSpline);
        c.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
        return c;
    }();
    return (curve == Curve::easeInOut ? inOut : out).valueForProgress(t);
}

void Tween::animate(qreal to, double duration, Curve curve, double now)
{
    if (!(duration > 0)) {
        jump(to);
        return;
    }
    from_ = value(now);
    to_ = to;
    start_ = now;
    duration_ = duration;
    curve_ = curve;
}

void Tween::jump(qreal to)
{
    from_ = to_ = to;
    duration_ = 0;
}

qreal Tween::value(double now) const
{
    if (!running(now))
        return to_;
    const qreal t = now <= start_ ? 0 : (now - start_) / duration_;
    return from_ + (to_ - from_) * ease(curve_, t);
}

} // namespace tavrin
