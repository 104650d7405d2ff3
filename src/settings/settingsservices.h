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

// What the Settings window and its panes work with. Every one is required:
// the program hands in its own, tests their fakes; each outlives the window.
struct SettingsServices {
    AppState& state;
    WindowManager& windows;
    Updater& updater;
    ShortcutStore& shortcuts;
    SettingsRouter& router;
    KeychainStore& keychain;
    RequestLog& log;
    PlannerRouter& planners;
    AutoArrange& autoArrange;
    Learning& learning;
    Habits& habits;
    ShareSafe& shareSafe;
    Focus& focus;
    // Opens the first-run window.
    std::function<void()> openFirstRun;
    // The autostart entry (the program's: the session's, starting itself).
    LoginItem loginItem;
};

} // namespace tavrin
