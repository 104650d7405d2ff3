#pragma once

#include "platform/hotkeys.h"
#include "platform/x11/x11keyboard.h"

#include <vector>

namespace tavrin {

// Global hot keys as passive key grabs on the root window. Each key is
// grabbed four times — with and without Caps Lock and Num Lock — so that it
// works whatever those locks are. A key that another client has grabbed is
// refused with kStatusKeyInUse, as is one this process holds already.
class X11HotKeys : public HotKeys {
    Q_OBJECT
public:
    // A key code without a key on this keyboard.
    static constexpr int kStatusNoSuchKey = -50;

    X11HotKeys(X11Connection& conn, X11Keyboard& keyboard, QObject* parent = nullptr);
    ~X11HotKeys() override;

    int registerHotKey(std::uint32_t signature, std::uint32_t id, std::uint32_t keyCode,
                       std::uint32_t modifiers) override;
    void unregisterHotKey(std::uint32_t signature, std::uint32_t id) override;

private:
    struct Grab {
        std::uint32_t signature = 0, id = 0;
        std::uint32_t macKeyCode = 0, carbon = 0;
        xcb_keycode_t keycode = 0;
        std::uint16_t mods = 0;
        bool held = true; // false while another client holds its new place
    };
    // The lock modifiers a grab also holds, with the Num Lock the grabs were
    // made with.
    std::vector<std::uint16_t> lockVariants() const;
    // Grabs every variant; false (and nothing left grabbed) when refused.
    bool grab(xcb_keycode_t keycode, std::uint16_t mods);
    void ungrab(xcb_keycode_t keycode, std::uint16_t mods);
    // Moves the grabs whose keys moved with a new keyboard mapping.
    void regrabAll();
    void handleEvent(const xcb_generic_event_t& event);

    X11Connection& conn_;
    X11Keyboard& keyboard_;
    std::vector<Grab> grabs_;
    std::uint16_t numLock_ = 0;
};

} // namespace tavrin
