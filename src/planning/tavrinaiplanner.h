#pragma once

#include "planning/planner.h"
#include "planning/planningservices.h"

#include <optional>

namespace tavrin {

struct HttpResponse;

// Plans through the hosted planning service, signed in with a token kept in
// the Keychain.
class TavrinAIPlanner : public Planner {
public:
    static inline const QString kName = QStringLiteral("Tavrin AI");
    static constexpr double kTimeout = 30.0;

    // The month's usage as the service last reported it.
    struct Usage {
        qint64 used = 0;
        qint64 limit = 0;
        bool operator==(const Usage&) const = default;
    };

    explicit TavrinAIPlanner(PlanningServices services) : s_(std::move(services)) {}

    QCoro::Task<PlannerResult<WorkspacePlan>> plan(PlanRequest request) override;

    // Kept in memory for Settings; none until the service has answered.
    const std::optional<Usage>& lastUsage() const { return lastUsage_; }

private:
    PlannerResult<WorkspacePlan> interpret(const HttpResponse& response, const PlanRequest& request);

    PlanningServices s_;
    std::optional<Usage> lastUsage_;
};

} // namespace tavrin
