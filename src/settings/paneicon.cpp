#include "settings/paneicon.h"

#include "design/sparkshape.h"
#include "design/squircle.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace tavrin {

namespace {
// A gear: a ring with eight teeth around a hub.
QPainterPath gear()
{
    QPainterPath p;
    const QPointF c(8, 8);
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        p.moveTo(c + QPointF(std::cos(a), std::sin(a)) * 5.2);
        p.lineTo(c + QPointF(std::cos(a), std::sin(a)) * 7.0);
    }
    p.addEllipse(c, 5.2, 5.2);
    p.addEllipse(c, 2.0, 2.0);
    return p;
}

// A display split the studio way: a main area and two stacked ones.
QPainterPath layouts()
{
    QPainterPath p = Squircle::path(QRectF(1.5, 3, 13, 10), 2);
    p.moveTo(9.5, 3);
    p.lineTo(9.5, 13);
    p.moveTo(9.5, 8);
    p.lineTo(14.5, 8);
    return p;
}

// Two windows, one behind the other.
QPainterPath workspaces()
{
    QPainterPath p = Squircle::path(QRectF(4.5, 5.5, 10, 8), 2);
    p.moveTo(1.5, 9);
    p.lineTo(1.5, 4);
    p.quadTo(1.5, 2.5, 3, 2.5);
    p.lineTo(10, 2.5);
    return p;
}

// A crescent moon.
QPainterPath modes()
{
    QPainterPath outer;
    outer.addEllipse(QPointF(8, 8), 6, 6);
    QPainterPath bite;
    bite.addEllipse(QPointF(11.2, 5.2), 5, 5);
    return outer.subtracted(bite);
}

// A rising line with a point at its end: what was learned.
QPainterPath learning()
{
    QPainterPath p;
    p.moveTo(1.5, 13);
    p.lineTo(5.5, 8.5);
    p.lineTo(8.5, 10.5);
    p.lineTo(13, 4.5);
    p.addEllipse(QPointF(13, 4.5), 1.4, 1.4);
    return p;
}

// Two links of a chain.
QPainterPath integrations()
{
    QPainterPath p = Squircle::path(QRectF(1.5, 5, 8, 6), 3);
    p.addPath(Squircle::path(QRectF(6.5, 5, 8, 6), 3));
    return p;
}

// A shield.
QPainterPath privacy()
{
    QPainterPath p;
    p.moveTo(8, 1.5);
    p.lineTo(13.5, 3.5);
    p.lineTo(13.5, 7.5);
    p.cubicTo(13.5, 11, 11, 13.3, 8, 14.5);
    p.cubicTo(5, 13.3, 2.5, 11, 2.5, 7.5);
    p.lineTo(2.5, 3.5);
    p.closeSubpath();
    return p;
}
} // namespace

PaneIcon::PaneIcon(SettingsPane pane, QWidget* parent) : DesignWidget(parent), pane_(pane)
{
    setFixedSize(kSize, kSize);
}

void PaneIcon::setColour(const QColor& colour)
{
    colour_ = colour;
    update();
}

void PaneIcon::paint(QPainter& painter, const QPointF& origin, SettingsPane pane, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(origin);
    painter.setPen(QPen(colour, kStroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    switch (pane) {
    case SettingsPane::general: painter.drawPath(gear()); break;
    case SettingsPane::layouts: painter.drawPath(layouts()); break;
    case SettingsPane::workspaces: painter.drawPath(workspaces()); break;
    case SettingsPane::modes: painter.drawPath(modes()); break;
    case SettingsPane::learning: painter.drawPath(learning()); break;
    case SettingsPane::shortcuts: {
        // A keyboard: two rows of keys over a space bar.
        painter.drawPath(Squircle::path(QRectF(0.75, 3.25, 14.5, 9.5), 2.5));
        for (int row = 0; row < 2; ++row)
            for (int key = 0; key < 4; ++key)
                painter.drawPoint(QPointF(4 + key * 2.7, 5.9 + row * 2.3));
        painter.drawLine(QPointF(5.5, 10.3), QPointF(10.5, 10.3));
        break;
    }
    case SettingsPane::integrations: painter.drawPath(integrations()); break;
    case SettingsPane::privacy: painter.drawPath(privacy()); break;
    case SettingsPane::ai:
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPath(SparkShape::path(QRectF(1, 1, 14, 14)));
        break;
    }
    painter.restore();
}

void PaneIcon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, QPointF(0, 0), pane_, colour_.isValid() ? colour_ : t().muted);
}

} // namespace tavrin
