#pragma once

namespace tavrin {

class Accessibility;
class ActiveWorkspaceHolder;
class Clock;
class CommandBarPlanner;
class CommandBarRunner;
class Defaults;
class KeychainStore;
class PlannerRouter;
class WindowManager;

// What the command bar works with, each outliving it: the window manager it
// reads and places windows through, where its plans come from and are
// carried out, the active workspace an arrangement sets, the planners and
// the Keychain store its setup card asks after, and the platform's clock,
// settings and Accessibility trust. The program hands in its own; tests
// script the planner and the runner.
struct CommandBarServices {
    WindowManager& windows;
    CommandBarPlanner& planner;
    CommandBarRunner& runner;
    ActiveWorkspaceHolder& active;
    PlannerRouter& planners;
    KeychainStore& keychain;
    Clock& clock;
    Defaults& defaults;
    Accessibility& accessibility;
};

} // namespace tavrin
