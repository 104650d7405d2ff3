#pragma once

#include "focus/focusroutine.h"
#include "platform/clock.h"
#include "platform/geometry.h"
#include "platform/runningapp.h"
#include "platform/taskhandle.h"
#include "windows/axwindow.h"

#include <QObject>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace tavrin {

class MeetingMode;
class ShareSafe;
class WindowManager;
class Workspace;
class WorkspaceRunner;
struct Platform;

// What a running routine does to the desktop, remembered so that its end
// undoes exactly that: the applications it hid (and those it hides as they
// are launched while it runs), the applications it quit, the frames of the
// windows on screen before a layout or workspace moved them, whether it
// turned Share-safe's covering on; and the shortcuts it runs when it starts
// and when it ends. At most one routine at a time. Main thread.
class RoutineActions : public QObject {
    Q_OBJECT
public:
    // An application launched while the routine runs is hidden this long
    // after its launch, unless the user has brought it to the front by then.
    static constexpr double kHideAfterLaunchDelay = 1.5;
    static const QString kFramesOwner;

    // The call applications, which a routine leaves visible while meeting
    // mode is in a call.
    static const QStringList& callApps();

    // Hides, quits and launches through the applications of `platform` and
    // times itself on its clock. `meeting`, `shareSafe`, `windows` (which
    // applies a routine's layout), `runner` (which opens its workspace) and
    // `platform` must outlive this object.
    RoutineActions(MeetingMode& meeting, ShareSafe& shareSafe, WindowManager& windows, WorkspaceRunner& runner,
                   const Platform& platform, QObject* parent = nullptr);

    // Carries out `routine`'s actions, in order: hides the listed running
    // applications and watches launches for more; quits the listed ones;
    // records the frames of the windows on screen when there is a layout or
    // workspace to apply, then applies the layout to the focused display and
    // starts arranging the saved workspace of that name (which goes on after
    // this returns); turns Share-safe's covering on by hand when it is off;
    // runs the start shortcut in the background unless the desktop's Focus
    // started the routine (that Focus is on already). The last routine must
    // have ended.
    void run(const FocusRoutine& routine, bool startedByMacFocus);
    // Stops watching launches (also when nothing runs); then, for a running
    // routine: unhides what it hid, reopens what it quit (in the background),
    // calls off its workspace arrangement, puts the recorded frames back,
    // turns covering off when it turned it on and covering is still on by
    // hand, and runs the routine's end shortcut in the background.
    void end();

    // Hides `app` when the running routine lists it, it has a name and is
    // not hidden already, unless it is a call application during a call;
    // records it once among the hidden applications.
    void hideIfListed(const RunningApp& app);
    // For an application just launched that is not in front: hides it, if
    // listed, kHideAfterLaunchDelay seconds later unless it is in front by then.
    void hideAfterLaunch(const std::optional<RunningApp>& app);

    bool isRunning() const { return routine_.has_value(); }
    // The applications this routine hid, each once, in the order hidden.
    const QStringList& hiddenApps() const { return hidden_; }
    // Where the applications it quit are installed, in the order quit.
    const QStringList& quitLocations() const { return quit_; }
    // The windows on screen and their frames before the routine moved any.
    std::vector<std::pair<AXWindow, Rect>> frames() const;
    bool turnedOnShareSafe() const { return turnedOnShareSafe_; }
    bool watchesLaunches() const { return static_cast<bool>(launchObserver_); }
    // The routine's workspace is still being arranged.
    bool arrangingWorkspace() const { return workspaceTask_.isRunning(); }

signals:
    void hiddenAppsChanged(const QStringList& names);

private:
    void recordFrames();
    void openWorkspace(const QString& name);
    void cancelDelayedHides();
    Workspace& workspace() const;
    bool isFrontmost(int pid) const;

    MeetingMode& meeting_;
    ShareSafe& shareSafe_;
    WindowManager& windows_;
    WorkspaceRunner& runner_;
    const Platform& platform_;
    std::optional<FocusRoutine> routine_;
    QStringList hidden_;
    QStringList quit_;
    bool turnedOnShareSafe_ = false;
    QMetaObject::Connection launchObserver_;
    std::vector<Clock::TimerId> delayedHides_;
    TaskHandle workspaceTask_;
};

} // namespace tavrin
