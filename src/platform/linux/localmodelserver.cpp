#include "platform/linux/localmodelserver.h"

#include "platform/clock.h"
#include "platform/httpclient.h"
#include "platform/linux/loopbacklistener.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace tavrin {

namespace {

const QList<QUrl> kUsualServers = {QUrl(QStringLiteral("http://127.0.0.1:11434")),
                                   QUrl(QStringLiteral("http://127.0.0.1:8080"))};

QString listed(const QList<QUrl>& servers)
{
    QStringList names;
    for (const QUrl& s : servers)
        names.append(s.toString());
    return names.join(QStringLiteral(" or "));
}

// `server` with `path` ("v1/models") under its own path.
QUrl endpoint(const QUrl& server, const QString& path)
{
    QUrl url = server;
    QString base = url.path();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    url.setPath(base + path);
    return url;
}

quint16 portOf(const QUrl& server)
{
    return quint16(server.port(server.scheme() == QLatin1String("https") ? 443 : 80));
}

// Why a model server is not sent a thing, after the server's address.
QString anotherUsersServer(const QUrl& server)
{
    return QStringLiteral("%1 isn't used: another user runs the model server on that port").arg(server.toString());
}

// Why no answer came, in a few words that follow "couldn't make a plan: ".
QString failureReason(const HttpResponse& response)
{
    switch (response.failure) {
    case HttpResponse::Failure::timedOut: return QStringLiteral("the model server didn't answer in time");
    case HttpResponse::Failure::tooLarge: return QStringLiteral("the model server's answer was too large");
    case HttpResponse::Failure::network:
    case HttpResponse::Failure::none: break;
    }
    return QStringLiteral("the model server couldn't be reached");
}

QJsonObject stringType() { return {{QStringLiteral("type"), QStringLiteral("string")}}; }
QJsonObject windowNumberType()
{
    return {{QStringLiteral("type"), QStringLiteral("integer")}, {QStringLiteral("minimum"), 0}};
}

// The open window an answer's object names by its number; none when it
// names none.
std::optional<int> windowNumber(const QJsonObject& o)
{
    const QJsonValue n = o.value(QStringLiteral("window"));
    if (!n.isDouble() || n.toDouble() < 0 || n.toDouble() > 1e6 || n.toDouble() != std::floor(n.toDouble()))
        return std::nullopt;
    return n.toInt();
}

QJsonObject choiceOf(const QStringList& values)
{
    return {{QStringLiteral("type"), QStringLiteral("string")},
            {QStringLiteral("enum"), QJsonArray::fromStringList(values)}};
}

QJsonObject objectOf(const QJsonObject& properties, const QStringList& required)
{
    return {{QStringLiteral("type"), QStringLiteral("object")},
            {QStringLiteral("properties"), properties},
            {QStringLiteral("required"), QJsonArray::fromStringList(required)},
            {QStringLiteral("additionalProperties"), false}};
}

// The JSON schema of a guided plan held to `guide`.
QJsonObject planSchema(const PlanGuide& guide)
{
    const QJsonObject window = objectOf({{QStringLiteral("app"), stringType()},
                                         {QStringLiteral("window"), windowNumberType()},
                                         {QStringLiteral("purpose"), stringType()},
                                         {QStringLiteral("openURL"), stringType()}},
                                        {QStringLiteral("app"), QStringLiteral("purpose")});
    const QJsonObject clear = objectOf({{QStringLiteral("app"), stringType()},
                                        {QStringLiteral("window"), windowNumberType()},
                                        {QStringLiteral("action"), choiceOf(guide.clearActions)}},
                                       {QStringLiteral("app"), QStringLiteral("action")});
    return objectOf({{QStringLiteral("workspaceName"), stringType()},
                     {QStringLiteral("layout"), choiceOf(guide.layouts)},
                     {QStringLiteral("why"), stringType()},
                     {QStringLiteral("windows"), QJsonObject{{QStringLiteral("type"), QStringLiteral("array")},
                                                             {QStringLiteral("items"), window},
                                                             {QStringLiteral("maxItems"), guide.maxWindows}}},
                     {QStringLiteral("clear"), QJsonObject{{QStringLiteral("type"), QStringLiteral("array")},
                                                           {QStringLiteral("items"), clear}}}},
                    {QStringLiteral("workspaceName"), QStringLiteral("layout"), QStringLiteral("why"),
                     QStringLiteral("windows"), QStringLiteral("clear")});
}

// The plan in the text of a chat-completions answer; none when it isn't one.
std::optional<GuidedPlan> planIn(const QByteArray& body, const PlanGuide& guide)
{
    const QJsonArray choices = QJsonDocument::fromJson(body).object().value(QStringLiteral("choices")).toArray();
    QString text = choices.first()
                       .toObject()
                       .value(QStringLiteral("message"))
                       .toObject()
                       .value(QStringLiteral("content"))
                       .toString()
                       .trimmed();
    // Some models fence their JSON although asked for JSON alone.
    if (text.startsWith(QLatin1String("```"))) {
        text = text.section(QLatin1Char('\n'), 1);
        text = text.left(text.lastIndexOf(QLatin1String("```")));
    }
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    const QJsonObject o = doc.object();
    const QJsonValue windows = o.value(QStringLiteral("windows"));
    if (!doc.isObject() || !o.value(QStringLiteral("layout")).isString() || !windows.isArray())
        return std::nullopt;
    GuidedPlan plan;
    plan.workspaceName = o.value(QStringLiteral("workspaceName")).toString();
    plan.layout = o.value(QStringLiteral("layout")).toString();
    plan.why = o.value(QStringLiteral("why")).toString();
    for (const QJsonArray items = windows.toArray(); const QJsonValue v : items) {
        const QJsonObject w = v.toObject();
        if (plan.windows.size() == guide.maxWindows)
            break;
        plan.windows.append({w.value(QStringLiteral("app")).toString(), w.value(QStringLiteral("purpose")).toString(),
                             w.value(QStringLiteral("openURL")).toString(), windowNumber(w)});
    }
    for (const QJsonArray items = o.value(QStringLiteral("clear")).toArray(); const QJsonValue v : items) {
        const QJsonObject c = v.toObject();
        plan.clear.append(
            {c.value(QStringLiteral("app")).toString(), c.value(QStringLiteral("action")).toString(), windowNumber(c)});
    }
    return plan;
}

class LocalModelSession : public LanguageModelSession {
public:
    LocalModelSession(QPointer<HttpClient> http, QUrl server, QString model, QString instructions, PlanGuide guide)
        : http_(std::move(http)),
          server_(std::move(server)),
          model_(std::move(model)),
          instructions_(std::move(instructions)),
          guide_(std::move(guide))
    {}

