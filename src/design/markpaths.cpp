#include "design/markpaths.h"

#include "design/squircle.h"

#include <algorithm>

namespace tavrin {

MarkPaths markPaths(const QRectF& in)
{
    const QRectF r = in.normalized();
    const qreal u = std::max<qreal>(0, std::min(r.width(), r.height())) / 24;
    auto at = [&](qreal a, qreal b) { return QPointF(r.left() + a * u, r.top() + b * u); };

    MarkPaths m;
    m.frame = Squircle::path(QRectF(at(1.5, 1.5), QSizeF(21 * u, 21 * u)), 5 * u);
    m.frame.moveTo(at(14, 2));
    m.frame.lineTo(at(14, 22));
    m.frame.moveTo(at(14, 12));
    m.frame.lineTo(at(22, 12));

    m.strokes.moveTo(at(2.5, 2.5));
    m.strokes.lineTo(at(8, 12));
    m.strokes.lineTo(at(2.5, 21.5));
    m.strokes.moveTo(at(13.5, 2.5));
    m.strokes.lineTo(at(8, 12));
    m.strokes.lineTo(at(13.5, 21.5));
    m.strokes.moveTo(at(2.5, 12));
    m.strokes.lineTo(at(13.5, 12));

    m.block = Squircle::path(QRectF(at(15.6, 13.6), QSizeF(5.4 * u, 7.4 * u)), 1.6 * u);
    return m;
}

} // namespace tavrin
