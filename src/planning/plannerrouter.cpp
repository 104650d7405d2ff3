#include "planning/plannerrouter.h"

#include "planning/usagecounters.h"
#include "platform/defaults.h"

namespace tavrin {

PlannerRouter::PlannerRouter(PlanningServices services)
    : s_(services),
      onDevice_(services),
      claude_(services),
      tavrinAI_(services)
{}

PlannerRouter& PlannerRouter::shared()
{
    static PlannerRouter* router = new PlannerRouter(PlanningServices{});
    return *router;
}

QList<PlannerRouter::Choice> PlannerRouter::choices() const
{
    const Defaults& defaults = *s_.resolved().defaults;
    const AIEngine engine = currentAIEngine(defaults);
    const Choice onDevice{AIEngine::onDevice, OnDevicePlanner::kName};
    if (engine == AIEngine::off)
        return {};
    if (engine == AIEngine::onDevice)
        return {onDevice};
    const Choice cloud{engine, engine == AIEngine::claude ? ClaudeKeyPlanner::kName : TavrinAIPlanner::kName};
    if (defaults.boolValue(QStringLiteral("tryOnDeviceFirst")) && onDevice_.isAvailable())
        return {onDevice, cloud};
    return {cloud};
}

QCoro::Task<PlannerResult<PlannerRouter::RoutedPlan>> PlannerRouter::plan(PlanRequest request)
{
    const QList<Choice> chosen = choices();
    if (chosen.isEmpty())
        co_return PlannerError::notSetUp(PlannerError::aiOffMessage());

    QStringList failed;
    PlannerError lastError;
    for (int i = 0; i < chosen.size(); ++i) {
        const Choice& choice = chosen[i];
        const bool another = i + 1 < chosen.size();
        std::optional<PlannerResult<WorkspacePlan>> result;
        switch (choice.engine) {
        case AIEngine::onDevice:
            result = co_await onDevice_.plan(request, another ? std::optional(kOnDeviceLimit) : std::nullopt);
            break;
        case AIEngine::claude: result = co_await claude_.plan(request); break;
        case AIEngine::tavrinAI: result = co_await tavrinAI_.plan(request); break;
        case AIEngine::off: continue;
        }
        if (result->ok()) {
            const PlanningServices s = s_.resolved();
            UsageCounters(*s.defaults, *s.clock)
                .increment(choice.engine == AIEngine::onDevice ? UsageCounters::Kind::device
                                                               : UsageCounters::Kind::cloud);
            QString label = choice.name;
            if (!failed.isEmpty())
                label += QStringLiteral(" (after %1)").arg(failed.join(QStringLiteral(", ")));
            co_return RoutedPlan{std::move(result->value()), label};
        }
        failed.append(choice.name);
        lastError = result->error();
    }
    co_return lastError;
}

} // namespace tavrin
