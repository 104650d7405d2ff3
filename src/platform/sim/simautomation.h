#pragma once

#include "platform/automation.h"
#include "platform/sim/simscriptrequest.h"

#include <QStringList>
#include <mutex>

namespace tavrin {

class SimDesktop;
struct SimApp;

// Scripting the simulated desktop's applications, which stand in for
// applications scripted under the user's consent. Each call is answered from
// the desktop (browsers' windows and tabs, terminals' devices and session
// folders, file managers' folders; a new window with tabs; a tab to the
// front) only when its script asks for what the call says of that very
// application. An application that is not running, is not allowed, fails its
// scripts, or takes longer than the time limit (its delay passes on the
// clock) answers nothing. Every script run is recorded.
class SimAutomation : public Automation {
public:
    explicit SimAutomation(SimDesktop& desktop) : desktop_(desktop) {}

    bool scriptsApplications() const override { return true; }
    std::optional<QList<BrowserWindow>> browserWindows(const AutomationTarget& app, const QString& script,
                                                       double timeLimit) override;
    bool openWindow(const AutomationTarget& app, const QStringList& urls, int front, const QString& script,
                    double timeLimit) override;
    bool selectTab(const AutomationTarget& app, int window, int tab, const QString& script, double timeLimit) override;
    std::optional<QList<FolderWindow>> windowFolders(const AutomationTarget& app, const QString& script,
                                                     double timeLimit) override;
    // Running applications with the bundle identifier answer their access
    // (asking makes one not asked yet allowed, as a user who consents).
    int permission(const QString& bundleId, bool ask) override;

    // Every script run so far, in order.
    QStringList scripts() const;
    // How often a consent check asked the user.
    int prompts() const;

private:
    // The request `script` makes of `app` when it is of one of `kinds`, once
    // the application has taken its time; none when it answers nothing.
    std::optional<SimScriptRequest> accepted(const AutomationTarget& app, const QString& script, double timeLimit,
                                             std::initializer_list<SimScriptRequest::Kind> kinds);
    QList<BrowserWindow> windowsOf(int pid) const;
    QList<FolderWindow> foldersOf(int pid, SimScriptRequest::Kind kind) const;
    bool openTabs(const SimApp& app, const QStringList& urls, int front);

    SimDesktop& desktop_;
    mutable std::mutex mutex_;
    QStringList scripts_;
    int prompts_ = 0;
};

} // namespace tavrin
