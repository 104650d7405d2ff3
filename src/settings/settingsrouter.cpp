#include "settings/settingsrouter.h"

namespace tavrin {

void SettingsRouter::setPane(SettingsPane pane)
{
    if (pane == pane_)
        return;
    pane_ = pane;
    emit paneChanged(pane);
}

} // namespace tavrin
