#include "workspaces/workspacerunner.h"

#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"
#include "platform/workspace.h"
#include "windows/axactionscope.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/planaddress.h"
#include "workspaces/windowcontent.h"

#include <QSet>
#include <QUrl>
#include <QUuid>
#include <algorithm>

namespace tavrin {

namespace {

bool isMinimised(const Platform& services, const AXWindow& window)
{
    return services.accessibility->attribute(window.element, ax::Minimized).as<bool>().value_or(false);
}

// Every window element the application lists, minimised ones included.
std::vector<AXElement> windowElements(const Platform& services, int pid)
{
    return services.accessibility->attribute(services.accessibility->applicationElement(pid), ax::Windows)
        .as<std::vector<AXElement>>()
        .value_or(std::vector<AXElement>{});
}

// The running processes of an application: those installed at `location`,
// else those of that name. Some applications run one process per window (a
// terminal): a new window may come from any of them, or from a new one.
std::vector<RunningApp> findRunning(const Platform& services, const QString& location, const QString& name)
{
    std::vector<RunningApp> atLocation, byName;
    for (const RunningApp& app : services.workspace->runningApplications()) {
        if (!location.isEmpty() && app.bundleLocation == location)
            atLocation.push_back(app);
        else if (!name.isEmpty() && app.localizedName == name)
            byName.push_back(app);
    }
    return atLocation.empty() ? byName : atLocation;
}

template <class List, class T>
bool contains(const List& list, const T& value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool containsApp(const std::vector<RunningApp>& apps, int pid)
{
    return std::any_of(apps.begin(), apps.end(), [pid](const RunningApp& a) { return a.pid == pid; });
}

using Failure = WorkspaceRunner::Failure;

// One window to open for a row: by address or by launching its application.
struct Opening {
    std::size_t row = 0;
    QString location;
    bool started = false;
    bool done = false;
    bool awaitingLaunch = false; // the browser starts first, then gets the tabs
    bool browser = false;        // opened through the browser: nothing else opens meanwhile
    double startedAt = 0;
    std::vector<int> runningBefore; // the application's processes before
    std::vector<AXElement> known;   // their windows before
};

// An open browser window to bring to the tab the plan names.
struct TabSwitch {
    std::size_t row = 0;
    QString windowTitle;
};

// A saved browser window, which comes back as a window of its own with its
// tabs (one or more) through the browser itself.
bool restoresTabs(const PlannedWindow& row)
{
    WindowContent* content = WindowContent::installed();
    return row.saved && row.openURL && content && content->restoresTabs(row.app);
}

// The windows of every process of the application, minimised ones included.
std::vector<AXElement> windowElements(const Platform& services, const std::vector<RunningApp>& running)
{
    std::vector<AXElement> out;
    for (const RunningApp& app : running)
        for (const AXElement& w : windowElements(services, app.pid))
            out.push_back(w);
    return out;
}

// Opens the row's tabs in a new window of its running browser, else its
// first address on its own.
QCoro::Task<bool> openTabs(const Platform& services, const PlannedWindow& row, const QString& location)
{
    bool opened = false;
    if (WindowContent* content = WindowContent::installed()) {
        QStringList urls = row.tabs;
        const int front = std::clamp(row.tabsBefore, 0, int(urls.size()));
        urls.insert(front, *row.openURL);
        opened = co_await content->restoreTabs(row.app, urls, front);
    }
    co_return opened || services.workspace->openUrl(QUrl(*row.openURL), location);
}

// Starts opening the row's window: launches its application, opens its
// address, or (a saved browser window with tabs) has the browser open them.
QCoro::Task<bool> startOpening(const Platform& services, const PlannedWindow& row, Opening& o)
{
    const std::vector<RunningApp> running = findRunning(services, o.location, row.app);
    for (const RunningApp& app : running)
        o.runningBefore.push_back(app.pid);
    o.known = windowElements(services, running);
    o.started = true;
    o.startedAt = services.clock->monotonic();
    if (!row.openURL)
        co_return !o.location.isEmpty() && services.workspace->launchApplication(o.location);
    if (!restoresTabs(row))
        co_return services.workspace->openUrl(QUrl(*row.openURL), o.location);
    // The tabs go into a new window of the browser, which must run first,
    // unless the command that opens them starts it (once, with the tabs).
    WindowContent* content = WindowContent::installed();
    if (!running.empty() || (content && content->restoreStartsBrowser()))
        co_return co_await openTabs(services, row, o.location);
    if (!o.location.isEmpty() && services.workspace->launchApplication(o.location)) {
        o.awaitingLaunch = true;
        co_return true;
    }
    co_return services.workspace->openUrl(QUrl(*row.openURL), o.location);
}

// Takes the first new window of the row's application as the row's. True
// when a browser that was started has become ready for its tabs.
bool findOpened(const Platform& services, const PlannedWindow& row, Opening& o,
                std::vector<std::optional<AXWindow>>& resolved, WorkspaceRunner::Outcome& outcome,
                std::vector<AXElement>& taken)
{
    const std::vector<RunningApp> running = findRunning(services, o.location, row.app);
    std::vector<AXWindow> windows;
    for (const RunningApp& app : running) {
        // A process that was not running before was started here.
        if (!contains(o.runningBefore, app.pid) && !containsApp(outcome.launched, app.pid))
            outcome.launched.push_back(app);
        for (const AXWindow& w : AXWindow::windows(app))
            windows.push_back(w);
    }
    if (running.empty())
        return false;
    if (o.awaitingLaunch) {
        // Once the browser shows the windows it starts with (or has taken
        // half its time), those are known and it is ready for the tabs.
        const double waited = services.clock->monotonic() - o.startedAt;
        if (windows.empty() && waited < WorkspaceRunner::kOpenTimeout / 2)
            return false;
        o.known = windowElements(services, running);
        o.awaitingLaunch = false;
        return true;
    }
    for (const AXWindow& w : windows) {
        if (contains(o.known, w.element) || contains(taken, w.element))
            continue;
        taken.push_back(w.element);
        resolved[o.row] = w;
        outcome.openedWindows.push_back(w);
        o.done = true;
        break;
    }
    return false;
}

// The open windows the plan reuses: shown, restored, resolved to their rows;
// a row whose window has gone fails. Returns the tabs still to be brought to
// the front.
std::vector<TabSwitch> bringBackOpen(const Platform& services, const std::vector<PlannedWindow>& rows,
                                     std::vector<std::optional<AXWindow>>& resolved, WorkspaceRunner::Outcome& outcome,
                                     std::vector<Failure>& failed)
{
    AXActionScope scope;
    std::vector<TabSwitch> tabSwitches;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].existing)
            continue;
        const AXWindow& window = *rows[i].existing;
        const auto app = services.workspace->application(window.app.pid);
        const bool taken = std::any_of(resolved.begin(), resolved.end(),
                                       [&](const std::optional<AXWindow>& r) { return r && *r == window; });
        if (!app || !window.frame() || taken) {
            failed[i] = taken ? Failure::none : Failure::gone;
            continue;
        }
        if (app->hidden && !containsApp(outcome.unhidden, app->pid) && services.workspace->unhide(app->pid))
            outcome.unhidden.push_back(*app);
        if (isMinimised(services, window)) {
            // Undo gives it back this frame, not the one it comes back
            // from the dock with, before minimising it again.
            const auto before = window.frame();
            if (services.accessibility->setAttribute(window.element, ax::Minimized, false) == AXError::success) {
                outcome.unminimised.push_back(window);
                if (before)
                    outcome.undo.emplace_back(window, *before);
            }
        }
        if (rows[i].frontTab)
            tabSwitches.push_back(TabSwitch{i, window.string(ax::Title).value_or(QString())});
        resolved[i] = window;
    }
    return tabSwitches;
}
// The windows the rows open, in row order.
std::vector<Opening> openingsFor(const Platform& services, const std::vector<PlannedWindow>& rows,
                                 std::vector<Failure>& failed)
{
    std::vector<Opening> openings;
    WindowContent* content = WindowContent::installed();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].existing)
            continue;
        // A saved browser window that kept no address (a private one, one
        // whose tabs could not be told) does not come back as an empty
        // window where the browser's own command brings windows back.
        if (rows[i].saved && !rows[i].openURL && content && content->restoreStartsBrowser()
            && content->restoresTabs(rows[i].app)) {
            failed[i] = Failure::nothingSaved;
            continue;
        }
        Opening o;
        o.row = i;
        o.location = services.workspace->applicationLocation(rows[i].app);
        if (o.location.isEmpty() && rows[i].openURL)
            o.location = services.workspace->applicationForUrl(QUrl(*rows[i].openURL));
        o.browser = restoresTabs(rows[i]) || (content && content->restoresTabs(rows[i].app));
        openings.push_back(std::move(o));
    }
    return openings;
}

