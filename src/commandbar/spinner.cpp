#include "commandbar/spinner.h"

#include "platform/clock.h"
#include "platform/timer.h"

#include <QPainter>
#include <cmath>

namespace tavrin {

namespace {
constexpr int kTicks = 12;
} // namespace

Spinner::Spinner(QWidget* parent) : DesignWidget(parent)
{
    setFixedSize(sizeHint());
    if (Clock* clock = Environment::clock()) {
        frames_ = new Timer(*clock, this);
        connect(frames_, &Timer::timeout, this, qOverload<>(&QWidget::update));
    }
}

void Spinner::showEvent(QShowEvent* event)
{
    DesignWidget::showEvent(event);
    if (frames_)
        frames_->startRepeating(1.0 / kTicks);
}

void Spinner::hideEvent(QHideEvent* event)
{
    if (frames_)
        frames_->stop();
    DesignWidget::hideEvent(event);
}

void Spinner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Clock* clock = Environment::clock();
    const int head = clock ? int(std::fmod(clock->monotonic(), 1.0) * kTicks) : 0;
    const QPointF centre = QRectF(rect()).center();
    const qreal outer = kSize / 2.0 - 1;
    QPen pen(t().muted, 1.6, Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < kTicks; ++i) {
        const int age = (head - i + kTicks) % kTicks;
        QColor c = t().muted;
        c.setAlphaF(float(1.0 - age * 0.07));
        pen.setColor(c);
        painter.setPen(pen);
        const double a = i * 2 * M_PI / kTicks - M_PI / 2;
        painter.drawLine(centre + QPointF(std::cos(a), std::sin(a)) * outer * 0.45,
                         centre + QPointF(std::cos(a), std::sin(a)) * outer);
    }
}

} // namespace tavrin
