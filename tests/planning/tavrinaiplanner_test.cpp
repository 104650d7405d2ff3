#include "planning/tavrinaiplanner.h"
#include "planningfixture.h"

#include <QJsonDocument>
#include <QUuid>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

const QByteArray kToken = "tvr_token_abc";

const QByteArray kAnswer = R"json({"plan":{"workspaceName":"Catch up","layout":"halves","why":"Chat beside mail.",
    "windows":[{"app":"Messages","existingWindow":3,"purpose":"Chat"},
               {"app":"Safari","openURL":"javascript:alert(document.cookie)","purpose":"Mail",
                "tabs":["https://mail.example.com","file:///Users/me/.ssh/id_rsa"]}]},
    "usage":{"used":12,"limit":200}})json";

class TavrinAIPlannerTest : public PlanningTest {
protected:
    TavrinAIPlanner planner{services};
};

} // namespace

TEST_F(TavrinAIPlannerTest, PostsTheRequestWithTheTokenAndInstance)
{
    setTavrinToken(kToken);
    answer(200, kAnswer);
    ASSERT_TRUE(finish(planner.plan(sampleRequest())).ok());
    ASSERT_TRUE(finish(planner.plan(sampleRequest())).ok());

    ASSERT_EQ(server.received().size(), 2);
    const auto& sent = server.received()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.target, "/v1/plan");
    EXPECT_EQ(sent.header("Content-Type"), "application/json");
    EXPECT_EQ(sent.header("Authorization"), "Bearer " + kToken);
    EXPECT_EQ(QJsonDocument::fromJson(sent.body).object(), sampleRequest().toJson());

    // The instance id is a UUID made once and kept in the Keychain.
    const QByteArray instance = sent.header("X-Tavrin-Instance");
    EXPECT_FALSE(QUuid::fromString(QString::fromLatin1(instance)).isNull());
    EXPECT_EQ(server.received()[1].header("X-Tavrin-Instance"), instance);
    EXPECT_EQ(keychain.item("app.tavrin", "tavrin-instance"), instance);

    const RequestLog::Entry& entry = log.entries()[0];
    EXPECT_EQ(entry.engine, "Tavrin AI");
    EXPECT_EQ(entry.destination, "127.0.0.1/v1/plan");
    EXPECT_FALSE(entry.text.contains(QString::fromUtf8(kToken)));
    EXPECT_EQ(QJsonDocument::fromJson(entry.text.toUtf8()).object(), sampleRequest().toJson());
    EXPECT_EQ(entry.bytes, sent.body.size());
}

TEST_F(TavrinAIPlannerTest, ValidatesThePlanAndKeepsTheUsage)
{
    setTavrinToken(kToken);
    EXPECT_FALSE(planner.lastUsage());
    answer(200, kAnswer);
    const auto result = finish(planner.plan(sampleRequest()));
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.value().windows.size(), 2);
    EXPECT_FALSE(result.value().windows[1].openURL);
    EXPECT_EQ(result.value().windows[1].tabs, QStringList{"https://mail.example.com"});
    EXPECT_EQ(planner.lastUsage(), (TavrinAIPlanner::Usage{12, 200}));
    EXPECT_EQ(log.entries()[0].outcome, RequestLog::Outcome::ok());
}

TEST_F(TavrinAIPlannerTest, ShowsTheServicesOwnMessageForEachErrorCode)
{
    setTavrinToken(kToken);
    const struct {
        int status;
        const char* body;
        PlannerError expected;
    } cases[] = {
        {401, R"({"error":{"code":"unauthorized","message":"Your session ended. Sign in again."}})",
         PlannerError::rejected("Your session ended. Sign in again.")},
        {402, R"({"error":{"code":"quota","message":"You've used all 200 plans this month."}})",
         PlannerError::quotaReached("You've used all 200 plans this month.")},
        {500, R"({"error":{"code":"overloaded","message":"Tavrin AI is busy."}})",
         PlannerError::unavailable("Tavrin AI is busy.")},
        // Without an error object the status decides, with our own words.
        {429, "", PlannerError::quotaReached("You've used this month's Tavrin AI requests.")},
        {502, "<html>", PlannerError::unavailable("Couldn't reach Tavrin AI. Check your connection and try again.")},
    };
    for (const auto& c : cases) {
        answer(c.status, c.body);
        const auto result = finish(planner.plan(sampleRequest()));
        ASSERT_FALSE(result.ok()) << c.body;
        EXPECT_EQ(result.error(), c.expected) << c.body;
        EXPECT_EQ(log.entries()[0].outcome, RequestLog::Outcome::failed(c.expected.message));
    }

    answer(200, R"({"plan":{"workspaceName":"A","layout":"diagonal","why":"","windows":[]}})");
    const auto unusable = finish(planner.plan(sampleRequest()));
    ASSERT_FALSE(unusable.ok());
    EXPECT_EQ(unusable.error(), PlannerError::unavailable("Tavrin AI's answer couldn't be used. Try again."));
}

TEST_F(TavrinAIPlannerTest, TheServicesMessageIsShownSafely)
{
    setTavrinToken(kToken);
    const QString reversed = QString(QChar(0x202E)) + "gnp.exe" + QChar(0x202C);
    const struct {
        QString message;
        QString shown;
    } cases[] = {
        {"Line one\nline two" + QString(QChar(7)), "Line one line two"},
        {"Open " + reversed + " now", "Open gnp.exe now"},
        {QString(400, QChar(u'm')), QString(300, QChar(u'm'))},
        // Nothing left: our own words.
        {" " + QString(QChar(1)) + "\t" + QChar(0x2066) + " ", PlannerError::tavrinAIUnreachableMessage()},
    };
    for (const auto& c : cases) {
        const QJsonObject body{{"error", QJsonObject{{"code", "overloaded"}, {"message", c.message}}}};
        answer(500, QJsonDocument(body).toJson());
        const auto result = finish(planner.plan(sampleRequest()));
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().message, c.shown);
    }
}

TEST_F(TavrinAIPlannerTest, AnAnswerOverTheCapIsCalledTooLarge)
{
    setTavrinToken(kToken);
    server.setReply({200, {}, false, true});
    const auto result = finish(planner.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), PlannerError::unavailable("Tavrin AI's answer was too large to use. Try again."));
}

TEST_F(TavrinAIPlannerTest, NeedsASignIn)
{
    const auto result = finish(planner.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), PlannerError::notSetUp("Sign in to Tavrin AI in Settings › AI."));
    EXPECT_TRUE(server.received().isEmpty());
}

TEST_F(TavrinAIPlannerTest, TimesOutOnTheVirtualClock)
{
    setTavrinToken(kToken);
    server.setReply({200, {}, true});
    Pending pending(planner.plan(sampleRequest()));
    ASSERT_TRUE(processEventsUntil([&] { return !server.received().isEmpty(); }));
    clock.advance(29.9);
    EXPECT_FALSE(pending.done());
    clock.advance(0.1);
    const auto result = pending.result();
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().message, "Couldn't reach Tavrin AI. Check your connection and try again.");
}
