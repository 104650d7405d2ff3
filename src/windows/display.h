#pragma once

#include "platform/geometry.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace tavrin {

struct ScreenInfo;

// A display counts as ultrawide from this aspect (width over height) on.
inline constexpr double kUltrawideAspect = 2.0;
inline bool isUltrawide(double aspect) { return aspect >= kUltrawideAspect; }

// Width over height of an area; 1.6 when the height is not positive.
double aspectOf(const Rect& area);

// One screen, as window actions and per-display settings see it.
struct Display {
    std::uint32_t id = 0; // the display number
    QString name;         // the screen's localized name
    Rect area;            // visible frame, top-left screen points
    int pixelWidth = 0;
    int pixelHeight = 0;
    // " #" and the serial number (or, when the serial is 0, the 1-based
    // position among same-named displays without a serial), for displays that
    // share a name; empty otherwise.
    QString keySuffix;

    double aspect() const { return aspectOf(area); }
    // The per-display part of a settings key: "layout." + settingsKey().
    QString settingsKey() const { return name + keySuffix; }

    // One display per screen, in the platform's screen order.
    static std::vector<Display> all();
    // The same for a given screen list.
    static std::vector<Display> fromScreens(const std::vector<ScreenInfo>& screens);
    // The display whose area overlaps `rect` most (the first on ties), else
    // the first display; none when there is no screen.
    static std::optional<Display> containing(const Rect& rect);
    static std::optional<Display> containing(const Rect& rect, const std::vector<Display>& displays);

    friend bool operator==(const Display&, const Display&) = default;
};

// Converts between top-left screen coordinates and bottom-left ones, in both
// directions: (minX, H − maxY, width, height) with H the height of the first
// screen's frame (0 without a screen).
Rect flipRect(const Rect& rect);

} // namespace tavrin
