#pragma once

#include <QString>
#include <functional>

namespace tavrin {

struct SavedWorkspace;

// What the shell asks of the command bar: whether its panel is showing, to
// put it (and the adjust overlay) away, to show it afresh, to open a saved
// workspace in it, and to plan a typed request; and where the bar's way to
// the Settings window leads.
class CommandBarControl {
public:
    virtual ~CommandBarControl() = default;

    // The bar's panel exists and is visible.
    virtual bool isShowing() const = 0;
    // Orders out the adjust overlay's panel, if there is one, then the bar's
    // panel; the model and its task are left as they are.
    virtual void orderOut() = 0;
    // Resets the model, prepares the capture of the target display and
    // shows the panel.
    virtual void show() = 0;
    // show(), then the model opens the saved workspace.
    virtual void open(const SavedWorkspace& workspace) = 0;
    // show(), then the model's text is the request and it is submitted.
    virtual void ask(const QString& request) = 0;
    // `open` runs whenever the user asks the bar for the AI settings.
    virtual void onSettingsRequested(std::function<void()> open) = 0;
};

} // namespace tavrin
