#pragma once

#include "planning/planner.h"
#include "planning/planningservices.h"

#include <optional>

namespace tavrin {

struct GuidedPlan;

// Plans with the operating system's on-device language model; its answer
// names applications and the request's windows by number, which are matched
// to the request's windows.
class OnDevicePlanner : public Planner {
public:
    static inline const QString kName = QStringLiteral("On-device");

    explicit OnDevicePlanner(PlanningServices services) : s_(std::move(services)) {}

    bool isAvailable() const;

    QCoro::Task<PlannerResult<WorkspacePlan>> plan(PlanRequest request) override;
    // As `plan`, but gives up after `limit` seconds when one is given.
    QCoro::Task<PlannerResult<WorkspacePlan>> plan(PlanRequest request, std::optional<double> limit);

    // The model's answer as a plan on the request's windows: each window goes
    // to the window the answer names by number when that one is of its
    // application (by name, ignoring case) and unused, else to the first
    // unused window of its application; a web address opens a new window,
    // anything else launches its application. Clears go the same way to a
    // window the plan does not use. None when the layout is not one of the
    // six.
    static std::optional<WorkspacePlan> match(const GuidedPlan& answer, const PlanRequest& request);

private:
    PlanningServices s_;
};

} // namespace tavrin
