#pragma once

#include "windows/axwindow.h"
#include "windows/display.h"

#include <vector>

namespace tavrin {

// What components that move several windows themselves ask of automatic
// arrangement, so that their moves are not taken for new windows. Main
// thread.
class AutoArrangeControl {
public:
    virtual ~AutoArrangeControl() = default;

    // Suspends automatic arrangement for this many seconds (a pause only
    // ever extends the current one).
    virtual void pause(double seconds) = 0;
    // Takes the display's current windows as already arranged, these first
    // and in this order; moves nothing.
    virtual void arrangeNow(const Display& display, const std::vector<AXWindow>& windows) = 0;
    // The same for every display, with no windows first.
    virtual void arrangeAll() = 0;
};

} // namespace tavrin
