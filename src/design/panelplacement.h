#pragma once

#include "platform/geometry.h"

#include <functional>

namespace tavrin {

// Where the panels for one display go, in the coordinates top-level Qt
// windows are placed in. `over` is the display's visible area as it shows:
// panels centre on it and the adjust overlay covers it. `room` is the
// screen area the panels may take, which also decides their size. On a real
// desktop both are the display's own visible area; on the simulated desktop
// the displays are drawn small inside a window, so `over` is the drawing and
// `room` the real screen showing that window, where panels keep their size.
struct PanelRoom {
    Rect over;
    Rect room;

    // The same area for both (a real desktop).
    static PanelRoom of(const Rect& area) { return {area, area}; }
    // The left edge of a panel `width` wide whose left edge would be at `x`,
    // moved as little as needed for the panel to lie across the room (its
    // left edge kept inside when it is wider).
    double keptAcross(double x, double width) const;
};

// Maps a display's visible frame (screen points, origin at the top left of
// the first screen) to where its panels go.
using PanelPlacement = std::function<PanelRoom(const Rect& area)>;

} // namespace tavrin
