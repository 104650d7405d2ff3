#include "commandbar/rowbuttonstyle.h"

#include "design/squircle.h"

#include <QPainter>

namespace tavrin {

void RowButtonStyle::paint(QPainter& painter, const QRectF& rect, const TTheme& t, bool pressed, bool hover)
{
    if (!highlighted(pressed, hover))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Squircle::fill(painter, rect, kRadius, t.fillHover);
    painter.restore();
}

} // namespace tavrin
