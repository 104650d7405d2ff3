#include "design/tswitchstyle.h"

#include "design/colourmix.h"
#include "design/shadowcache.h"
#include "design/squircle.h"

#include <QPainter>
#include <algorithm>

namespace tavrin {

QColor TSwitchStyle::trackColour(const TTheme& t, qreal on) { return mixColours(t.fillHover, t.good, on); }

QRectF TSwitchStyle::knobRect(const QRectF& track, qreal on)
{
    on = std::clamp<qreal>(on, 0, 1);
    const qreal travel = track.width() - kKnob - 2 * kKnobInset;
    return QRectF(track.left() + kKnobInset + travel * on, track.center().y() - kKnob / 2, kKnob, kKnob);
}

void TSwitchStyle::paint(QPainter& painter, const QRectF& track, qreal on, const TTheme& t)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Squircle::fill(painter, track, track.height() / 2, trackColour(t, on));
    const QRectF knob = knobRect(track, on);
    QColor shadow(Qt::black);
    shadow.setAlphaF(0.3f);
    ShadowCache::draw(painter, knob, kKnob / 2, 1, shadow, QPointF(0, 1));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(knob);
    painter.restore();
}

} // namespace tavrin
