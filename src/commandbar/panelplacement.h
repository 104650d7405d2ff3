#pragma once

#include "platform/geometry.h"

#include <functional>

namespace tavrin {

// Where an area of the desktop (a display's visible frame in screen points,
// origin at the top left of the first screen) shows in the coordinates that
// top-level Qt windows are placed in. On a real desktop the two are the same;
// on the simulated desktop the displays are drawn inside a window, so the
// panels are placed over their drawing.
using PanelPlacement = std::function<Rect(const Rect& area)>;

} // namespace tavrin
