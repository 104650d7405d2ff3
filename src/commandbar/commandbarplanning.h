#pragma once

#include "commandbar/commandbarplanner.h"
#include "commandbar/commandbarrunner.h"
#include "commandbar/commandbarservices.h"
#include "planning/keychainstore.h"
#include "planning/plannerrouter.h"
#include "planning/requestlog.h"

#include <QUrl>

#include <memory>

namespace tavrin {

class ActiveWorkspaceHolder;
struct Platform;
class WindowManager;
class WorkspaceRunner;

// The planners and what they keep, and the command bar on them: the
// Keychain store and the request log over the platform's keychain and clock,
// the planner router on the platform's network and language model, and the
// bar's planner and runner over the router and `runner`, setting `active`.
// Settings shows the same store, log and router. `platform`, `windows`,
// `runner` and `active` outlive it; the Claude planner asks `anthropicBase`.
class CommandBarPlanning {
public:
    CommandBarPlanning(const Platform& platform, WindowManager& windows, WorkspaceRunner& runner,
                       ActiveWorkspaceHolder& active,
                       const QUrl& anthropicBase = PlanningServices::defaultAnthropicBase());

    // The command bar's collaborators: plans from the router, carried out by
    // the workspace runner, windows placed with `windows`.
    CommandBarServices services();

    KeychainStore& keychain() { return keychain_; }
    RequestLog& log() { return log_; }
    PlannerRouter& planners() { return planners_; }

private:
    const Platform& platform_;
    WindowManager& windows_;
    ActiveWorkspaceHolder& active_;
    KeychainStore keychain_;
    RequestLog log_;
    PlannerRouter planners_;
    std::unique_ptr<CommandBarPlanner> planner_;
    std::unique_ptr<CommandBarRunner> runner_;
};

} // namespace tavrin