    QCoro::Task<GuidedGeneration> generatePlan(QString prompt) override
    {
        if (!http_ || server_.isEmpty())
            co_return GuidedGeneration{std::nullopt, QStringLiteral("no model server is known")};
        const QJsonObject schema = planSchema(guide_);
        const QString system = instructions_
                               + QStringLiteral("\n\nAnswer with one JSON object that follows this JSON schema:\n")
                               + QString::fromUtf8(QJsonDocument(schema).toJson(QJsonDocument::Compact));
        const QJsonArray messages{
            QJsonObject{{QStringLiteral("role"), QStringLiteral("system")}, {QStringLiteral("content"), system}},
            QJsonObject{{QStringLiteral("role"), QStringLiteral("user")}, {QStringLiteral("content"), prompt}}};
        const QJsonObject format{
            {QStringLiteral("type"), QStringLiteral("json_schema")},
            {QStringLiteral("json_schema"), QJsonObject{{QStringLiteral("name"), QStringLiteral("workspace_plan")},
                                                        {QStringLiteral("strict"), true},
                                                        {QStringLiteral("schema"), schema}}}};
        const QJsonObject body{
            {QStringLiteral("model"), model_},  {QStringLiteral("messages"), messages},
            {QStringLiteral("temperature"), 0}, {QStringLiteral("max_tokens"), LocalModelServer::kMaxTokens},
            {QStringLiteral("stream"), false},  {QStringLiteral("response_format"), format}};
        // Asked again just before the windows are sent: the server may have
        // been replaced since it was found.
        if (LoopbackListener::ofPort(portOf(server_)) != LoopbackListener::Owner::trusted)
            co_return GuidedGeneration{std::nullopt,
                                       QStringLiteral("the model server at ") + anotherUsersServer(server_)};
        const HttpResponse response = co_await http_->postJson(endpoint(server_, QStringLiteral("v1/chat/completions")),
                                                               QJsonDocument(body).toJson(QJsonDocument::Compact), {},
                                                               LocalModelServer::kTimeout);
        if (!response.answered())
            co_return GuidedGeneration{std::nullopt, failureReason(response)};
        if (response.status < 200 || response.status >= 300)
            co_return GuidedGeneration{std::nullopt,
                                       QStringLiteral("the model server answered %1").arg(response.status)};
        auto plan = planIn(response.body, guide_);
        if (!plan)
            co_return GuidedGeneration{std::nullopt, QStringLiteral("the model's answer isn't a plan")};
        co_return GuidedGeneration{std::move(plan), {}};
    }

private:
    QPointer<HttpClient> http_;
    QUrl server_;
    QString model_;
    QString instructions_;
    PlanGuide guide_;
};

} // namespace

