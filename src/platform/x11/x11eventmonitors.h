#pragma once

#include "platform/eventmonitors.h"
#include "platform/x11/x11keyboard.h"

#include <functional>

namespace tavrin {

// Modifier changes and left-button presses of the whole desktop: the
// keyboard's state changes (XKB) and the raw button events of XInput 2.1,
// which both arrive whichever window has the focus or a grab. Not raw key
// events: they woke the program for every key typed anywhere, a hot key's
// own key twice, and each needed a round trip to learn the modifiers.
// Changes while one of this process's own windows is active are local, the
// others global. Without these extensions only the queries work.
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
    void selectRawButtons();
    void handleEvent(const xcb_generic_event_t& event);
    // Announces the flags of a modifier `state` when they changed.
    void modifiersChanged(std::uint16_t state);

    X11Connection& conn_;
    X11Keyboard& keyboard_;
    std::function<bool()> ownsActiveWindow_;
    std::uint64_t lastFlags_ = 0;
};

} // namespace tavrin
