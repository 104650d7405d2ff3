#include "design/squircle.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <array>
#include <cmath>

namespace tavrin {

namespace {

// One corner as three cubic curves, in corner-local units of the radius:
// (distance back along the incoming edge, distance along the outgoing edge).
struct CornerPoint {
    qreal along;
    qreal across;
};
using Corner = std::array<CornerPoint, 10>; // start, then (c1, c2, end) three times

constexpr Corner kContinuous = {{
    {1.52866483, 0},
    {1.08849323, 0},
    {0.86840689, 0},
    {0.63149399, 0.07491100},
    {0.37282392, 0.16905899},
    {0.16905899, 0.37282392},
    {0.07491100, 0.63149399},
    {0, 0.86840689},
    {0, 1.08849323},
    {0, 1.52866483},
}};

// A quarter circle in the same three-curve form: the outer curves have no
// length, the middle one is the arc.
constexpr qreal kArc = 0.55228475;
constexpr Corner kCircular = {{
    {1, 0},
    {1, 0},
    {1, 0},
    {1, 0},
    {1 - kArc, 0},
    {0, 1 - kArc},
    {0, 1},
    {0, 1},
    {0, 1},
    {0, 1},
}};

} // namespace

qreal Squircle::effectiveRadius(const QRectF& rect, qreal radius)
{
    const qreal half = std::min(rect.width(), rect.height()) / 2;
    if (!(radius > 0) || !(half > 0))
        return 0;
    return std::min(radius, half);
}

QPainterPath Squircle::path(const QRectF& input, qreal radius)
{
    const QRectF rect = input.normalized();
    QPainterPath path;
    if (rect.isEmpty())
        return path;
    const qreal r = effectiveRadius(rect, radius);
    if (r <= 0) {
        path.addRect(rect);
        return path;
    }

    // How far towards circular arcs the corners must go for them to fit.
    const qreal half = std::min(rect.width(), rect.height()) / 2;
    const qreal blend = std::clamp((kCornerReach - half / r) / (kCornerReach - 1), 0.0, 1.0);
    Corner corner;
    for (size_t i = 0; i < corner.size(); ++i) {
        corner[i].along = (kContinuous[i].along + (kCircular[i].along - kContinuous[i].along) * blend) * r;
        corner[i].across = (kContinuous[i].across + (kCircular[i].across - kContinuous[i].across) * blend) * r;
    }

    // Corners clockwise from the top right. For each: the corner point, the
    // direction of the incoming edge and of the outgoing edge.
    struct Frame {
        QPointF at;
        QPointF in;
        QPointF out;
    };
    const std::array<Frame, 4> frames = {{
        {rect.topRight(), {1, 0}, {0, 1}},
        {rect.bottomRight(), {0, 1}, {-1, 0}},
        {rect.bottomLeft(), {-1, 0}, {0, -1}},
        {rect.topLeft(), {0, -1}, {1, 0}},
    }};
    auto point = [&](const Frame& f, const CornerPoint& p) { return f.at - f.in * p.along + f.out * p.across; };

    const Frame& last = frames[3];
    path.moveTo(point(last, corner[9]));
    for (const Frame& f : frames) {
        path.lineTo(point(f, corner[0]));
        for (int c = 0; c < 3; ++c)
            path.cubicTo(point(f, corner[1 + 3 * c]), point(f, corner[2 + 3 * c]), point(f, corner[3 + 3 * c]));
    }
    path.closeSubpath();
    return path;
}

QPainterPath Squircle::inset(const QRectF& rect, qreal radius, qreal amount)
{
    const QRectF r = rect.normalized().adjusted(amount, amount, -amount, -amount);
    if (r.width() <= 0 || r.height() <= 0)
        return {};
    return path(r, std::max<qreal>(0, effectiveRadius(rect.normalized(), radius) - amount));
}

void Squircle::fill(QPainter& painter, const QRectF& rect, qreal radius, const QBrush& brush)
{
    if (brush.style() == Qt::NoBrush || (brush.style() == Qt::SolidPattern && brush.color().alpha() == 0))
        return;
    painter.fillPath(path(rect, radius), brush);
}

void Squircle::strokeInside(QPainter& painter, const QRectF& rect, qreal radius, qreal width, const QBrush& brush)
{
    if (!(width > 0) || brush.style() == Qt::NoBrush
        || (brush.style() == Qt::SolidPattern && brush.color().alpha() == 0))
        return;
    QPen pen(brush, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.strokePath(inset(rect, radius, width / 2), pen);
}

} // namespace tavrin