// Whether opening `o` waits for another under way. Windows of one
// application open one after another, so that each new window is known to
// belong to its row; different applications at once, but for browsers: a
// browser puts a later command's tabs into its window in use, which a new
// window of another application could become, so a browser's window opens
// while nothing else does.
bool waits(const Opening& o, const std::vector<Opening>& openings, const std::vector<PlannedWindow>& rows)
{
    return std::any_of(openings.begin(), openings.end(), [&](const Opening& other) {
        if (!other.started || other.done || &other == &o)
            return false;
        const bool sameApp =
            o.location.isEmpty() ? rows[other.row].app == rows[o.row].app : other.location == o.location;
        return sameApp || o.browser || other.browser;
    });
}

// What the user is told of a row whose window did not come: its
// application, a saved window's address or folder, and why.
QString failureText(const PlannedWindow& row, Failure failure)
{
    QString what = row.app;
    if (row.saved && !row.existing && row.openURL)
        what += QStringLiteral(" (") + addressDetail(row.openURL) + QLatin1Char(')');
    switch (failure) {
    case Failure::none: return what;
    case Failure::notInstalled: return QStringLiteral("Couldn't open %1: it isn't installed.").arg(what);
    case Failure::noWindow:
        return QStringLiteral("Couldn't open %1: no window came within %2 seconds.")
            .arg(what)
            .arg(WorkspaceRunner::kOpenTimeout);
    case Failure::gone: return QStringLiteral("Couldn't find %1: its window has closed.").arg(what);
    case Failure::nothingSaved:
        return QStringLiteral("Couldn't open a %1 window: it kept no address (a private window keeps none).").arg(what);
    case Failure::notStarted: break;
    }
    return QStringLiteral("Couldn't open %1.").arg(what);
}

} // namespace

