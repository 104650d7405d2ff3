#pragma once

#include "design/designwidget.h"
#include "design/spring.h"
#include "windows/unitrect.h"

#include <array>
#include <optional>

class QPainter;

namespace tavrin {

class Frames;

// The small display on an arrow key: a dark rounded screen with a hairline
// and, when there is one, the zone the key would put the window in, inset
// 1.5 points (each side at least 2), in the accent colour (faded when
// `dim`). A new zone glides from the old one's place on a spring.
class KeyDisplay : public DesignWidget {
    Q_OBJECT
public:
    static constexpr qreal kRadius = 4;
    static constexpr qreal kZoneInset = 1.5;
    static constexpr qreal kZoneRadius = 2;
    static constexpr double kSpringResponse = 0.3;
    static constexpr double kSpringDamping = 0.85;

    explicit KeyDisplay(bool dim = false, QWidget* parent = nullptr);

    std::optional<UnitRect> unit() const { return unit_; }
    void setUnit(const std::optional<UnitRect>& unit);
    bool isDim() const { return dim_; }

    // Where the zone is drawn now (mid-glide it lies between two places);
    // none without a zone.
    std::optional<QRectF> drawnZone() const;
    // The zone of `unit` in a display of `size`.
    static QRectF zoneRect(const UnitRect& unit, const QSizeF& size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void frame();
    UnitRect shownUnit(double now) const;

    std::optional<UnitRect> unit_;
    bool dim_;
    // x, y, w and h of the zone as drawn.
    std::array<Spring, 4> springs_;
    Frames* frames_;
};

} // namespace tavrin
