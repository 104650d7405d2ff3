#include "workspaces/shortcutparameters.h"

namespace tavrin {

Registration ShortcutParameters::install(ShortcutParameters& parameters)
{
    return processWide<ShortcutParameters>().set(parameters);
}

void ShortcutParameters::refresh()
{
    if (ShortcutParameters* parameters = processWide<ShortcutParameters>().get())
        parameters->update();
}

} // namespace tavrin
