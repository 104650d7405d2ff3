#include "focus/views/linkglyph.h"

#include "design/environment.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

LinkGlyph::LinkGlyph(qreal size, QWidget* parent) : QWidget(parent), size_(size) { new EnvironmentWatcher(this); }

QSize LinkGlyph::sizeHint() const
{
    const int side = int(std::ceil(size_ + 2));
    return {side, side};
}

void LinkGlyph::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(QRectF(rect()).center());
    painter.rotate(-45);
    const qreal w = size_ * 0.62;
    const qreal h = size_ * 0.36;
    painter.setPen(QPen(Environment::theme(this).muted, std::max(1.0, size_ * 0.12)));
    painter.setBrush(Qt::NoBrush);
    // Two links overlapping by a third of their length.
    painter.drawRoundedRect(QRectF(-w + w / 3, -h / 2, w, h), h / 2, h / 2);
    painter.drawRoundedRect(QRectF(-w / 3, -h / 2, w, h), h / 2, h / 2);
}

} // namespace tavrin
