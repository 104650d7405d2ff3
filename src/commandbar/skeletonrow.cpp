#include "commandbar/skeletonrow.h"

#include "design/squircle.h"
#include "design/tween.h"
#include "platform/clock.h"
#include "platform/timer.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

SkeletonRow::SkeletonRow(int index, QWidget* parent) : DesignWidget(parent), index_(index)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (Clock* clock = Environment::clock()) {
        frames_ = new Timer(*clock, this);
        connect(frames_, &Timer::timeout, this, qOverload<>(&QWidget::update));
        shownAt_ = clock->monotonic();
    }
}

qreal SkeletonRow::opacityAt(double seconds, int index)
{
    const double t = seconds - index * kStagger;
    if (t <= 0)
        return kLowOpacity;
    const double cycle = std::fmod(t, 2 * kPulseSeconds) / kPulseSeconds;
    const double leg = cycle <= 1 ? cycle : 2 - cycle;
    return kLowOpacity + (1 - kLowOpacity) * Tween::ease(Tween::Curve::easeInOut, leg);
}

qreal SkeletonRow::opacity() const
{
    const Clock* clock = Environment::clock();
    return clock ? opacityAt(clock->monotonic() - shownAt_, index_) : kLowOpacity;
}

QSize SkeletonRow::sizeHint() const { return {int(std::ceil(16 + 26 + 10 + 150 + 34)), 26 + 14}; }

void SkeletonRow::showEvent(QShowEvent* event)
{
    DesignWidget::showEvent(event);
    if (!frames_)
        return;
    shownAt_ = Environment::clock()->monotonic();
    frames_->startRepeating(1.0 / 30);
}

void SkeletonRow::hideEvent(QHideEvent* event)
{
    if (frames_)
        frames_->stop();
    DesignWidget::hideEvent(event);
}

void SkeletonRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity());
    const TTheme theme = t();
    const QRectF inner = QRectF(rect()).adjusted(8, 7, -8, -7);
    const qreal cy = inner.center().y();
    Squircle::fill(painter, QRectF(inner.left(), cy - 13, 26, 26), 7, theme.skel);
    const qreal x = inner.left() + 26 + 10;
    const qreal top = cy - (7 + 5 + 6) / 2.0;
    Squircle::fill(painter, QRectF(x, top, firstBarWidth(), 7), 3.5, theme.skel);
    Squircle::fill(painter, QRectF(x, top + 7 + 5, secondBarWidth(), 6), 3, theme.fill);
    Squircle::strokeInside(painter, QRectF(inner.right() - 34, cy - 6, 34, 12), 2, 1, theme.skel);
}

} // namespace tavrin
