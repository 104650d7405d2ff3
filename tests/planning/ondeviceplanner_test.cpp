#include "planning/ondeviceplanner.h"
#include "planning/plannerinstructions.h"
#include "planningfixture.h"
#include "platform/linux/localmodelserver.h"

#include <QJsonDocument>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

GuidedPlan guided(QList<GuidedPlan::Window> windows, QList<GuidedPlan::Clear> clear = {})
{
    return {QStringLiteral("Focus"), QStringLiteral("thirds"), QStringLiteral("Why not."), std::move(windows),
            std::move(clear)};
}

class OnDevicePlannerTest : public PlanningTest {
protected:
    OnDevicePlanner planner{services};
};

} // namespace

TEST(OnDeviceMatch, MatchesWindowsByApplicationName)
{
    PlanRequest request = sampleRequest();
    request.windows.append({QStringLiteral("Safari"), QStringLiteral("Second"), std::nullopt, std::nullopt});
    const auto plan =
        OnDevicePlanner::match(guided({{"safari", "First browser", ""},
                                       {"Safari", "Second browser", ""},
                                       {"Safari", "A third needs a new window", ""},
                                       {"Notes", "Not open: launched", ""},
                                       {"Safari", "A web page", "https://example.com/docs"}},
                                      {{"Messages", "quit"}, {"Safari", "hide"}, {"Mail", "hide"}, {"Code", "close"}}),
                               request);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->layout, LayoutKind::thirds);
    ASSERT_EQ(plan->windows.size(), 5);
    EXPECT_EQ(plan->windows[0].existingWindow, 0);
    EXPECT_EQ(plan->windows[0].app, "Safari"); // the request's own spelling
    EXPECT_EQ(plan->windows[1].existingWindow, 4);
    EXPECT_FALSE(plan->windows[2].existingWindow);
    EXPECT_FALSE(plan->windows[3].existingWindow);
    EXPECT_EQ(plan->windows[3].app, "Notes");
    EXPECT_FALSE(plan->windows[4].existingWindow);
    EXPECT_EQ(plan->windows[4].openURL, QStringLiteral("https://example.com/docs"));
    // Every Safari window is used; Mail isn't open; "close" is no action.
    EXPECT_EQ(plan->clear, (QList<WorkspacePlan::Clear>{{3, ClearAction::quit}}));

    EXPECT_FALSE(OnDevicePlanner::match(GuidedPlan{"A", "grid", "", {}, {}}, request));
}

TEST_F(OnDevicePlannerTest, AsksTheModelWithFixedInstructionsAndLogsIt)
{
    model.setAnswer(guided({{"Code", "Edit", ""}, {"Finder", "Files", "file:///etc/passwd"}}));
    const auto result = finish(planner.plan(sampleRequest()));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value().windows[0].existingWindow, 1);
    EXPECT_FALSE(result.value().windows[1].openURL); // validated like any other answer

    EXPECT_EQ(model.lastInstructions(), PlannerInstructions::onDevice());
    EXPECT_EQ(model.lastGuide().maxWindows, 6);
    EXPECT_EQ(model.lastGuide().layouts,
              (QStringList{"focusCentre", "halves", "thirds", "studio", "stack", "columns"}));
    EXPECT_EQ(model.lastGuide().clearActions, (QStringList{"hide", "quit"}));
    ASSERT_EQ(model.prompts().size(), 1);
    EXPECT_EQ(QJsonDocument::fromJson(model.prompts()[0].toUtf8()).object(), sampleRequest().toJson());

    const RequestLog::Entry& entry = log.entries()[0];
    EXPECT_EQ(entry.engine, "On-device");
    EXPECT_EQ(entry.destination, "On this computer");
    EXPECT_EQ(entry.text, model.prompts()[0]);
    EXPECT_EQ(entry.bytes, model.prompts()[0].toUtf8().size());
    EXPECT_EQ(entry.outcome, RequestLog::Outcome::ok());
}

TEST_F(OnDevicePlannerTest, ReportsAnUnavailableOrFailingModel)
{
    model.setAvailability(false, "Apple Intelligence is off.");
    auto result = finish(planner.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), PlannerError::unavailable("The on-device model isn't available on this computer."));
    EXPECT_TRUE(log.entries().isEmpty());

    model.setAvailability(true);
    model.setFailure("guardrail");
    result = finish(planner.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), PlannerError::unavailable("The on-device model couldn't make a plan. Try again."));
    EXPECT_EQ(log.entries()[0].outcome.kind, RequestLog::Outcome::Kind::failed);
}

TEST_F(OnDevicePlannerTest, GivesUpAtItsLimitAndIgnoresTheLateAnswer)
{
    model.setAnswer(guided({{"Code", "Edit", ""}}));
    model.setDelay(5);
    Pending pending(planner.plan(sampleRequest(), 3.0));
    clock.advance(2.9);
    EXPECT_FALSE(pending.done());
    clock.advance(0.1);
    ASSERT_TRUE(pending.done());
    const auto result = pending.result();
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), PlannerError::unavailable("The on-device model took too long."));
    EXPECT_EQ(log.entries()[0].outcome, RequestLog::Outcome::failed("The on-device model took too long."));

    clock.advance(5); // the late answer changes nothing
    EXPECT_EQ(log.entries()[0].outcome.kind, RequestLog::Outcome::Kind::failed);

    // Without a limit it waits as long as the model takes.
    Pending unlimited(planner.plan(sampleRequest()));
    clock.advance(4.9);
    EXPECT_FALSE(unlimited.done());
    clock.advance(0.1);
    EXPECT_TRUE(unlimited.result().ok());
}

