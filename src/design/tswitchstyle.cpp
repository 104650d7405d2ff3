#include "design/tswitchstyle.h"

#include "design/shadowcache.h"
#include "design/squircle.h"

#include <QPainter>
#include <algorithm>

namespace tavrin {

QColor TSwitchStyle::trackColour(const TTheme& t, qreal on)
{
    on = std::clamp<qreal>(on, 0, 1);
    if (on <= 0)
        return t.fillHover;
    if (on >= 1)
        return t.good;
    // Blend with premultiplied channels, so a translucent end fades rather
    // than darkens.
    const QColor a = t.fillHover.toRgb();
    const QColor b = t.good.toRgb();
    const float f = float(on);
    const float alpha = a.alphaF() + (b.alphaF() - a.alphaF()) * f;
    if (alpha <= 0)
        return QColor(0, 0, 0, 0);
    auto channel = [&](float x, float y) {
        return std::clamp((x * a.alphaF() + (y * b.alphaF() - x * a.alphaF()) * f) / alpha, 0.0f, 1.0f);
    };
    return QColor::fromRgbF(channel(a.redF(), b.redF()), channel(a.greenF(), b.greenF()),
                            channel(a.blueF(), b.blueF()), alpha);
}

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
