#pragma once

#include <QPainterPath>
#include <QRectF>

namespace tavrin {

// The product mark's geometry: a rounded square split into a left panel of
// diagonal strokes and a right column of two cells, the lower holding a
// block. Laid out on a 24-unit grid whose unit is the shorter side of the
// rectangle over 24, from the rectangle's top-left corner (so the mark stays
// square and sits at the top left of a rectangle that is not).
struct MarkPaths {
    QPainterPath frame;   // the rounded square and the two dividers
    QPainterPath strokes; // three open lines in the left panel
    QPainterPath block;   // the solid block in the lower right cell
};

MarkPaths markPaths(const QRectF& in);

} // namespace tavrin
