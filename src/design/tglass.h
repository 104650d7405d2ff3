#pragma once

#include "design/surface.h"

class QPainter;

namespace tavrin {

// The glass surface of floating panels and their cards: the backdrop
// (`VisualEffect`) and a tint clipped to a continuous rounded rectangle, a
// hairline outline, in the dark scheme a faint top highlight, and a soft
// shadow. Where there is no behind-window blur the tint is opaque.
//
// The shadow reaches 45 points beyond the shape and 14 further down; give
// the glass outsets (or a host margin) for it, or it is cut off.
class TGlass : public Surface {
    Q_OBJECT
    Q_PROPERTY(qreal radius READ radius WRITE setRadius)
public:
    struct Look {
        QColor tint;
        QColor outline;
        bool topHighlight = false;
        QColor shadow;
        qreal shadowBlur = 30;
        QPointF shadowOffset{0, 14};
    };

    explicit TGlass(qreal radius, QWidget* content = nullptr, QWidget* parent = nullptr);

    qreal radius() const { return radius_; }
    void setRadius(qreal radius);

    bool coversShapeOpaquely() const override;

    static Look look(ColorScheme scheme, bool blur);
    // Draws the whole surface for the shape `shape` (the content's frame).
    static void paint(QPainter& painter, const QRectF& shape, qreal radius, ColorScheme scheme, bool blur);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The surface drawn once for its size and look, and reused for every
    // repaint (a glow around the glass repaints it on every frame).
    struct Cache {
        QImage image;
        QPointF origin; // relative to the shape's top left, points
        QSizeF shape;
        qreal radius = -1;
        ColorScheme scheme = ColorScheme::dark;
        bool blur = false;
        qreal scale = 0;
    };
    Cache cache_;
    qreal radius_;
};

} // namespace tavrin
