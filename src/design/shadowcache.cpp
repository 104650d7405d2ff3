#include "design/shadowcache.h"

#include "design/blur.h"
#include "design/squircle.h"

#include <QCache>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

namespace tavrin {

namespace {

// One axis of a shadow: how the template maps onto the real size.
struct Axis {
    qreal shape = 0; // the template's shape size, pixels
    int target = 0;  // the real image size, pixels
    int image = 0;   // the template image size, pixels
    bool stretched = false;
};

struct Plan {
    Axis x;
    Axis y;
    int margin = 0; // pixels between the image edge and the shape
    qreal radius = 0;
    qreal sigma = 0;
};

Axis planAxis(qreal shapePx, qreal cornerPx, int margin)
{
    Axis a;
    // The middle line of the template must be out of reach of both corners.
    const int minimum = 2 * (int(std::ceil(cornerPx)) + margin) + 3;
    if (shapePx > minimum) {
        a.stretched = true;
        a.shape = minimum;
        a.target = int(std::lround(shapePx)) + 2 * margin;
    } else {
        a.shape = std::round(shapePx * 4) / 4;
        a.target = int(std::ceil(a.shape)) + 2 * margin;
    }
    a.image = int(std::ceil(a.shape)) + 2 * margin;
    return a;
}

Plan makePlan(QSizeF shape, qreal radius, qreal blurRadius, qreal scale)
{
    Plan p;
    const QSizeF px(std::max<qreal>(0, shape.width()) * scale, std::max<qreal>(0, shape.height()) * scale);
    p.radius = Squircle::effectiveRadius(QRectF(QPointF(), px), radius * scale);
    p.sigma = std::max<qreal>(0, blurRadius) / 2 * scale;
    p.margin = int(std::ceil(ShadowCache::reach(blurRadius) * scale));
    const qreal corner = std::min(Squircle::kCornerReach * p.radius, std::min(px.width(), px.height()) / 2);
    p.x = planAxis(px.width(), corner, p.margin);
    p.y = planAxis(px.height(), corner, p.margin);
    return p;
}

QCache<QString, QImage>& templates()
{
    // Bounded by bytes: a few dozen full-size templates at most.
    static QCache<QString, QImage> cache(qsizetype{48} * 1024 * 1024);
    return cache;
}

QImage tmpl(const Plan& p, const QColor& colour)
{
    const QString key = QStringLiteral("%1x%2 r%3 s%4 m%5 c%6")
                            .arg(p.x.shape)
                            .arg(p.y.shape)
                            .arg(p.radius)
                            .arg(p.sigma)
                            .arg(p.margin)
                            .arg(colour.rgba(), 0, 16);
    if (const QImage* hit = templates().object(key))
        return *hit;

    QImage mask(p.x.image, p.y.image, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(Squircle::path(QRectF(p.margin, p.margin, p.x.shape, p.y.shape), p.radius), Qt::black);
    }
    Blur::alpha(mask, p.sigma);

    QImage image(mask.size(), QImage::Format_ARGB32_Premultiplied);
    const QRgb rgb = colour.rgb();
    const int alpha = colour.alpha();
    for (int y = 0; y < image.height(); ++y) {
        const uchar* in = mask.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            out[x] = qPremultiply(qRgba(qRed(rgb), qGreen(rgb), qBlue(rgb), (in[x] * alpha + 127) / 255));
    }
    templates().insert(key, new QImage(image), int(std::min<qsizetype>(image.sizeInBytes(), INT_MAX)));
    return image;
}

// The three source and target spans of one axis, in pixels.
struct Spans {
    int src[4];
    int dst[4];
};

Spans spans(const Axis& a)
{
    if (!a.stretched)
        return {{0, a.image, a.image, a.image}, {0, a.image, a.image, a.image}};
    const int mid = a.image / 2;
    const int tail = a.image - mid - 1;
    return {{0, mid, mid + 1, a.image}, {0, mid, a.target - tail, a.target}};
}

// Draws the template stretched to the real size, with the image's top left
// at `origin` (pixels, in the painter's device space divided by `scale`).
void drawSlices(QPainter& painter, const QImage& t, const Plan& p, QPointF origin, qreal scale, bool hollow = false)
{
    hollow = hollow && p.x.stretched && p.y.stretched;
    const Spans sx = spans(p.x);
    const Spans sy = spans(p.y);
    for (int i = 0; i < 3; ++i) {
        if (sy.src[i + 1] <= sy.src[i])
            continue;
        for (int j = 0; j < 3; ++j) {
            if (sx.src[j + 1] <= sx.src[j] || (hollow && i == 1 && j == 1))
                continue;
            const QRect src(sx.src[j], sy.src[i], sx.src[j + 1] - sx.src[j], sy.src[i + 1] - sy.src[i]);
            const QRectF dst(origin.x() + sx.dst[j] / scale, origin.y() + sy.dst[i] / scale,
                             (sx.dst[j + 1] - sx.dst[j]) / scale, (sy.dst[i + 1] - sy.dst[i]) / scale);
            painter.drawImage(dst, t, src);
        }
    }
}

} // namespace

qreal ShadowCache::deviceScale(const QPainter& painter)
{
    // The device transform holds the widget's offset, any scaling of the
    // painter and the pixel ratio of the surface painted on, also when a
    // widget is rendered into an image.
    const QTransform t = painter.deviceTransform();
    const qreal scale = std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
    return std::clamp<qreal>(scale, 0.25, 16);
}

qreal ShadowCache::reach(qreal blurRadius)
{
    // Three standard deviations: what lies beyond is below 1 % of the peak.
    return std::ceil(std::max<qreal>(0, blurRadius) * 1.5);
}

void ShadowCache::draw(QPainter& painter, const QRectF& shape, qreal radius, qreal blurRadius, const QColor& colour,
                       QPointF offset, bool hollow)
{
    if (shape.isEmpty() || colour.alpha() == 0)
        return;
    const qreal scale = deviceScale(painter);
    const Plan p = makePlan(shape.size(), radius, blurRadius, scale);
    const QImage t = tmpl(p, colour);
    const QPointF origin = shape.topLeft() + offset - QPointF(p.margin / scale, p.margin / scale);
    drawSlices(painter, t, p, origin, scale, hollow);
}

QImage ShadowCache::image(QSizeF shape, qreal radius, qreal blurRadius, const QColor& colour, qreal scale)
{
    scale = std::max<qreal>(1e-3, scale);
    const Plan p = makePlan(shape, radius, blurRadius, scale);
    QImage out(std::max(1, p.x.target), std::max(1, p.y.target), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    if (!shape.isEmpty() && colour.alpha() != 0) {
        QPainter painter(&out);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        drawSlices(painter, tmpl(p, colour), p, QPointF(), 1.0);
    }
    out.setDevicePixelRatio(scale);
    return out;
}

void ShadowCache::clear() { templates().clear(); }

int ShadowCache::templateCount() { return int(templates().count()); }

} // namespace tavrin
