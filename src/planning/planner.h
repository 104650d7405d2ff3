#pragma once

#include "planning/plannerresult.h"
#include "planning/requestlog.h"
#include "workspaces/planrequest.h"
#include "workspaces/workspaceplan.h"

#include <qcoro/qcorotask.h>

namespace tavrin {

// Turns a request into a validated plan, or says why it can't. A planner
// records what it sends in the request log.
class Planner {
public:
    virtual ~Planner() = default;
    virtual QCoro::Task<PlannerResult<WorkspacePlan>> plan(PlanRequest request) = 0;

protected:
    template <class T>
    static RequestLog::Outcome outcomeOf(const PlannerResult<T>& result)
    {
        return result.ok() ? RequestLog::Outcome::ok() : RequestLog::Outcome::failed(result.error().message);
    }
};

} // namespace tavrin