WorkspaceRunner::WorkspaceRunner(WindowManager& windows, const Platform& platform, ActiveWorkspaceHolder& active)
    : windows_(windows),
      platform_(platform),
      active_(active)
{}

std::vector<PlannedWindow> WorkspaceRunner::rows(const WorkspacePlan& plan, const ScreenCapture& capture)
{
    AXActionScope scope;
    const AddressTrust trust = plan.fromSavedWorkspace ? AddressTrust::saved : AddressTrust::planner;
    std::vector<bool> used(capture.windows.size(), false);
    std::vector<PlannedWindow> out;
    const int limit = plan.fromSavedWorkspace ? SavedWorkspace::kMaxWindows : WorkspacePlan::kMaxWindows;
    WindowContent* content = WindowContent::installed();
    for (const WorkspacePlan::Window& w : plan.windows) {
        if (out.size() == std::size_t(limit))
            break;
        std::optional<QString> address = w.openURL ? openableAddress(*w.openURL, trust) : std::nullopt;
        // Only a saved window says where its address stands among its tabs.
        const int givenBefore = plan.fromSavedWorkspace && address ? w.tabsBefore.value_or(0) : 0;
        QStringList tabs;
        int tabsBefore = 0;
        const QStringList given = w.tabs.value_or(QStringList());
        for (qsizetype i = 0; i < given.size(); ++i)
            if (const auto openable = openableAddress(given[i], AddressTrust::planner)) {
                tabs.append(*openable);
                tabsBefore += i < givenBefore ? 1 : 0;
            }
        if (!address && !tabs.isEmpty())
            address = tabs.takeFirst();

        std::optional<std::size_t> index;
        if (w.existingWindow && *w.existingWindow >= 0 && std::size_t(*w.existingWindow) < used.size()
            && !used[std::size_t(*w.existingWindow)])
            index = std::size_t(*w.existingWindow);
        else if (!address && !(plan.fromSavedWorkspace && content && content->restoresTabs(w.app)))
            // A saved browser window is open only where its plan says: one
            // that kept no address (a private one) is no other window.
            for (std::size_t i = 0; i < used.size() && !index; ++i)
                if (!used[i] && ScreenCapture::appName(capture.windows[i].app) == w.app)
                    index = i;

        PlannedWindow row;
        row.id = QUuid::createUuid();
        row.purpose = w.purpose;
        row.saved = plan.fromSavedWorkspace;
        if (index) {
            used[*index] = true;
            const AXWindow& window = capture.windows[*index];
            row.existing = window;
            row.app = ScreenCapture::appName(window.app);
            row.frontTab = w.frontTab;
            row.detail = PlannedWindow::existingDetail(w.frontTab, window.string(ax::Title));
        } else {
            if (!address && w.app.trimmed().isEmpty())
                continue; // nothing to open
            row.app = w.app;
            row.openURL = address;
            if (address) {
                row.tabs = tabs;
                row.tabsBefore = tabsBefore;
            }
            row.detail = PlannedWindow::openingDetail(row.openURL, row.tabs);
        }
        out.push_back(std::move(row));
    }
    return out;
}

