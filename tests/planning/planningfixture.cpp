#include "planningfixture.h"

namespace tavrin::testing {

PlanRequest sampleRequest()
{
    PlanRequest r;
    r.request = QStringLiteral("Review the open pull request");
    r.display = {QStringLiteral("Studio Display"), 2.39};
    r.windows = {
        {QStringLiteral("Safari"), QStringLiteral("Pull request #12"), QStringLiteral("https://example.com/pr/12"),
         QStringList{QStringLiteral("CI run"), QStringLiteral("Design doc")}},
        {QStringLiteral("Code"), QStringLiteral("planner.cpp"), std::nullopt, std::nullopt},
        {QStringLiteral("Terminal"), QStringLiteral("zsh (minimised)"), std::nullopt, std::nullopt},
        {QStringLiteral("Messages"), QStringLiteral("Chat (hidden app)"), std::nullopt, std::nullopt},
    };
    return r;
}

PlanningServices PlanningTest::readingKeysFrom(KeychainStore& store) const
{
    return {.defaults = services.defaults,
            .clock = services.clock,
            .http = services.http,
            .languageModel = services.languageModel,
            .keychain = store,
            .log = services.log,
            .anthropicBase = services.anthropicBase,
            .tavrinAIBase = services.tavrinAIBase};
}

} // namespace tavrin::testing
