#include "design/tglass.h"

#include "design/shadowcache.h"
#include "design/squircle.h"
#include "design/stripdraw.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

namespace tavrin {

namespace {
QColor withAlpha(QColor c, qreal alpha)
{
    c.setAlphaF(float(alpha));
    return c;
}
} // namespace

TGlass::TGlass(qreal radius, QWidget* content, QWidget* parent) : Surface(parent), radius_(radius)
{
    if (content)
        setContent(content);
}

void TGlass::setRadius(qreal radius)
{
    radius_ = radius;
    update();
}

bool TGlass::coversShapeOpaquely() const { return !Environment::blurBehind(this); }

TGlass::Look TGlass::look(ColorScheme scheme, bool blur)
{
    const bool dark = scheme == ColorScheme::dark;
    Look l;
    l.tint = dark ? QColor(38, 40, 47) : QColor(250, 251, 252);
    l.tint.setAlphaF(blur ? (dark ? 0.62f : 0.7f) : 1.0f);
    l.outline = withAlpha(Qt::white, dark ? 0.12 : 0.75);
    l.topHighlight = dark;
    l.shadow = withAlpha(Qt::black, dark ? 0.55 : 0.3);
    return l;
}

void TGlass::paint(QPainter& painter, const QRectF& shape, qreal radius, ColorScheme scheme, bool blur)
{
    if (shape.isEmpty())
        return;
    const Look l = look(scheme, blur);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    ShadowCache::draw(painter, shape, radius, l.shadowBlur, l.shadow, l.shadowOffset, !blur);

    // The backdrop: with blur it is the window system's and nothing is drawn
    // for it; without, its solid fill would lie wholly under the opaque tint.
    Squircle::fill(painter, shape, radius, l.tint);

    Squircle::hairline(painter, shape, radius, l.outline);
    if (l.topHighlight) {
        QLinearGradient highlight(QPointF(0, shape.top()), QPointF(0, shape.center().y()));
        highlight.setColorAt(0, withAlpha(Qt::white, 0.1));
        highlight.setColorAt(1, withAlpha(Qt::white, 0));
        Squircle::hairline(painter, shape, radius, highlight);
    }
    painter.restore();
}

void TGlass::paintEvent(QPaintEvent* event)
{
    const QRectF shape = shapeRect();
    if (shape.isEmpty())
        return;
    QPainter painter(this);
    const ColorScheme s = scheme();
    const bool blur = Environment::blurBehind(this);
    const qreal scale = ShadowCache::deviceScale(painter);
    Cache& c = cache_;
    if (c.image.isNull() || c.shape != shape.size() || c.radius != radius_ || c.scheme != s || c.blur != blur
        || c.scale != scale) {
        const Look l = look(s, blur);
        const qreal reach = ShadowCache::reach(l.shadowBlur);
        const QRectF area = QRectF(QPointF(), shape.size())
                                .adjusted(-reach + std::min<qreal>(0, l.shadowOffset.x()),
                                          -reach + std::min<qreal>(0, l.shadowOffset.y()),
                                          reach + std::max<qreal>(0, l.shadowOffset.x()),
                                          reach + std::max<qreal>(0, l.shadowOffset.y()));
        c = Cache{QImage((area.size() * scale).toSize(), QImage::Format_ARGB32_Premultiplied),
                  area.topLeft(),
                  shape.size(),
                  radius_,
                  s,
                  blur,
                  scale};
        c.image.setDevicePixelRatio(scale);
        c.image.fill(Qt::transparent);
        QPainter p(&c.image);
        p.translate(-area.topLeft());
        paint(p, QRectF(QPointF(), shape.size()), radius_, s, blur);
    }
    StripDraw::image(painter, shape.topLeft() + c.origin, c.image, event->region());
}

} // namespace tavrin