std::vector<PlannedClear> WorkspaceRunner::clears(const WorkspacePlan& plan, const ScreenCapture& capture)
{
    std::vector<PlannedClear> out;
    if (!plan.clear)
        return out;
    QSet<int> rowPids;
    QSet<QString> rowApps;
    for (const PlannedWindow& row : rows(plan, capture)) {
        if (row.existing)
            rowPids.insert(row.existing->app.pid);
        else
            rowApps.insert(row.app);
    }
    // A pure reading of the plan, made before any runner is at work.
    Workspace& workspace = *Platform::current().workspace;
    const int self = workspace.currentPid();
    QHash<int, int> named; // pid -> the first window a clear named
    for (const WorkspacePlan::Clear& c : *plan.clear) {
        if (c.existingWindow < 0 || std::size_t(c.existingWindow) >= capture.windows.size())
            continue;
        const AXWindow& window = capture.windows[std::size_t(c.existingWindow)];
        const auto app = workspace.application(window.app.pid);
        if (!app || app->pid == self || rowPids.contains(app->pid) || rowApps.contains(ScreenCapture::appName(*app)))
            continue;
        const auto same =
            std::find_if(out.begin(), out.end(), [&](const PlannedClear& p) { return p.running.pid == app->pid; });
        const QString title = window.string(ax::Title).value_or(QString());
        if (same != out.end()) {
            if (c.action == ClearAction::quit)
                same->action = ClearAction::quit;
            if (named.value(app->pid) != c.existingWindow)
                same->title.clear(); // a second window: the whole application goes
            continue;
        }
        named.insert(app->pid, c.existingWindow);
        out.push_back(PlannedClear{QUuid::createUuid(), ScreenCapture::appName(*app), c.action, *app, title});
    }
    return out;
}

