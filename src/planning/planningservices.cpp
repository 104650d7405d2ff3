#include "planning/planningservices.h"

#include "planning/keychainstore.h"
#include "planning/requestlog.h"
#include "platform/platform.h"

#ifndef TAVRIN_AI_BASE_URL
#define TAVRIN_AI_BASE_URL "https://ai.tavrin.app/"
#endif

namespace tavrin {

PlanningServices PlanningServices::fromPlatform()
{
    const Platform& p = Platform::current();
    PlanningServices s;
    s.defaults = p.defaults;
    s.clock = p.clock;
    s.http = p.http;
    s.languageModel = p.languageModel;
    s.keychain = &KeychainStore::shared();
    s.log = &RequestLog::shared();
    return s;
}

QUrl PlanningServices::defaultAnthropicBase() { return QUrl(QStringLiteral("https://api.anthropic.com/")); }

QUrl PlanningServices::defaultTavrinAIBase() { return QUrl(QStringLiteral(TAVRIN_AI_BASE_URL)); }

} // namespace tavrin
