#include "planning/plannerrouter.h"
#include "planning/usagecounters.h"
#include "planningfixture.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

const QByteArray kClaudeAnswer =
    QJsonDocument(QJsonObject{{"content", QJsonArray{QJsonObject{
                                              {"type", "text"},
                                              {"text", R"({"workspaceName":"From Claude","layout":"halves","why":"w",
                                 "windows":[{"app":"Code","existingWindow":1,"purpose":"p"}]})"}}}}})
        .toJson();

class PlannerRouterTest : public PlanningTest {
protected:
    PlannerRouterTest()
    {
        model.setAnswer({"From the device", "thirds", "w", {{"Terminal", "Shell", ""}}, {}});
        setClaudeKey("sk-ant-key");
        answer(200, kClaudeAnswer);
    }

    void setEngine(const char* engine, bool tryOnDeviceFirst = false)
    {
        defaults.setValue("aiEngine", engine);
        defaults.setValue("tryOnDeviceFirst", tryOnDeviceFirst);
    }

    QStringList choiceNames() const
    {
        QStringList names;
        for (const auto& c : router.choices())
            names.append(c.name);
        return names;
    }

    qint64 usage(UsageCounters::Kind kind) { return UsageCounters(defaults, clock).count(clock.nowDate(), kind); }

    PlannerRouter router{services};
};

} // namespace

TEST_F(PlannerRouterTest, ChoosesPlannersFromTheSettings)
{
    EXPECT_TRUE(router.choices().isEmpty()); // missing means off
    setEngine("bogus");
    EXPECT_TRUE(router.choices().isEmpty());
    setEngine("off", true);
    EXPECT_TRUE(router.choices().isEmpty());
    setEngine("onDevice", true);
    EXPECT_EQ(choiceNames(), QStringList{"On-device"});
    setEngine("claude");
    EXPECT_EQ(choiceNames(), QStringList{"Claude · your key"});
    setEngine("tavrinAI"); // not offered here: never picked
    EXPECT_TRUE(router.choices().isEmpty());
    setEngine("claude", true);
    EXPECT_EQ(choiceNames(), (QStringList{"On-device", "Claude · your key"}));
    setEngine("tavrinAI", true);
    EXPECT_TRUE(router.choices().isEmpty());
    setEngine("claude", true);
    model.setAvailability(false, "off");
    EXPECT_EQ(choiceNames(), QStringList{"Claude · your key"});
    setEngine("onDevice");
    EXPECT_EQ(choiceNames(), QStringList{"On-device"}); // and it will say why it can't
}

TEST_F(PlannerRouterTest, WithNoPlannerAsksTheUserToTurnAIOn)
{
    const auto result = finish(router.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(),
              PlannerError::notSetUp("Turn on AI in Settings › AI to describe tasks in plain English."));
    EXPECT_TRUE(log.entries().isEmpty());
}

TEST_F(PlannerRouterTest, TavrinAISaysItIsUnavailableAndAsksNoServer)
{
    setEngine("tavrinAI", true);
    const auto result = finish(router.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), PlannerError::notSetUp(PlannerError::tavrinAIUnavailableMessage()));
    EXPECT_FALSE(result.error().message.contains("Sign in"));
    EXPECT_TRUE(server.received().isEmpty());
    EXPECT_TRUE(log.entries().isEmpty());
}

TEST_F(PlannerRouterTest, TheFirstPlannerThatSucceedsWins)
{
    setEngine("claude", true);
    const auto result = finish(router.plan(sampleRequest()));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value().label, "On-device");
    EXPECT_EQ(result.value().plan.workspaceName, "From the device");
    EXPECT_TRUE(server.received().isEmpty()); // Claude was never asked
    EXPECT_EQ(usage(UsageCounters::Kind::device), 1);
    EXPECT_EQ(usage(UsageCounters::Kind::cloud), 0);
}

TEST_F(PlannerRouterTest, AFailedPlannerMakesWayAndIsNamedInTheLabel)
{
    setEngine("claude", true);
    model.setFailure("no");
    const auto result = finish(router.plan(sampleRequest()));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value().label, "Claude · your key (after On-device)");
    EXPECT_EQ(result.value().plan.workspaceName, "From Claude");
    EXPECT_EQ(usage(UsageCounters::Kind::cloud), 1);
    EXPECT_EQ(usage(UsageCounters::Kind::device), 0);
    // Both requests are in the log, newest first.
    ASSERT_EQ(log.entries().size(), 2);
    EXPECT_EQ(log.entries()[0].engine, "Claude · your key");
    EXPECT_EQ(log.entries()[1].engine, "On-device");
    EXPECT_EQ(log.entries()[1].outcome.kind, RequestLog::Outcome::Kind::failed);
}

