#pragma once

#include "design/ttheme.h"

#include <QRectF>

class QPainter;

namespace tavrin {

// The on/off switch: a 30 by 18 point capsule, `good` when on and
// `fillHover` when off, with a white knob at its trailing end when on and its
// leading end when off. Between the two states the knob slides and the colour
// fades over 0.2 seconds (ease-out).
class TSwitchStyle {
public:
    static constexpr qreal kWidth = 30;
    static constexpr qreal kHeight = 18;
    static constexpr qreal kKnob = 14;
    static constexpr qreal kKnobInset = 2;
    static constexpr qreal kSpacing = 8; // between the label and the switch
    static constexpr double kDuration = 0.2;

    // `on` runs from 0 (off) to 1 (on) while the switch moves.
    static QColor trackColour(const TTheme& t, qreal on);
    static QRectF knobRect(const QRectF& track, qreal on);
    static void paint(QPainter& painter, const QRectF& track, qreal on, const TTheme& t);
};

} // namespace tavrin
