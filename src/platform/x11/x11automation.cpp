#include "platform/x11/x11automation.h"

#include "platform/handover.h"
#include "platform/linux/browserwindowmatch.h"
#include "platform/linux/chromiumsession.h"
#include "platform/linux/firefoxsession.h"
#include "platform/linux/terminalfolder.h"
#include "platform/x11/desktopentries.h"
#include "platform/x11/x11windows.h"
#include "platform/x11/x11workspace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <functional>
#include <memory>

namespace tavrin {

namespace {
// How long a worker waits for the main thread (which may be quitting) to
// take up what it asks of it.
constexpr std::chrono::milliseconds kMainThreadWait{2000};

// The desktop entries and the window list belong to the main thread; scripts
// run on worker threads, which hand it what they need done there (owning
// what it uses: a worker that gave up has gone on without it) and get
// `fallback` when it does not answer.
template <class T>
T onThreadOf(QObject& owner, T fallback, std::function<T()> fn)
{
    return HandOver::ask(owner, kMainThreadWait, std::move(fn)).value_or(std::move(fallback));
}

// Whether process `pid` still runs (not ended, nor ended and waiting to be
// reaped).
bool runs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    const char state = close >= 0 && close + 2 < line.size() ? line[close + 2] : 'X';
    return state != 'Z' && state != 'X';
}

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path, else ~/.config.
QString configFolder()
{
    const QString set = qEnvironmentVariable("XDG_CONFIG_HOME");
    return QDir::isAbsolutePath(set) ? set : QDir::home().filePath(QStringLiteral(".config"));
}

} // namespace

QString X11Automation::profilesFolder(const QString& profiles)
{
    const QString config = configFolder();
    // Firefox keeps its profiles under the configuration folder since it
    // follows the XDG layout (a new account has no ~/.mozilla), else in the
    // older place.
    if (profiles == QLatin1String(".mozilla/firefox")) {
        const QString newer = config + QStringLiteral("/mozilla/firefox");
        return QFileInfo::exists(newer + QStringLiteral("/profiles.ini")) ? newer : QDir::home().filePath(profiles);
    }
    if (profiles.startsWith(QLatin1String(".config/")))
        return config + profiles.mid(7);
    return QDir::home().filePath(profiles);
}

QList<QStringList> X11Automation::newWindowCommands(const QStringList& entryCommand, const QStringList& urls, int front,
                                                    bool firefox)
{
    QStringList web;
    qsizetype shown = 0; // the front address's index among the web ones
    for (qsizetype i = 0; i < urls.size(); ++i)
        if (isBrowserAddress(urls[i])) {
            shown += i < front ? 1 : 0;
            web.append(urls[i]);
        }
    if (entryCommand.isEmpty() || web.isEmpty())
        return {};
    shown = std::min(shown, web.size() - 1);
    const QString end = QStringLiteral("--"); // nothing after it is taken for a switch
    if (!firefox) {
        // The new window shows the first address of its command; a command
        // without "--new-window" adds its addresses after the tabs of the
        // window opened last and shows the first of them.
        if (shown == 0)
            return {entryCommand + QStringList{QStringLiteral("--new-window"), end} + web};
        return {entryCommand + QStringList{QStringLiteral("--new-window"), end} + web.mid(0, shown),
                entryCommand + QStringList{end} + web.mid(shown)};
    }
    // Firefox does not end its switches at "--" (web addresses are never
    // switches). Each address it is handed opens in a new tab at the end
    // and is shown: no command leaves a tab behind the one shown, so the
    // front tab opens last, after the others in their order.
    web.append(web.takeAt(shown));
    QList<QStringList> out{entryCommand + QStringList{QStringLiteral("--new-window"), web.takeFirst()}};
    for (const QString& url : web)
        out.append(entryCommand + QStringList{QStringLiteral("--new-tab"), url});
    return out;
}

