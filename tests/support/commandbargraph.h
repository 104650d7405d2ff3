#pragma once

#include "commandbar/commandbarplanner.h"
#include "commandbar/commandbarrunner.h"
#include "commandbar/commandbarservices.h"
#include "planning/keychainstore.h"
#include "planning/plannerrouter.h"
#include "planning/requestlog.h"
#include "platform/platform.h"
#include "windows/windowmanager.h"
#include "workspaces/workspacerunner.h"

#include <functional>
#include <memory>

namespace tavrin {

// The command bar's collaborators as the program makes them, over the
// platform installed when the graph is made (a test's simulated desktop):
// the Keychain store, the request log and the planners on its services, and
// a workspace runner, placing windows with `windows`. `services()` hands the
// bar the planner router and the workspace runner; a test may hand its
// scripted planner and runner instead. `tune` changes what the planners run on before they are made (a
// loopback network and its address).
class CommandBarGraph {
public:
    explicit CommandBarGraph(WindowManager& windows, const std::function<void(PlanningServices&)>& tune = {})
        : windows_(windows),
          platform_(Platform::current()),
          keychain(*platform_.keychain, platform_.workspace),
          log(*platform_.clock),
          planners(planning(tune))
    {}

    CommandBarServices services() { return services(*routed, *arranging); }
    CommandBarServices services(CommandBarPlanner& planner, CommandBarRunner& runner)
    {
        return {windows_,
                planner,
                runner,
                planners,
                keychain,
                *platform_.clock,
                *platform_.defaults,
                *platform_.accessibility};
    }

private:
    PlanningServices planning(const std::function<void(PlanningServices&)>& tune)
    {
        PlanningServices s;
        s.defaults = platform_.defaults;
        s.clock = platform_.clock;
        s.http = platform_.http;
        s.languageModel = platform_.languageModel;
        s.keychain = &keychain;
        s.log = &log;
        if (tune)
            tune(s);
        return s;
    }

    WindowManager& windows_;
    Platform platform_;

public:
    KeychainStore keychain;
    RequestLog log;
    PlannerRouter planners;
    std::unique_ptr<CommandBarPlanner> routed = CommandBarPlanner::over(planners);
    WorkspaceRunner runner{windows_, platform_};
    std::unique_ptr<CommandBarRunner> arranging = CommandBarRunner::over(runner);
};

} // namespace tavrin
