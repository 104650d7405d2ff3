#pragma once

#include "platform/automation.h"
#include "platform/scriptrequest.h"

#include <QStringList>
#include <mutex>

namespace tavrin {

class SimDesktop;
struct SimApp;

// Scripting the simulated desktop's applications. It answers the system's
// script forms (ScriptRequest) from the desktop: browsers' windows and tabs,
// terminals' devices and session folders, file managers' folders; the
// restore forms open a window with the tabs, the select forms bring a tab to
// the front. An application that is not running, is not allowed, fails its
// scripts, or takes longer than the time limit (its delay passes on the
// clock) answers nothing, as does any other script. Every script run is
// recorded.
class SimAutomation : public Automation {
public:
    explicit SimAutomation(SimDesktop& desktop) : desktop_(desktop) {}

    std::optional<ScriptValue> run(const QString& source, double timeLimit) override;
    // Running applications with the bundle identifier answer their access
    // (asking makes one not asked yet allowed, as a user who consents).
    int permission(const QString& bundleId, bool ask) override;

    // Every script run so far, in order.
    QStringList scripts() const;
    // How often a consent check asked the user.
    int prompts() const;

private:
    std::optional<ScriptValue> answer(const ScriptRequest& request, const SimApp& app);
    ScriptValue windowTabs(int pid) const;
    ScriptValue perWindow(int pid, ScriptRequest::Kind kind) const;
    ScriptValue frontTabs(int pid, bool otherTitles, bool withAddresses) const;
    bool openTabs(const SimApp& app, const QStringList& urls);
    bool selectTab(int pid, int window, int tab);

    SimDesktop& desktop_;
    mutable std::mutex mutex_;
    QStringList scripts_;
    int prompts_ = 0;
};

} // namespace tavrin
