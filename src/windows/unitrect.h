#pragma once

#include "platform/geometry.h"

#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

namespace tavrin {

// A rectangle as fractions of a display's visible area, origin at the top
// left: the whole area is (0, 0, 1, 1). Gaps are applied only when it becomes
// a screen frame.
struct UnitRect {
    double x = 0;
    double y = 0;
    double w = 1;
    double h = 1;

    UnitRect() = default;
    UnitRect(double x_, double y_, double w_, double h_) : x(x_), y(y_), w(w_), h(h_) {}

    // The part of `frame` that lies inside `area` (the whole frame when they
    // do not meet), as fractions of the area.
    static UnitRect fromFrame(const Rect& frame, const Rect& area);

    // The index of the area that overlaps `rect` most (the first on ties);
    // none when no area meets it.
    static std::optional<std::size_t> bestScreenIndex(const Rect& rect, const std::vector<Rect>& areas);

    // The screen frame of this rectangle in `area`: the area inset by half the
    // gap, edges rounded to whole points, then inset by half the gap again, so
    // that neighbours end up a full gap apart and a full gap from the edges.
    // A negative gap counts as 0; width and height are at least 1.
    Rect rect(const Rect& area, double gap) const;

    // A short name of the zone, as previews and learning show it; `focus`
    // when the rectangle is the main slot of a layout.
    QString zoneName(bool focus) const;

    // Equal within `tolerance` in every field.
    bool near(const UnitRect& o, double tolerance) const;

    QJsonObject toJson() const;
    static std::optional<UnitRect> fromJson(const QJsonObject& json);

    friend bool operator==(const UnitRect&, const UnitRect&) = default;
};

// The short label of where an arrow or snap puts a window: "put back" for
// none, "full", "full width", "top ⅓", "left ½", "centre ⅓" or "custom".
QString label(const std::optional<UnitRect>& unit);

} // namespace tavrin
