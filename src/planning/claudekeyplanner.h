#pragma once

#include "planning/planner.h"
#include "planning/planningservices.h"

#include <QJsonObject>
#include <QUrl>
#include <optional>

namespace tavrin {

struct HttpResponse;

// Plans through the Anthropic Messages API with the user's own key, kept in
// the Keychain.
class ClaudeKeyPlanner : public Planner {
public:
    static inline const QString kName = QStringLiteral("Claude · your key");
    static constexpr double kTimeout = 30.0;
    static constexpr double kKeyTestTimeout = 15.0;
    static constexpr int kMaxTokens = 1024;
    static inline const QByteArray kApiVersion = QByteArrayLiteral("2023-06-01");

    explicit ClaudeKeyPlanner(PlanningServices services) : s_(std::move(services)) {}

    QCoro::Task<PlannerResult<WorkspacePlan>> plan(PlanRequest request) override;

    // Asks Anthropic whether it accepts `key`: none when it does, else the
    // error a plan would meet.
    QCoro::Task<std::optional<PlannerError>> testKey(QString key);

    // The Messages API body for a request, with the model from the settings.
    QJsonObject requestBody(const PlanRequest& request) const;

private:
    QUrl endpoint(const QString& pathAndQuery) const;
    PlannerResult<WorkspacePlan> interpret(const HttpResponse& response, const PlanRequest& request) const;

    PlanningServices s_;
};

} // namespace tavrin
