#include "planning/claudekeyplanner.h"

#include "planning/claudemodel.h"
#include "planning/keychainstore.h"
#include "planning/plannerinstructions.h"
#include "planning/planvalidator.h"
#include "planning/requestlog.h"
#include "platform/httpclient.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tavrin {

namespace {

// The error for an answer's status; none for success.
std::optional<PlannerError> errorForStatus(const HttpResponse& response)
{
    if (response.failure == HttpResponse::Failure::tooLarge)
        return PlannerError::unavailable(PlannerError::claudeTooLargeMessage());
    if (!response.answered())
        return PlannerError::unavailable(PlannerError::claudeUnreachableMessage());
    const int status = response.status;
    if (status >= 200 && status < 300)
        return std::nullopt;
    if (status == 401 || status == 403)
        return PlannerError::rejected(PlannerError::claudeRejectedMessage());
    if (status == 429)
        return PlannerError::quotaReached(PlannerError::claudeQuotaMessage());
    if (status >= 500)
        return PlannerError::unavailable(PlannerError::claudeUnreachableMessage());
    return PlannerError::unavailable(PlannerError::claudeStatusMessage(status));
}

// The text of the answer's first text block.
std::optional<QString> firstText(const QByteArray& body)
{
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    const QJsonArray blocks = doc.object().value(QStringLiteral("content")).toArray();
    for (const QJsonValue block : blocks) {
        const QJsonObject o = block.toObject();
        if (o.value(QStringLiteral("type")).toString() == QLatin1String("text")) {
            const QJsonValue text = o.value(QStringLiteral("text"));
            if (!text.isString())
                return std::nullopt;
            return text.toString();
        }
    }
    return std::nullopt;
}

QList<HttpRequest::Header> authHeaders(const QString& key)
{
    return {{"x-api-key", key.toUtf8()}, {"anthropic-version", ClaudeKeyPlanner::kApiVersion}};
}

} // namespace

QUrl ClaudeKeyPlanner::endpoint(const QString& pathAndQuery) const
{
    return s_.anthropicBase.resolved(QUrl(pathAndQuery));
}

QJsonObject ClaudeKeyPlanner::requestBody(const PlanRequest& request) const
{
    const QString requestJson = QString::fromUtf8(QJsonDocument(request.toJson()).toJson(QJsonDocument::Compact));
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("user")},
                              {QStringLiteral("content"), requestJson}};
    const QJsonObject format{{QStringLiteral("type"), QStringLiteral("json_schema")},
                             {QStringLiteral("schema"), PlannerInstructions::planSchema()}};
    return QJsonObject{{QStringLiteral("model"), modelId(currentClaudeModel(s_.defaults))},
                       {QStringLiteral("max_tokens"), kMaxTokens},
                       {QStringLiteral("system"), PlannerInstructions::cloud()},
                       {QStringLiteral("messages"), QJsonArray{message}},
                       {QStringLiteral("output_config"), QJsonObject{{QStringLiteral("format"), format}}}};
}

PlannerResult<WorkspacePlan> ClaudeKeyPlanner::interpret(const HttpResponse& response, const PlanRequest& request) const
{
    if (auto error = errorForStatus(response))
        return *error;
    const auto text = firstText(response.body);
    auto plan = text ? PlanValidator::validate(text->toUtf8(), request) : std::nullopt;
    if (!plan)
        return PlannerError::unavailable(PlannerError::claudeUnusableMessage());
    return std::move(*plan);
}

QCoro::Task<PlannerResult<WorkspacePlan>> ClaudeKeyPlanner::plan(PlanRequest request)
{
    const PlanningServices s = s_;
    const auto key = co_await s.keychain.claudeKey();
    // A keyring that couldn't be read is not a missing key: say why, and
    // read again on the next try.
    if (!key && s.keychain.claudeKeyLocked())
        co_return PlannerError::unavailable(KeychainStore::stayedLockedMessage());
    if (!key && !s.keychain.claudeKeyProblem().isEmpty())
        co_return PlannerError::unavailable(s.keychain.claudeKeyProblem());
    if (!key)
        co_return PlannerError::notSetUp(PlannerError::claudeNoKeyMessage());
    if (!s.http)
        co_return PlannerError::unavailable(PlannerError::claudeUnreachableMessage());

    const QUrl url = endpoint(QStringLiteral("v1/messages"));
    const QJsonDocument body(requestBody(request));
    const QByteArray data = body.toJson(QJsonDocument::Compact);
    const QUuid entry = s.log.record(kName, request.request, url.host() + url.path(),
                                     QString::fromUtf8(body.toJson(QJsonDocument::Indented)), data.size());

    const HttpResponse response = co_await s.http->postJson(url, data, authHeaders(*key), kTimeout);
    auto result = interpret(response, request);
    s.log.setOutcome(entry, outcomeOf(result));
    co_return result;
}

QCoro::Task<std::optional<PlannerError>> ClaudeKeyPlanner::testKey(QString key)
{
    key = key.trimmed();
    if (key.isEmpty())
        co_return PlannerError::notSetUp(PlannerError::claudeNoKeyMessage());
    HttpClient* http = s_.http;
    if (!http)
        co_return PlannerError::unavailable(PlannerError::claudeUnreachableMessage());
    const HttpResponse response =
        co_await http->get(endpoint(QStringLiteral("v1/models?limit=1")), authHeaders(key), kKeyTestTimeout);
    co_return errorForStatus(response);
}

} // namespace tavrin
