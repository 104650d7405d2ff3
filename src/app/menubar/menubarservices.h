#pragma once

namespace tavrin {

class AppState;
class Clock;
class Defaults;
class ShortcutStore;
class Updater;
class WindowManager;

// What the menu-bar window works with, each outliving it: the application
// state, the window manager it reads and arranges with, the shortcut store
// whose keys it shows, the updater its footer checks with, and the
// platform's settings and clock (each may be missing: the mode switches show
// on and nothing is kept; the wall clock dates what is shown).
struct MenuBarServices {
    AppState& state;
    WindowManager& windows;
    ShortcutStore& shortcuts;
    Updater& updater;
    Defaults* defaults;
    Clock* clock;
};

} // namespace tavrin
