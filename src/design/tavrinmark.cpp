#include "design/tavrinmark.h"

#include "design/markpaths.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

TavrinMark::TavrinMark(qreal size, QWidget* parent) : DesignWidget(parent), size_(std::max<qreal>(0, size))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
}

void TavrinMark::setMarkSize(qreal size)
{
    size_ = std::max<qreal>(0, size);
    setFixedSize(sizeHint());
    update();
}

void TavrinMark::setForeground(const QColor& colour)
{
    foreground_ = colour;
    update();
}

QSize TavrinMark::sizeHint() const
{
    const int edge = int(std::ceil(size_));
    return {edge, edge};
}

qreal TavrinMark::lineWidth(qreal width) { return std::max<qreal>(width / 12, 1.2); }

QColor TavrinMark::labelColour(ColorScheme scheme)
{
    QColor c = scheme == ColorScheme::dark ? QColor(Qt::white) : QColor(Qt::black);
    c.setAlphaF(0.85f);
    return c;
}

void TavrinMark::paint(QPainter& painter, const QRectF& rect, const QColor& foreground, const QColor& label,
                       const QColor& accent)
{
    const MarkPaths paths = markPaths(rect);
    const qreal l = lineWidth(rect.width());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(foreground, l, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.strokePath(paths.frame, pen);
    QColor strokes = label;
    strokes.setAlphaF(strokes.alphaF() * 0.7f);
    pen.setColor(strokes);
    pen.setWidthF(0.55 * l);
    painter.strokePath(paths.strokes, pen);
    QPainterPath block = paths.block;
    block.setFillRule(Qt::WindingFill);
    painter.fillPath(block, accent);
    painter.restore();
}

void TavrinMark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor label = labelColour(scheme());
    paint(painter, QRectF(0, 0, size_, size_), foreground_.isValid() ? foreground_ : label, label,
          Environment::systemAccent());
}

} // namespace tavrin
