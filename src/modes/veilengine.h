#pragma once

#include "modes/veilinput.h"
#include "modes/veils.h"
#include "platform/geometry.h"
#include "platform/windowserver.h"
#include "windows/moveobserver.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tavrin {

class ShareSafe;
class ShortcutStore;
class Timer;
class VeilPanel;
struct Platform;

// The veils over private windows. While Share-safe covers private
// applications, or while any application is hidden by hand, every visible
// window of such an application carries a veil slightly larger than the
// window, kept over it on every screen refresh while the window moves,
// resizes, minimises, zooms, tiles or slides away when the desktop is
// revealed. Each refresh reads the window server's list; the user's own
// drags and shortcuts (`VeilInput`) let a veil lead its window, and timed
// holds and floats keep it over motions the list reports late. Where the
// window server tells of every change and the window system keeps each veil
// over its window by itself, a pass runs after each change instead and
// nothing ticks while nothing changes; the surfaces are then also told which
// new windows to cover before they first show. A veil goes only when its
// window is missing from lists known to be whole: a list that may lack
// windows removes none.
//
// Coordinates are the window server's: global points, origin at the top left
// of the first screen, y downward. Main thread.
class VeilEngine : public QObject, public Veils, public MoveObserver {
    Q_OBJECT
public:
    // A window smaller than this on either side carries no veil.
    static constexpr double kMinimumSide = 40;
    // Updates a covered window may be missing from the list and keep its veil.
    static constexpr int kMissingUpdates = 3;
    static constexpr double kMoveHold = 0.6;
    static constexpr double kRevealHold = 0.9;
    static constexpr double kFloatSeconds = 0.6;
    // The refresh rate of the updates is the screen's, within these.
    static constexpr double kSlowestRate = 60;
    static constexpr double kFastestRate = 120;

    // One veiled window.
    struct Tracked {
        std::uint32_t number = 0;
        int pid = 0;
        std::unique_ptr<VeilPanel> veil;
        Rect bounds;                  // as last seen
        std::optional<Rect> previous; // one step before; none for a new entry
        int missing = 0;              // updates in a row without the window
    };
    // A rectangle a veil keeps covering until a time (monotonic seconds).
    struct Hold {
        Rect rect;
        double until = 0;
    };
    // A screen's frame and its visible part.
    struct ScreenArea {
        Rect frame;
        Rect visible;
    };

    // Works with the services of `platform` (the window server's list, the
    // veils' surfaces, the screens, the input taps, the clock); the veils'
    // labels name the keys bound in `shortcuts`. `share`, `shortcuts` and
    // `platform` must outlive the engine.
    VeilEngine(ShareSafe& share, const ShortcutStore& shortcuts, const Platform& platform, QObject* parent = nullptr);
    ~VeilEngine() override;

    // ---- Veils ----
    // Starts the machinery (the taps, a first update, the refresh ticker or
    // the server's change notices)
    // when covering is on or an application is hidden by hand; stops it and
    // takes every veil away when neither is.
    void refresh() override;
    // One pass: reads the list, veils newly covered windows, drops the veils
    // of windows missing three times in a row, ends floats and holds that are
    // over, and places and stacks every veil.
    void update() override;
    bool isRunning() const override { return running_; }
    QStringList appNames(const QSet<int>& pids) override;

    // ---- MoveObserver ----
    // While covering is on, a veil over a window of `pid` standing at `from`
    // covers `from` and `to` for 0.6 s, before the list shows the move.
    void willMove(int pid, const Rect& from, const Rect& to) override;