TEST_F(PlannerRouterTest, TheOnDeviceModelGetsThreeSecondsWhenAnotherPlannerFollows)
{
    setEngine("claude", true);
    model.setDelay(10);
    Pending pending(router.plan(sampleRequest()));
    clock.advance(2.9);
    QCoreApplication::processEvents();
    EXPECT_TRUE(server.received().isEmpty());
    clock.advance(0.1);
    const auto result = pending.result();
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value().label, "Claude · your key (after On-device)");
    EXPECT_DOUBLE_EQ(clock.monotonic(), 3.0);
    EXPECT_EQ(log.entries()[1].outcome, RequestLog::Outcome::failed("The on-device model took too long."));

    clock.advance(7); // the model's late answer is dropped
    EXPECT_EQ(log.entries().size(), 2);
    EXPECT_EQ(log.entries()[1].outcome, RequestLog::Outcome::failed("The on-device model took too long."));
}

TEST_F(PlannerRouterTest, TheOnDeviceModelAloneHasNoLimit)
{
    setEngine("onDevice");
    model.setDelay(10);
    Pending pending(router.plan(sampleRequest()));
    clock.advance(9.9);
    EXPECT_FALSE(pending.done());
    clock.advance(0.1);
    ASSERT_TRUE(pending.done());
    EXPECT_EQ(pending.result().value().label, "On-device");
}

TEST_F(PlannerRouterTest, WhenAllFailTheLastErrorIsReturned)
{
    setEngine("claude", true);
    model.setFailure("no");
    answer(401, "{}");
    const auto result = finish(router.plan(sampleRequest()));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, PlannerError::Kind::rejected);
    EXPECT_EQ(usage(UsageCounters::Kind::cloud), 0);
    EXPECT_EQ(usage(UsageCounters::Kind::device), 0);
}

TEST_F(PlannerRouterTest, CountsUsageByMonth)
{
    setEngine("claude");
    clock.setNow(Clock::referenceSeconds(QDateTime(QDate(2026, 12, 15), QTime(12, 0), Qt::LocalTime)));
    ASSERT_TRUE(finish(router.plan(sampleRequest())).ok());
    ASSERT_TRUE(finish(router.plan(sampleRequest())).ok());
    clock.setNow(Clock::referenceSeconds(QDateTime(QDate(2027, 1, 2), QTime(12, 0), Qt::LocalTime)));
    ASSERT_TRUE(finish(router.plan(sampleRequest())).ok());
    setEngine("onDevice");
    ASSERT_TRUE(finish(router.plan(sampleRequest())).ok());

    EXPECT_EQ(defaults.integer("usage.2026-12.cloud"), 2);
    EXPECT_EQ(defaults.integer("usage.2027-01.cloud"), 1);
    EXPECT_EQ(defaults.integer("usage.2027-01.device"), 1);
    EXPECT_FALSE(defaults.contains("usage.2026-12.device"));
}

TEST(UsageCounters, KeysUseTheLocalGregorianMonth)
{
    const QDateTime late(QDate(2026, 3, 31), QTime(23, 59, 59), Qt::LocalTime);
    EXPECT_EQ(UsageCounters::key(late, UsageCounters::Kind::device), "usage.2026-03.device");
    EXPECT_EQ(UsageCounters::key(late.addSecs(1), UsageCounters::Kind::cloud), "usage.2026-04.cloud");
}
