#pragma once

#include "settings/loginitem.h"

#include <functional>

namespace tavrin {

class AppState;
class AutoArrange;
class Focus;
class Habits;
class KeychainStore;
class Learning;
class PlannerRouter;
class RequestLog;
class SettingsRouter;
class ShareSafe;
class ShortcutStore;
class Updater;
class WindowManager;

// What the Settings window and its panes work with. A collaborator left
// empty is the program's shared one (`resolved()`); tests give their own.
struct SettingsServices {
    AppState* state = nullptr;
    WindowManager* windows = nullptr;
    Updater* updater = nullptr;
    ShortcutStore* shortcuts = nullptr;
    SettingsRouter* router = nullptr;
    KeychainStore* keychain = nullptr;
    RequestLog* log = nullptr;
    PlannerRouter* planners = nullptr;
    AutoArrange* autoArrange = nullptr;
    Learning* learning = nullptr;
    Habits* habits = nullptr;
    ShareSafe* shareSafe = nullptr;
    // The Focus engine: always given (the program makes its own at start).
    Focus* focus = nullptr;
    // Opens the first-run window; empty: the program's own.
    std::function<void()> openFirstRun;
    // The autostart entry; none: the session's, starting this program.
    std::optional<LoginItem> loginItem;

    // These services with every empty one filled in.
    SettingsServices resolved() const;
};

} // namespace tavrin
