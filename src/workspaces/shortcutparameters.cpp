#include "workspaces/shortcutparameters.h"

namespace tavrin {

namespace {
Collaborator<ShortcutParameters>& current()
{
    static Collaborator<ShortcutParameters> parameters;
    return parameters;
}
} // namespace

Registration ShortcutParameters::install(ShortcutParameters& parameters)
{
    return current().set(parameters);
}

void ShortcutParameters::refresh()
{
    if (ShortcutParameters* parameters = current().get())
        parameters->update();
}

} // namespace tavrin
