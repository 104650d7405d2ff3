#pragma once

#include "platform/eventmonitors.h"
#include "platform/x11/x11keyboard.h"

#include <functional>

namespace tavrin {

// Modifier changes and left-button presses of the whole desktop, from the
// raw events of XInput 2 (which arrive whichever window has the focus or a
// grab). Changes while one of this process's own windows is active are
// local, the others global. Without XInput 2 only the queries work.
class X11EventMonitors : public EventMonitors {
    Q_OBJECT
public:
    // `ownsActiveWindow` says whether this process's window is active.
    X11EventMonitors(X11Connection& conn, X11Keyboard& keyboard, std::function<bool()> ownsActiveWindow,
                     QObject* parent = nullptr);

    std::uint64_t currentModifierFlags() override;
    std::uint32_t pressedMouseButtons() override;
    Point mouseLocation() override;

private:
    struct Pointer {
        bool ok = false;
        std::uint16_t mask = 0;
        Point location;
    };
    Pointer queryPointer();
    void handleEvent(const xcb_generic_event_t& event);
    // A modifier key went down or up: announces the flags when they changed.
    void modifierKeyChanged(xcb_keycode_t key);

    X11Connection& conn_;
    X11Keyboard& keyboard_;
    std::function<bool()> ownsActiveWindow_;
    bool rawEvents_ = false;
    std::uint64_t lastFlags_ = 0;
};

} // namespace tavrin