bool X11Automation::belongs(const X11WindowInfo& window, const AutomationTarget& app)
{
    const X11AppIdentity identity = windows_.application(window);
    if (!identity.desktopId.isEmpty() && app.desktopIds.contains(identity.desktopId))
        return true;
    for (const QString& name : {identity.name, window.wmClass, window.instance})
        if (!name.isEmpty() && (name == app.app || app.names.contains(name)))
            return true;
    const QString program = QFileInfo(QStringLiteral("/proc/%1/exe").arg(window.pid)).symLinkTarget();
    return !program.isEmpty() && app.executables.contains(QFileInfo(program).fileName());
}

QList<X11Automation::Shown> X11Automation::windowsOf(const AutomationTarget& app)
{
    QList<Shown> out;
    const auto root = windows_.rootState();
    const auto infos = root ? windows_.read(root->frontToBack, X11Windows::needTitle | X11Windows::needClass
                                                                   | X11Windows::needKind | X11Windows::needFrame)
                            : std::nullopt;
    for (const X11WindowInfo& w : infos.value_or(std::vector<X11WindowInfo>()))
        if (w.exists && w.pid > 0 && X11Windows::isStandard(w, *windows_.connection().ewmh()) && belongs(w, app))
            out.append(Shown{w.id, w.pid, w.title, w.frame, w.client});
    return out;
}

std::optional<QList<BrowserWindow>> X11Automation::browserWindows(const AutomationTarget& app, const QString&, double)
{
    if (app.profiles.isEmpty())
        return std::nullopt;
    const auto shown = onThreadOf<std::optional<QList<Shown>>>(workspace_, std::nullopt,
                                                               [this, app] { return std::optional(windowsOf(app)); });
    if (!shown)
        return std::nullopt;
    const QString profiles = profilesFolder(app.profiles);
    const auto session = QFileInfo::exists(profiles + QStringLiteral("/profiles.ini"))
                             ? FirefoxSession::read(profiles)
                             : ChromiumSession::read(profiles);
    if (!session)
        return std::nullopt;
    QList<BrowserWindowMatch::OnScreen> onScreen;
    for (const Shown& w : *shown)
        onScreen.append({w.title, w.frame, w.client});
    const QList<std::optional<BrowserWindow>> paired = BrowserWindowMatch::match(onScreen, *session);
    QList<BrowserWindow> out;
    for (qsizetype i = 0; i < paired.size(); ++i)
        if (paired[i]) {
            out.append(*paired[i]);
            out.back().window = AXElement{(*shown)[i].pid, (*shown)[i].id};
        }
    return out;
}

std::optional<Automation::SessionWrite> X11Automation::sessionWrite(const AutomationTarget& app)
{
    if (app.profiles.isEmpty())
        return std::nullopt;
    const QString profiles = profilesFolder(app.profiles);
    const bool firefox = QFileInfo::exists(profiles + QStringLiteral("/profiles.ini"));
    const auto at = firefox ? FirefoxSession::writtenAt(profiles) : ChromiumSession::writtenAt(profiles);
    if (!at)
        return std::nullopt;
    constexpr double kFirefoxInterval = 15;
    constexpr double kChromiumDelay = 5;
    // Firefox's private windows say so in their titles; Chromium's
    // incognito windows carry no mark.
    return SessionWrite{*at, firefox ? kFirefoxInterval : kChromiumDelay, firefox};
}

int X11Automation::windowsRestoredOnStart(const AutomationTarget& app)
{
    // The Chromium family asks before it restores a session after a crash.
    const QString profiles = app.profiles.isEmpty() ? QString() : profilesFolder(app.profiles);
    if (profiles.isEmpty() || !QFileInfo::exists(profiles + QStringLiteral("/profiles.ini")))
        return 0;
    return int(FirefoxSession::restoredOnStart(profiles).size());
}

