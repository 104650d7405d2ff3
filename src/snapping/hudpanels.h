#pragma once

#include "design/hudpanel.h"
#include "platform/geometry.h"

#include <memory>

namespace tavrin {

class SnapHUDController;

// Makes the snap overlay's two panels and says where a desktop area shows
// among top-level windows. The controller asks for each panel once.
class HUDPanels {
public:
    virtual ~HUDPanels() = default;

    // The panel hosting the overlay's view of `hud` (it accepts the first
    // click without activating the application).
    virtual std::unique_ptr<HUDPanel> makeHUDPanel(SnapHUDController& hud) = 0;
    // The outline panel: a blue frame that lets every mouse event through.
    virtual std::unique_ptr<HUDPanel> makeOutlinePanel() = 0;
    // Does ahead, off the moment a key is held, what the first showing of
    // `hud`'s overlay would otherwise do first (fonts loaded, glyphs and
    // pictures drawn), without making the panel. By default nothing.
    virtual void prepare(SnapHUDController& hud) { (void)hud; }
    // Where `area` (screen points, origin at the top left of the first
    // screen) shows in the coordinates panels are placed in.
    virtual Rect place(const Rect& area) const = 0;
};

} // namespace tavrin
