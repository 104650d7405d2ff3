#pragma once

#include "design/panelplacement.h"
#include "snapping/hudpanels.h"

namespace tavrin {

// The snap overlay's panels as floating windows of the desktop: the overlay's
// view on glass in the colour scheme in effect, and the blue outline, which
// lets every click through to the windows below.
class DesktopHUDPanels : public HUDPanels {
public:
    // A margin of clear space around the overlay's glass, for its shadow.
    static constexpr int kMargin = 40;

    // `placement` none: desktop areas show where they are.
    explicit DesktopHUDPanels(PanelPlacement placement = {}) : placement_(std::move(placement)) {}

    std::unique_ptr<HUDPanel> makeHUDPanel(SnapHUDController& hud) override;
    std::unique_ptr<HUDPanel> makeOutlinePanel() override;
    // Draws the overlay's view, with the face it shows now, once into an
    // image of its own and throws it away: the panel's window is sized and
    // placed only when it shows, once what it shows is final.
    void prepare(SnapHUDController& hud) override;
    Rect place(const Rect& area) const override { return placement_ ? placement_(area).over : area; }

private:
    PanelPlacement placement_;
};

} // namespace tavrin
