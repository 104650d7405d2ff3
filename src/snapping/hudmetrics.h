#pragma once

#include "windows/display.h"
#include "windows/unitrect.h"

#include <QRectF>
#include <algorithm>
#include <cmath>

namespace tavrin::hud {

// Sizes shared by the snap overlay's faces.

// The miniature displays of cells and keys are drawn at the display's aspect
// kept within these bounds; the zones inside keep the real aspect.
inline constexpr double kMinDrawnAspect = 1.2;
inline constexpr double kMaxDrawnAspect = 3.6;
inline double drawnAspect(double aspect) { return std::clamp(aspect, kMinDrawnAspect, kMaxDrawnAspect); }
// The height of a miniature display `width` wide.
inline int fittedHeight(double width, double aspect)
{
    return std::max(1, int(std::lround(width / drawnAspect(aspect))));
}

// Zones never shrink below this, so that a thin one stays visible.
inline constexpr qreal kMinZoneSide = 2;
// A zone in a miniature display of `size`, inset by `inset` on every side.
inline QRectF zoneIn(const UnitRect& u, const QSizeF& size, qreal inset)
{
    const qreal w = size.width(), h = size.height();
    return QRectF(u.x * w + inset, u.y * h + inset, std::max(u.w * w - 2 * inset, kMinZoneSide),
                  std::max(u.h * h - 2 * inset, kMinZoneSide));
}

// Each face is a card of fixed width: wider on an ultrawide display.
inline int gridWidth(double aspect) { return isUltrawide(aspect) ? 420 : 300; }
inline int padWidth(double aspect) { return isUltrawide(aspect) ? 460 : 350; }
inline constexpr int kFacePadding = 14;
inline constexpr int kFaceSpacing = 10;
inline constexpr qreal kFaceRadius = 20;
// Cells and keys sit in three columns this far apart, across and down.
inline constexpr int kColumnSpacing = 6;
inline constexpr int kColumns = 3;
// The width of one column of a face `faceWidth` wide.
inline double columnWidth(int faceWidth)
{
    return (faceWidth - 2.0 * kFacePadding - (kColumns - 1) * kColumnSpacing) / kColumns;
}

} // namespace tavrin::hud
