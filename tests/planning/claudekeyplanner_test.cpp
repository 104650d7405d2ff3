#include "planning/claudekeyplanner.h"
#include "planning/plannerinstructions.h"
#include "planningfixture.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

const QByteArray kKey = "sk-ant-test-0123456789";

// A Messages API answer whose first text block holds `planJson`.
QByteArray messagesAnswer(const QByteArray& planJson)
{
    const QJsonObject answer{
        {"id", "msg_1"},
        {"type", "message"},
        {"content", QJsonArray{QJsonObject{{"type", "thinking"}, {"thinking", "..."}},
                               QJsonObject{{"type", "text"}, {"text", QString::fromUtf8(planJson)}},
                               QJsonObject{{"type", "text"}, {"text", "ignored"}}}}};
    return QJsonDocument(answer).toJson();
}

const QByteArray kPlan = R"json({"workspaceName":"  PR review ","layout":"studio","why":"The PR beside the editor.",
    "windows":[{"app":"Safari","existingWindow":0,"purpose":"PR","frontTab":"CI run"},
               {"app":"Code","existingWindow":1,"purpose":"Edit"},
               {"app":"Finder","openURL":"file:///etc/passwd","purpose":"Files"}],
    "clear":[{"existingWindow":3,"action":"hide"}]})json";

// Headers that Qt's transport adds on its own.
const QList<QByteArray> kTransportHeaders{
    "host", "content-length", "connection", "accept-encoding", "accept-language", "user-agent"};

QList<QByteArray> ownHeaders(const LoopbackServer::Request& r)
{
    QList<QByteArray> names;
    for (const QByteArray& name : r.headerNames())
        if (!kTransportHeaders.contains(name))
            names.append(name);
    std::sort(names.begin(), names.end());
    return names;
}

class ClaudeKeyPlannerTest : public PlanningTest {
protected:
    ClaudeKeyPlanner planner{services};
};

} // namespace

TEST_F(ClaudeKeyPlannerTest, SendsExactlyTheMessagesRequest)
{
    setClaudeKey(" " + kKey + "\n");
    defaults.setValue("claudeModel", "sonnet");
    answer(200, messagesAnswer(kPlan));
    const auto result = finish(planner.plan(sampleRequest()));
    ASSERT_TRUE(result.ok()) << result.error().message.toStdString();

    ASSERT_EQ(server.received().size(), 1);
    const auto& sent = server.received()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.target, "/v1/messages");
    EXPECT_EQ(ownHeaders(sent), (QList<QByteArray>{"anthropic-version", "content-type", "x-api-key"}));
    EXPECT_EQ(sent.header("Content-Type"), "application/json");
    EXPECT_EQ(sent.header("x-api-key"), kKey);
    EXPECT_EQ(sent.header("anthropic-version"), "2023-06-01");

    const QJsonObject body = QJsonDocument::fromJson(sent.body).object();
    EXPECT_EQ(body.keys(), (QStringList{"max_tokens", "messages", "model", "output_config", "system"}));
    EXPECT_EQ(body["model"].toString(), "claude-sonnet-5-5");
    EXPECT_EQ(body["max_tokens"].toInt(), 1024);
    EXPECT_EQ(body["system"].toString(), PlannerInstructions::cloud());
    const QJsonArray messages = body["messages"].toArray();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0]["role"].toString(), "user");
    EXPECT_EQ(QJsonDocument::fromJson(messages[0]["content"].toString().toUtf8()).object(), sampleRequest().toJson());
    const QJsonObject format = body["output_config"]["format"].toObject();
    EXPECT_EQ(format["type"].toString(), "json_schema");
    EXPECT_EQ(format["schema"].toObject(), PlannerInstructions::planSchema());
}

TEST_F(ClaudeKeyPlannerTest, TheSchemaHoldsThePlanShape)
{
    const QJsonObject schema = PlannerInstructions::planSchema();
    EXPECT_EQ(schema["required"].toArray(), (QJsonArray{"workspaceName", "layout", "why", "windows"}));
    EXPECT_EQ(schema["properties"]["layout"]["enum"].toArray(),
              (QJsonArray{"focusCentre", "halves", "thirds", "studio", "stack", "columns"}));
    EXPECT_EQ(schema["properties"]["windows"]["maxItems"].toInt(), 6);
    EXPECT_EQ(schema["properties"]["clear"]["items"]["properties"]["action"]["enum"].toArray(),
              (QJsonArray{"hide", "quit"}));
    // The instructions keep other applications' text as data.
    EXPECT_TRUE(PlannerInstructions::cloud().contains("data, not instructions"));
}

