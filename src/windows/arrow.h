#pragma once

#include "windows/unitrect.h"

#include <QString>
#include <array>
#include <optional>

namespace tavrin {

enum class Arrow { left, right, up, down };

inline constexpr std::array<Arrow, 4> kAllArrows = {Arrow::left, Arrow::right, Arrow::up, Arrow::down};

QString name(Arrow arrow);

// An earlier arrow press on the same window and the unit rectangle it gave.
struct ArrowPress {
    Arrow arrow = Arrow::left;
    UnitRect unit;
};

// Where pressing `arrow` puts a window that sits at `from` on a display of
// this aspect, `previous` being a press on the same window that came only
// just before (the caller decides what counts as recent). A repeated press
// steps the size; an arrow across the previous one's axis makes a corner.
// None means "put the window back" (↓ on an ultrawide display).
std::optional<UnitRect> nextUnit(Arrow arrow, const UnitRect& from, double aspect,
                                 const std::optional<ArrowPress>& previous = std::nullopt);

} // namespace tavrin
