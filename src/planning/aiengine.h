#pragma once

#include <QString>
#include <array>
#include <optional>

namespace tavrin {

class Defaults;

// The planner chosen in Settings, stored by name under "aiEngine".
enum class AIEngine { off, onDevice, tavrinAI, claude };

inline constexpr std::array<AIEngine, 4> kAllAIEngines = {AIEngine::off, AIEngine::onDevice, AIEngine::tavrinAI,
                                                          AIEngine::claude};

QString name(AIEngine engine);
std::optional<AIEngine> aiEngineFromName(const QString& name);

// The stored engine; a missing or unrecognised value is `off`.
AIEngine currentAIEngine(const Defaults& defaults);

} // namespace tavrin
