#pragma once

#include "modes/press.h"
#include "platform/inputtaps.h"
#include "platform/windowserver.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <optional>

namespace tavrin {

class ShareSafe;
class VeilEngine;
struct Platform;

// The user's own input as the veils follow it. Input taps on a thread of
// their own hand left-button presses, drags and releases, ⌘ key downs and
// modifier changes to the main thread; while covering is on, a press on a
// veiled window is followed as a `Press` (what was pressed, where the pointer
// goes and how fast) so that its veil leads the window, widens for a resize
// and holds over where a release sends the window (the minimise and zoom
// buttons, a screen's edges). ⌘M, ⌘` and ⌘Tab float or hold the veils of
// windows about to come forward, and a press on the Dock item of a veiled
// application floats them on release. Main thread, but for the taps' filter.
class VeilInput : public QObject {
    Q_OBJECT
public:
    // How long the main thread waits for the taps' thread to start.
    static constexpr double kTapStartTimeout = 1.0;
    // A veil over a resizing window widens in steps of this many points, up
    // to kMostExtra, and narrows no sooner than kExtraShrinkDelay after.
    static constexpr double kExtraStep = 30;
    static constexpr double kMostExtra = 150;
    static constexpr double kExtraShrinkDelay = 0.4;
    // Mac virtual key codes of the shortcuts followed with ⌘.
    static constexpr std::uint32_t kKeyM = 46;
    static constexpr std::uint32_t kKeyGrave = 50;
    static constexpr std::uint32_t kKeyTab = 48;

    // Takes the taps, the lists and the clock from `platform`. All three must
    // outlive it.
    VeilInput(VeilEngine& engine, ShareSafe& share, const Platform& platform);
    ~VeilInput() override;

    // Starts the taps (a second call leaves them be). When they cannot start,
    // the veils follow windows by the list alone, and the system log says so,
    // once.
    void startTaps();
    void stopTaps();
    // Forgets the press, the switcher and a pressed Dock item.
    void reset();

    const std::optional<Press>& press() const { return press_; }
    // The application switcher is open (⌘Tab, until ⌘ goes up).
    bool switching() const { return switching_; }
    bool dockIsPrivate() const { return dockIsPrivate_; }

    // After 0.03 s without a drag event the lead fades: the velocity drops
    // to 0.4 of itself on each call, to zero below 20 points a second.
    void decay();

    // What the taps' thread passes on: every press and modifier change,
    // releases while a press is followed or the Dock was pressed, drags
    // while a press is followed, and key downs with ⌘.
    static bool passes(const TapEvent& event, bool pressing, bool dockPressed);

    // One tapped event, on the main thread; nothing while covering is off.
    void handle(const TapEvent& event);
    void mouseDown(const TapEvent& event);
    void mouseDragged(const TapEvent& event);
    void mouseUp(const TapEvent& event);
    void keyDown(const TapEvent& event);

private:
    // Shared with the taps' thread, which may outlive a stop by one event.
    struct TapState {
        std::atomic<bool> pressing{false};
        std::atomic<bool> dockPressed{false};
    };

    void setPress(std::optional<Press> press);
    const WindowInfo* pressedWindow(Point at) const;
    void pressVeiled(const WindowInfo& window, const TapEvent& event);
    void pressUnveiled(const WindowInfo& window);
    void checkDockItem(Point at);
    void releaseHolds(const Press& press, const TapEvent& event);
    void holdTile(std::uint32_t number, Point at, const Rect& frame, const Rect& visible);
    void refineKind(Press& press, const std::optional<Rect>& now) const;
    void minimiseHolds();
    TitleBar titleBar() const;

    VeilEngine& engine_;
    ShareSafe& share_;
    const Platform& platform_;
    std::shared_ptr<TapState> tap_ = std::make_shared<TapState>();
    std::optional<Press> press_;
    bool switching_ = false;
    bool dockIsPrivate_ = false;
    bool saidTapsFailed_ = false;
    bool connected_ = false;
    // Background Dock checks of an earlier press are dropped.
    std::uint64_t dockCheck_ = 0;
};

} // namespace tavrin