// The on-device planner through a model server on this computer: a loopback
// server answering as Ollama or llama-server do.
class LocalModelTest : public PlanningTest {
protected:
    void listModels(const QByteArray& body, bool hang = false)
    {
        server.setRoute("/v1/models", {{200, body, hang}, {}, false, 0});
    }
    QString address() const { return server.base().toString(QUrl::StripTrailingSlash); }

    PlanningServices usingLocal()
    {
        services.languageModel = &local;
        return services;
    }

    LocalModelServer local{http, clock, address()};
    OnDevicePlanner planner{usingLocal()};
};

const QByteArray kTwoModels = R"({"object":"list","data":[{"id":"llama3.2:3b"},{"id":"qwen2.5:7b"}]})";

TEST_F(LocalModelTest, PlansThroughTheFirstListedModel)
{
    listModels(kTwoModels);
    const QByteArray answer = R"({"choices":[{"message":{"role":"assistant","content":
        "{\"workspaceName\":\"Review\",\"layout\":\"halves\",\"why\":\"Side by side.\",\"windows\":[{\"app\":\"Safari\",\"purpose\":\"PR\"},{\"app\":\"Code\",\"purpose\":\"Edit\"}],\"clear\":[{\"app\":\"Messages\",\"action\":\"hide\"}]}"}}]})";
    server.setRoute("/v1/chat/completions", {{200, answer, false}, {}, false, 0});
    const auto result = finish(planner.plan(sampleRequest()));
    ASSERT_TRUE(result.ok()) << result.error().message.toStdString();
    EXPECT_EQ(result.value().layout, LayoutKind::halves);
    ASSERT_EQ(result.value().windows.size(), 2);
    EXPECT_EQ(result.value().windows[1].existingWindow, 1);
    EXPECT_TRUE(local.availability().available);

    const auto& sent = server.received().last();
    EXPECT_EQ(sent.target, "/v1/chat/completions");
    const QJsonObject body = QJsonDocument::fromJson(sent.body).object();
    EXPECT_EQ(body["model"].toString(), "llama3.2:3b");
    EXPECT_EQ(body["temperature"].toInt(), 0);
    EXPECT_EQ(body["max_tokens"].toInt(), LocalModelServer::kMaxTokens);
    EXPECT_EQ(body["messages"][1]["content"].toString(),
              QString::fromUtf8(QJsonDocument(sampleRequest().toJson()).toJson(QJsonDocument::Indented)));
    EXPECT_EQ(body["response_format"]["json_schema"]["schema"]["properties"]["windows"]["maxItems"].toInt(), 6);
    EXPECT_EQ(log.entries().size(), 1);
}

// Each way the server can fail leaves the planner unavailable with a reason
// the AI pane shows, and nothing asked of a model.
TEST_F(LocalModelTest, WithoutAServerOrAModelItIsUnavailable)
{
    const struct {
        const char* name;
        QByteArray models;
        bool hang;
        QString variable;
        QString reason;
    } cases[] = {
        {"no model", R"({"object":"list","data":[]})", false, {}, "lists no model"},
        {"named model missing", kTwoModels, false, "#mistral", "has no model named mistral"},
        {"not a model server", "<html>", false, {}, "No model server answers at http://127.0.0.1:"},
        {"slow", kTwoModels, true, {}, "No model server answers"},
        {"not loopback", kTwoModels, false, "http://192.168.1.2:11434", "must name a server on this computer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        listModels(c.models, c.hang);
        const QString variable = c.variable.startsWith('#') ? address() + c.variable
                                 : c.variable.isEmpty()     ? address()
                                                            : c.variable;
        LocalModelServer model(http, clock, variable);
        services.languageModel = &model;
        OnDevicePlanner onDevice(services);
        const qsizetype asked = server.received().size();
        Pending pending(onDevice.plan(sampleRequest()));
        if (c.hang) {
            ASSERT_TRUE(processEventsUntil([&] { return server.received().size() > asked; }));
            clock.advance(LocalModelServer::kProbeTimeout);
        }
        const auto result = pending.result();
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error(), PlannerError::unavailable(PlannerError::onDeviceUnavailableMessage()));
        EXPECT_FALSE(model.availability().available);
        EXPECT_TRUE(model.availability().reason.contains(c.reason)) << model.availability().reason.toStdString();
    }
    for (const auto& r : server.received())
        EXPECT_EQ(r.target, "/v1/models");
    EXPECT_TRUE(log.entries().isEmpty());
}

TEST_F(LocalModelTest, AnAnswerThatIsNoPlanFails)
{
    listModels(kTwoModels);
    for (const QByteArray& answer :
         {QByteArray(R"({"choices":[{"message":{"content":"Sure! Put them side by side."}}]})"), QByteArray("not json"),
          QByteArray(R"({"error":"model crashed"})")}) {
        server.setRoute("/v1/chat/completions", {{200, answer, false}, {}, false, 0});
        const auto result = finish(planner.plan(sampleRequest()));
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error(), PlannerError::unavailable(PlannerError::onDeviceFailedMessage()));
    }
}
