#pragma once

#include "windows/layoutkind.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace tavrin {

// The six layouts as the intents offer them; the same names as LayoutKind.
enum class LayoutChoice { focusCentre, halves, thirds, studio, stack, columns };

inline constexpr std::array<LayoutChoice, 6> kAllLayoutChoices = {LayoutChoice::focusCentre, LayoutChoice::halves,
                                                                  LayoutChoice::thirds,      LayoutChoice::studio,
                                                                  LayoutChoice::stack,       LayoutChoice::columns};

// "Layout".
QString layoutChoiceTypeName();
// "focusCentre", …: the raw name.
QString name(LayoutChoice choice);
// "Focus centre", "Halves", …
QString displayName(LayoutChoice choice);
LayoutKind layoutKind(LayoutChoice choice);
// By raw name, or by display name, ignoring case; none for other text.
std::optional<LayoutChoice> layoutChoiceFromText(const QString& text);
// The raw names, in order.
QStringList layoutChoiceNames();

} // namespace tavrin
