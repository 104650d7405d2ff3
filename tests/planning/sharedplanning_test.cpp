#include "planning/plannerrouter.h"
#include "planning/usagecounters.h"
#include "planningfixture.h"
#include "support/simfixture.h"

using namespace tavrin;
using namespace tavrin::testing;

// The shared router, Keychain store and request log use whichever platform is
// installed when they are called, not the one of their first use.
TEST(SharedPlanning, FollowsTheInstalledPlatform)
{
    for (int run = 0; run < 2; ++run) {
        SimEnvironment env;
        SimLanguageModel model(env.clock);
        model.setAnswer({"Here", "halves", "w", {{"Safari", "Browse", ""}}, {}});
        Platform::current().languageModel = &model;
        env.defaults.setValue("aiEngine", "onDevice");
        env.keychain.setItem("app.tavrin", "anthropic-api-key", "sk-ant-shared");
        env.clock.advance(60.0 * (run + 1));

        EXPECT_EQ(PlannerRouter::shared().choices().size(), 1);
        const auto result = finish(PlannerRouter::shared().plan(sampleRequest()));
        ASSERT_TRUE(result.ok()) << run;
        EXPECT_EQ(result.value().label, "On-device");
        EXPECT_EQ(RequestLog::shared().entries().first().date, env.clock.nowDate());
        EXPECT_EQ(env.defaults.integer(UsageCounters::key(env.clock.nowDate(), UsageCounters::Kind::device)), 1);
        EXPECT_EQ(finish(KeychainStore::shared().claudeKey()), "sk-ant-shared");
    }
    EXPECT_EQ(RequestLog::shared().entries().size(), 2);
}
