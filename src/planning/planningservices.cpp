#include "planning/planningservices.h"

#include "platform/platform.h"

#ifndef TAVRIN_AI_BASE_URL
#define TAVRIN_AI_BASE_URL "https://ai.tavrin.app/"
#endif

namespace tavrin {

PlanningServices PlanningServices::resolved() const
{
    PlanningServices s = *this;
    if (!s.defaults || !s.clock || !s.http || !s.languageModel) {
        const Platform& p = Platform::current();
        s.defaults = s.defaults ? s.defaults : p.defaults;
        s.clock = s.clock ? s.clock : p.clock;
        s.http = s.http ? s.http : p.http;
        s.languageModel = s.languageModel ? s.languageModel : p.languageModel;
    }
    return s;
}

QUrl PlanningServices::defaultAnthropicBase() { return QUrl(QStringLiteral("https://api.anthropic.com/")); }

QUrl PlanningServices::defaultTavrinAIBase() { return QUrl(QStringLiteral(TAVRIN_AI_BASE_URL)); }

} // namespace tavrin
