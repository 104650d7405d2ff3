#pragma once

#include <QString>
#include <array>
#include <optional>

namespace tavrin {

class Defaults;

// The Claude model used with the user's key, stored under "claudeModel".
enum class ClaudeModel { haiku, sonnet };

inline constexpr std::array<ClaudeModel, 2> kAllClaudeModels = {ClaudeModel::haiku, ClaudeModel::sonnet};

QString name(ClaudeModel model);
// The model id sent to the Messages API.
QString modelId(ClaudeModel model);
// A case name or a model id; none for anything else.
std::optional<ClaudeModel> claudeModelFromName(const QString& nameOrId);

// The stored model; missing or unrecognised means `haiku`.
ClaudeModel currentClaudeModel(const Defaults& defaults);

} // namespace tavrin
