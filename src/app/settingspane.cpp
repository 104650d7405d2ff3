#include "app/settingspane.h"

namespace tavrin {

QString settingsPaneName(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::general: return QStringLiteral("general");
    case SettingsPane::layouts: return QStringLiteral("layouts");
    case SettingsPane::workspaces: return QStringLiteral("workspaces");
    case SettingsPane::modes: return QStringLiteral("modes");
    case SettingsPane::learning: return QStringLiteral("learning");
    case SettingsPane::shortcuts: return QStringLiteral("shortcuts");
    case SettingsPane::integrations: return QStringLiteral("integrations");
    case SettingsPane::privacy: return QStringLiteral("privacy");
    case SettingsPane::ai: return QStringLiteral("ai");
    }
    return {};
}

} // namespace tavrin