QCoro::Task<WorkspaceRunner::Outcome> WorkspaceRunner::arrange(std::vector<PlannedWindow> rows,
                                                               std::vector<PlannedClear> clears, LayoutKind layout,
                                                               Display display, CancelToken cancel)
{
    Outcome outcome;
    if (!platform_.accessibility->isTrusted(false)) {
        outcome.problem = WindowManager::kNeedsTrustMessage;
        co_return outcome;
    }
    // A saved workspace's rows are all it saved; a plan keeps the planners' limit.
    const bool saved =
        !rows.empty() && std::all_of(rows.begin(), rows.end(), [](const PlannedWindow& r) { return r.saved; });
    const std::size_t limit = std::size_t(saved ? SavedWorkspace::kMaxWindows : WorkspacePlan::kMaxWindows);
    QStringList leftOut;
    for (std::size_t i = limit; i < rows.size(); ++i)
        leftOut << failureText(rows[i], Failure::none);
    if (rows.size() > limit)
        rows.resize(limit);
    outcome.previousActive = active_.get();

    std::vector<std::optional<AXWindow>> resolved(rows.size());
    std::vector<Failure> failed(rows.size(), Failure::none);
    const std::vector<TabSwitch> tabSwitches = bringBackOpen(platform_, rows, resolved, outcome, failed);
    for (const TabSwitch& s : tabSwitches) {
        WindowContent* content = WindowContent::installed();
        if (!content)
            break;
        const QString tab = *rows[s.row].frontTab;
        if (co_await content->selectTab(rows[s.row].app, s.windowTitle, tab))
            outcome.switchedTabs.emplace_back(*resolved[s.row], tab);
    }

    co_await openMissing(rows, resolved, outcome, failed, cancel);
    if (cancel.isCancelled())
        co_return outcome;
    clearAway(clears, resolved, outcome);
    place(resolved, layout, display, outcome, cancel);

    QStringList problems;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (failed[i] != Failure::none)
            problems << failureText(rows[i], failed[i]);
    if (!leftOut.isEmpty())
        problems << QStringLiteral("Left out %1 (at most %2 windows are arranged at once).")
                        .arg(leftOut.join(QStringLiteral(", ")))
                        .arg(limit);
    if (!problems.isEmpty())
        outcome.problem = problems.join(QLatin1Char(' '));

    // Auto-arrange leaves the moves alone, then takes them as its own.
    pauseAutoArrange(kPauseAfterArrange);
    platform_.clock->singleShot(kArrangeNowDelay, this, [this, display, windows = outcome.windows, cancel] {
        if (AutoArrangeControl* control = autoArrange_.get(); control && !cancel.isCancelled())
            control->arrangeNow(display, windows);
    });
    co_return outcome;
}

QCoro::Task<> WorkspaceRunner::openMissing(const std::vector<PlannedWindow>& rows,
                                           std::vector<std::optional<AXWindow>>& resolved, Outcome& outcome,
                                           std::vector<Failure>& failed, const CancelToken& cancel)
{
    Clock& clock = *platform_.clock;
    std::vector<Opening> openings = openingsFor(platform_, rows, failed);
    const auto busy = [&](const Opening& o) { return waits(o, openings, rows); };
    std::vector<AXElement> taken;
    while (!cancel.isCancelled()
           && std::any_of(openings.begin(), openings.end(), [](const Opening& o) { return !o.done; })) {
        for (Opening& o : openings) {
            if (o.started || o.done || busy(o))
                continue;
            const bool opening = co_await startOpening(platform_, rows[o.row], o);
            if (!opening) {
                o.done = true;
                failed[o.row] =
                    o.location.isEmpty() && o.runningBefore.empty() ? Failure::notInstalled : Failure::notStarted;
            }
        }
        if (std::all_of(openings.begin(), openings.end(), [](const Opening& o) { return o.done; }))
            break;

        co_await clock.sleep(kOpenPollInterval, cancel);
        if (cancel.isCancelled())
            break;

        std::vector<Opening*> launched;
        {
            AXActionScope scope;
            for (Opening& o : openings)
                if (o.started && !o.done && findOpened(platform_, rows[o.row], o, resolved, outcome, taken))
                    launched.push_back(&o);
            for (Opening& o : openings)
                if (o.started && !o.done && clock.monotonic() - o.startedAt >= kOpenTimeout) {
                    o.done = true;
                    failed[o.row] = Failure::noWindow;
                }
        }
        // Browsers that have started get their tabs now.
        for (Opening* o : launched) {
            if (o->done)
                continue;
            o->startedAt = clock.monotonic();
            if (!co_await openTabs(platform_, rows[o->row], o->location)) {
                o->done = true;
                failed[o->row] = Failure::notStarted;
            }
        }
    }
}

