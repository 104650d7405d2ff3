#include "settings/settingsservices.h"

namespace tavrin {

bool SettingsServices::complete() const
{
    return state && windows && updater && shortcuts && router && keychain && log && planners && autoArrange && learning
           && habits && shareSafe && focus && openFirstRun && loginItem;
}

} // namespace tavrin
