#pragma once

#include "commandbar/adjustoverlaycontroller.h"
#include "commandbar/arrangedtoastcontroller.h"
#include "commandbar/commandbarmodel.h"
#include "commandbar/commandpanel.h"
#include "design/panelplacement.h"
#include "windows/display.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

namespace tavrin {

class CommandBarView;

// Owns the command bar's panel, its model, the adjust overlay and the
// arranged toast. Shows the bar centred near the top of the display the
// model captures, wires the model's callbacks to the panels, and closes the
// bar when its panel loses the keyboard at a moment when that interrupts
// nothing. Created once by the application state. Main thread only.
class CommandBarController : public QObject {
    Q_OBJECT
public:
    // The bar's view is a card inside a margin for the glow (CommandBarView's
    // kCardWidth and kMargin); on a narrow display it keeps this much room.
    static constexpr double kSideRoom = 36;
    // The card's top edge sits this far down the visible area.
    static constexpr double kTopFraction = 0.22;

    // The model, the panels and the setup card work with `services`.
    explicit CommandBarController(CommandBarServices services, QObject* parent = nullptr);
    ~CommandBarController() override;

    CommandBarModel& model() { return *model_; }
    CommandPanel* panel() const { return panel_; }
    AdjustOverlayController& adjust() { return adjust_; }
    ArrangedToastController& toast() { return toast_; }

    // Resets the model and presents the bar. With no screen at all the model
    // is prepared and nothing is shown.
    void show();
    // Shows the bar planning `request`, as if typed and entered: the bar is
    // built once, already planning.
    void ask(const QString& request);
    // Shows the bar opening a saved workspace.
    void open(const SavedWorkspace& workspace);
    // Orders the bar and the adjust overlay out; the model is left as it is.
    void hide();
    // The command-bar shortcut: hides a visible bar, else shows it afresh.
    void toggle();
    bool isShowing() const;

    // Creates the panel if needed, sizes and places it, and gives it the
    // keyboard; raises `focusTick` on the next turn of the main loop.
    void present();
    // The panel lost the keyboard: closes the bar unless that would
    // interrupt planning, adjusting or arranging.
    void windowDidResignKey();

    // While true, losing the keyboard closes nothing.
    bool ignoreResign = false;

    // Where the displays' panels go (the simulated desktop draws its
    // displays in a window); each display's own area by default.
    void setPlacement(PanelPlacement placement);
    const PanelPlacement& placement() const { return placement_; }

    // The display the bar goes on: the capture's display when it is among the
    // screens, else the first screen; none without a screen.
    std::optional<Display> targetDisplay() const;
    // The panel's width for the room it has: the card, at most 820 points
    // and 36 narrower than the room, plus the margins.
    static double panelWidth(const Rect& room);
    // The panel's top-left corner (placed coordinates): centred on the
    // display's area as shown, its card 22 % of that area's height down.
    static Point panelOrigin(const PanelRoom& place);
    static Point panelOrigin(const Rect& visible);

signals:
    // The user asked for the AI settings from the bar.
    void settingsRequested();

private:
    // Resets the model, lets `start` act on it, then presents the bar.
    void showAfter(const std::function<void()>& start);
    void makePanel();
    void installCallbacks();
    void refreshClaudeKey();

    std::unique_ptr<CommandBarModel> model_;
    QPointer<CommandPanel> panel_;
    QPointer<CommandBarView> view_;
    AdjustOverlayController adjust_;
    ArrangedToastController toast_;
    PanelPlacement placement_;
};

} // namespace tavrin
