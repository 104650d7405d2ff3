#pragma once

#include "platform/hotkeys.h"
#include "platform/sim/simstate.h"

#include <vector>

namespace tavrin {

class SimDesktop;

// Global hot keys on the simulated desktop. A key that another program holds
// (the desktop's refused keys) or that is registered already is refused with
// `kStatusKeyInUse`; a pressed key reaches its hot key on the clock.
class SimHotKeys : public HotKeys {
    Q_OBJECT
public:
    struct Registration {
        std::uint32_t signature = 0;
        std::uint32_t id = 0;
        SimKey key;
    };

    explicit SimHotKeys(SimDesktop& desktop) : desktop_(desktop) {}

    int registerHotKey(std::uint32_t signature, std::uint32_t id, std::uint32_t keyCode,
                       std::uint32_t modifiers) override;
    void unregisterHotKey(std::uint32_t signature, std::uint32_t id) override;

    // A key press: emits `pressed` for the hot key registered for it at zero
    // delay on the clock; true when one is registered.
    bool press(SimKey key);

    // The keyboard mapping changes (as when the user picks another layout).
    void changeKeyboard() { emit keyboardChanged(); }

    const std::vector<Registration>& registrations() const { return registrations_; }
    bool isRegistered(SimKey key) const;

private:
    SimDesktop& desktop_;
    std::vector<Registration> registrations_;
};

} // namespace tavrin
