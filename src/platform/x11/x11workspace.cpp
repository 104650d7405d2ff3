#include "platform/x11/x11workspace.h"

#include "platform/clock.h"
#include "platform/x11/logindmonitor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>
#include <csignal>
#include <cstdio>
#include <syslog.h>
#include <unistd.h>

namespace tavrin {

X11Workspace::X11Workspace(X11Windows& windows, Clock& clock, const QString& desktop, QObject* parent)
    : Workspace(parent),
      windows_(windows),
      clock_(clock),
      settings_(
          {},
          [this](const QString& path, const QStringList& arguments) {
              return startDetached(QStringList{path} + arguments);
          },
          desktop)
{
    ::openlog("tavrin", LOG_PID, LOG_USER);
    const Snapshot& s = snapshot();
    for (const RunningApp& app : s.apps)
        known_.insert(app.pid, app);
    lastActivePid_ = s.activePid;
    connect(&windows_, &X11Windows::clientListChanged, this, &X11Workspace::scheduleRefresh);
    connect(&windows_, &X11Windows::activeWindowChanged, this, &X11Workspace::scheduleRefresh);

    logind_ = new LogindMonitor(this);
    connect(logind_, &LogindMonitor::willSleep, this, &Workspace::willSleep);
    connect(logind_, &LogindMonitor::sessionLocked, this, &Workspace::screensDidSleep);
    connect(logind_, &LogindMonitor::sessionInactive, this, &Workspace::sessionDidResignActive);
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &Workspace::willTerminate);
}

X11Workspace::~X11Workspace() { ::closelog(); }

const X11Workspace::Snapshot& X11Workspace::snapshot()
{
    const auto version = windows_.listingVersion();
    if (!version || version != snapshotVersion_ || !snapshot_.ok) {
        snapshot_ = readSnapshot();
        // Anything that came during the read counts as after it.
        snapshotVersion_ = version;
    }
    return snapshot_;
}

X11Workspace::Snapshot X11Workspace::readSnapshot()
{
    Snapshot s;
    const auto root = windows_.rootState();
    auto infos =
        root ? windows_.read(root->frontToBack, X11Windows::needState | X11Windows::needClass | X11Windows::needKind)
             : std::nullopt;
    if (!infos)
        return s;
    s.ok = true;
    for (X11WindowInfo& w : *infos)
        if (w.exists && w.pid > 0)
            s.windows.push_back(std::move(w));
    // Windows by id, and the applications with an ordinary window, found in
    // one pass: a search of the list for each window made every read of the
    // applications (several for each hot key) grow with the square of the
    // windows' number.
    QHash<xcb_window_t, std::size_t> at;
    at.reserve(qsizetype(s.windows.size()));
    QSet<int> ordinary;
    const auto& ewmh = *windows_.connection().ewmh();
    for (std::size_t i = 0; i < s.windows.size(); ++i) {
        const X11WindowInfo& w = s.windows[i];
        at.insert(w.id, i);
        if (w.id == root->active)
            s.activePid = w.pid;
        if (X11Windows::isNormalLayer(w, ewmh))
            ordinary.insert(w.pid);
    }

    // Applications in the order their first window was mapped.
    QSet<int> seen;
    for (xcb_window_t id : root->mapped) {
        const auto found = at.constFind(id);
        if (found == at.cend() || seen.contains(s.windows[*found].pid))
            continue;
        const X11WindowInfo& first = s.windows[*found];
        const int pid = first.pid;
        seen.insert(pid);
        RunningApp app = describe(first, s, ordinary.contains(pid));
        // Hidden until the user brings back a window that hide() minimised.
        noteRestored(pid, s.windows, at);
        app.hidden = hiddenWindows_.contains(pid);
        s.apps.push_back(app);
    }
    for (auto it = hiddenWindows_.begin(); it != hiddenWindows_.end();)
        it = seen.contains(it.key()) ? std::next(it) : hiddenWindows_.erase(it);
    return s;
}

