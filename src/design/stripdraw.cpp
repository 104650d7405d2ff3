#include "design/stripdraw.h"

#include <QImage>
#include <QPainter>

namespace tavrin {

void StripDraw::image(QPainter& painter, QPointF at, const QImage& image, const QRegion& region)
{
    if (image.isNull())
        return;
    const qreal ratio = image.devicePixelRatio();
    const QRect bounds = QRectF(at, QSizeF(image.size()) / ratio).toAlignedRect();
    const QRect all = region.boundingRect() & bounds;
    for (int y = all.top(); y <= all.bottom(); y += kRows) {
        const QRect rows(all.left(), y, all.width(), std::min(kRows, all.bottom() + 1 - y));
        const QRect strip = (region & rows).boundingRect();
        if (strip.isEmpty())
            continue;
        const QRectF source((QPointF(strip.topLeft()) - at) * ratio, QSizeF(strip.size()) * ratio);
        painter.drawImage(QRectF(strip), image, source);
    }
}

} // namespace tavrin
