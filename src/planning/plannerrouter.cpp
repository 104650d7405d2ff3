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

QList<PlannerRouter::Choice> PlannerRouter::choices() const
{
    const Defaults& defaults = s_.defaults;
    const AIEngine engine = currentAIEngine(defaults);
    const Choice onDevice{AIEngine::onDevice, OnDevicePlanner::kName};
    // Tavrin AI's service and its accounts are not part of this program: it
    // is offered as unavailable and never asked.
    if (engine == AIEngine::off || engine == AIEngine::tavrinAI)
        return {};
    if (engine == AIEngine::onDevice)
        return {onDevice};
    const Choice cloud{engine, ClaudeKeyPlanner::kName};
    if (defaults.boolValue(QStringLiteral("tryOnDeviceFirst")) && onDevice_.isAvailable())
        return {onDevice, cloud};
    return {cloud};
}

QString PlannerRouter::tavrinAIReason()
{
    return QStringLiteral("Its planning service and accounts are not part of this version of Tavrin: use your "
                          "Claude key or a model on this computer.");
}

QCoro::Task<PlannerResult<PlannerRouter::RoutedPlan>> PlannerRouter::plan(PlanRequest request)
{
    const QList<Choice> chosen = choices();
    if (chosen.isEmpty())
        co_return PlannerError::notSetUp(currentAIEngine(s_.defaults) == AIEngine::tavrinAI
                                             ? PlannerError::tavrinAIUnavailableMessage()
                                             : PlannerError::aiOffMessage());

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
        case AIEngine::tavrinAI:
        case AIEngine::off: continue;
        }
        if (result->ok()) {
            const PlanningServices s = s_;
            UsageCounters(s.defaults, s.clock)
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
