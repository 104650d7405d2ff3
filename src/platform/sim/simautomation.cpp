#include "platform/sim/simautomation.h"

#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simworkspace.h"

#include <QUrl>

namespace tavrin {

namespace {

// The folder a file manager's window shows: its own, else its document's.
QString folderOf(const SimWindow& w)
{
    if (!w.folder.isEmpty())
        return w.folder;
    const QUrl document(w.document);
    return document.isLocalFile() ? document.toLocalFile() : QString();
}

} // namespace

std::optional<SimScriptRequest> SimAutomation::accepted(const AutomationTarget& target, const QString& script,
                                                        double timeLimit,
                                                        std::initializer_list<SimScriptRequest::Kind> kinds)
{
    {
        const std::lock_guard guard(mutex_);
        scripts_.append(script);
    }
    auto request = SimScriptRequest::parse(script);
    if (!request || request->app != target.app || std::find(kinds.begin(), kinds.end(), request->kind) == kinds.end())
        return std::nullopt;
    double delay = 0;
    {
        auto guard = desktop_.lock();
        const SimApp* app = desktop_.appNamed(request->app);
        if (!app || app->automation != SimAutomationAccess::allowed || app->scriptsFail)
            return std::nullopt;
        delay = app->scriptDelay;
    }
    // The application takes its time, unless the caller gives up first.
    SimClock::block(desktop_.clock(), std::min(delay, timeLimit));
    if (delay >= timeLimit)
        return std::nullopt;
    return request;
}

std::optional<QList<BrowserWindow>> SimAutomation::browserWindows(const AutomationTarget& target, const QString& script,
                                                                  double timeLimit)
{
    using Kind = SimScriptRequest::Kind;
    if (!accepted(target, script, timeLimit, {Kind::windowTabs, Kind::frontTabs, Kind::tabTitles}))
        return std::nullopt;
    auto guard = desktop_.lock();
    const SimApp* app = desktop_.appNamed(target.app);
    return app ? std::optional(windowsOf(app->pid)) : std::nullopt;
}

bool SimAutomation::openWindow(const AutomationTarget& target, const QStringList& urls, int front,
                               const QString& script, double timeLimit)
{
    // The script carries the addresses with quotes and backslashes
    // percent-encoded; the browser opens them as the script has them.
    QStringList quoted;
    for (QString url : urls)
        quoted.append(
            url.replace(QLatin1Char('\\'), QLatin1String("%5C")).replace(QLatin1Char('"'), QLatin1String("%22")));
    const auto request = accepted(target, script, timeLimit, {SimScriptRequest::Kind::openTabs});
    if (!request || request->urls != quoted)
        return false;
    auto guard = desktop_.lock();
    const SimApp* app = desktop_.appNamed(target.app);
    return app && openTabs(*app, quoted, front);
}

bool SimAutomation::selectTab(const AutomationTarget& target, int window, int tab, const QString& script,
                              double timeLimit)
{
    const auto request = accepted(target, script, timeLimit, {SimScriptRequest::Kind::selectTab});
    if (!request || request->window != window || request->tab != tab)
        return false;
    auto guard = desktop_.lock();
    const SimApp* app = desktop_.appNamed(target.app);
    if (!app)
        return false;
    // Windows are counted as browserWindows lists them: those with tabs.
    std::vector<const SimWindow*> tabbed;
    for (const SimWindow* w : desktop_.windowsOf(app->pid))
        if (!w->tabs.empty())
            tabbed.push_back(w);
    if (window < 1 || window > int(tabbed.size()))
        return false;
    return desktop_.setActiveTab(tabbed[std::size_t(window - 1)]->token, tab - 1);
}

std::optional<QList<FolderWindow>> SimAutomation::windowFolders(const AutomationTarget& target, const QString& script,
                                                                double timeLimit)
{
    using Kind = SimScriptRequest::Kind;
    const auto request =
        accepted(target, script, timeLimit, {Kind::terminalTTYs, Kind::sessionPaths, Kind::finderFolders});
    if (!request)
        return std::nullopt;
    auto guard = desktop_.lock();
    const SimApp* app = desktop_.appNamed(target.app);
    return app ? std::optional(foldersOf(app->pid, request->kind)) : std::nullopt;
}

QList<BrowserWindow> SimAutomation::windowsOf(int pid) const
{
    QList<BrowserWindow> out;
    for (const SimWindow* w : desktop_.windowsOf(pid)) {
        if (w->tabs.empty())
            continue; // a window without a tab in front has nothing to tell
        BrowserWindow window;
        for (const SimTab& tab : w->tabs)
            window.tabs.append(BrowserTab{tab.title, tab.url});
        window.front = w->activeTab;
        out.append(std::move(window));
    }
    return out;
}

QList<FolderWindow> SimAutomation::foldersOf(int pid, SimScriptRequest::Kind kind) const
{
    QList<FolderWindow> out;
    for (const SimWindow* w : desktop_.windowsOf(pid)) {
        FolderWindow window{w->title, {}, {}};
        if (kind == SimScriptRequest::Kind::terminalTTYs)
            window.device = w->tty;
        else if (kind == SimScriptRequest::Kind::sessionPaths)
            window.folder = w->folder;
        else
            window.folder = folderOf(*w);
        if (!window.folder.isEmpty() || !window.device.isEmpty())
            out.append(std::move(window));
    }
    return out;
}

bool SimAutomation::openTabs(const SimApp& app, const QStringList& urls, int front)
{
    if (front < 0 || front >= urls.size())
        return false;
    SimWindow window = desktop_.workspace().windowFor(QUrl(urls[front]), app.pid, app.location);
    window.tabs.clear();
    for (const QString& url : urls)
        window.tabs.push_back(SimTab{SimWorkspace::titleFor(QUrl(url)), url});
    window.activeTab = front;
    window.title = window.tabs[std::size_t(front)].title;
    return desktop_.addWindow(std::move(window)) != 0;
}

int SimAutomation::permission(const QString& bundleId, bool ask)
{
    auto guard = desktop_.lock();
    for (const SimApp& app : desktop_.apps()) {
        if (bundleId.isEmpty() || app.bundleId != bundleId)
            continue;
        switch (app.automation) {
        case SimAutomationAccess::allowed: return kAllowed;
        case SimAutomationAccess::denied: return kNotPermitted;
        case SimAutomationAccess::notAsked:
            if (!ask)
                return kWouldRequireConsent;
            {
                const std::lock_guard counting(mutex_);
                ++prompts_;
            }
            desktop_.setAutomation(app.pid, SimAutomationAccess::allowed);
            return kAllowed;
        }
    }
    return kNotRunning;
}

QStringList SimAutomation::scripts() const
{
    const std::lock_guard guard(mutex_);
    return scripts_;
}

int SimAutomation::prompts() const
{
    const std::lock_guard guard(mutex_);
    return prompts_;
}

} // namespace tavrin
