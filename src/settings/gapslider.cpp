#include "settings/gapslider.h"

#include "design/environment.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <cmath>

namespace tavrin {

GapSlider::GapSlider(int minimum, int maximum, int value, QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(minimum, maximum);
    setValue(value);
    setPageStep(4);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    new EnvironmentWatcher(this);
}

int GapSlider::valueAt(qreal x) const
{
    const qreal span = width() - kKnob;
    if (span <= 0 || maximum() == minimum())
        return minimum();
    const qreal f = std::clamp((x - kKnob / 2.0) / span, 0.0, 1.0);
    return minimum() + int(std::lround(f * (maximum() - minimum())));
}

void GapSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QSlider::mousePressEvent(event);
    setSliderDown(true);
    setSliderPosition(valueAt(event->position().x()));
    event->accept();
}

void GapSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!isSliderDown())
        return QSlider::mouseMoveEvent(event);
    setSliderPosition(valueAt(event->position().x()));
    event->accept();
}

void GapSlider::paintEvent(QPaintEvent*)
{
    const TTheme t = Environment::theme(this);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal span = width() - kKnob;
    const qreal f = maximum() == minimum() ? 0 : qreal(sliderPosition() - minimum()) / (maximum() - minimum());
    const qreal cx = kKnob / 2.0 + f * span;
    const qreal cy = height() / 2.0;
    const QRectF track(kKnob / 2.0, cy - kTrack / 2, span, kTrack);
    p.setPen(Qt::NoPen);
    p.setBrush(t.fillHover);
    p.drawRoundedRect(track, kTrack / 2, kTrack / 2);
    p.setBrush(t.good);
    p.drawRoundedRect(QRectF(track.left(), track.top(), cx - track.left(), kTrack), kTrack / 2, kTrack / 2);
    // The knob, with the switch knob's shadow.
    const QRectF knob(cx - kKnob / 2.0, cy - kKnob / 2.0, kKnob, kKnob);
    p.setBrush(QColor(0, 0, 0, 77));
    p.drawEllipse(knob.translated(0, 1));
    p.setBrush(Qt::white);
    p.drawEllipse(knob);
    p.setPen(QPen(t.line, 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(knob.adjusted(0.25, 0.25, -0.25, -0.25));
}

} // namespace tavrin