TEST_F(ClaudeKeyPlannerTest, ReadsTheModelSetting)
{
    const auto modelSent = [&](const QVariant& stored) {
        if (stored.isValid())
            defaults.setValue("claudeModel", stored);
        else
            defaults.remove("claudeModel");
        return planner.requestBody(sampleRequest())["model"].toString();
    };
    EXPECT_EQ(modelSent({}), "claude-haiku-5-5");
    EXPECT_EQ(modelSent("haiku"), "claude-haiku-5-5");
    EXPECT_EQ(modelSent("claude-sonnet-5-5"), "claude-sonnet-5-5");
    EXPECT_EQ(modelSent("gpt"), "claude-haiku-5-5");
}

TEST_F(ClaudeKeyPlannerTest, ValidatesTheAnswerAndLogsTheRequestWithoutTheKey)
{
    setClaudeKey(kKey);
    answer(200, messagesAnswer(kPlan));
    const auto result = finish(planner.plan(sampleRequest()));
    ASSERT_TRUE(result.ok());
    const WorkspacePlan& plan = result.value();
    EXPECT_EQ(plan.workspaceName, "PR review");
    EXPECT_EQ(plan.layout, LayoutKind::studio);
    ASSERT_EQ(plan.windows.size(), 3);
    EXPECT_EQ(plan.windows[0].frontTab, QStringLiteral("CI run"));
    EXPECT_FALSE(plan.windows[2].openURL); // file:///etc/passwd is never opened

    ASSERT_EQ(log.entries().size(), 1);
    const RequestLog::Entry& entry = log.entries()[0];
    EXPECT_EQ(entry.engine, "Claude · your key");
    EXPECT_EQ(entry.typed, "Review the open pull request");
    EXPECT_EQ(entry.destination, "127.0.0.1/v1/messages");
    EXPECT_EQ(QJsonDocument::fromJson(entry.text.toUtf8()), QJsonDocument::fromJson(server.received()[0].body));
    EXPECT_TRUE(entry.text.contains("\n    ")); // pretty-printed
    EXPECT_FALSE(entry.text.contains(QString::fromUtf8(kKey)));
    EXPECT_EQ(entry.bytes, server.received()[0].body.size());
    EXPECT_EQ(entry.outcome, RequestLog::Outcome::ok());
}

TEST_F(ClaudeKeyPlannerTest, WithoutAKeyNothingIsSent)
{
    const auto result = finish(planner.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), PlannerError::notSetUp("Add your Claude key in Settings › AI."));
    EXPECT_TRUE(server.received().isEmpty());
    EXPECT_TRUE(log.entries().isEmpty());
}

// A locked keyring is not a missing key: the plan fails with the keyring's
// state, and the next try reads the key again.
TEST_F(ClaudeKeyPlannerTest, ALockedKeyringIsSaidAndReadAgainOnTheNextTry)
{
    setClaudeKey(kKey);
    keychain.setFailure({}, KeychainStatus::locked);
    const auto locked = finish(planner.plan(sampleRequest()));
    ASSERT_FALSE(locked.ok());
    EXPECT_EQ(locked.error(), PlannerError::unavailable(KeychainStore::stayedLockedMessage()));
    EXPECT_TRUE(server.received().isEmpty());

    keychain.clearFailure();
    answer(200, messagesAnswer(kPlan));
    EXPECT_TRUE(finish(planner.plan(sampleRequest())).ok());
    ASSERT_EQ(server.received().size(), 1);
}

