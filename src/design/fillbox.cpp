#include "design/fillbox.h"

#include "design/squircle.h"

#include <QPainter>

namespace tavrin {

void FillBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Squircle::fill(painter, QRectF(rect()), 9, t().fill);
}

} // namespace tavrin
