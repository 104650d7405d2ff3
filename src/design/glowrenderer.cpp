#include "design/glowrenderer.h"

#include "design/shadowcache.h"
#include "design/squircle.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

namespace {
constexpr qreal kHaloResolution = 0.25;
}

const QList<QColor>& GlowRenderer::colours()
{
    static const QList<QColor> list = {
        QColor::fromRgbF(1.0f, 0.62f, 0.04f), QColor::fromRgbF(1.0f, 0.31f, 0.43f),
        QColor::fromRgbF(0.76f, 0.42f, 1.0f), QColor::fromRgbF(0.04f, 0.49f, 1.0f),
        QColor::fromRgbF(0.31f, 0.82f, 1.0f), QColor::fromRgbF(1.0f, 0.62f, 0.04f),
    };
    return list;
}

QConicalGradient GlowRenderer::gradient(QPointF centre, qreal angle)
{
    // Qt turns its gradients anticlockwise from their start angle; the
    // rainbow runs clockwise, so its stops are laid out from the far end.
    QConicalGradient g(centre, -angle * 180.0 / M_PI);
    const QList<QColor>& list = colours();
    const int last = int(list.size()) - 1;
    for (int i = 0; i <= last; ++i)
        g.setColorAt(1.0 - qreal(i) / last, list[i]);
    return g;
}

qreal GlowRenderer::reach() { return kHaloGrowth + ShadowCache::reach(kHaloBlur); }

void GlowRenderer::paint(QPainter& painter, const QRectF& shape, qreal cornerRadius, qreal angle, qreal haloOpacity,
                         qreal opacity)
{
    if (shape.isEmpty() || !(opacity > 0))
        return;
    const qreal deviceScale = std::max<qreal>(1, painter.device() ? painter.device()->devicePixelRatioF() : 1)
                              * std::max<qreal>(1e-3, std::abs(painter.worldTransform().m11()));
    const qreal scale = deviceScale * kHaloResolution;
    const QRectF halo = shape.adjusted(-kHaloGrowth, -kHaloGrowth, kHaloGrowth, kHaloGrowth);
    const qreal haloRadius = std::max<qreal>(0, cornerRadius) + kHaloGrowth;

    painter.save();
    if (haloOpacity > 0) {
        if (mask_.isNull() || maskShape_ != halo.size() || maskRadius_ != haloRadius || maskScale_ != scale) {
            mask_ = ShadowCache::image(halo.size(), haloRadius, kHaloBlur, Qt::black, scale);
            frame_ = QImage(mask_.size(), QImage::Format_ARGB32_Premultiplied);
            frame_.setDevicePixelRatio(scale);
            maskShape_ = halo.size();
            maskRadius_ = haloRadius;
            maskScale_ = scale;
        }
        const qreal margin = std::ceil(ShadowCache::reach(kHaloBlur) * scale) / scale;
        const QPointF origin = halo.topLeft() - QPointF(margin, margin);
        {
            QPainter p(&frame_);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(QRectF(QPointF(), frame_.deviceIndependentSize()), gradient(shape.center() - origin, angle));
            p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            p.drawImage(QPointF(), mask_);
        }
        painter.setOpacity(painter.opacity() * opacity * haloOpacity);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(origin, frame_.deviceIndependentSize()), frame_);
        painter.restore();
        painter.save();
    }

    painter.setOpacity(painter.opacity() * opacity);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring = shape.adjusted(-kRingWidth, -kRingWidth, kRingWidth, kRingWidth);
    Squircle::strokeInside(painter, ring, cornerRadius, kRingWidth, QBrush(gradient(shape.center(), angle)));
    painter.restore();
}

} // namespace tavrin
