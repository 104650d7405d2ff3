#include "design/sparkshape.h"

#include <algorithm>

namespace tavrin {

QPainterPath SparkShape::path(const QRectF& in)
{
    const QRectF r = in.normalized();
    const qreal s = std::max<qreal>(0, std::min(r.width(), r.height())) / 24;
    auto p = [&](qreal u, qreal v) { return QPointF(r.left() + u * s, r.top() + v * s); };
    QPainterPath path;
    path.moveTo(p(12, 2.5));
    path.cubicTo(p(12.5, 7.1), p(14.9, 9.5), p(21.5, 12));
    path.cubicTo(p(14.9, 14.5), p(12.5, 16.9), p(12, 21.5));
    path.cubicTo(p(11.5, 16.9), p(9.1, 14.5), p(2.5, 12));
    path.cubicTo(p(9.1, 9.5), p(11.5, 7.1), p(12, 2.5));
    path.closeSubpath();
    return path;
}

} // namespace tavrin
