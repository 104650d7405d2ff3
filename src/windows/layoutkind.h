#pragma once

#include "windows/unitrect.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace tavrin {

// The six layouts, in menu order; stored by name.
enum class LayoutKind { focusCentre, halves, thirds, studio, stack, columns };

inline constexpr std::array<LayoutKind, 6> kAllLayoutKinds = {LayoutKind::focusCentre, LayoutKind::halves,
                                                              LayoutKind::thirds,      LayoutKind::studio,
                                                              LayoutKind::stack,       LayoutKind::columns};

QString name(LayoutKind kind);
// None for any text that names no layout.
std::optional<LayoutKind> layoutKindFromName(const QString& name);
// "Focus centre", "Halves", "Thirds", "Studio", "Stack", "Columns".
QString title(LayoutKind kind);

// Exactly `count` unit rectangles (none for a count below 1), main slot
// first, for a display of the given aspect.
std::vector<UnitRect> rects(LayoutKind kind, int count, double aspect);

} // namespace tavrin
