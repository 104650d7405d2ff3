#include "design/zoneglyph.h"

#include "design/squircle.h"

#include <QPainter>

namespace tavrin {

ZoneGlyph::ZoneGlyph(const UnitRect& rect, QWidget* parent) : DesignWidget(parent), rect_(rect) { setFixedSize(kSize); }

QRectF ZoneGlyph::zoneRect(const UnitRect& unit, qreal width, qreal height)
{
    const qreal w = width - 2;
    const qreal h = height - 2;
    return QRectF(1 + unit.x * w, 1 + unit.y * h, std::max<qreal>(1.5, unit.w * w), std::max<qreal>(1.5, unit.h * h));
}

void ZoneGlyph::paint(QPainter& painter, const QSizeF& size, const UnitRect& unit, const TTheme& t)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor outline = t.ink;
    outline.setAlphaF(outline.alphaF() * 0.35f);
    QPen pen(outline, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.strokePath(Squircle::path(QRectF(QPointF(), size).adjusted(0.5, 0.5, -0.5, -0.5), 2), pen);
    const QRectF zone = zoneRect(unit, size.width(), size.height()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (zone.width() > 0 && zone.height() > 0)
        Squircle::fill(painter, zone, 1, t.accent);
    painter.restore();
}

void ZoneGlyph::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, QSizeF(width(), height()), rect_, t());
}

} // namespace tavrin
