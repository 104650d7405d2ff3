#pragma once

#include "windows/unitrect.h"

#include <QString>
#include <array>
#include <optional>

namespace tavrin {

// The nine snap zones, in grid order (top row, middle row, bottom row);
// stored by name.
enum class SnapTarget {
    topLeft,
    topHalf,
    topRight,
    leftThird,
    centreThird,
    rightThird,
    bottomLeft,
    bottomHalf,
    bottomRight
};

inline constexpr std::array<SnapTarget, 9> kAllSnapTargets = {
    SnapTarget::topLeft,    SnapTarget::topHalf,     SnapTarget::topRight,
    SnapTarget::leftThird,  SnapTarget::centreThird, SnapTarget::rightThird,
    SnapTarget::bottomLeft, SnapTarget::bottomHalf,  SnapTarget::bottomRight};

QString name(SnapTarget target);
std::optional<SnapTarget> snapTargetFromName(const QString& name);

// The zone for a display of this aspect (width over height). Below 2.0 the
// top and bottom rows are quarters and halves; from 2.0 they are thirds
// across at half height. The middle row is thirds at full height.
UnitRect rect(SnapTarget target, double aspect);
// The zone's name as the user sees it for that aspect ("Top left",
// "Top centre third", "Left third").
QString label(SnapTarget target, double aspect);

} // namespace tavrin
