#pragma once

#include <memory>

namespace tavrin {

class AppState;
class Defaults;
class OnboardingView;

// The first-run window of a run, owned here: made on the first show over
// `state`, kept after closing (its place and its steps stay) and brought
// forward when shown again. Finishing the first run writes "onboardingDone"
// to `defaults` (none: nothing is kept) and closes the window. `state` and
// `defaults` outlive it.
class OnboardingWindow {
public:
    OnboardingWindow(AppState& state, Defaults* defaults);
    ~OnboardingWindow();
    OnboardingWindow(const OnboardingWindow&) = delete;
    OnboardingWindow& operator=(const OnboardingWindow&) = delete;

    // Opens the window, or brings it forward.
    void show();
    // Ends the first run: remembered, and the window closed.
    void finish();
    // The window, once made.
    OnboardingView* view() const { return view_.get(); }

private:
    AppState& state_;
    Defaults* defaults_;
    std::unique_ptr<OnboardingView> view_;
};

} // namespace tavrin
