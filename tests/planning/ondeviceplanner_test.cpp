#include "planning/ondeviceplanner.h"
#include "planning/plannerinstructions.h"
#include "planningfixture.h"

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

TEST(UnavailableLanguageModel, IsNeverAvailable)
{
    UnavailableLanguageModel model;
    EXPECT_FALSE(model.availability().available);
    EXPECT_FALSE(model.availability().reason.isEmpty());
    const auto generation = finish(model.makeSession("i", {})->generatePlan("p"));
    EXPECT_FALSE(generation.plan);
}