void WorkspaceRunner::clearAway(const std::vector<PlannedClear>& clears,
                                const std::vector<std::optional<AXWindow>>& resolved, Outcome& outcome)
{
    QSet<int> keep{platform_.workspace->currentPid()};
    for (const auto& window : resolved)
        if (window)
            keep.insert(window->app.pid);
    for (const PlannedClear& clear : clears) {
        const auto app = platform_.workspace->application(clear.running.pid);
        if (!app || keep.contains(app->pid))
            continue;
        keep.insert(app->pid);
        if (clear.action == ClearAction::quit) {
            const std::optional<QString> location =
                app->bundleLocation.isEmpty() ? std::nullopt : std::optional(app->bundleLocation);
            if (platform_.workspace->terminate(app->pid))
                outcome.quit.emplace_back(clear.app, location);
        } else if (!app->hidden && platform_.workspace->hide(app->pid)) {
            outcome.hidden.push_back(*app);
            if (!clear.title.isEmpty())
                outcome.hiddenTitles.emplace(app->pid, clear.title);
        }
    }
}

void WorkspaceRunner::place(const std::vector<std::optional<AXWindow>>& resolved, LayoutKind layout,
                            const Display& display, Outcome& outcome, const CancelToken& cancel)
{
    AXActionScope scope;
    std::vector<AXWindow> windows;
    for (const auto& window : resolved)
        if (window)
            windows.push_back(*window);
    if (windows.empty())
        return;

    const auto zones = rects(layout, int(windows.size()), display.aspect());
    std::vector<std::pair<AXWindow, UnitRect>> inZones;
    for (std::size_t slot = 0; slot < windows.size(); ++slot)
        inZones.emplace_back(windows[slot], zones[slot]);
    // Guarded a while: some applications settle late, or undo part of a move.
    const std::vector<double> checks(kGuardChecks.begin(), kGuardChecks.end());
    PlacementLearner* learner = windows_.learner();
    for (const WindowManager::Arranged& placed : windows_.arrange(inZones, display, checks, cancel)) {
        const AXWindow& window = placed.window;
        const bool known = std::any_of(outcome.undo.begin(), outcome.undo.end(),
                                       [&](const std::pair<AXWindow, Rect>& u) { return u.first == window; });
        if (placed.before && !known)
            outcome.undo.emplace_back(window, *placed.before);
        outcome.windows.push_back(window);
        ++outcome.arranged;
        if (learner) {
            const Placement placement{ScreenCapture::appName(window.app), display, zones[placed.index],
                                      placed.index == 0};
            learner->record(placement.app, placement.display, placement.unit, placement.focus);
            outcome.learned.push_back(placement);
        }
    }
    if (outcome.arranged == 0)
        return;

    Defaults& defaults = *platform_.defaults;
    const QString key = WindowManager::usualLayoutKey(display);
    outcome.previousLayout = PreviousLayout{key, defaults.value(key)};
    defaults.setValue(key, name(layout));

    const AXWindow& main = outcome.windows.front();
    platform_.accessibility->performAction(main.element, ax::Raise);
    platform_.workspace->activate(main.app.pid);
}

