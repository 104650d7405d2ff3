#include "planning/ondeviceplanner.h"
#include "planning/plannerinstructions.h"
#include "planningfixture.h"
#include "platform/linux/localmodelserver.h"
#include "platform/linux/loopbacklistener.h"

#include <QJsonDocument>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // Said with the model's own reason.
    EXPECT_EQ(result.error(), PlannerError::unavailable("Apple Intelligence is off."));
    EXPECT_TRUE(log.entries().isEmpty());

    model.setAvailability(true);
    model.setFailure("the request was refused by a guardrail");
    result = finish(planner.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), PlannerError::unavailable("The on-device model couldn't make a plan: the request was "
                                                        "refused by a guardrail."));
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

TEST_F(LocalModelTest, TheAnswerNamesWhichWindowOfAnApplication)
{
    listModels(kTwoModels);
    PlanRequest request = sampleRequest();
    request.request = "Put the build and the logs side by side";
    request.windows.clear();
    for (const char* title : {"build", "notes", "logs"})
        request.windows.append({"XTerm", title, std::nullopt, std::nullopt});
    // A window named by number where it is of the application named and
    // unused; else the first unused window of the application.
    const struct {
        const char* windows;
        QList<std::optional<int>> arranged;
    } cases[] = {
        {R"([{\"app\":\"XTerm\",\"window\":0,\"purpose\":\"Build\"},{\"app\":\"XTerm\",\"window\":2,\"purpose\":\"Logs\"}])",
         {0, 2}},
        {R"([{\"app\":\"XTerm\",\"window\":2,\"purpose\":\"Logs\"},{\"app\":\"XTerm\",\"purpose\":\"Build\"}])",
         {2, 0}},
        {R"([{\"app\":\"XTerm\",\"window\":7,\"purpose\":\"Gone\"},{\"app\":\"XTerm\",\"window\":0,\"purpose\":\"Twice\"}])",
         {0, 1}},
        {R"([{\"app\":\"Safari\",\"window\":2,\"purpose\":\"Another app\"},{\"app\":\"XTerm\",\"window\":1.5,\"purpose\":\"Not a number\"}])",
         {std::nullopt, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windows);
        const QByteArray answer = QByteArray(R"({"choices":[{"message":{"role":"assistant","content":
            "{\"workspaceName\":\"Build\",\"layout\":\"halves\",\"why\":\"Side by side.\",\"windows\":)")
                                  + c.windows + R"(,\"clear\":[]}"}}]})";
        server.setRoute("/v1/chat/completions", {{200, answer, false}, {}, false, 0});
        const auto result = finish(planner.plan(request));
        ASSERT_TRUE(result.ok()) << result.error().message.toStdString();
        QList<std::optional<int>> arranged;
        for (const auto& w : result.value().windows)
            arranged.append(w.existingWindow);
        EXPECT_EQ(arranged, c.arranged);
    }
    // The model is told how to name a window.
    const QJsonObject body = QJsonDocument::fromJson(server.received().last().body).object();
    EXPECT_EQ(body["response_format"]["json_schema"]["schema"]["properties"]["windows"]["items"]["properties"]["window"]
                  ["type"]
                      .toString(),
              "integer");
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
        EXPECT_EQ(result.error(), PlannerError::unavailable(model.availability().reason));
        EXPECT_FALSE(model.availability().available);
        EXPECT_TRUE(model.availability().reason.contains(c.reason)) << model.availability().reason.toStdString();
    }
    for (const auto& r : server.received())
        EXPECT_EQ(r.target, "/v1/models");
    EXPECT_TRUE(log.entries().isEmpty());
}

