#pragma once

#include "platform/geometry.h"
#include "platform/linuxwords.h"
#include "platform/registration.h"
#include "platform/taskhandle.h"
#include "windows/arrow.h"
#include "windows/axwindow.h"
#include "windows/display.h"
#include "windows/layoutkind.h"
#include "windows/placementlearner.h"
#include "windows/snaptarget.h"
#include "windows/unitrect.h"
#include "windows/windowsnapshot.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace tavrin {

// The window actions behind hot keys, menus, the snap overlay and intents.
// One object on the main thread. A failed action publishes why in
// `lastMessage` and beeps; a successful one clears the message.
class WindowManager : public QObject {
    Q_OBJECT
    // The last message for the user; a null string when there is none.
    Q_PROPERTY(QString lastMessage READ lastMessage NOTIFY lastMessageChanged)
public:
    // The program makes one, at start; tests make their own.
    using QObject::QObject;

    static inline const QString kNeedsTrustMessage =
        LinuxWords::of(QStringLiteral("Tavrin needs Accessibility permission to move windows."));
    static inline const QString kNoWindowMessage = QStringLiteral("Click a window first.");
    static inline const QString kNoDisplayMessage = QStringLiteral("There's no display on that side.");
    static inline const QString kNotMovedMessage = QStringLiteral("That window didn't move.");

    // How soon after a press another arrow counts as part of the same gesture.
    static constexpr double kArrowChordSeconds = 0.8;
    // When a layout checks its frames again, and how far a frame may drift.
    static constexpr double kRecheckDelay = 0.25;
    static constexpr double kRecheckTolerance = 2.0;

    QString lastMessage() const { return lastMessage_; }

    // Makes `learner` the one told of placements and asked where applications
    // go, until the handle goes. None: windows take the slots in order and
    // nothing is learnt.
    [[nodiscard]] Registration setLearner(PlacementLearner& learner) { return learner_.set(learner); }
    PlacementLearner* learner() const { return learner_.get(); }

    // The gap between windows in points: "gap" when it is a number, else 8.
    double gap() const;
    // The display that holds the focused window, else the first display;
    // none without a screen.
    std::optional<Display> focusedContext() const;
    // The display's usual layout: the one stored under "layout." + its key,
    // else focusCentre for an ultrawide area and halves otherwise.
    LayoutKind usualLayout(const Display& display) const;
    static QString usualLayoutKey(const Display& display) { return QStringLiteral("layout.") + display.settingsKey(); }

    // Arranges a display's on-screen standard windows (the focused one first,
    // then front to back) in the layout's slots. `display` none: the display
    // of the focused window. `apps` keeps only windows of those applications;
    // `identities` keeps only those windows, in that order. `remember` stores
    // the layout as the display's usual one; `quiet` publishes nothing, beeps
    // not and reports no placement. The frames are checked once more a
    // moment later and set again where they drifted.
    void applyLayout(LayoutKind kind, bool remember = false, const std::optional<Display>& display = std::nullopt,
                     const std::optional<QStringList>& apps = std::nullopt,
                     const std::optional<QStringList>& identities = std::nullopt, bool quiet = false);

    // One window placed by `arrange`: its place in the list given, where it
    // stood before (none when that could not be read) and the frame given.
    struct Arranged {
        std::size_t index = 0;
        AXWindow window;
        std::optional<Rect> before;
        Rect frame;
    };
    // Places each window in its zone of `display` with the gap, as a layout
    // does: a window that insists on a size larger than its zone is moved
    // back inside the visible area, and the arrow keys continue from the
    // zone given. The frames are checked again `checks` seconds later (each
    // from now) and set again where they drifted, unless the window was
    // placed or put back meanwhile or `cancel` was cancelled. The windows it
    // could move, in the order given; tells the learner nothing.
    std::vector<Arranged> arrange(const std::vector<std::pair<AXWindow, UnitRect>>& zones, const Display& display,
                                  const std::vector<double>& checks = {kRecheckDelay}, const CancelToken& cancel = {});
    // Sets each window to its frame as it stands, and forgets what the
    // program gave it: the arrow keys read it afresh and no re-check moves it.
    void putBack(const std::vector<std::pair<AXWindow, Rect>>& frames);

    // Frames to put back, kept under an owner's name (a call, a routine) for
    // as long as its change lasts. `keepFrames` records the windows' frames
    // as they stand now, a window already kept under that name keeping its
    // first frame; `putBackKept` puts them back and forgets them.
    void keepFrames(const QString& owner, const std::vector<AXWindow>& windows);
    std::vector<std::pair<AXWindow, Rect>> keptFrames(const QString& owner) const;
    void putBackKept(const QString& owner);
    void forgetKept(const QString& owner) { kept_.remove(owner); }