QCoro::Task<QStringList> WorkspaceRunner::letBrowsersRecover(const SavedWorkspace& workspace, const Display& display,
                                                             std::vector<RunningApp>& launched,
                                                             const CancelToken& cancel)
{
    QStringList said;
    WindowContent* content = WindowContent::installed();
    if (!content || !workspace.items)
        co_return said;
    QStringList browsers;
    for (const SavedItem& item : *workspace.items)
        if (!browsers.contains(item.app) && content->restoresTabs(item.app))
            browsers.append(item.app);
    Clock& clock = *platform_.clock;
    for (const QString& app : browsers) {
        const QString location = platform_.workspace->applicationLocation(app);
        if (location.isEmpty() || !findRunning(platform_, location, app).empty())
            continue;
        const int expected = content->windowsRestoredOnStart(app);
        if (expected <= 0 || !platform_.workspace->launchApplication(location))
            continue;
        // Its windows map first, titled before their pages show: they are
        // waited for until the browser's own file tells what each shows.
        const double started = clock.monotonic();
        std::size_t shown = 0;
        while (!cancel.isCancelled() && shown < std::size_t(expected)
               && clock.monotonic() - started < kRecoveryTimeout) {
            co_await clock.sleep(kOpenPollInterval, cancel);
            pauseAutoArrange(kPauseBeforeSaved);
            for (const RunningApp& running : findRunning(platform_, location, app))
                if (!containsApp(launched, running.pid))
                    launched.push_back(running);
            QSet<QString> apps;
            apps.insert(app);
            const ScreenCapture capture = ScreenCapture::of(display);
            const QList<SavedItem> read = co_await capture.shown(std::move(apps));
            shown = std::size_t(
                std::count_if(read.begin(), read.end(), [&](const SavedItem& i) { return i.app == app && i.url; }));
        }
        const QString windows = expected == 1 ? QStringLiteral("1 window") : QStringLiteral("%1 windows").arg(expected);
        said << (shown >= std::size_t(expected)
                     ? QStringLiteral("%1 brought back %2 of its last session by itself; only what they lack was "
                                      "opened.")
                           .arg(app, windows)
                     : QStringLiteral("%1 was bringing back %2 of its last session by itself; %3 came within %4 "
                                      "seconds.")
                           .arg(app, windows)
                           .arg(shown)
                           .arg(kRecoveryTimeout));
    }
    co_return said;
}

