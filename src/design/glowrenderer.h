#pragma once

#include <QColor>
#include <QConicalGradient>
#include <QImage>
#include <QList>
#include <QRectF>

class QPainter;

namespace tavrin {

// Draws one frame of the planner glow around a shape: a soft halo (the
// shape grown by 10 points, corner radius 10 larger, filled with the rainbow
// and blurred with radius 22) and a 1.5-point rainbow ring just outside the
// shape's edge.
//
// Nothing is blurred per frame. The blur is linear, and the rainbow changes
// slowly across the halo, so the blurred rainbow is the rainbow masked by the
// blurred shape. The mask is made once per size; each frame only fills the
// turned rainbow into it. The halo is that blurry that it is drawn at a
// quarter of the resolution and scaled up, which nobody can tell apart.
class GlowRenderer {
public:
    static constexpr qreal kHaloGrowth = 10;
    static constexpr qreal kHaloBlur = 22;
    static constexpr qreal kRingWidth = 1.5;

    // Orange, pink, violet, blue, cyan, and orange again to close the ring.
    static const QList<QColor>& colours();
    // The rainbow turned by `angle` (radians, clockwise on screen), centred
    // at `centre`: the first colour lies at `angle`, the others follow
    // clockwise.
    static QConicalGradient gradient(QPointF centre, qreal angle);
    // How far the glow reaches beyond the shape, in points.
    static qreal reach();

    // Draws halo and ring; `opacity` scales both (fading in and out),
    // `haloOpacity` the halo alone.
    void paint(QPainter& painter, const QRectF& shape, qreal cornerRadius, qreal angle, qreal haloOpacity,
               qreal opacity = 1);

private:
    QImage mask_;
    QImage frame_;
    QSizeF maskShape_;
    qreal maskRadius_ = -1;
    qreal maskScale_ = 0;
};

} // namespace tavrin