    // Single-window actions on the focused window; each returns the frame it
    // gave the window, or none (after publishing why, or, for ↓ with nothing
    // to put back, after a bare beep). A window that comes out larger than
    // its zone (a minimum size) is moved back inside the visible area, and
    // the frame returned is where it was moved. Arrows, fill and snaps tell
    // the learner where they put the window (not as a layout's main slot).
    std::optional<Rect> arrow(Arrow arrow);
    std::optional<Rect> fill();
    std::optional<Rect> snap(SnapTarget target);
    // To the nearest display on that side. A window standing in a zone the
    // program gave it takes the same zone there (with the gap); any other
    // window keeps its frame relative to the visible area, without a gap, so
    // that moving it there and back brings it back where it was. The learner
    // hears nothing of it.
    std::optional<Rect> moveToDisplay(bool right);

    // The windows lying on each display (by display id), as previews show
    // them: back-most first, the order they are drawn in; a window without
    // an application name is called "Window". Every display has an entry,
    // empty without Accessibility permission.
    QHash<std::uint32_t, std::vector<WindowSnapshot>> snapshots(const std::vector<Display>& displays) const;
    // The same for one display.
    std::vector<WindowSnapshot> snapshot(const Display& display) const;

    // What an arrow press would start from. A window still stands in the
    // unit the program gave it while its frame is within 2 points of the
    // frame given, or of where the window came to rest after that move (a
    // window that sizes in steps, such as a terminal's character cells, stops
    // within one step of the frame).
    struct ArrowContext {
        AXWindow window;
        Rect frame;
        Display display;
        UnitRect unit;                      // where the window sits on the display
        std::optional<ArrowPress> previous; // an arrow on the same window less than 0.8 s ago
        // Where ↓ on an ultrawide display puts it back: the window's frame
        // before the program first moved it, as a unit of its display then.
        std::optional<UnitRect> restoreUnit;
    };
    std::optional<ArrowContext> arrowContext() const;

signals:
    void lastMessageChanged();

private:
    // The last frame the program gave a window, with the unit it came from.
    struct Placement {
        UnitRect unit;
        Rect frame;        // the frame given
        Rect settled;      // where the window stood right after
        bool zoned = true; // a zone with the gap, or a free frame without
        std::uint32_t displayId = 0;
        std::uint64_t serial = 0;
        // The display's visible area then: the unit is a share of it, and
        // holds for no other (a panel, dock or resolution change).
        Rect area;
    };
    // What became of a frame given to a window.
    struct Landing {
        Rect given;   // the frame given last: moved inside the area if it had to be
        Rect settled; // where the window stands
    };
    struct LastPress {
        QString identity;
        ArrowPress press;
        double at = 0;
    };

    void publish(const QString& message);
    void fail(const QString& message);
    bool trusted() const;
    std::optional<ArrowContext> movableFocusedWindow();
    // How a window is placed: in a zone with the gap, reported to the
    // learner (arrows, fill, snaps); in a zone without a report (a move to
    // another display, which places nothing anew); or as a free frame.
    enum class Placing { learnt, zone, free };
    std::optional<Rect> place(const ArrowContext& context, const UnitRect& unit, const Display& display,
                              Placing placing = Placing::learnt);
    std::optional<Rect> putBack(const ArrowContext& context);
    // `from`: where the window stands, when just read.
    std::optional<Landing> setFrameInside(const AXWindow& window, const Rect& frame, const Rect& area, double gap,
                                          const std::optional<Rect>& from = std::nullopt);
    // The window's placement while it still stands there, else none.
    const Placement* standing(const QString& identity, const Rect& frame, const Display& display) const;
    UnitRect currentUnit(const QString& identity, const Rect& frame, const Display& display) const;
    void recheckLater(std::vector<std::pair<AXWindow, std::uint64_t>> windows, const std::vector<double>& checks,
                      const CancelToken& cancel);
    // A window's frame kept to put back, with the visible area of its
    // display then (↓ puts it back as a unit of that area).
    struct Kept {
        AXWindow window;
        Rect frame;
        Rect area;
    };
    void keep(const QString& owner, const AXWindow& window, const Rect& frame, const Rect& area);

    QString lastMessage_;
    // Owner → the windows kept, in the order kept; ↓ has its own owner.
    QHash<QString, std::vector<Kept>> kept_;
    const Kept* kept(const QString& owner, const QString& identity) const;
    void forget(const QString& owner, const QString& identity);
    QHash<QString, Placement> placements_;
    Collaborator<PlacementLearner> learner_;
    std::optional<LastPress> lastPress_;
    std::uint64_t nextSerial_ = 1;
};

} // namespace tavrin
