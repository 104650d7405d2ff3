#include "design/hairline.h"

#include <QPainter>

namespace tavrin {

Hairline::Hairline(Qt::Orientation orientation, QWidget* parent) : DesignWidget(parent), orientation_(orientation)
{
    if (orientation == Qt::Horizontal) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        setFixedWidth(1);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Hairline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (orientation_ == Qt::Horizontal)
        painter.fillRect(QRectF(0, 0, width(), 0.5), t().line);
    else
        painter.fillRect(QRectF(0, 0, 0.5, height()), t().line);
}

} // namespace tavrin
