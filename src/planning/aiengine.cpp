#include "planning/aiengine.h"

#include "platform/defaults.h"

namespace tavrin {

QString name(AIEngine engine)
{
    switch (engine) {
    case AIEngine::onDevice: return QStringLiteral("onDevice");
    case AIEngine::tavrinAI: return QStringLiteral("tavrinAI");
    case AIEngine::claude: return QStringLiteral("claude");
    case AIEngine::off: break;
    }
    return QStringLiteral("off");
}

std::optional<AIEngine> aiEngineFromName(const QString& text)
{
    for (AIEngine e : kAllAIEngines)
        if (name(e) == text)
            return e;
    return std::nullopt;
}

AIEngine currentAIEngine(const Defaults& defaults)
{
    return aiEngineFromName(defaults.string(QStringLiteral("aiEngine")).value_or(QString())).value_or(AIEngine::off);
}

} // namespace tavrin
