#pragma once

#include "commandbar/commandpanel.h"
#include "design/panelplacement.h"
#include "platform/geometry.h"

#include <QObject>
#include <QPointer>

namespace tavrin {

class AdjustView;
class CommandBarModel;

// Shows the adjust overlay over a display's visible area. It answers through
// the model, and says when the user went back to the preview; the command-bar
// controller orders its panel out. The panel is made once and reused, the
// view afresh on every show.
class AdjustOverlayController : public QObject {
    Q_OBJECT
public:
    AdjustOverlayController();
    ~AdjustOverlayController() override;
    AdjustOverlayController(const AdjustOverlayController&) = delete;
    AdjustOverlayController& operator=(const AdjustOverlayController&) = delete;

    // Covers `area` (a display's visible frame in screen points) with the
    // outlines of the model's plan and gives the overlay the keyboard.
    void show(CommandBarModel& model, const Rect& area);

    CommandPanel* panel() const { return panel_; }
    AdjustView* view() const;

    void setPlacement(PanelPlacement placement) { placement_ = std::move(placement); }

signals:
    // The overlay's view went back to the preview (Tab or Escape).
    void backToPreview();

private:
    QPointer<CommandPanel> panel_;
    PanelPlacement placement_;
};

} // namespace tavrin
