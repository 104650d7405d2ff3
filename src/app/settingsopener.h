#pragma once

#include "app/settingspane.h"

#include <optional>

namespace tavrin {

// Opens the Settings window: the one route every part of the shell (the
// menu-bar window, the command bar, the first-run window) takes to it. The
// Settings window, built above the shell, registers itself with AppState.
class SettingsOpener {
public:
    virtual ~SettingsOpener() = default;
    // Shows the window with `pane` selected (none: the pane shown last),
    // raised and given the keyboard.
    virtual void show(std::optional<SettingsPane> pane) = 0;
};

} // namespace tavrin
