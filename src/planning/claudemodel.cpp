#include "planning/claudemodel.h"

#include "platform/defaults.h"

namespace tavrin {

QString name(ClaudeModel model)
{
    return model == ClaudeModel::sonnet ? QStringLiteral("sonnet") : QStringLiteral("haiku");
}

QString modelId(ClaudeModel model)
{
    return model == ClaudeModel::sonnet ? QStringLiteral("claude-sonnet-5-5") : QStringLiteral("claude-haiku-5-5");
}

std::optional<ClaudeModel> claudeModelFromName(const QString& nameOrId)
{
    for (ClaudeModel m : kAllClaudeModels)
        if (name(m) == nameOrId || modelId(m) == nameOrId)
            return m;
    return std::nullopt;
}

ClaudeModel currentClaudeModel(const Defaults& defaults)
{
    return claudeModelFromName(defaults.string(QStringLiteral("claudeModel")).value_or(QString()))
        .value_or(ClaudeModel::haiku);
}

} // namespace tavrin
