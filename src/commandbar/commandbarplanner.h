#pragma once

#include "planning/plannerresult.h"
#include "workspaces/planrequest.h"
#include "workspaces/workspaceplan.h"

#include <memory>
#include <qcoro/qcorotask.h>

namespace tavrin {

class PlannerRouter;

// Where the command bar gets its plans: the planner router in the product,
// scripted planners in tests.
class CommandBarPlanner {
public:
    virtual ~CommandBarPlanner() = default;

    // A plan for the request, or the error whose message the bar shows.
    virtual QCoro::Task<PlannerResult<WorkspacePlan>> plan(PlanRequest request) = 0;

    // One that asks `router`, in the configured order; `router` outlives it.
    static std::unique_ptr<CommandBarPlanner> over(PlannerRouter& router);
};

} // namespace tavrin
