#pragma once

#include "planning/aiengine.h"
#include "planning/claudekeyplanner.h"
#include "planning/ondeviceplanner.h"
#include "planning/planningservices.h"
#include "planning/tavrinaiplanner.h"

#include <QList>
#include <QString>

namespace tavrin {

// Picks the planners for the engine settings and asks them in order: a
// planner that fails makes way for the next, and the on-device model runs
// under a time limit when another planner follows.
class PlannerRouter {
public:
    struct Choice {
        AIEngine engine = AIEngine::off;
        QString name; // "On-device", "Tavrin AI", "Claude · your key"
        bool operator==(const Choice&) const = default;
    };

    // A plan and the label of the planner that made it, naming the planners
    // that failed before it ("Claude · your key (after On-device)").
    struct RoutedPlan {
        WorkspacePlan plan;
        QString label;
    };

    static constexpr double kOnDeviceLimit = 3.0;

    explicit PlannerRouter(PlanningServices services);

    // The planners to ask, in order, for the current "aiEngine" and
    // "tryOnDeviceFirst" settings; empty when the engine is off or Tavrin
    // AI, which is not offered here (`tavrinAIReason`).
    QList<Choice> choices() const;

    // Asks the chosen planners in turn; a success counts towards this
    // month's usage. With no planner, or when all fail, the (last) error.
    QCoro::Task<PlannerResult<RoutedPlan>> plan(PlanRequest request);

    // Why Tavrin AI can't plan here, for the views that offer it.
    static QString tavrinAIReason();

    // What the planners run on: the settings, the clock and the language
    // model the AI settings show.
    const PlanningServices& services() const { return s_; }
    OnDevicePlanner& onDevice() { return onDevice_; }
    ClaudeKeyPlanner& claude() { return claude_; }
    TavrinAIPlanner& tavrinAI() { return tavrinAI_; }

private:
    PlanningServices s_;
    OnDevicePlanner onDevice_;
    ClaudeKeyPlanner claude_;
    TavrinAIPlanner tavrinAI_;
};

} // namespace tavrin
