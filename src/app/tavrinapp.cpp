#include "app/tavrinapp.h"

#include "app/appstate.h"
#include "app/updates/updater.h"
#include "platform/accessibility.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/platform.h"

namespace tavrin {

TavrinApp::TavrinApp(AppState& state, WindowManager& windows, Updater& updater, const Platform& platform,
                     std::function<void()> showOnboarding)
    : state_(state),
      windows_(windows),
      updater_(updater),
      clock_(*platform.clock),
      accessibility_(platform.accessibility),
      defaults_(platform.defaults),
      showOnboarding_(std::move(showOnboarding))
{}

void TavrinApp::launch(std::function<void()> started)
{
    clock_.schedule(0, [this, started = std::move(started)] {
        startUp();
        if (started)
            started();
    });
}

bool TavrinApp::wantsOnboarding() const
{
    // Asked afresh, not taken from the state's last poll.
    const bool trusted = accessibility_ && accessibility_->isTrusted(false);
    const bool done = defaults_ && defaults_->boolValue(QStringLiteral("onboardingDone"));
    if (done && trusted)
        return false;
    return !qEnvironmentVariableIsSet(kDemoVariable);
}

bool TavrinApp::startUp()
{
    if (startedUp_)
        return false;
    startedUp_ = true;
    state_.startEngines();
    updater_.start();
    if (!wantsOnboarding())
        return false;
    if (showOnboarding_)
        showOnboarding_();
    return true;
}

} // namespace tavrin
