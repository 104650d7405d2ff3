#include "commandbar/commandbarplanning.h"

#include "platform/platform.h"

namespace tavrin {

CommandBarPlanning::CommandBarPlanning(const Platform& platform, WindowManager& windows, WorkspaceRunner& runner,
                                       ActiveWorkspaceHolder& active, const QUrl& anthropicBase)
    : platform_(platform),
      windows_(windows),
      active_(active),
      keychain_(*platform.keychain, platform.workspace),
      log_(*platform.clock),
      planners_({.defaults = *platform.defaults,
                 .clock = *platform.clock,
                 .http = platform.http,
                 .languageModel = platform.languageModel,
                 .keychain = keychain_,
                 .log = log_,
                 .anthropicBase = anthropicBase}),
      planner_(CommandBarPlanner::over(planners_)),
      runner_(CommandBarRunner::over(runner))
{}

CommandBarServices CommandBarPlanning::services()
{
    return {.windows = windows_,
            .planner = *planner_,
            .runner = *runner_,
            .active = active_,
            .planners = planners_,
            .keychain = keychain_,
            .clock = *platform_.clock,
            .defaults = *platform_.defaults,
            .accessibility = *platform_.accessibility};
}

} // namespace tavrin
