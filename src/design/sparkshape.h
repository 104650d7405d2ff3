#pragma once

#include <QPainterPath>
#include <QRectF>

namespace tavrin {

// A four-pointed spark on a 24-unit grid whose unit is the shorter side of
// the rectangle over 24, drawn from the rectangle's top-left corner: four
// points joined by inward-curving edges.
class SparkShape {
public:
    static QPainterPath path(const QRectF& in);
};

} // namespace tavrin