QCoro::Task<WorkspaceRunner::Outcome> WorkspaceRunner::arrangeSaved(SavedWorkspace workspace, CancelToken cancel)
{
    const auto display = windows_.focusedContext();
    if (!display) {
        Outcome outcome;
        outcome.problem = kNoDisplayProblem;
        co_return outcome;
    }
    // Windows open and move for a while: keep auto-arrange out of the way.
    pauseAutoArrange(kPauseBeforeSaved);
    std::vector<RunningApp> launched;
    const QStringList recovered = co_await letBrowsersRecover(workspace, *display, launched, cancel);

    const ScreenCapture capture = ScreenCapture::of(*display);
    const auto& items = workspace.items;
    const bool readsTabs =
        items && std::any_of(items->begin(), items->end(), [](const SavedItem& i) { return i.url.has_value(); });
    PlanRequest request;
    if (readsTabs)
        request = co_await capture.planRequest(workspace.request);
    else
        request = capture.planRequest(workspace.request, BrowserTabMap());

    // What the open windows of the saved applications show tells which of
    // them are the saved ones.
    QList<SavedItem> shown;
    if (items && std::any_of(items->begin(), items->end(), [](const SavedItem& i) { return i.url || i.title; })) {
        QSet<QString> apps;
        for (const SavedItem& item : *items)
            apps.insert(item.app);
        shown = co_await capture.shown(apps);
    }

    if (cancel.isCancelled()) {
        Outcome outcome;
        outcome.launched = std::move(launched);
        co_return outcome;
    }
    const WorkspacePlan plan = workspace.plan(request.windows, shown);
    std::vector<PlannedWindow> planned = rows(plan, capture);
    if (planned.empty()) {
        Outcome outcome;
        outcome.problem = kNothingFoundProblem;
        co_return outcome;
    }
    Outcome outcome = co_await arrange(std::move(planned), {}, workspace.layout, *display, cancel);
    for (const RunningApp& app : launched)
        if (!containsApp(outcome.launched, app.pid))
            outcome.launched.push_back(app);
    // Windows beyond what a workspace brings back (only an older or edited
    // file holds more) are named.
    QStringList leftOut;
    for (qsizetype i = SavedWorkspace::kMaxWindows; i < plan.windows.size(); ++i)
        leftOut << plan.windows[i].app;
    if (!leftOut.isEmpty()) {
        const QString left = QStringLiteral("Left out %1 (at most %2 windows come back).")
                                 .arg(leftOut.join(QStringLiteral(", ")))
                                 .arg(SavedWorkspace::kMaxWindows);
        outcome.problem = outcome.problem ? *outcome.problem + QLatin1Char(' ') + left : left;
    }
    if (outcome.arranged == 0 && !outcome.problem)
        outcome.problem = kNothingFoundProblem;
    // What a browser did on its own is said too.
    if (!recovered.isEmpty()) {
        const QString note = recovered.join(QLatin1Char(' '));
        outcome.problem = outcome.problem ? *outcome.problem + QLatin1Char(' ') + note : note;
    }
    co_return outcome;
}

void WorkspaceRunner::undo(const Outcome& outcome)
{
    pauseAutoArrange(kPauseOnUndo);
    AXActionScope scope;
    // The window manager lets the put-back windows go: no re-check moves them.
    windows_.putBack(outcome.undo);
    for (const auto& [name, location] : outcome.quit) {
        const QString where = location.value_or(platform_.workspace->applicationLocation(name));
        if (!where.isEmpty())
            platform_.workspace->launchApplication(where);
    }
    for (const RunningApp& app : outcome.hidden)
        platform_.workspace->unhide(app.pid);
    for (const AXWindow& window : outcome.unminimised)
        platform_.accessibility->setAttribute(window.element, ax::Minimized, true);
    for (const AXWindow& window : outcome.openedWindows) {
        // An application started here goes as a whole, keeping its windows
        // for its next launch as they were.
        if (containsApp(outcome.launched, window.app.pid))
            continue;
        if (const auto button = platform_.accessibility->attribute(window.element, ax::CloseButton).as<AXElement>())
            platform_.accessibility->performAction(*button, ax::Press);
    }
    for (const RunningApp& app : outcome.launched)
        platform_.workspace->terminate(app.pid);
    for (const RunningApp& app : outcome.unhidden)
        platform_.workspace->hide(app.pid);

    if (PlacementLearner* learner = windows_.learner())
        for (const Placement& p : outcome.learned)
            learner->unrecord(p.app, p.display, p.unit, p.focus);
    if (outcome.previousLayout) {
        Defaults& defaults = *platform_.defaults;
        if (outcome.previousLayout->stored)
            defaults.setValue(outcome.previousLayout->key, *outcome.previousLayout->stored);
        else
            defaults.remove(outcome.previousLayout->key);
    }
    active_.set(outcome.previousActive);

    platform_.clock->singleShot(kArrangeAllDelay, this, [this] {
        if (AutoArrangeControl* control = autoArrange_.get())
            control->arrangeAll();
    });
}

void WorkspaceRunner::pauseAutoArrange(double seconds)
{
    if (AutoArrangeControl* control = autoArrange_.get())
        control->pause(seconds);
}

} // namespace tavrin
