#pragma once

#include "commandbar/commandpanel.h"
#include "commandbar/panelplacement.h"
#include "platform/geometry.h"

#include <QPointer>

namespace tavrin {

class AdjustView;
class CommandBarModel;

// Shows the adjust overlay over a display's visible area. It answers only
// through the model; the command-bar controller orders its panel out. The
// panel is made once and reused, the view afresh on every show.
class AdjustOverlayController {
public:
    AdjustOverlayController();
    ~AdjustOverlayController();
    AdjustOverlayController(const AdjustOverlayController&) = delete;
    AdjustOverlayController& operator=(const AdjustOverlayController&) = delete;

    // Covers `area` (a display's visible frame in screen points) with the
    // outlines of the model's plan and gives the overlay the keyboard.
    void show(CommandBarModel& model, const Rect& area);

    CommandPanel* panel() const { return panel_; }
    AdjustView* view() const;

    void setPlacement(PanelPlacement placement) { placement_ = std::move(placement); }

private:
    QPointer<CommandPanel> panel_;
    PanelPlacement placement_;
};

} // namespace tavrin