RunningApp X11Workspace::describe(const X11WindowInfo& first, const Snapshot& s, bool ordinaryWindow)
{
    const int pid = first.pid;
    RunningApp app;
    app.pid = pid;
    const X11AppIdentity identity = windows_.application(first);
    app.localizedName = identity.name;
    app.bundleIdentifier = identity.desktopId;
    app.bundleLocation = identity.location;
    // A regular application shows an ordinary window, or is listed in
    // the application menus.
    const bool regular = identity.listed || ordinaryWindow;
    app.activationPolicy = regular ? ActivationPolicy::regular : ActivationPolicy::accessory;
    app.active = pid == s.activePid;
    return app;
}

void X11Workspace::noteRestored(int pid, const std::vector<X11WindowInfo>& windows,
                                const QHash<xcb_window_t, std::size_t>& at)
{
    auto hidden = hiddenWindows_.find(pid);
    if (hidden == hiddenWindows_.end())
        return;
    bool restored = false;
    for (HiddenWindow& h : *hidden) {
        const auto found = at.constFind(h.id);
        if (found == at.cend())
            continue;
        const X11WindowInfo* w = &windows[*found];
        if (w->hidden)
            h.seenMinimised = true;
        else if (h.seenMinimised)
            restored = true;
    }
    if (restored)
        hiddenWindows_.erase(hidden);
}

std::vector<xcb_window_t> X11Workspace::windowsOf(const Snapshot& s, int pid) const
{
    std::vector<xcb_window_t> out;
    for (const X11WindowInfo& w : s.windows)
        if (w.pid == pid && !X11Windows::isDockOrDesktop(w, *windows_.connection().ewmh()))
            out.push_back(w.id);
    return out;
}

void X11Workspace::scheduleRefresh()
{
    if (refreshScheduled_)
        return;
    refreshScheduled_ = true;
    QMetaObject::invokeMethod(this, &X11Workspace::refresh, Qt::QueuedConnection);
}

void X11Workspace::refresh()
{
    refreshScheduled_ = false;
    const Snapshot& s = snapshot();
    if (!s.ok)
        return;
    QHash<int, RunningApp> now;
    for (const RunningApp& app : s.apps)
        now.insert(app.pid, app);
    std::vector<RunningApp> launched, terminated;
    for (const RunningApp& app : s.apps)
        if (!known_.contains(app.pid))
            launched.push_back(app);
    for (const RunningApp& app : std::as_const(known_))
        if (!now.contains(app.pid))
            terminated.push_back(app);
    known_ = now;
    // The handlers may read the applications again: nothing of `s` below.
    const int previousActive = lastActivePid_;
    const int active = lastActivePid_ = s.activePid;
    for (const RunningApp& app : terminated)
        emit applicationTerminated(app);
    for (const RunningApp& app : launched)
        emit applicationLaunched(app);
    if (active && active != previousActive && now.contains(active))
        emit applicationActivated(now.value(active));
}

std::vector<RunningApp> X11Workspace::runningApplications() { return snapshot().apps; }

std::optional<RunningApp> X11Workspace::frontmostApplication()
{
    const Snapshot& s = snapshot();
    for (const RunningApp& app : s.apps)
        if (app.pid == s.activePid)
            return app;
    return std::nullopt;
}

std::optional<RunningApp> X11Workspace::application(int pid)
{
    for (const RunningApp& app : snapshot().apps)
        if (app.pid == pid)
            return app;
    return std::nullopt;
}

int X11Workspace::currentPid() { return int(::getpid()); }

bool X11Workspace::startDetached(const QStringList& command, const QString& folder) const
{
    return startProcess(command, folder) > 0;
}

qint64 X11Workspace::startProcess(const QStringList& command, const QString& folder) const
{
    if (command.isEmpty())
        return 0;
    QProcess p;
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    p.setProgram(command.first());
    p.setArguments(command.mid(1));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), windows_.connection().displayName());
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    qint64 pid = 0;
    return p.startDetached(&pid) ? pid : 0;
}

