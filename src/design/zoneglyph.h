#pragma once

#include "design/designwidget.h"
#include "windows/unitrect.h"

class QPainter;

namespace tavrin {

// A unit rectangle's place on a wide display, 34 by 12 points: the zone in
// the accent colour inside a faint outline of the display.
class ZoneGlyph : public DesignWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{34, 12};

    explicit ZoneGlyph(const UnitRect& rect, QWidget* parent = nullptr);

    QSize sizeHint() const override { return kSize; }

    // The zone in a glyph `width` by `height`, laid out inside a 1-point
    // margin, each side at least 1.5 points, before its 0.5-point inset.
    static QRectF zoneRect(const UnitRect& unit, qreal width, qreal height);
    static void paint(QPainter& painter, const QSizeF& size, const UnitRect& unit, const TTheme& t);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    UnitRect rect_;
};

} // namespace tavrin
