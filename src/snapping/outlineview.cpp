#include "snapping/outlineview.h"

#include <QPainter>
#include <QPainterPath>

namespace tavrin {

OutlineView::OutlineView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("snapOutline"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void OutlineView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    QPainterPath shape;
    shape.addRoundedRect(bounds, kRadius, kRadius);
    QColor wash = colour();
    wash.setAlphaF(0.1f);
    painter.fillPath(shape, wash);
    // The border lies inside the edge, as a layer's border does.
    const qreal half = kBorderWidth / 2;
    QPainterPath border;
    border.addRoundedRect(bounds.adjusted(half, half, -half, -half), kRadius - half, kRadius - half);
    painter.strokePath(border, QPen(colour(), kBorderWidth));
}

} // namespace tavrin
