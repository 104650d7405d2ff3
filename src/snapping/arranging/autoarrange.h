#pragma once

#include "platform/platform.h"
#include "platform/timer.h"
#include "platform/windowserver.h"
#include "windows/axwindow.h"
#include "windows/display.h"
#include "windows/layoutkind.h"
#include "workspaces/autoarrangecontrol.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tavrin {

class WindowManager;

// Makes new windows join a display's usual layout by themselves. On every
// display where it is switched on ("autoArrange." + the display's key) it
// compares the set of windows four times a second; once the set has changed
// and then stayed the same for 0.6 s (looked at again the moment that has
// passed, between the ticks), it orders the windows (the focused new
// one first, the ones arranged before in the slots they now stand in, the
// other new ones front to back) and has the window manager lay them out.
//
// While nothing changes a tick only reads the window server's list and
// compares sets of window numbers; Accessibility is asked only when an
// arrangement is due. Components that move several windows themselves pause
// it; after a plan is placed or undone it takes the windows as they stand.
// Main thread only; its timer holds it weakly.
class AutoArrange : public QObject, public AutoArrangeControl {
    Q_OBJECT
public:
    using Numbers = std::vector<std::uint32_t>; // window numbers, ascending

    static constexpr double kTickInterval = 0.25;
    // How long a changed set must stay the same before it is arranged.
    static constexpr double kSettleSeconds = 0.6;
    // Each arrangement pauses the tick this long, so that its own moves pass.
    static constexpr double kOwnPause = 0.8;
    // A window counts once it is this large (or once it has been taken).
    static constexpr double kMinWidth = 320;
    static constexpr double kMinHeight = 220;
    // How many ticks an arrangement waits for Accessibility to show every
    // window before it goes on with those it has.
    static constexpr int kAccessibilityWaits = 4;
    // Window-server bounds and Accessibility frames of one window agree
    // within this many points.
    static constexpr double kMatchTolerance = 2;

    // Lays out with `windows`; reads the windows, the switches and the time
    // from the platform's services.
    AutoArrange(WindowManager& windows, const Platform& platform, QObject* parent = nullptr);
    ~AutoArrange() override;

    // "autoArrange." followed by the display's name and key suffix.
    static QString enabledKey(const Display& display) { return QStringLiteral("autoArrange.") + display.settingsKey(); }
    // The display's switch; off when missing.
    bool isEnabled(const Display& display) const;

    // Starts the 0.25 s tick; a second call does nothing.
    void start();
    bool isStarted() const { return timer_ != nullptr; }

    // Stores the display's switch and forgets what was known of it. Switched
    // on, the display is arranged at once (no settling, pause or mouse
    // check); windows Accessibility does not show yet are waited for by the
    // ticks that follow.
    void setEnabled(bool on, const Display& display);
    // Suspends arranging for this many seconds; only ever extends a pause.
    void pause(double seconds) override;
    // Takes the display's current windows as arranged, `windows` first and in
    // that order; moves nothing. Nothing while the display is switched off.
    void arrangeNow(const Display& display, const std::vector<AXWindow>& windows) override;
    // The same for every display, with no windows first.
    void arrangeAll() override;

    // One tick: what the timer runs.
    void tick();

    // What is known of a display: the windows taken as arranged, in
    // arrangement order, then those passed over; none when it has no record.
    std::optional<std::vector<std::uint32_t>> arranged(std::uint32_t displayId) const;
    // The monotonic clock time before which nothing is arranged.
    double pausedUntil() const { return pausedUntil_; }

private:
    struct Seen {
        Numbers set;
        double since = 0;
    };
    using Matches = std::unordered_map<std::uint32_t, AXWindow>;

    double now() const;
    // The numbers of the display's windows in `list`: normal, visible windows
    // of other processes that lie mostly on it, large enough unless known.
    Numbers windowNumbers(const Display& display, const Numbers& known, const std::vector<WindowInfo>& list,
                          const std::vector<Display>& displays) const;
    Numbers windowNumbers(const Display& display, const Numbers& known) const;
    // The Accessibility window of each number that has one: a standard window
    // of the owning application whose frame agrees with the bounds.
    Matches match(const Numbers& numbers, const std::vector<WindowInfo>& list) const;
    void arrange(const Display& display, const Numbers& set);
    // The previous arrangement's windows still there, sorted by the slot of
    // that arrangement each now stands nearest.
    std::vector<std::uint32_t> keptInPlace(const Display& display, LayoutKind kind,
                                           const std::vector<std::uint32_t>& prior, const Numbers& set,
                                           const Matches& matched) const;
    // New windows the layout may take, front to back.
    std::vector<std::uint32_t> freshWindows(const std::vector<std::uint32_t>& prior, const Numbers& set,
                                            const Matches& matched, const std::vector<WindowInfo>& list) const;

    WindowManager& windows_;
    // The services it runs on: the window server, Accessibility, the
    // workspace, the defaults and the clock.
    const Platform& platform_;
    QPointer<Timer> timer_;
    QPointer<Timer> settleTimer_; // one look when a changed set has settled
    QHash<std::uint32_t, std::vector<std::uint32_t>> arranged_;
    QHash<std::uint32_t, Seen> lastSeen_;
    double pausedUntil_;
    QHash<std::uint32_t, int> retries_;
};

} // namespace tavrin
