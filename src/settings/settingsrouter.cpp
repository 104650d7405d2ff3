#include "settings/settingsrouter.h"

namespace tavrin {

SettingsRouter& SettingsRouter::shared()
{
    static SettingsRouter* router = new SettingsRouter;
    return *router;
}

void SettingsRouter::setPane(SettingsPane pane)
{
    if (pane == pane_)
        return;
    pane_ = pane;
    emit paneChanged(pane);
}

} // namespace tavrin
