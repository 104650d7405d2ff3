#pragma once
// Temporary: the layouts' names, until the window-control layouts land.

#include <QString>
#include <array>
#include <optional>

namespace tavrin {

enum class LayoutKind { focusCentre, halves, thirds, studio, stack, columns };

inline constexpr std::array<LayoutKind, 6> kAllLayoutKinds = {LayoutKind::focusCentre, LayoutKind::halves,
                                                              LayoutKind::thirds,      LayoutKind::studio,
                                                              LayoutKind::stack,       LayoutKind::columns};

inline QString name(LayoutKind kind)
{
    static const char* const names[] = {"focusCentre", "halves", "thirds", "studio", "stack", "columns"};
    return QString::fromLatin1(names[static_cast<int>(kind)]);
}

inline std::optional<LayoutKind> layoutKindFromName(const QString& text)
{
    for (LayoutKind k : kAllLayoutKinds)
        if (name(k) == text)
            return k;
    return std::nullopt;
}

} // namespace tavrin
