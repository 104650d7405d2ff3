#include "planning/planningservices.h"

#ifndef TAVRIN_AI_BASE_URL
#define TAVRIN_AI_BASE_URL "https://ai.tavrin.app/"
#endif

namespace tavrin {

QUrl PlanningServices::defaultAnthropicBase() { return QUrl(QStringLiteral("https://api.anthropic.com/")); }

QUrl PlanningServices::defaultTavrinAIBase() { return QUrl(QStringLiteral(TAVRIN_AI_BASE_URL)); }

} // namespace tavrin
