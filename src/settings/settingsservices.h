#pragma once

#include "settings/loginitem.h"

#include <functional>
#include <optional>

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

// What the Settings window and its panes work with. Every one is required:
// the program hands in its own, tests their fakes; each outlives the window.
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
    Focus* focus = nullptr;
    // Opens the first-run window.
    std::function<void()> openFirstRun;
    // The autostart entry (the program's: the session's, starting itself).
    std::optional<LoginItem> loginItem;

    // Whether every collaborator above is given.
    bool complete() const;
};

} // namespace tavrin
