#pragma once

#include <functional>

namespace tavrin {

class Accessibility;
class AppState;
class Clock;
class Defaults;
struct Platform;
class Updater;
class WindowManager;

// The application: the shared state its windows observe, and the start-up
// that runs once launching has finished (as soon as the main loop runs).
class TavrinApp {
public:
    static inline const char* kDemoVariable = "TAVRIN_DEMO";

    // `showOnboarding` opens the first-run window; the platform's clock
    // times the start-up, and its Accessibility trust and settings say
    // whether the first run is done.
    TavrinApp(AppState& state, WindowManager& windows, Updater& updater, const Platform& platform,
              std::function<void()> showOnboarding);

    AppState& state() const { return state_; }
    WindowManager& windows() const { return windows_; }

    // Asks for startUp() as soon as the main loop runs, and then for
    // `started` (the engines run and the hot keys are held by then).
    void launch(std::function<void()> started = {});
    // Starts the engines, then the updater, then opens the first-run window
    // unless the first run is done and Accessibility is trusted, or
    // TAVRIN_DEMO is set (to anything, even nothing). Runs once; true when
    // it opened the first-run window.
    bool startUp();
    // Whether the first-run window is wanted at launch now.
    bool wantsOnboarding() const;

private:
    AppState& state_;
    WindowManager& windows_;
    Updater& updater_;
    Clock& clock_;
    Accessibility* accessibility_;
    Defaults* defaults_;
    std::function<void()> showOnboarding_;
    bool startedUp_ = false;
};

} // namespace tavrin
