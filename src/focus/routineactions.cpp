#include "focus/routineactions.h"

#include "focus/focus.h"
#include "modes/appidentities.h"
#include "modes/meetingmode.h"
#include "modes/sharesafe.h"
#include "platform/platform.h"
#include "platform/workspace.h"
#include "windows/axactionscope.h"
#include "windows/windowmanager.h"
#include "workspaces/savedworkspacestore.h"
#include "workspaces/workspacerunner.h"

namespace tavrin {

const QStringList& RoutineActions::callApps()
{
    static const QStringList apps{QStringLiteral("Microsoft Teams"), QStringLiteral("Slack"), MeetingMode::kCallClient,
                                  QStringLiteral("FaceTime")};
    return apps;
}

// Under this name the window manager keeps the frames a routine puts back.
const QString RoutineActions::kFramesOwner = QStringLiteral("routine");

RoutineActions::RoutineActions(MeetingMode& meeting, ShareSafe& shareSafe, WindowManager& windows,
                               WorkspaceRunner& runner, const Platform& platform, QObject* parent)
    : QObject(parent),
      meeting_(meeting),
      shareSafe_(shareSafe),
      windows_(windows),
      runner_(runner),
      platform_(platform)
{}

Workspace& RoutineActions::workspace() const { return *platform_.workspace; }

bool RoutineActions::isFrontmost(int pid) const
{
    const auto front = workspace().frontmostApplication();
    return front && front->pid == pid;
}

void RoutineActions::run(const FocusRoutine& routine, bool startedByMacFocus)
{
    routine_ = routine;
    const FocusRoutine::Actions& actions = routine.actions;
    hidden_.clear();
    quit_.clear();
    windows_.forgetKept(kFramesOwner);
    turnedOnShareSafe_ = false;
    emit hiddenAppsChanged(hidden_);

    for (const RunningApp& app : workspace().runningApplications())
        hideIfListed(app);
    if (!actions.hideApps.isEmpty()) {
        QObject::disconnect(launchObserver_);
        launchObserver_ = connect(&workspace(), &Workspace::applicationLaunched, this,
                                  [this](const RunningApp& app) { hideAfterLaunch(app); });
    }
    for (const RunningApp& app : workspace().runningApplications()) {
        // Never this program: nothing would be left to undo the routine.
        if (!actions.quitApps.contains(app.localizedName) || app.pid == workspace().currentPid())
            continue;
        if (!app.bundleLocation.isEmpty())
            quit_ << app.bundleLocation;
        workspace().terminate(app.pid);
    }
    if (actions.layout || actions.workspace)
        recordFrames();
    if (actions.layout)
        windows_.applyLayout(*actions.layout);
    if (actions.workspace)
        openWorkspace(*actions.workspace);
    if (actions.shareSafe && !shareSafe_.active()) {
        shareSafe_.setManual(true);
        turnedOnShareSafe_ = true;
    }
    if (!startedByMacFocus && actions.focusOnShortcut)
        Focus::runShortcutInBackground(platform_, *actions.focusOnShortcut);
}

void RoutineActions::recordFrames()
{
    AXActionScope scope;
    windows_.keepFrames(kFramesOwner, AXWindow::onScreenInZOrder());
}

std::vector<std::pair<AXWindow, Rect>> RoutineActions::frames() const { return windows_.keptFrames(kFramesOwner); }

void RoutineActions::openWorkspace(const QString& name)
{
    for (const SavedWorkspace& saved : SavedWorkspaceStore::load()) {
        if (saved.name != name)
            continue;
        // The outcome is dropped: a routine's arrangement has no toast and
        // no undo of its own; its end puts the recorded frames back.
        workspaceTask_.start([&runner = runner_, saved](CancelToken cancel) -> QCoro::Task<> {
            co_await runner.arrangeSaved(saved, cancel);
        });
        return;
    }
}

void RoutineActions::end()
{
    QObject::disconnect(launchObserver_);
    launchObserver_ = {};
    cancelDelayedHides();
    if (!routine_)
        return;
    const FocusRoutine::Actions& actions = routine_->actions;

    for (const RunningApp& app : workspace().runningApplications())
        if (app.hidden && hidden_.contains(app.localizedName))
            workspace().unhide(app.pid);
    for (const QString& location : std::as_const(quit_))
        workspace().launchApplicationInBackground(location);
    // An arrangement still under way would move windows after they are put back.
    workspaceTask_.cancel();
    windows_.putBackKept(kFramesOwner);
    // Covering that a sharing detection has made its own since stays on.
    if (turnedOnShareSafe_ && shareSafe_.active() && shareSafe_.manual())
        shareSafe_.setManual(false);
    if (actions.focusOffShortcut)
        Focus::runShortcutInBackground(platform_, *actions.focusOffShortcut);

    routine_.reset();
    hidden_.clear();
    quit_.clear();
    emit hiddenAppsChanged(hidden_);
}

void RoutineActions::hideIfListed(const RunningApp& app)
{
    if (!routine_ || app.localizedName.isEmpty() || app.hidden
        || !routine_->actions.hideApps.contains(app.localizedName))
        return;
    if (meeting_.inCall() && !AppIdentities::listedAs(app, callApps()).isEmpty())
        return;
    workspace().hide(app.pid);
    if (!hidden_.contains(app.localizedName)) {
        hidden_ << app.localizedName;
        emit hiddenAppsChanged(hidden_);
    }
}

void RoutineActions::hideAfterLaunch(const std::optional<RunningApp>& app)
{
    if (!app || isFrontmost(app->pid))
        return;
    const int pid = app->pid;
    Clock& clock = *platform_.clock;
    auto id = std::make_shared<Clock::TimerId>(0);
    *id = clock.singleShot(kHideAfterLaunchDelay, this, [this, pid, id] {
        std::erase(delayedHides_, *id);
        if (isFrontmost(pid))
            return;
        // As it is now: the user may have hidden it meanwhile.
        if (const auto now = workspace().application(pid))
            hideIfListed(*now);
    });
    delayedHides_.push_back(*id);
}

void RoutineActions::cancelDelayedHides()
{
    for (const Clock::TimerId id : std::exchange(delayedHides_, {}))
        platform_.clock->cancel(id);
}

} // namespace tavrin
