#pragma once

#include "design/panelplacement.h"
#include "design/themed.h"
#include "modes/promptview.h"
#include "platform/geometry.h"
#include "platform/taskhandle.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace tavrin {

class Clock;
class FloatingPanel;
class PanelFade;
class WindowManager;

// The small prompt at the bottom of the screen that asks whether an
// application blurred by hand should be blurred whenever the screen is
// shared. It shows under the focused window (else in the middle of the
// display in use), fades in, and takes itself down after 15 seconds. Every
// show hands exactly one answer to its callback: the user's, or "no" when it
// times out or the next show replaces it. One panel, made on the first show
// and reused; it floats above other windows on every desktop and never
// takes the keyboard. Main thread.
class PrivacyPrompt {
public:
    static constexpr double kVisibleSeconds = 15;
    static constexpr double kFadeInSeconds = 0.25;
    // The panel's bottom edge lies this far below the visible area's (its
    // transparent margin leaves the capsule 16 points above it).
    static constexpr double kBelowBottom = 4;

    // Times itself on `clock`; shows on the display of `windows`' focused
    // context when the focused window's cannot be read. Both must outlive it.
    PrivacyPrompt(Clock& clock, const WindowManager& windows);
    ~PrivacyPrompt();
    PrivacyPrompt(const PrivacyPrompt&) = delete;
    PrivacyPrompt& operator=(const PrivacyPrompt&) = delete;

    // Shows the prompt for `app` (answering "no" to one still showing) and
    // returns at once; `answer` gets the answer later.
    void show(const QString& app, std::function<void(bool)> answer);
    // Takes the prompt down (no fade) and hands `answer` to the callback of
    // the show, if it has not had one.
    void hide(bool answer);

    bool isShowing() const;
    // The view shown last, and the panel's window (none before the first show).
    PromptView* view() const { return view_; }
    QWidget* window() const;
    double opacity() const;
    bool hidePending() const { return hideTask_.isRunning(); }

    // Where the panels for a display's area go (the simulated desktop draws
    // its displays small); by default on the area itself.
    void setPlacement(PanelPlacement placement) { placement_ = std::move(placement); }

    // The panel's frame for its size, centred on `centreX` at the bottom of
    // the visible area `visible`, kept from its left edge and then from its
    // right one (a panel wider than the area sticks out on the left).
    static Rect frameFor(double centreX, const Rect& visible, Size size);

private:
    void makePanel();
    // The panel's frame: under the focused window when its frame can be
    // read, else in the middle of the display in use.
    Rect place(Size size) const;

    Clock& clock_;
    const WindowManager& windows_;
    std::unique_ptr<FloatingPanel> panel_;
    QPointer<Themed> holder_;
    QPointer<PromptView> view_;
    std::unique_ptr<PanelFade> fade_;
    TaskHandle hideTask_;
    std::function<void(bool)> answer_;
    PanelPlacement placement_;
};

} // namespace tavrin
