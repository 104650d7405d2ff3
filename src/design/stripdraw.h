#pragma once

#include <QPointF>
#include <QRegion>

class QImage;
class QPainter;

namespace tavrin {

// Draws an image within a region a few rows at a time. Qt's raster engine
// hands a drawing of many rows to its thread pool; for the small repaints an
// animation makes sixty times a second, waking those threads costs several
// times what the drawing itself does.
class StripDraw {
public:
    // Rows per drawing: with the painter clipped to a region of up to four
    // pieces a row, few enough for Qt to draw them on the calling thread.
    static constexpr int kRows = 16;

    // Draws `image` (its device-pixel ratio honoured) with its top left at
    // `at`, where it meets `region` (the painter's coordinates, whole
    // points). The painter should already be clipped to the region (as in a
    // paint event): each strip is drawn whole from the region's left to its
    // right edge within the strip's rows.
    static void image(QPainter& painter, QPointF at, const QImage& image, const QRegion& region);
};

} // namespace tavrin
