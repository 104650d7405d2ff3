#pragma once

#include "app/intents/intentresult.h"
#include "app/intents/layoutchoice.h"

namespace tavrin {

class WindowManager;

// "Arrange Windows": arranges the focused display's windows in a layout and
// remembers it as that display's usual one, as the layout keys do. Problems
// are the window manager's to report.
struct ApplyLayoutIntent {
    LayoutChoice layout = LayoutChoice::focusCentre;

    static QString title();
    // "Arrange windows in " and the layout's name.
    QString parameterSummary() const;
    IntentResult perform(WindowManager& windows) const;
};

} // namespace tavrin
