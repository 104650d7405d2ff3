#pragma once

#include "platform/clock.h"
#include "platform/workspace.h"

#include <optional>
#include <vector>

namespace tavrin {

class SimDesktop;
struct SimWindow;

// Running applications of the simulated desktop. Launching an installed
// application and opening an address take the desktop's launch delay on the
// clock; the launch brings the application's windows (or the address's
// window) and announces `applicationLaunched`, then `applicationActivated`.
class SimWorkspace : public Workspace {
    Q_OBJECT
public:
    // The application's quit is announced as `willTerminate`, as on a real
    // desktop.
    explicit SimWorkspace(SimDesktop& desktop);

    std::vector<RunningApp> runningApplications() override;
    std::optional<RunningApp> frontmostApplication() override;
    std::optional<RunningApp> application(int pid) override;
    int currentPid() override;

    bool launchApplication(const QString& location) override;
    // Launches without making the application frontmost.
    bool launchApplicationInBackground(const QString& location) override;
    // An address opens in a new window of its application: titled by its
    // host (web addresses, as the only tab) or its file name (file addresses,
    // as the window's document). A settings address opens that page of the
    // desktop's settings; there, the Accessibility page stands for the user
    // allowing this program: it grants the trust.
    bool openUrl(const QUrl& url, const QString& applicationLocation = {}) override;
    SettingsOpening openSettings(const QUrl& address) override;
    std::optional<SettingsTab> settingsTab(const QUrl& address) override;
    QString applicationForUrl(const QUrl& url) override;
    QString applicationLocation(const QString& name) override;
    // The folders "/Applications", "/Applications/Utilities",
    // "/System/Applications", "/System/Applications/Utilities" and
    // "~/Applications" as the locations of the desktop's applications and
    // its further application files fill them: an entry ending in ".app"
    // names an application; one beginning with "." is skipped; any other is
    // a folder whose own ".app" entries name applications (one level only).
    QStringList installedApplicationNames() override;

    bool hide(int pid) override;
    bool unhide(int pid) override;
    // This process cannot be terminated this way.
    bool terminate(int pid) override;
    bool activate(int pid) override;

    QStringList mountedDiskImageNames() override;
    void beep() override;
    void log(const QString& line) override;

    // Launches and openings that have not happened yet.
    std::size_t pendingLaunches() const { return pending_.size(); }
    void cancelPending();

    // The title a window opened for this address carries.
    static QString titleFor(const QUrl& url);
    // A window of the application at `location` (pid 0: not running yet)
    // showing this address, set off from its front window.
    SimWindow windowFor(const QUrl& url, int pid, const QString& location) const;

private:
    bool knows(const QString& location) const;
    void later(double delay, std::function<void()> fn);
    // Starts the application at `location` (or finds it running), opens a
    // window for `address` in it when given, and activates it.
    void open(const QString& location, const std::optional<QUrl>& address, bool activate = true);

    SimDesktop& desktop_;
    std::vector<Clock::TimerId> pending_;
};

} // namespace tavrin
