#include "settings/settingsservices.h"

#include "app/appstate.h"
#include "app/onboarding/onboardingview.h"
#include "app/updates/updater.h"
#include "modes/sharesafe.h"
#include "planning/keychainstore.h"
#include "planning/plannerrouter.h"
#include "planning/requestlog.h"
#include "settings/settingsrouter.h"
#include "snapping/arranging/autoarrange.h"
#include "snapping/learning/habits.h"
#include "snapping/learning/learning.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

namespace tavrin {

SettingsServices SettingsServices::resolved() const
{
    SettingsServices s = *this;
    if (!s.state)
        s.state = &AppState::shared();
    if (!s.windows)
        s.windows = &WindowManager::shared();
    if (!s.updater)
        s.updater = &Updater::shared();
    if (!s.shortcuts)
        s.shortcuts = &ShortcutStore::shared();
    if (!s.router)
        s.router = &SettingsRouter::shared();
    if (!s.keychain)
        s.keychain = &KeychainStore::shared();
    if (!s.log)
        s.log = &RequestLog::shared();
    if (!s.planners)
        s.planners = &PlannerRouter::shared();
    if (!s.autoArrange)
        s.autoArrange = &AutoArrange::shared();
    if (!s.learning)
        s.learning = &Learning::shared();
    if (!s.habits)
        s.habits = &Habits::shared();
    if (!s.shareSafe)
        s.shareSafe = &ShareSafe::shared();
    if (!s.openFirstRun)
        s.openFirstRun = &OnboardingView::showWindow;
    if (!s.loginItem)
        s.loginItem.emplace();
    return s;
}

} // namespace tavrin
