#include "design/layoutglyph.h"

#include "design/displaypreview.h"
#include "design/squircle.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

LayoutGlyph::LayoutGlyph(LayoutKind kind, qreal aspect, int windows, bool highlighted, QWidget* parent)
    : DesignWidget(parent),
      kind_(kind),
      aspect_(aspect),
      windows_(windows),
      highlighted_(highlighted)
{}

void LayoutGlyph::setKind(LayoutKind kind)
{
    kind_ = kind;
    update();
}

void LayoutGlyph::setAspect(qreal aspect)
{
    aspect_ = aspect;
    update();
}

void LayoutGlyph::setHighlighted(bool highlighted)
{
    highlighted_ = highlighted;
    update();
}

void LayoutGlyph::setForeground(const QColor& colour)
{
    foreground_ = colour;
    update();
}

QRectF LayoutGlyph::displayRect(const QRectF& bounds, qreal aspect) { return DisplayPreview::fitted(bounds, aspect); }

QList<QRectF> LayoutGlyph::zoneRects(LayoutKind kind, int windows, const QRectF& area, qreal aspect)
{
    QList<QRectF> zones;
    for (const UnitRect& u : rects(kind, std::max(1, windows), std::isfinite(aspect) && aspect > 0 ? aspect : 1.6))
        zones.append(QRectF(area.left() + u.x * area.width(), area.top() + u.y * area.height(), u.w * area.width(),
                            u.h * area.height()));
    return zones;
}

void LayoutGlyph::paint(QPainter& painter, const QRectF& bounds, LayoutKind kind, qreal aspect, int windows,
                        const QColor& colour)
{
    const QRectF display = displayRect(bounds, aspect);
    if (display.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor outline = colour;
    outline.setAlphaF(outline.alphaF() * 0.5f);
    Squircle::strokeInside(painter, display, kOutlineRadius, kOutlineWidth, outline);
    // The zones lie inside the outline.
    const QRectF inside = display.adjusted(kOutlineWidth, kOutlineWidth, -kOutlineWidth, -kOutlineWidth);
    for (const QRectF& zone : zoneRects(kind, windows, inside, aspect)) {
        const QRectF inset = zone.adjusted(kZoneInset, kZoneInset, -kZoneInset, -kZoneInset);
        if (inset.width() > 0 && inset.height() > 0)
            Squircle::fill(painter, inset, kZoneRadius, colour);
    }
    painter.restore();
}

void LayoutGlyph::paintEvent(QPaintEvent*)
{
    const TTheme theme = t();
    const QColor colour = highlighted_ ? theme.accent : (foreground_.isValid() ? foreground_ : theme.ink);
    QPainter painter(this);
    paint(painter, rect(), kind_, aspect_, windows_, colour);
}

} // namespace tavrin
