#pragma once

#include <QString>
#include <array>
#include <optional>

namespace tavrin {

// What happens to an application that a plan clears away; stored by name
// ("hide", "quit").
enum class ClearAction { hide, quit };

inline constexpr std::array<ClearAction, 2> kAllClearActions = {ClearAction::hide, ClearAction::quit};

QString name(ClearAction action);
std::optional<ClearAction> clearActionFromName(const QString& name);

} // namespace tavrin
