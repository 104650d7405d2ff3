#include "design/meter.h"

#include "design/squircle.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

Meter::Meter(double value, QWidget* parent) : DesignWidget(parent), value_(value)
{
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Meter::setValue(double value)
{
    value_ = value;
    update();
}

double Meter::clamped(double value)
{
    if (std::isnan(value) || value <= 0)
        return 0;
    return value >= 1 ? 1 : value;
}

qreal Meter::barWidth(double value, qreal width) { return std::max<qreal>(0, width) * clamped(value); }

void Meter::paint(QPainter& painter, const QRectF& rect, double value, const TTheme& t)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = rect.height() / 2;
    Squircle::fill(painter, rect, radius, t.fillHover);
    const qreal w = barWidth(value, rect.width());
    if (w > 0)
        Squircle::fill(painter, QRectF(rect.topLeft(), QSizeF(w, rect.height())), radius, t.good);
    painter.restore();
}

void Meter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, QRectF(0, 0, width(), kHeight), value_, t());
}

} // namespace tavrin
