#include "focus/views/removebutton.h"

#include "design/environment.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

RemoveButton::RemoveButton(const QString& item, qreal size, QWidget* parent) : QAbstractButton(parent), size_(size)
{
    setItem(item);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    new EnvironmentWatcher(this);
}

void RemoveButton::setItem(const QString& item) { setAccessibleName(tr("Remove ") + item); }

QSize RemoveButton::sizeHint() const
{
    // The symbol's box, a little larger than the glyph so it is easy to hit.
    const int side = int(std::ceil(size_ + 4));
    return {side, side};
}

void RemoveButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor c = Environment::theme(this).muted;
    if (isDown())
        c.setAlphaF(c.alphaF() * 0.6f);
    // The cross spans about two thirds of the point size, stroked bold.
    const qreal arm = size_ * 0.34;
    const QPointF centre = QRectF(rect()).center();
    painter.setPen(QPen(c, size_ * 0.17, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(-arm, -arm), centre + QPointF(arm, arm));
    painter.drawLine(centre + QPointF(-arm, arm), centre + QPointF(arm, -arm));
}

} // namespace tavrin
