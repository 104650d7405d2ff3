#pragma once

#include "platform/geometry.h"

namespace tavrin {

// One floating panel (the snap overlay's, the blur prompt's), as its
// controller drives it: a window above normal windows that never takes the
// keyboard, shown on every virtual desktop, made once and then only ordered
// in and out. Frames are in the coordinates top-level windows are placed in.
class HUDPanel {
public:
    virtual ~HUDPanel() = default;

    virtual bool isVisible() const = 0;
    // Lays the hosted view out and answers the size it asks for.
    virtual Size fittingSize() = 0;
    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;
    // 0 (clear) to 1; where windows cannot be blended with what is behind
    // them the panel shows as long as it is ordered in, whatever its opacity.
    virtual double opacity() const = 0;
    virtual void setOpacity(double opacity) = 0;
    // Shows the panel in front of the other windows without activating the
    // application; when `under` is given and shown, right under it instead.
    virtual void orderFront(const HUDPanel* under = nullptr) = 0;
    virtual void orderOut() = 0;
};

} // namespace tavrin
