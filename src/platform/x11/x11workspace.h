#pragma once

#include "platform/workspace.h"
#include "platform/x11/desktopsettings.h"
#include "platform/x11/x11windows.h"

#include <QHash>
#include <QSet>

namespace tavrin {

class Clock;
class LogindMonitor;

// Running applications are the processes that own managed windows. Launches
// and terminations show as owners appearing in and leaving the client list,
// activations as a new owner of the active window. Hiding an application
// minimises its windows; unhiding restores those it minimised. Terminating
// one asks each window to close and, once the grace period has passed and
// the process shows no window any more but still runs, sends it SIGTERM — a
// process still showing a window may be asking about unsaved work.
class X11Workspace : public Workspace {
    Q_OBJECT
public:
    static constexpr double kTerminateGrace = 5.0;
    // The longest hide() waits for the window manager to minimise.
    static constexpr double kHideWait = 1.0;

    // `desktop`: the running desktop, whose settings program opens settings
    // (DesktopSettings::runningDesktop).
    X11Workspace(X11Windows& windows, Clock& clock, const QString& desktop, QObject* parent = nullptr);

    // How long terminate() gives a process after asking its windows to close.
    void setTerminateGrace(double seconds) { terminateGrace_ = seconds; }

    ~X11Workspace() override;

    std::vector<RunningApp> runningApplications() override;
    std::optional<RunningApp> frontmostApplication() override;
    std::optional<RunningApp> application(int pid) override;
    int currentPid() override;

    bool launchApplication(const QString& location) override;
    // With an application: a browser (its entry handles web addresses) is
    // given web addresses only; a folder for a program that takes no
    // addresses (a terminal) starts it in that folder, with the terminal's
    // own option for it where it has one.
    bool openUrl(const QUrl& url, const QString& applicationLocation = {}) override;
    SettingsOpening openSettings(const QUrl& address) override;
    std::optional<SettingsTab> settingsTab(const QUrl& address) override { return settings_.tab(address); }
    QString applicationForUrl(const QUrl& url) override;
    QString applicationLocation(const QString& name) override;
    // The names of the desktop entries, those not to be shown excepted.
    QStringList installedApplicationNames() override;

    bool hide(int pid) override;
    bool unhide(int pid) override;
    bool terminate(int pid) override;
    bool activate(int pid) override;

    // Disk images are mounted from loop devices here.
    QStringList mountedDiskImageNames() override;
    void beep() override;
    void log(const QString& line) override;

    // Starts a program on this display, detached from this process, in
    // `folder` when given.
    bool startDetached(const QStringList& command, const QString& folder = {}) const;
    // The same, answering its process id (0 when it did not start).
    qint64 startProcess(const QStringList& command, const QString& folder = {}) const;
    // The arguments that tell the terminal `program` (a file name) to start
    // in `folder`; none for one that starts in its own working directory.
    static QStringList folderArguments(const QString& program, const QString& folder);

private:
    struct Snapshot {
        std::vector<RunningApp> apps;       // in the order of the client list
        std::vector<X11WindowInfo> windows; // front to back
        int activePid = 0;
        bool ok = false;
    };
    // The last snapshot while nothing it was read from has changed since
    // (kept: every hot key asks for the front application, and reading
    // every window for it cost as much as the move); read again otherwise.
    // Valid until the next call.
    const Snapshot& snapshot();
    Snapshot readSnapshot();
    // What hide() and unhide() note changes the applications' hiding.
    void forgetSnapshot() { snapshotVersion_.reset(); }
    // The application whose first mapped window is `first`, as `s` shows it
    // (not its hiding); `ordinaryWindow`: it has a window of the normal layer.
    RunningApp describe(const X11WindowInfo& first, const Snapshot& s, bool ordinaryWindow);
    // Notes which windows hide() minimised for `pid` are minimised now;
    // forgets them once one is back. `at`: each window's index in `windows`.
    void noteRestored(int pid, const std::vector<X11WindowInfo>& windows, const QHash<xcb_window_t, std::size_t>& at);
    std::vector<xcb_window_t> windowsOf(const Snapshot& s, int pid) const;
    void refresh();
    void scheduleRefresh();
    static QString processStartTime(int pid);

    X11Windows& windows_;
    Clock& clock_;
    LogindMonitor* logind_ = nullptr;
    QHash<int, RunningApp> known_;
    int lastActivePid_ = 0;
    bool refreshScheduled_ = false;
    double terminateGrace_ = kTerminateGrace;
    DesktopSettings settings_;
    struct HiddenWindow {
        xcb_window_t id = 0;
        bool seenMinimised = false; // the window manager has carried it out
    };
    QHash<int, QList<HiddenWindow>> hiddenWindows_; // windows minimised by hide(), front to back, per pid
    Snapshot snapshot_;
    std::optional<std::uint64_t> snapshotVersion_; // the windows' listing it was read at
};

} // namespace tavrin
