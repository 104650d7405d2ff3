#pragma once

#include <functional>

namespace tavrin {

class ActiveWorkspaceHolder;
class AppState;
class Clock;
class Defaults;
class ShortcutStore;
class Updater;
class WindowManager;
class WindowServer;

// What the menu-bar window works with, each outliving it: the application
// state, the window manager it reads and arranges with, the shortcut store
// whose keys it shows, the updater its footer checks with, the active
// workspace its title names, and the platform's settings and clock (each
// may be missing: the mode switches show on and nothing is kept; the wall
// clock dates what is shown), and the window server whose news of windows
// keeps the open window current (when missing, it reads the desktop only as
// it opens).
struct MenuBarServices {
    AppState& state;
    WindowManager& windows;
    ShortcutStore& shortcuts;
    Updater& updater;
    const ActiveWorkspaceHolder& active;
    Defaults* defaults;
    Clock* clock;
    WindowServer* windowServer = nullptr;
    // Opens the first-run window (none: its button does nothing else than
    // close the menu-bar window).
    std::function<void()> openFirstRun = {};
};

} // namespace tavrin
