#include "platform/sim/simworkspace.h"

#include "platform/sim/simdesktop.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMap>
#include <QUrl>

namespace tavrin {

SimWorkspace::SimWorkspace(SimDesktop& desktop) : desktop_(desktop)
{
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &Workspace::willTerminate);
}

namespace {
// How far a new window is set off from the window it opens on top of.
constexpr double kCascade = 22;
const Size kNewWindowSize{1200, 800};
} // namespace

std::vector<RunningApp> SimWorkspace::runningApplications()
{
    auto guard = desktop_.lock();
    std::vector<RunningApp> out;
    out.reserve(desktop_.apps().size());
    for (const SimApp& a : desktop_.apps())
        out.push_back(a.snapshot(a.pid == desktop_.frontmostPid()));
    return out;
}

std::optional<RunningApp> SimWorkspace::frontmostApplication()
{
    auto guard = desktop_.lock();
    if (const SimApp* a = desktop_.frontmostApp())
        return a->snapshot(true);
    return std::nullopt;
}

std::optional<RunningApp> SimWorkspace::application(int pid)
{
    auto guard = desktop_.lock();
    if (const SimApp* a = desktop_.app(pid))
        return a->snapshot(pid == desktop_.frontmostPid());
    return std::nullopt;
}

int SimWorkspace::currentPid() { return desktop_.selfPid(); }

bool SimWorkspace::knows(const QString& location) const
{
    if (location.isEmpty())
        return false;
    return desktop_.installedApp(location) || desktop_.appAt(location);
}

void SimWorkspace::later(double delay, std::function<void()> fn)
{
    // The id is known only once scheduled; the entry is dropped when it runs.
    auto id = std::make_shared<Clock::TimerId>(0);
    *id = desktop_.clock().singleShot(delay, this, [this, id, fn = std::move(fn)] {
        std::erase(pending_, *id);
        fn();
    });
    pending_.push_back(*id);
}

void SimWorkspace::cancelPending()
{
    for (Clock::TimerId id : pending_)
        desktop_.clock().cancel(id);
    pending_.clear();
}

bool SimWorkspace::launchApplication(const QString& location)
{
    auto guard = desktop_.lock();
    if (!knows(location))
        return false;
    // A running application is only activated: no launch to wait for.
    const double delay = desktop_.appAt(location) ? 0 : desktop_.launchDelay();
    later(delay, [this, location] { open(location, std::nullopt); });
    return true;
}

bool SimWorkspace::launchApplicationInBackground(const QString& location)
{
    auto guard = desktop_.lock();
    if (!knows(location))
        return false;
    const double delay = desktop_.appAt(location) ? 0 : desktop_.launchDelay();
    later(delay, [this, location] { open(location, std::nullopt, false); });
    return true;
}

bool SimWorkspace::openUrl(const QUrl& url, const QString& applicationLocation)
{
    auto guard = desktop_.lock();
    if (!url.isValid())
        return false;
    if (url.scheme() == kSettingsScheme)
        return openSettings(url) == SettingsOpening::opened;
    const QString location = applicationLocation.isEmpty() ? applicationForUrl(url) : applicationLocation;
    if (!knows(location))
        return false;
    later(desktop_.launchDelay(), [this, location, url] { open(location, url); });
    return true;
}

Workspace::SettingsOpening SimWorkspace::openSettings(const QUrl& url)
{
    auto guard = desktop_.lock();
    if (!url.isValid() || url.scheme() != kSettingsScheme)
        return SettingsOpening::noProgram;
    if (desktop_.settingsLack(url.path()))
        return SettingsOpening::noSuchPage;
    const QString page = url.path() + (url.hasQuery() ? u'?' + url.query() : QString());
    if (!desktop_.openSettings(page))
        return SettingsOpening::noProgram;
    // The user does there what the page is for.
    if (url.query() == kAccessibilitySettingsQuery)
        desktop_.setTrusted(true);
    if (url.path() == kDesktopSettingsPage)
        desktop_.setEdgeTiling(false);
    return SettingsOpening::opened;
}

std::optional<Workspace::SettingsTab> SimWorkspace::settingsTab(const QUrl& url)
{
    const auto tab = desktop_.settingsTab(url.path());
    return tab ? std::optional(SettingsTab{tab->first, tab->second}) : std::nullopt;
}

