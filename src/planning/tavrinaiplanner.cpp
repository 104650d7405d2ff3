#include "planning/tavrinaiplanner.h"

#include "planning/keychainstore.h"
#include "planning/planvalidator.h"
#include "planning/requestlog.h"
#include "platform/httpclient.h"
#include "workspaces/textcut.h"

#include <QJsonDocument>

namespace tavrin {

namespace {

constexpr int kMaxServiceMessageLength = 300;

std::optional<TavrinAIPlanner::Usage> usageFrom(const QJsonValue& value)
{
    const QJsonObject o = value.toObject();
    const QJsonValue used = o.value(QStringLiteral("used")), limit = o.value(QStringLiteral("limit"));
    if (!used.isDouble() || !limit.isDouble())
        return std::nullopt;
    return TavrinAIPlanner::Usage{qint64(used.toDouble()), qint64(limit.toDouble())};
}

// The service's error object, or the status when it sent none. Its message
// is shown as it came, less control and direction characters, cut to 300
// characters.
PlannerError errorFrom(const HttpResponse& response)
{
    const QJsonObject error = QJsonDocument::fromJson(response.body).object().value(QStringLiteral("error")).toObject();
    const QString code = error.value(QStringLiteral("code")).toString();
    const QString message = shownText(error.value(QStringLiteral("message")).toString(), kMaxServiceMessageLength);
    PlannerError::Kind kind = PlannerError::Kind::unavailable;
    if (!error.isEmpty())
        kind = code == QLatin1String("unauthorized") ? PlannerError::Kind::rejected
               : code == QLatin1String("quota")      ? PlannerError::Kind::quotaReached
                                                     : PlannerError::Kind::unavailable;
    else if (response.status == 401 || response.status == 403)
        kind = PlannerError::Kind::rejected;
    else if (response.status == 429)
        kind = PlannerError::Kind::quotaReached;

    if (!message.isEmpty())
        return {kind, message};
    switch (kind) {
    case PlannerError::Kind::rejected: return PlannerError::rejected(PlannerError::tavrinAIRejectedMessage());
    case PlannerError::Kind::quotaReached: return PlannerError::quotaReached(PlannerError::tavrinAIQuotaMessage());
    default: return PlannerError::unavailable(PlannerError::tavrinAIUnreachableMessage());
    }
}

} // namespace

PlannerResult<WorkspacePlan> TavrinAIPlanner::interpret(const HttpResponse& response, const PlanRequest& request)
{
    if (response.failure == HttpResponse::Failure::tooLarge)
        return PlannerError::unavailable(PlannerError::tavrinAITooLargeMessage());
    if (!response.answered())
        return PlannerError::unavailable(PlannerError::tavrinAIUnreachableMessage());
    if (response.status < 200 || response.status >= 300)
        return errorFrom(response);

    const QJsonObject answer = QJsonDocument::fromJson(response.body).object();
    if (auto usage = usageFrom(answer.value(QStringLiteral("usage"))))
        lastUsage_ = usage;
    auto plan = WorkspacePlan::fromJson(answer.value(QStringLiteral("plan")));
    if (!plan)
        return PlannerError::unavailable(PlannerError::tavrinAIUnusableMessage());
    return PlanValidator::sanitize(std::move(*plan), request);
}

QCoro::Task<PlannerResult<WorkspacePlan>> TavrinAIPlanner::plan(PlanRequest request)
{
    const PlanningServices s = s_;
    const auto token = co_await s.keychain.tavrinAIToken();
    if (!token)
        co_return PlannerError::notSetUp(PlannerError::tavrinAINotSignedInMessage());
    if (!s.http)
        co_return PlannerError::unavailable(PlannerError::tavrinAIUnreachableMessage());
    const QString instance = co_await s.keychain.instanceId();

    const QUrl url = s_.tavrinAIBase.resolved(QUrl(QStringLiteral("v1/plan")));
    const QJsonDocument body(request.toJson());
    const QByteArray data = body.toJson(QJsonDocument::Compact);
    const QUuid entry = s.log.record(kName, request.request, url.host() + url.path(),
                                     QString::fromUtf8(body.toJson(QJsonDocument::Indented)), data.size());

    const QList<HttpRequest::Header> headers{{"Authorization", "Bearer " + token->toUtf8()},
                                             {"X-Tavrin-Instance", instance.toUtf8()}};
    const HttpResponse response = co_await s.http->postJson(url, data, headers, kTimeout);
    auto result = interpret(response, request);
    s.log.setOutcome(entry, outcomeOf(result));
    co_return result;
}

} // namespace tavrin