bool X11Automation::openWindow(const AutomationTarget& app, const QStringList& urls, int front, const QString&,
                               double timeLimit)
{
    const auto commands = onThreadOf<QList<QStringList>>(workspace_, {}, [this, app, urls, front] {
        const DesktopEntry* entry = nullptr;
        for (const QString& id : app.desktopIds)
            if ((entry = entries_.forLocation(id)))
                break;
        if (!entry)
            entry = entries_.forName(app.app);
        QStringList program = entry ? DesktopEntries::commandLine(*entry) : QStringList();
        if (program.isEmpty() && !app.executables.isEmpty())
            program = QStringList{app.executables.first()};
        return newWindowCommands(program, urls, front, app.profiles.contains(QLatin1String("mozilla")));
    });
    if (commands.isEmpty())
        return false;
    const auto before = onThreadOf<QList<Shown>>(workspace_, {}, [this, app] { return windowsOf(app); });
    // Each later command hands its addresses to the running browser and
    // ends; the next waits for it, so that the tabs open in their order, and
    // the last too, so that the window is whole when this returns. The first
    // may start the browser and go on as it. The browser puts a later
    // command's tabs into its window in use: each is sent only once the new
    // window is the active one, checked just before. Where that never comes
    // they still run, so that no tab is lost, wherever the browser puts it.
    const QDeadlineTimer deadline(qint64(timeLimit * 1000));
    xcb_window_t added = 0;
    for (qsizetype i = 0; i < commands.size(); ++i) {
        if (i > 0) {
            if (!added)
                added = newWindow(app, before, deadline);
            if (added)
                makeActive(added, deadline);
        }
        const QStringList& command = commands[i];
        const auto pid =
            onThreadOf<qint64>(workspace_, 0, [this, command] { return workspace_.startProcess(command); });
        if (pid <= 0)
            return false;
        if (i > 0)
            while (runs(pid) && !deadline.hasExpired())
                QThread::msleep(20);
    }
    return true;
}

xcb_window_t X11Automation::newWindow(const AutomationTarget& app, const QList<Shown>& before,
                                      const QDeadlineTimer& deadline)
{
    QSet<xcb_window_t> known;
    for (const Shown& w : before)
        known.insert(w.id);
    while (!deadline.hasExpired()) {
        const xcb_window_t added = onThreadOf<xcb_window_t>(workspace_, 0, [this, app, known]() -> xcb_window_t {
            for (const Shown& w : windowsOf(app))
                if (!known.contains(w.id))
                    return w.id;
            return 0;
        });
        if (added)
            return added;
        QThread::msleep(20);
    }
    return 0;
}

bool X11Automation::makeActive(xcb_window_t window, const QDeadlineTimer& deadline)
{
    // Asked again now and then: another window mapped meanwhile may have
    // taken the focus after the window manager gave it.
    constexpr int kAskAgainMs = 250;
    // When it was asked last: read and set on the main thread only.
    const auto asked = std::make_shared<QElapsedTimer>();
    while (!deadline.hasExpired()) {
        const bool active = onThreadOf<bool>(workspace_, false, [this, window, asked] {
            const auto root = windows_.rootState();
            if (root && root->active == window)
                return true;
            if (!asked->isValid() || asked->hasExpired(kAskAgainMs)) {
                windows_.activate(window);
                asked->start();
            }
            return false;
        });
        if (active)
            return true;
        QThread::msleep(20);
    }
    return false;
}

bool X11Automation::selectTab(const AutomationTarget&, int, int, const QString&, double) { return false; }

std::optional<QList<FolderWindow>> X11Automation::windowFolders(const AutomationTarget& app, const QString&, double)
{
    const auto shown = onThreadOf<std::optional<QList<Shown>>>(workspace_, std::nullopt,
                                                               [this, app] { return std::optional(windowsOf(app)); });
    if (!shown)
        return std::nullopt;
    QHash<int, int> windowsPerProcess;
    for (const Shown& w : *shown)
        ++windowsPerProcess[w.pid];
    QList<FolderWindow> out;
    for (const Shown& w : *shown) {
        // A process with several windows has one shell (or one per tab) for
        // each, told apart only where the terminal names the window in its
        // shells' environment; none is guessed.
        const auto folder =
            windowsPerProcess.value(w.pid) == 1 ? TerminalFolder::of(w.pid) : TerminalFolder::ofWindow(w.pid, w.id);
        if (folder)
            out.append(FolderWindow{w.title, *folder, {}, AXElement{w.pid, w.id}});
    }
    return out;
}

int X11Automation::permission(const QString&, bool) { return kAllowed; }

} // namespace tavrin