void SimWorkspace::open(const QString& location, const std::optional<QUrl>& address, bool activate)
{
    auto guard = desktop_.lock();
    const SimApp* running = desktop_.appAt(location);
    int pid = 0;
    ActivationPolicy policy = ActivationPolicy::regular;
    if (running) {
        pid = running->pid;
        policy = running->policy;
        if (address)
            desktop_.addWindow(windowFor(*address, pid, location));
    } else {
        const SimInstalledApp* installed = desktop_.installedApp(location);
        if (!installed)
            return;
        policy = installed->policy;
        SimApp app;
        app.name = installed->name;
        app.bundleId = installed->bundleId;
        app.location = installed->location;
        app.policy = installed->policy;
        // Opened for an address, the application shows that address alone.
        std::vector<SimWindow> windows = installed->windows;
        if (address)
            windows = {windowFor(*address, 0, location)};
        pid = desktop_.addApp(std::move(app), std::move(windows));
    }
    if (activate && policy == ActivationPolicy::regular)
        desktop_.activate(pid);
}

SimWindow SimWorkspace::windowFor(const QUrl& url, int pid, const QString& location) const
{
    SimWindow w;
    w.pid = pid;
    w.title = titleFor(url);
    if (url.isLocalFile())
        w.document = url.toString();
    else if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
        w.tabs = {SimTab{w.title, url.toString()}};

    // On top of the application's front window, set off a little; else where
    // a launch would put its first window; else near the top left of the
    // first display.
    if (const SimWindow* front = desktop_.focusedWindow(pid)) {
        w.frame = front->frame;
        w.frame.x += kCascade;
        w.frame.y += kCascade;
    } else if (const SimInstalledApp* installed = desktop_.installedApp(location);
               installed && !installed->windows.empty()) {
        w.frame = installed->windows.front().frame;
    } else {
        const Rect area = desktop_.visibleFrame(0);
        w.frame = Rect(area.x + 2 * kCascade, area.y + 2 * kCascade, std::min(kNewWindowSize.width, area.width),
                       std::min(kNewWindowSize.height, area.height));
    }
    return w;
}

QString SimWorkspace::titleFor(const QUrl& url)
{
    if (url.isLocalFile())
        return QFileInfo(url.toLocalFile()).fileName();
    QString host = url.host();
    if (host.startsWith(QLatin1String("www.")))
        host = host.mid(4);
    return host.isEmpty() ? url.toString() : host;
}

QString SimWorkspace::applicationForUrl(const QUrl& url)
{
    auto guard = desktop_.lock();
    return desktop_.defaultAppFor(url.scheme());
}

QString SimWorkspace::applicationLocation(const QString& name) { return desktop_.locationOf(name); }

QStringList SimWorkspace::installedApplicationNames()
{
    QStringList files;
    {
        auto guard = desktop_.lock();
        for (const SimInstalledApp& app : desktop_.installedApps())
            files << app.location;
        for (const SimApp& app : desktop_.apps())
            files << app.location;
        files << desktop_.applicationFiles();
    }
    // What listing `folder` finds: each entry's name with the names inside
    // it (a file lists nothing).
    const auto listing = [&files](const QString& folder) {
        QMap<QString, QStringList> entries;
        const QString prefix = folder + QLatin1Char('/');
        for (const QString& file : std::as_const(files)) {
            if (!file.startsWith(prefix))
                continue;
            const QStringList parts = file.mid(prefix.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
            if (parts.isEmpty())
                continue;
            QStringList& inside = entries[parts[0]];
            if (parts.size() > 1 && !inside.contains(parts[1]))
                inside << parts[1];
        }
        return entries;
    };
    const QString app = QStringLiteral(".app");
    QStringList names;
    for (const char* folder : {"/Applications", "/Applications/Utilities", "/System/Applications",
                               "/System/Applications/Utilities", "~/Applications"}) {
        const auto entries = listing(QString::fromLatin1(folder));
        for (auto it = entries.begin(); it != entries.end(); ++it) {
            if (it.key().endsWith(app))
                names << it.key().chopped(app.size());
            else if (!it.key().startsWith(QLatin1Char('.')))
                for (const QString& inner : it.value())
                    if (inner.endsWith(app))
                        names << inner.chopped(app.size());
        }
    }
    return names;
}

bool SimWorkspace::hide(int pid) { return desktop_.setHidden(pid, true); }

bool SimWorkspace::unhide(int pid) { return desktop_.setHidden(pid, false); }

bool SimWorkspace::terminate(int pid)
{
    auto guard = desktop_.lock();
    const SimApp* a = desktop_.app(pid);
    if (!a || a->isSelf)
        return false;
    return desktop_.removeApp(pid);
}

bool SimWorkspace::activate(int pid) { return desktop_.activate(pid); }

QStringList SimWorkspace::mountedDiskImageNames() { return desktop_.diskImages(); }

void SimWorkspace::beep() { desktop_.beep(); }

void SimWorkspace::log(const QString& line) { desktop_.log(line); }

} // namespace tavrin