    // Works out one veil's frame and applies it: the window's bounds with a
    // margin of 6, widened where the window stepped, is dragged or resized,
    // and united with a standing hold.
    void place(std::uint32_t number);
    // Sets one veil's level and stacking: floating while veils float, while
    // its window is pressed or when nothing unveiled overlaps the window;
    // otherwise directly above its window.
    void order(std::uint32_t number, const std::vector<WindowInfo>& list);
    // The veil keeps covering `rect` for `seconds` (with a standing hold:
    // both rectangles, until the later end); then it is placed.
    void hold(std::uint32_t number, const Rect& rect, double seconds);
    // Every veil floats for 0.6 s (a desktop reveal is restored first).
    void floatAll();
    // A press on the bare desktop: where the desktop shows on such a click,
    // each veil covers its window's way out by the nearer side for 0.9 s; a
    // second one restores.
    void revealDesktop();
    // Covers the windows' way back for 0.9 s and floats every veil as long.
    void restoreDesktop();
    // Whether a click on the wallpaper reveals the desktop here.
    bool clickShowsDesktop() const;
    // The screen under the middle of a rectangle, else the first; none
    // without screens.
    std::optional<ScreenArea> screen(const Rect& rect) const;
    // A window's bounds now, asked of the window server.
    std::optional<Rect> currentBounds(std::uint32_t number) const;

    // A window gets a veil: a normal, visible window of another process, at
    // least 40 × 40, of an application hidden by hand or, while covering is
    // on, of a private one (by the list's owner name or the application's).
    bool isCovered(const WindowInfo& window);
    bool isPrivate(const QString& name, int pid);
    // The application's name for a process, "" for none; remembered until
    // the application quits (a process id may be given to another later).
    QString appName(int pid);
    // Nothing but veils, windows of veiled applications and windows on other
    // layers (this process's floating panels among them) stands over the
    // window.
    bool isOnTop(std::uint32_t number, const std::vector<WindowInfo>& list);
    // Both are in the list and `upper` comes first.
    static bool isAbove(std::uint32_t upper, std::uint32_t lower, const std::vector<WindowInfo>& list);

    // ---- What the engine holds ----
    const std::map<std::uint32_t, Tracked>& tracked() const { return tracked_; }
    Tracked* trackedEntry(std::uint32_t number);
    const std::vector<WindowInfo>& lastList() const { return lastList_; }
    std::optional<Hold> holdOf(std::uint32_t number) const;
    std::optional<double> floatUntil() const { return floatUntil_; }
    const std::map<std::uint32_t, Rect>& revealed() const { return revealed_; }
    VeilInput& input() { return input_; }
    const VeilInput& input() const { return input_; }
    // This process.
    int me() const { return me_; }
    // Monotonic seconds of the platform clock.
    double now() const;
    // A veil floats, in front of every normal window.
    void raise(Tracked& entry);
    // How many updates ran (the ticker's and the direct ones).
    int updates() const { return updates_; }

private:
    void start();
    // While covering, what keeps the surfaces from covering as they should
    // is Share-safe's notice.
    void tellProblem();
    void stop();
    void startTicker();
    // Ticks on every refresh, and watches the user's input, only while
    // something must be followed by hand.
    void adjustTicker();
    bool announced() const;
    // The window server told of a change: a pass soon.
    void changed();
    void endFloats(double now);
    void floatFor(double seconds);
    Rect frameFor(const Tracked& entry, double now) const;
    // Whether a window of the list belongs to an application whose windows
    // are veiled; remembered for one pass (it is asked for every window in
    // front of every veiled one).
    bool ofVeiledApp(const WindowInfo& window);
    // One of the veils' own surfaces.
    bool isVeil(std::uint32_t number) const;

    ShareSafe& share_;
    const ShortcutStore& shortcuts_;
    const Platform& platform_;
    VeilInput input_;
    std::map<std::uint32_t, Tracked> tracked_;
    std::map<std::uint32_t, Hold> holds_;
    std::optional<double> floatUntil_;
    std::optional<int> floatFront_;
    QPointer<Timer> ticker_;
    QPointer<Timer> soon_;
    bool tapsWanted_ = false;
    int me_ = 0;
    bool running_ = false;
    std::vector<WindowInfo> lastList_;
    std::map<std::uint32_t, Rect> revealed_;
    QHash<int, QString> nameCache_;
    struct Veiled {
        QString owner;
        bool veiled = false;
    };
    QHash<int, Veiled> veiledThisPass_;
    bool inPass_ = false;
    int updates_ = 0;
};

} // namespace tavrin
