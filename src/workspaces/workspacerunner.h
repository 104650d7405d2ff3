#pragma once

#include "platform/geometry.h"
#include "platform/platform.h"
#include "platform/registration.h"
#include "platform/runningapp.h"
#include "platform/taskhandle.h"
#include "windows/axwindow.h"
#include "windows/display.h"
#include "windows/layoutkind.h"
#include "windows/unitrect.h"
#include "workspaces/activeworkspace.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/autoarrangecontrol.h"
#include "workspaces/plannedclear.h"
#include "workspaces/plannedwindow.h"
#include "workspaces/savedworkspace.h"
#include "workspaces/screencapture.h"
#include "workspaces/workspaceplan.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <qcoro/qcorotask.h>
#include <utility>
#include <vector>

namespace tavrin {

class WindowManager;

// Carries a plan or a saved workspace out on a display, and undoes it. One
// shared object on the main thread; every wait is on the platform clock.
// Placement, the gap and the focused display come from the window manager it
// is built with.
class WorkspaceRunner : public QObject {
    Q_OBJECT
public:
    // One placement reported to learning.
    struct Placement {
        QString app;
        Display display;
        UnitRect unit;
        bool focus = false;
    };

    // A display's usual layout as it was stored before (none: nothing was).
    struct PreviousLayout {
        QString key;
        std::optional<QVariant> stored;
    };

    // What an arrangement did, kept for undo. Failures travel in `problem`.
    struct Outcome {
        // Sentences for the user: what could not be done (and what a
        // browser did by itself meanwhile).
        std::optional<QString> problem;
        int arranged = 0;                                             // windows moved into place
        std::vector<std::pair<AXWindow, Rect>> undo;                  // placed windows with their frames before
        std::vector<AXWindow> windows;                                // the placed windows, in slot order
        std::vector<RunningApp> hidden;                               // cleared by hiding
        std::vector<std::pair<QString, std::optional<QString>>> quit; // cleared by quitting: name, location
        // By pid: the title of the one window a hide named, for the toast.
        std::map<int, QString> hiddenTitles;
        std::vector<AXWindow> unminimised;
        std::vector<RunningApp> unhidden;                       // hidden applications of planned windows
        std::vector<RunningApp> launched;                       // started here, not running before
        std::vector<AXWindow> openedWindows;                    // windows that opening or launching brought
        std::vector<std::pair<AXWindow, QString>> switchedTabs; // browser windows brought to a tab
        std::vector<Placement> learned;                         // placements reported to learning
        std::optional<PreviousLayout> previousLayout;
        std::optional<ActiveWorkspace> previousActive;
    };

    static inline const QString kNoDisplayProblem = QStringLiteral("Tavrin couldn't find a display.");
    static inline const QString kNothingFoundProblem =
        QStringLiteral("None of the windows in this workspace could be found.");

    // Waiting for an opened or launched window.
    static constexpr double kOpenPollInterval = 0.25;
    static constexpr double kOpenTimeout = 5.0;
    // Waiting for a browser that brings its last session back by itself.
    static constexpr double kRecoveryTimeout = 30.0;
    // When placed frames are checked again (by the window manager, which
    // sets a drifted one again).
    static constexpr std::array<double, 3> kGuardChecks = {0.3, 0.8, 1.5};
    // Auto-arrange around an arrangement and an undo.
    static constexpr double kPauseBeforeSaved = 8.0;
    static constexpr double kPauseAfterArrange = 3.0;
    static constexpr double kArrangeNowDelay = 2.6;
    static constexpr double kPauseOnUndo = 2.5;
    static constexpr double kArrangeAllDelay = 1.5;

    // Why a row's window could not be brought.
    enum class Failure { none, gone, notInstalled, notStarted, noWindow, nothingSaved };

    // Moves windows with `windows`; opens, hides and reads them through the
    // platform's workspace and Accessibility, and times on its clock. An
    // undo puts `active` back to what it was before the arrangement.
    WorkspaceRunner(WindowManager& windows, const Platform& platform, ActiveWorkspaceHolder& active);

    // The plan's windows (at most 6) matched to the capture: a valid unused
    // `existingWindow` reuses that window; else, without an address to open,
    // an unused window of the same application (exact name; not for a saved
    // browser window, which the plan has matched); else a new window. Only
    // addresses that may be opened are kept (see AddressTrust).
    static std::vector<PlannedWindow> rows(const WorkspacePlan& plan, const ScreenCapture& capture);
    // The plan's clears whose application runs: one per application, quit
    // winning over hide; never this process nor an application with a row.
    // A clear keeps the title of the one window the plan names.
    static std::vector<PlannedClear> clears(const WorkspacePlan& plan, const ScreenCapture& capture);

    // Checks trust; un-minimises, unhides, finds or launches what is missing
    // and opens addresses and tabs; hides or quits the clears; places row i in
    // slot i of the layout (rows that could not be opened give up their
    // slot); records the placements; makes the layout the display's usual
    // one; raises the main window; guards the frames for 1.5 s. Does not fail.
    // Once `cancel` is cancelled nothing more is moved, hidden or quit: what
    // is under way ends at its next step, and guarded frames are let go.
    QCoro::Task<Outcome> arrange(std::vector<PlannedWindow> rows, std::vector<PlannedClear> clears, LayoutKind layout,
                                 Display display, CancelToken cancel = {});
    // A saved workspace brought back on the focused display; `cancel` as above.
    QCoro::Task<Outcome> arrangeSaved(SavedWorkspace workspace, CancelToken cancel = {});
    // Reverses what the outcome records, at once.
    void undo(const Outcome& outcome);

    // Makes `control` the automatic arrangement this runner keeps out of its
    // way, until the handle goes.
    [[nodiscard]] Registration setAutoArrange(AutoArrangeControl& control) { return autoArrange_.set(control); }
    // Suspends automatic arrangement for this many seconds (only ever
    // extends); nothing without one.
    void pauseAutoArrange(double seconds);

private:
    // Starts each browser of the workspace that brings back its own session
    // when it starts (it ended uncleanly) and waits, at most
    // kRecoveryTimeout, until those windows show on `display`'s capture with
    // what they hold: they are then open windows like any other, and opening
    // the workspace's anew would double them. Adds the processes started to
    // `launched`; returns what the user is told.
    QCoro::Task<QStringList> letBrowsersRecover(const SavedWorkspace& workspace, const Display& display,
                                                std::vector<RunningApp>& launched, const CancelToken& cancel);
    QCoro::Task<> openMissing(const std::vector<PlannedWindow>& rows, std::vector<std::optional<AXWindow>>& resolved,
                              Outcome& outcome, std::vector<Failure>& failed, const CancelToken& cancel);
    void clearAway(const std::vector<PlannedClear>& clears, const std::vector<std::optional<AXWindow>>& resolved,
                   Outcome& outcome);
    void place(const std::vector<std::optional<AXWindow>>& resolved, LayoutKind layout, const Display& display,
               Outcome& outcome, const CancelToken& cancel);

    WindowManager& windows_;
    // The services it runs on: Accessibility, the workspace, the defaults
    // and the clock.
    const Platform& platform_;
    ActiveWorkspaceHolder& active_;
    Collaborator<AutoArrangeControl> autoArrange_;
};

} // namespace tavrin
