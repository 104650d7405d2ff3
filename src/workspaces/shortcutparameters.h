#pragma once

#include "platform/registration.h"

namespace tavrin {

// What the intents offer as parameters (the saved workspaces, the routines):
// stores that change them call refresh() after writing. The shell installs
// the one that publishes them. Main thread.
class ShortcutParameters {
public:
    virtual ~ShortcutParameters() = default;
    virtual void update() = 0;

    // The one in use until the handle goes.
    [[nodiscard]] static Registration install(ShortcutParameters& parameters);
    // Updates the installed one; nothing when none is.
    static void refresh();
};

} // namespace tavrin
