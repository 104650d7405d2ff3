#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace tavrin {

// The one rounded-rectangle shape of the design system: continuous
// ("squircle") corners, whose curvature grows smoothly out of the straight
// edges instead of jumping to a circular arc. Each corner reaches about 1.53
// times the radius along its edges. When that does not fit (a radius close to
// half the shorter side) the corners blend into circular arcs, so a radius of
// half the shorter side or more gives a capsule.
class Squircle {
public:
    // How far a corner of the given radius reaches along each edge.
    static constexpr qreal kCornerReach = 1.52866483;

    static QPainterPath path(const QRectF& rect, qreal radius);

    // The shape moved inwards by `amount` on every side, its radius reduced
    // alike: where a line drawn inside the edge is centred.
    static QPainterPath inset(const QRectF& rect, qreal radius, qreal amount);

    static void fill(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush);
    // A line `width` wide lying inside the shape's edge (miter joins, miter
    // limit 10).
    static void strokeInside(QPainter& painter, const QRectF& rect, qreal radius, qreal width, const QBrush& brush);
    // The usual 0.5-point hairline inside the edge.
    static void hairline(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush)
    {
        strokeInside(painter, rect, radius, 0.5, brush);
    }

    // The radius actually drawn: not negative, not more than half the
    // shorter side.
    static qreal effectiveRadius(const QRectF& rect, qreal radius);
};

} // namespace tavrin
