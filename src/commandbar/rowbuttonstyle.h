#pragma once

#include "design/ttheme.h"

#include <QRectF>

class QPainter;

namespace tavrin {

// The look of the command bar's clickable list rows: a rounded `fillHover`
// highlight while the pointer is over the row or it is pressed, switching at
// once; nothing else changes.
class RowButtonStyle {
public:
    static constexpr qreal kRadius = 9;

    static bool highlighted(bool pressed, bool hover) { return pressed || hover; }
    static void paint(QPainter& painter, const QRectF& rect, const TTheme& t, bool pressed, bool hover);
};

} // namespace tavrin
