#pragma once

#include <QString>
#include <array>
#include <optional>

namespace tavrin {

// The panes of the Settings window, in the sidebar's order.
enum class SettingsPane { general, layouts, workspaces, modes, learning, shortcuts, integrations, privacy, ai };

inline constexpr std::array<SettingsPane, 9> kAllSettingsPanes = {
    SettingsPane::general,      SettingsPane::layouts,  SettingsPane::workspaces,
    SettingsPane::modes,        SettingsPane::learning, SettingsPane::shortcuts,
    SettingsPane::integrations, SettingsPane::privacy,  SettingsPane::ai,
};

// The pane's case name ("general", "ai", …).
QString settingsPaneName(SettingsPane pane);

} // namespace tavrin
