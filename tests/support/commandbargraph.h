#pragma once

#include "commandbar/commandbarplanning.h"
#include "platform/platform.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/workspacerunner.h"

namespace tavrin {

// The command bar's collaborators as the program makes them, over
// `platform` (by default the one installed, a test's simulated desktop), with
// an active workspace and a workspace runner of its own placing windows with
// `windows`. `services()` hands the bar the planner router and the workspace
// runner; a test may hand its scripted planner and runner instead. The
// Claude planner asks `anthropicBase` (a loopback server).
class CommandBarGraph {
public:
    explicit CommandBarGraph(WindowManager& windows, const Platform& platform = Platform::current(),
                             const QUrl& anthropicBase = PlanningServices::defaultAnthropicBase())
        : runner(windows, platform, active),
          planning(platform, windows, runner, active, anthropicBase)
    {}

    CommandBarServices services() { return planning.services(); }
    CommandBarServices services(CommandBarPlanner& planner, CommandBarRunner& scripted)
    {
        const CommandBarServices s = planning.services();
        return {s.windows, planner, scripted, s.active, s.planners, s.keychain, s.clock, s.defaults, s.accessibility};
    }

    ActiveWorkspaceHolder active;
    WorkspaceRunner runner;
    CommandBarPlanning planning;
};

} // namespace tavrin
