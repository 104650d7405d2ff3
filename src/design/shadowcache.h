#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace tavrin {

// Soft shadows and halos of the design system's rounded shapes, blurred once
// and reused. A blur radius is given as shadows are specified: the
// Gaussian's standard deviation is half of it.
//
// Only a small template is blurred for each radius, blur and colour: the
// shadow of a larger shape is the template with its middle row and column
// stretched, which is exact because along a straight edge the blurred edge
// is the same everywhere. So a panel that grows does not blur again.
class ShadowCache {
public:
    // How far the blur reaches beyond the shape, in points.
    static qreal reach(qreal blurRadius);

    // Draws the blurred, coloured continuous rounded rectangle `shape`,
    // moved by `offset`.
    // With `hollow`, the middle of a large shadow is left out: for a caller
    // that covers the shape opaquely, as long as `offset` is smaller than the
    // blur's reach.
    static void draw(QPainter& painter, const QRectF& shape, qreal radius, qreal blurRadius, const QColor& colour,
                     QPointF offset = {}, bool hollow = false);

    // The same as one image covering the shape grown by `reach` on every side
    // (rounded up to whole pixels), at `scale` pixels per point, its
    // device-pixel ratio set to `scale`.
    static QImage image(QSizeF shape, qreal radius, qreal blurRadius, const QColor& colour, qreal scale);

    // Pixels per point of what the painter paints on.
    static qreal deviceScale(const QPainter& painter);

    // Forgets every template; they are blurred again as they are drawn.
    static void clear();
    // How many templates are kept: one for each shape, blur, colour and
    // scale drawn since the last clear().
    static int templateCount();
};

} // namespace tavrin
