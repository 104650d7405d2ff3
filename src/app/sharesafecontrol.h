#pragma once

#include <QString>

namespace tavrin {

// Share-safe as the menu-bar window and the two shortcuts drive it.
class ShareSafeControl {
public:
    virtual ~ShareSafeControl() = default;
    // Private applications are being covered now.
    virtual bool active() const = 0;
    // What the user must know about covering beyond on and off; empty for
    // nothing. Its changes are announced as engine changes.
    virtual QString notice() const = 0;
    // Switches the mode on or off (it stores "mode.shareSafe" itself).
    virtual void setEnabled(bool on) = 0;
    // The Share-safe shortcut: covering on by hand, or off again (lifting
    // the covers made by hand too).
    virtual void toggleNow() = 0;
    // The hide shortcut: covers the application in front.
    virtual void hideFrontApp() = 0;
};

} // namespace tavrin
