#include "design/spark.h"

#include "design/sparkshape.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

Spark::Spark(qreal size, QWidget* parent) : DesignWidget(parent), size_(std::max<qreal>(0, size))
{
    setFixedSize(sizeHint());
}

QSize Spark::sizeHint() const
{
    const int edge = int(std::ceil(size_));
    return {edge, edge};
}

QLinearGradient Spark::gradient(const QRectF& frame)
{
    QLinearGradient g(frame.topLeft(), frame.bottomRight());
    g.setColorAt(0, QColor(255, 159, 10));
    g.setColorAt(0.45, QColor(255, 79, 109));
    g.setColorAt(1, QColor(10, 124, 255));
    return g;
}

void Spark::paint(QPainter& painter, const QRectF& frame)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(SparkShape::path(frame), gradient(frame));
    painter.restore();
}

void Spark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, QRectF(0, 0, size_, size_));
}

} // namespace tavrin
