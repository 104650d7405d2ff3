#include "planning/aiengine.h"
#include "planning/claudemodel.h"
#include "planningfixture.h"

using namespace tavrin;
using namespace tavrin::testing;

TEST(AIEngine, ReadsTheStoredNameAndTreatsAnythingElseAsOff)
{
    MemoryDefaults defaults;
    EXPECT_EQ(currentAIEngine(defaults), AIEngine::off);
    const std::pair<const char*, AIEngine> stored[] = {
        {"off", AIEngine::off},       {"onDevice", AIEngine::onDevice}, {"tavrinAI", AIEngine::tavrinAI},
        {"claude", AIEngine::claude}, {"Claude", AIEngine::off},        {"", AIEngine::off}};
    for (const auto& [text, engine] : stored) {
        defaults.setValue("aiEngine", QString::fromLatin1(text));
        EXPECT_EQ(currentAIEngine(defaults), engine) << text;
    }
    defaults.setValue("aiEngine", qint64(2));
    EXPECT_EQ(currentAIEngine(defaults), AIEngine::off);
    for (AIEngine e : kAllAIEngines)
        EXPECT_EQ(aiEngineFromName(name(e)), e);
}

TEST(ClaudeModel, ReadsCaseNamesAndModelIds)
{
    MemoryDefaults defaults;
    EXPECT_EQ(currentClaudeModel(defaults), ClaudeModel::haiku);
    defaults.setValue("claudeModel", "sonnet");
    EXPECT_EQ(currentClaudeModel(defaults), ClaudeModel::sonnet);
    defaults.setValue("claudeModel", "claude-sonnet-5-5");
    EXPECT_EQ(currentClaudeModel(defaults), ClaudeModel::sonnet);
    defaults.setValue("claudeModel", "claude-haiku-5-5");
    EXPECT_EQ(currentClaudeModel(defaults), ClaudeModel::haiku);
    defaults.setValue("claudeModel", "opus");
    EXPECT_EQ(currentClaudeModel(defaults), ClaudeModel::haiku);
    EXPECT_EQ(modelId(ClaudeModel::haiku), "claude-haiku-5-5");
    EXPECT_EQ(name(ClaudeModel::sonnet), "sonnet");
}
