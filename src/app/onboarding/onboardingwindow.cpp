#include "app/onboarding/onboardingwindow.h"

#include "app/onboarding/onboardingview.h"
#include "platform/defaults.h"

namespace tavrin {

OnboardingWindow::OnboardingWindow(AppState& state, Defaults* defaults) : state_(state), defaults_(defaults) {}

OnboardingWindow::~OnboardingWindow() = default;

void OnboardingWindow::show()
{
    if (!view_)
        view_ = OnboardingView::makeWindow(state_, [this] { finish(); });
    OnboardingView::bringForward(*view_);
}

void OnboardingWindow::finish()
{
    if (defaults_)
        defaults_->setValue(OnboardingView::kDoneKey, true);
    if (view_)
        view_->close();
}

} // namespace tavrin
