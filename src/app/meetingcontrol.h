#pragma once

namespace tavrin {

// Meeting mode as the menu-bar window shows and switches it.
class MeetingControl {
public:
    virtual ~MeetingControl() = default;
    // A call is going on and the mode has placed its window.
    virtual bool inCall() const = 0;
    // Switches the mode on or off (it stores "mode.meeting" itself).
    virtual void setEnabled(bool on) = 0;
};

} // namespace tavrin