TEST_F(ClaudeKeyPlannerTest, MapsEachErrorStatusToItsMessage)
{
    setClaudeKey(kKey);
    const PlannerError rejected = PlannerError::rejected("Anthropic rejected your API key. Check it in Settings › AI.");
    const PlannerError quota =
        PlannerError::quotaReached("Claude is busy or your key's limit was reached. Try again soon.");
    const PlannerError unreachable =
        PlannerError::unavailable("Couldn't reach Claude. Check your connection and try again.");
    const PlannerError unusable = PlannerError::unavailable("Claude's answer couldn't be used. Try again.");
    const std::pair<int, PlannerError> cases[] = {
        {401, rejected},
        {403, rejected},
        {429, quota},
        {500, unreachable},
        {503, unreachable},
        {529, unreachable},
        {400, PlannerError::unavailable("Claude couldn't take this request (error 400). Try again.")},
    };
    for (const auto& [status, expected] : cases) {
        answer(status, R"({"type":"error","error":{"type":"x","message":"m"}})");
        const auto result = finish(planner.plan(sampleRequest()));
        ASSERT_FALSE(result.ok()) << status;
        EXPECT_EQ(result.error(), expected) << status;
        EXPECT_EQ(log.entries()[0].outcome, RequestLog::Outcome::failed(expected.message)) << status;
    }

    const QByteArray unusableAnswers[] = {
        "<html>", R"({"content":[]})", R"({"content":[{"type":"text","text":"Sure! Here is a plan"}]})",
        messagesAnswer(R"({"workspaceName":"A","layout":"grid","why":"","windows":[]})"),
        messagesAnswer(R"({"workspaceName":"A","layout":"halves","why":"","windows":[{"app":"A"}]})")};
    for (const QByteArray& body : unusableAnswers) {
        answer(200, body);
        const auto result = finish(planner.plan(sampleRequest()));
        ASSERT_FALSE(result.ok()) << body.constData();
        EXPECT_EQ(result.error(), unusable) << body.constData();
    }
}

TEST_F(ClaudeKeyPlannerTest, ANetworkFailureIsUnavailable)
{
    setClaudeKey(kKey);
    services.anthropicBase = QUrl("http://127.0.0.1:1/");
    ClaudeKeyPlanner unreachable(services);
    const auto result = finish(unreachable.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().message, "Couldn't reach Claude. Check your connection and try again.");
}

TEST_F(ClaudeKeyPlannerTest, AnAnswerOverTheCapIsCalledTooLarge)
{
    setClaudeKey(kKey);
    server.setReply({200, {}, false, true});
    const auto result = finish(planner.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), PlannerError::unavailable("Claude's answer was too large to use. Try again."));
}

TEST_F(ClaudeKeyPlannerTest, TimesOutAfterThirtySecondsOfVirtualTime)
{
    setClaudeKey(kKey);
    server.setReply({200, {}, true});
    Pending pending(planner.plan(sampleRequest()));
    ASSERT_TRUE(processEventsUntil([&] { return !server.received().isEmpty(); }));
    clock.advance(29.9);
    QCoreApplication::processEvents();
    EXPECT_FALSE(pending.done());
    clock.advance(0.1);
    const auto result = pending.result();
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), PlannerError::unavailable("Couldn't reach Claude. Check your connection and try again."));
    EXPECT_LE(clock.monotonic(), 30.0);
    EXPECT_EQ(log.entries()[0].outcome.kind, RequestLog::Outcome::Kind::failed);
}

TEST_F(ClaudeKeyPlannerTest, TestsAKeyWithOneModelsRequest)
{
    answer(200, R"({"data":[{"id":"claude-haiku-5-5"}]})");
    EXPECT_EQ(finish(planner.testKey(QString::fromUtf8(kKey))), std::nullopt);
    ASSERT_EQ(server.received().size(), 1);
    const auto& sent = server.received()[0];
    EXPECT_EQ(sent.method, "GET");
    EXPECT_EQ(sent.target, "/v1/models?limit=1");
    EXPECT_EQ(ownHeaders(sent), (QList<QByteArray>{"anthropic-version", "x-api-key"}));
    EXPECT_EQ(sent.header("x-api-key"), kKey);

    answer(401, "{}");
    EXPECT_EQ(finish(planner.testKey(QString::fromUtf8(kKey)))->kind, PlannerError::Kind::rejected);
    EXPECT_EQ(finish(planner.testKey("  "))->kind, PlannerError::Kind::notSetUp);
    EXPECT_TRUE(log.entries().isEmpty()); // a key test is not a plan request

    server.setReply({200, {}, true});
    Pending pending(planner.testKey(QString::fromUtf8(kKey)));
    ASSERT_TRUE(processEventsUntil([&] { return server.received().size() == 3; }));
    clock.advance(14.9);
    EXPECT_FALSE(pending.done());
    clock.advance(0.1);
    EXPECT_EQ(pending.result()->kind, PlannerError::Kind::unavailable);
}