LocalModelServer::Setting LocalModelServer::setting(const QString& variable)
{
    Setting s;
    const QString value = variable.trimmed();
    if (value.isEmpty()) {
        s.servers = kUsualServers;
        return s;
    }
    QUrl url(value.section(QLatin1Char('#'), 0, 0), QUrl::StrictMode);
    s.model = value.section(QLatin1Char('#'), 1).trimmed();
    if (url.host() == QLatin1String("localhost"))
        url.setHost(QStringLiteral("127.0.0.1"));
    const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    if (!url.isValid() || !web || !QHostAddress(url.host()).isLoopback()) {
        s.problem = tr("%1 must name a server on this computer, such as http://127.0.0.1:11434.")
                        .arg(QString::fromLatin1(kVariable));
        return s;
    }
    url.setFragment(QString());
    s.servers = {url};
    return s;
}

LocalModelServer::LocalModelServer(HttpClient& http, Clock& clock, const QString& variable, QObject* parent)
    : LanguageModel(parent),
      http_(&http),
      clock_(clock),
      setting_(setting(variable))
{
    availability_ = {false, setting_.problem.isEmpty() ? tr("Tavrin is still looking for a local model server.")
                                                       : setting_.problem};
    clock_.singleShot(0, this, [this] { task_.start([this](CancelToken cancel) { return check(cancel); }); });
}

LanguageModel::Availability LocalModelServer::availability() const
{
    if (!checking_ && clock_.monotonic() - checkedAt_ > kStale) {
        // Answers with what is known now; the new check announces a change.
        auto* self = const_cast<LocalModelServer*>(this);
        task_.start([self](CancelToken cancel) { return self->check(cancel); });
    }
    return availability_;
}

QCoro::Task<LanguageModel::Availability> LocalModelServer::checkAvailability()
{
    QPointer<LocalModelServer> self(this);
    CancelSource source;
    co_await check(source.token());
    co_return self ? availability_ : Availability{false, {}};
}

QCoro::Task<std::optional<QStringList>> LocalModelServer::models(QUrl server)
{
    HttpRequest request;
    request.url = endpoint(server, QStringLiteral("v1/models"));
    request.timeout = kProbeTimeout;
    request.maxResponseBytes = qint64{1024} * 1024;
    const HttpResponse response = co_await http_->send(std::move(request));
    const QJsonObject answer = QJsonDocument::fromJson(response.body).object();
    if (!response.answered() || response.status != 200 || !answer.value(QStringLiteral("data")).isArray())
        co_return std::nullopt;
    QStringList ids;
    for (const QJsonArray models = answer.value(QStringLiteral("data")).toArray(); const QJsonValue m : models)
        if (const QString id = m.toObject().value(QStringLiteral("id")).toString(); !id.isEmpty())
            ids.append(id);
    co_return ids;
}

QCoro::Task<LocalModelServer::Found> LocalModelServer::look()
{
    QPointer<LocalModelServer> self(this);
    for (const QUrl& server : setting_.servers) {
        // Nothing is sent to a server another user runs, not even a question.
        switch (LoopbackListener::ofPort(portOf(server))) {
        case LoopbackListener::Owner::otherUser:
            co_return Found{
                {false, tr("The model server at %1, and could read your windows.").arg(anotherUsersServer(server))},
                {},
                {}};
        case LoopbackListener::Owner::nobody: continue;
        case LoopbackListener::Owner::trusted: break;
        }
        const std::optional<QStringList> ids = co_await models(server);
        if (!self)
            co_return Found{};
        if (!ids)
            continue;
        if (ids->isEmpty())
            co_return Found{{false, tr("The model server at %1 lists no model: download or load one, then try again.")
                                        .arg(server.toString())},
                            {},
                            {}};
        if (!setting_.model.isEmpty() && !ids->contains(setting_.model))
            co_return Found{
                {false, tr("The model server at %1 has no model named %2.").arg(server.toString(), setting_.model)},
                {},
                {}};
        co_return Found{{true, {}}, server, setting_.model.isEmpty() ? ids->first() : setting_.model};
    }
    co_return Found{{false, tr("No model server answers at %1. Start Ollama or llama-server, or name one in %2.")
                                .arg(listed(setting_.servers), QString::fromLatin1(kVariable))},
                    {},
                    {}};
}

QCoro::Task<> LocalModelServer::check(CancelToken cancel)
{
    if (!setting_.problem.isEmpty() || !http_)
        co_return;
    QPointer<LocalModelServer> self(this);
    checking_ = true;
    Found found = co_await look();
    if (!self)
        co_return;
    checking_ = false;
    if (cancel.isCancelled())
        co_return;
    checkedAt_ = clock_.monotonic();
    if (found.availability.available) {
        server_ = found.server;
        model_ = found.model;
    }
    settle(std::move(found.availability));
}

void LocalModelServer::settle(Availability availability)
{
    const bool changed =
        availability.available != availability_.available || availability.reason != availability_.reason;
    availability_ = std::move(availability);
    if (changed)
        emit availabilityChanged();
}

std::shared_ptr<LanguageModelSession> LocalModelServer::makeSession(QString instructions, PlanGuide guide)
{
    return std::make_shared<LocalModelSession>(http_, server_, model_, std::move(instructions), std::move(guide));
}

} // namespace tavrin