QStringList X11Workspace::folderArguments(const QString& program, const QString& folder)
{
    if (program == QLatin1String("gnome-terminal") || program == QLatin1String("xfce4-terminal"))
        return {QStringLiteral("--working-directory=") + folder};
    if (program == QLatin1String("konsole"))
        return {QStringLiteral("--workdir"), folder};
    if (program == QLatin1String("alacritty"))
        return {QStringLiteral("--working-directory"), folder};
    if (program == QLatin1String("kitty"))
        return {QStringLiteral("--directory"), folder};
    return {};
}

bool X11Workspace::launchApplication(const QString& location)
{
    const DesktopEntry* entry = windows_.entries().forLocation(location);
    // Started as the desktop's launcher starts it: in the home folder (a
    // terminal opens there), not in this program's working folder.
    return entry && startDetached(DesktopEntries::commandLine(*entry), QDir::homePath());
}

bool X11Workspace::openUrl(const QUrl& url, const QString& applicationLocation)
{
    if (!url.isValid() || url.isEmpty())
        return false;
    if (url.scheme() == kSettingsScheme)
        return openSettings(url) == SettingsOpening::opened;
    if (!applicationLocation.isEmpty()) {
        const DesktopEntry* entry = windows_.entries().forLocation(applicationLocation);
        if (!entry)
            return false;
        const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
        const bool browser = entry->mimeTypes.contains(QLatin1String("x-scheme-handler/http"))
                             || entry->mimeTypes.contains(QLatin1String("x-scheme-handler/https"));
        if (browser && !web)
            return false;
        // A terminal takes a trailing argument for its shell or command, never
        // for a folder: it starts there instead.
        static const QRegularExpression takesAddresses(QStringLiteral("%[fFuU]"));
        const QString folder = url.isLocalFile() ? url.toLocalFile() : QString();
        if (!folder.isEmpty() && QFileInfo(folder).isDir() && !entry->exec.contains(takesAddresses)) {
            const QStringList program = DesktopEntries::commandLine(*entry);
            return !program.isEmpty()
                   && startDetached(program + folderArguments(QFileInfo(program.first()).fileName(), folder), folder);
        }
        return startDetached(DesktopEntries::commandLine(*entry, {url}));
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return startDetached({opener, url.toString()});
    const DesktopEntry* entry = windows_.entries().forLocation(applicationForUrl(url));
    return entry && startDetached(DesktopEntries::commandLine(*entry, {url}));
}

Workspace::SettingsOpening X11Workspace::openSettings(const QUrl& address) { return settings_.open(address); }

QString X11Workspace::applicationForUrl(const QUrl& url)
{
    QStringList types;
    if (url.isLocalFile()) {
        const QMimeType mime = QMimeDatabase().mimeTypeForFile(url.toLocalFile());
        types << mime.name() << mime.allAncestors();
    } else if (!url.scheme().isEmpty()) {
        types << QStringLiteral("x-scheme-handler/") + url.scheme().toLower();
    }
    for (const QString& type : types)
        if (const DesktopEntry* e = windows_.entries().defaultFor(type))
            return e->path;
    return {};
}

QString X11Workspace::applicationLocation(const QString& name)
{
    const DesktopEntry* e = windows_.entries().forName(name);
    return e ? e->path : QString();
}

QStringList X11Workspace::installedApplicationNames()
{
    QStringList names;
    for (const DesktopEntry& entry : windows_.entries().all())
        if (!entry.noDisplay)
            names.append(entry.name);
    return names;
}

bool X11Workspace::hide(int pid)
{
    const Snapshot& s = snapshot();
    const auto ids = windowsOf(s, pid);
    if (ids.empty())
        return false;
    std::vector<xcb_window_t> asked;
    for (const X11WindowInfo& w : s.windows) {
        if (std::find(ids.begin(), ids.end(), w.id) == ids.end() || w.hidden)
            continue;
        windows_.minimize(w.id);
        asked.push_back(w.id);
    }
    QList<HiddenWindow>& hidden = hiddenWindows_[pid];
    for (xcb_window_t id : asked)
        if (std::none_of(hidden.begin(), hidden.end(), [&](const HiddenWindow& h) { return h.id == id; }))
            hidden << HiddenWindow{id, false};
    forgetSnapshot();
    // Wait (briefly) for the window manager, so that a window the user brings
    // back later is told from one that is still being minimised.
    X11Connection& conn = windows_.connection();
    const xcb_atom_t state = conn.ewmh()->_NET_WM_STATE;
    const double deadline = X11Connection::steadyNow() + kHideWait;
    for (;;) {
        const auto now = windows_.read(asked, X11Windows::needState);
        if (!now)
            break;
        bool all = true;
        for (const X11WindowInfo& w : *now) {
            for (HiddenWindow& h : hiddenWindows_[pid])
                if (h.id == w.id && (w.hidden || !w.exists))
                    h.seenMinimised = true;
            all &= w.hidden || !w.exists;
        }
        const double left = deadline - X11Connection::steadyNow();
        if (all || left <= 0)
            break;
        conn.waitForEvent(
            [&](const xcb_generic_event_t& ev) {
                if ((ev.response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(ev);
                return p.atom == state && std::find(asked.begin(), asked.end(), p.window) != asked.end();
            },
            left);
    }
    return true;
}

bool X11Workspace::unhide(int pid)
{
    const Snapshot& s = snapshot();
    const auto ids = windowsOf(s, pid);
    if (ids.empty())
        return false;
    // Back to front, so that the window that was in front ends in front.
    const QList<HiddenWindow> hidden = hiddenWindows_.take(pid);
    forgetSnapshot();
    for (auto it = hidden.rbegin(); it != hidden.rend(); ++it)
        if (std::find(ids.begin(), ids.end(), it->id) != ids.end())
            windows_.activate(it->id);
    return true;
}

bool X11Workspace::activate(int pid)
{
    const Snapshot& s = snapshot();
    const X11WindowInfo* best = nullptr;
    const auto ids = windowsOf(s, pid);
    for (const X11WindowInfo& w : s.windows) {
        if (std::find(ids.begin(), ids.end(), w.id) == ids.end())
            continue;
        if (!best || (best->hidden && !w.hidden))
            best = &w;
    }
    if (!best)
        return false;
    windows_.activate(best->id);
    return true;
}

QString X11Workspace::processStartTime(int pid)
{
    // Field 22 of /proc/PID/stat tells a process from a later one that
    // reuses its pid.
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = f.readAll();
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return {};
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    return fields.size() > 19 ? QString::fromLatin1(fields[19]) : QString();
}

bool X11Workspace::terminate(int pid)
{
    if (pid <= 1)
        return false;
    const Snapshot& s = snapshot();
    const auto ids = windowsOf(s, pid);
    if (ids.empty())
        return false;
    for (xcb_window_t id : ids)
        windows_.close(id);
    const QString started = processStartTime(pid);
    if (started.isEmpty())
        return true;
    clock_.singleShot(terminateGrace_, this, [this, pid, started] {
        if (processStartTime(pid) != started)
            return; // gone, or another process by now
        const Snapshot& later = snapshot();
        if (!later.ok || !windowsOf(later, pid).empty())
            return;
        ::kill(pid, SIGTERM);
    });
    return true;
}

QStringList X11Workspace::mountedDiskImageNames()
{
    QStringList names;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.device().startsWith("/dev/loop"))
            continue;
        names << (volume.name().isEmpty() ? QFileInfo(volume.rootPath()).fileName() : volume.name());
    }
    return names;
}

void X11Workspace::beep()
{
    xcb_bell(windows_.connection().xcb(), 0);
    windows_.connection().flush();
}

void X11Workspace::log(const QString& line)
{
    const QByteArray text = line.toUtf8();
    ::syslog(LOG_NOTICE, "%s", text.constData());
    std::fprintf(stderr, "%s\n", text.constData());
}

} // namespace tavrin