// Each way a plan can fail says its own reason, in one line.
TEST_F(LocalModelTest, EachFailureSaysItsReason)
{
    listModels(kTwoModels);
    const QByteArray prose = R"({"choices":[{"message":{"content":"Sure! Put them side by side."}}]})";
    const struct {
        const char* name;
        LoopbackServer::Route route;
        QString reason;
    } cases[] = {
        {"prose", {{200, prose, false}, {}, false, 0}, "the model's answer isn't a plan"},
        {"not json", {{200, "not json", false}, {}, false, 0}, "the model's answer isn't a plan"},
        {"server error", {{500, R"({"error":"model crashed"})", false}, {}, false, 0}, "the model server answered 500"},
        {"endless", {{200, {}, false, true}, {}, true, 0}, "the model server's answer was too large"},
        {"huge length",
         {{200, "{}", false}, {{"Content-Length", "4294967296"}}, true, 0},
         "the model server's answer was too large"},
        {"stalled", {{200, {}, true}, {}, false, 0}, "the model server didn't answer in time"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.setRoute("/v1/chat/completions", c.route);
        const qsizetype asked = server.received().size();
        Pending pending(planner.plan(sampleRequest()));
        if (c.route.reply.hang) {
            ASSERT_TRUE(processEventsUntil([&] {
                return server.received().size() > asked && server.received().last().target == "/v1/chat/completions";
            }));
            clock.advance(LocalModelServer::kTimeout);
        }
        const auto result = pending.result();
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error(),
                  PlannerError::unavailable("The on-device model couldn't make a plan: " + c.reason + "."))
            << result.error().message.toStdString();
        EXPECT_FALSE(result.error().message.contains(QLatin1Char('\n')));
    }
}

// A model server another user of this computer runs (as `nobody` here) is
// never asked anything: its owner could read every window title sent.
TEST(LocalModelOwner, AServerOfAnotherUserIsNeverAsked)
{
    // The tables as the system writes them: a listener of uid 1000 on
    // 11434 (0x2CAA) over IPv4, and root's on 8080 (0x1F90) over IPv6.
    const QByteArray tcp =
        "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
        "   0: 0100007F:2CAA 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1000        0 1\n"
        "   1: 0100007F:2CAA 0100007F:9C40 01 00000000:00000000 00:00000000 00000000     0        0 2\n";
    const QByteArray tcp6 = "  sl  local_address                         remote_address                        st "
                            "tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
                            "   0: 00000000000000000000000000000000:1F90 00000000000000000000000000000000:0000 0A "
                            "00000000:00000000 00:00000000 00000000     0        0 3\n";
    EXPECT_EQ(LoopbackListener::owners(11434, tcp, tcp6), QList<uint>{1000});
    EXPECT_EQ(LoopbackListener::owners(8080, tcp, tcp6), QList<uint>{0});
    EXPECT_TRUE(LoopbackListener::owners(40000, tcp, tcp6).isEmpty()); // connected, not listening
    EXPECT_EQ(LoopbackListener::of({}), LoopbackListener::Owner::nobody);
    EXPECT_EQ(LoopbackListener::of({0, ::getuid()}), LoopbackListener::Owner::trusted);

    if (::getuid() != 0)
        GTEST_SKIP() << "only root can listen as another user";
    constexpr uid_t kNobody = 65534;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A listener owned by `nobody` that reports each connection it takes.
        // The socket is its maker's: made once the process is `nobody`.
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(1);
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0)
            ::_exit(1);
        socklen_t length = sizeof address;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        const quint16 port = ntohs(address.sin_port);
        [[maybe_unused]] ssize_t n = ::write(ready[1], &port, sizeof port);
        while (::accept(listener, nullptr, nullptr) >= 0)
            n = ::write(ready[1], "c", 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    quint16 port = 0;
    ASSERT_EQ(::read(ready[0], &port, sizeof port), ssize_t(sizeof port));
    EXPECT_EQ(LoopbackListener::ofPort(port), LoopbackListener::Owner::otherUser);

    SimClock clock;
    QtHttpClient http{clock};
    LocalModelServer model(http, clock, QStringLiteral("http://127.0.0.1:%1").arg(port));
    const auto availability = finish(model.checkAvailability());
    EXPECT_FALSE(availability.available);
    EXPECT_TRUE(availability.reason.contains("another user runs the model server on that port"))
        << availability.reason.toStdString();
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    char taken = 0;
    EXPECT_EQ(::read(ready[0], &taken, 1), 0) << "the server was asked";
    ::close(ready[0]);
}
