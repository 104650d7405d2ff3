#include "commandbar/commandbarplanner.h"

#include "planning/plannerrouter.h"

namespace tavrin {

namespace {
class RouterPlanner final : public CommandBarPlanner {
public:
    explicit RouterPlanner(PlannerRouter& router) : router_(router) {}

    QCoro::Task<PlannerResult<WorkspacePlan>> plan(PlanRequest request) override
    {
        auto routed = co_await router_.plan(std::move(request));
        if (!routed.ok())
            co_return routed.error();
        // Which planner made it is the request log's business, not the bar's.
        co_return std::move(routed.value().plan);
    }

private:
    PlannerRouter& router_;
};
} // namespace

std::unique_ptr<CommandBarPlanner> CommandBarPlanner::over(PlannerRouter& router)
{
    return std::make_unique<RouterPlanner>(router);
}

} // namespace tavrin
