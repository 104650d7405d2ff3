#pragma once

#include "platform/geometry.h"
#include "windows/arrow.h"
#include "windows/snaptarget.h"

#include <optional>

namespace tavrin {

// The snap overlay that AppState owns: its modifier-key monitors and the
// flash of a window's new frame after a shortcut moved it. This base does
// nothing; the snap overlay's controller derives from it.
class SnapHUD {
public:
    virtual ~SnapHUD() = default;

    // Adds the monitors of the modifier keys that drive hold-to-show.
    virtual void installMonitors() {}
    // Removes every monitor the overlay added.
    virtual void removeMonitors() {}
    // After an arrow press (none after a fill or a display move).
    virtual void flashArrow(std::optional<Arrow> arrow, const Rect& frame)
    {
        (void)arrow;
        (void)frame;
    }
    virtual void flashTarget(SnapTarget target, const Rect& frame)
    {
        (void)target;
        (void)frame;
    }
};

} // namespace tavrin
