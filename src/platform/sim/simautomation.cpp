#include "platform/sim/simautomation.h"

#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simworkspace.h"

#include <QUrl>

namespace tavrin {

namespace {

ScriptValue texts(const QStringList& values)
{
    QList<ScriptValue> items;
    for (const QString& v : values)
        items.append(ScriptValue::makeText(v));
    return ScriptValue::makeList(std::move(items));
}

// The folder a file manager's window shows: its own, else its document's.
QString folderOf(const SimWindow& w)
{
    if (!w.folder.isEmpty())
        return w.folder;
    const QUrl document(w.document);
    return document.isLocalFile() ? document.toLocalFile() : QString();
}

} // namespace

std::optional<ScriptValue> SimAutomation::run(const QString& source, double timeLimit)
{
    {
        const std::lock_guard guard(mutex_);
        scripts_.append(source);
    }
    const auto request = ScriptRequest::parse(source);
    if (!request)
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
    auto guard = desktop_.lock();
    const SimApp* app = desktop_.appNamed(request->app);
    if (!app)
        return std::nullopt;
    return answer(*request, *app);
}

std::optional<ScriptValue> SimAutomation::answer(const ScriptRequest& request, const SimApp& app)
{
    using Kind = ScriptRequest::Kind;
    switch (request.kind) {
    case Kind::windowTabs: return windowTabs(app.pid);
    case Kind::terminalTTYs:
    case Kind::sessionPaths:
    case Kind::finderFolders: return perWindow(app.pid, request.kind);
    case Kind::frontTabs: return frontTabs(app.pid, request.otherTitles, true);
    case Kind::tabTitles: return frontTabs(app.pid, true, false);
    case Kind::openTabs: return openTabs(app, request.urls) ? std::optional(ScriptValue::makeOther()) : std::nullopt;
    case Kind::selectTab:
        return selectTab(app.pid, request.window, request.tab) ? std::optional(ScriptValue::makeOther()) : std::nullopt;
    }
    return std::nullopt;
}

ScriptValue SimAutomation::windowTabs(int pid) const
{
    QList<ScriptValue> out;
    for (const SimWindow* w : desktop_.windowsOf(pid)) {
        if (w->tabs.empty())
            continue; // a window without a tab in front fails its "try"
        const SimTab& front = w->tabs[std::size_t(w->activeTab)];
        QStringList urls;
        for (const SimTab& tab : w->tabs)
            urls.append(tab.url);
        out.append(
            ScriptValue::makeList({ScriptValue::makeText(front.title), ScriptValue::makeText(front.url), texts(urls)}));
    }
    return ScriptValue::makeList(std::move(out));
}

ScriptValue SimAutomation::perWindow(int pid, ScriptRequest::Kind kind) const
{
    QList<ScriptValue> out;
    for (const SimWindow* w : desktop_.windowsOf(pid)) {
        QString value;
        if (kind == ScriptRequest::Kind::terminalTTYs)
            value = w->tty;
        else if (kind == ScriptRequest::Kind::sessionPaths)
            value = w->folder;
        else
            value = folderOf(*w);
        if (!value.isEmpty())
            out.append(texts({w->title, value}));
    }
    return ScriptValue::makeList(std::move(out));
}

ScriptValue SimAutomation::frontTabs(int pid, bool otherTitles, bool withAddresses) const
{
    QStringList titles;
    QStringList urls;
    QList<ScriptValue> everyTab;
    for (const SimWindow* w : desktop_.windowsOf(pid)) {
        if (w->tabs.empty())
            continue;
        const SimTab& front = w->tabs[std::size_t(w->activeTab)];
        titles.append(front.title);
        urls.append(front.url);
        QStringList all;
        for (const SimTab& tab : w->tabs)
            all.append(tab.title);
        everyTab.append(texts(all));
    }
    QList<ScriptValue> answer{texts(titles)};
    if (withAddresses)
        answer.append(texts(urls));
    if (otherTitles)
        answer.append(ScriptValue::makeList(std::move(everyTab)));
    return ScriptValue::makeList(std::move(answer));
}

bool SimAutomation::openTabs(const SimApp& app, const QStringList& urls)
{
    if (urls.isEmpty())
        return false;
    SimWindow window = desktop_.workspace().windowFor(QUrl(urls.first()), app.pid, app.location);
    window.tabs.clear();
    for (const QString& url : urls)
        window.tabs.push_back(SimTab{SimWorkspace::titleFor(QUrl(url)), url});
    window.activeTab = 0;
    window.title = window.tabs.front().title;
    return desktop_.addWindow(std::move(window)) != 0;
}

bool SimAutomation::selectTab(int pid, int window, int tab)
{
    const auto windows = desktop_.windowsOf(pid);
    if (window < 1 || window > int(windows.size()))
        return false;
    return desktop_.setActiveTab(windows[std::size_t(window - 1)]->token, tab - 1);
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
