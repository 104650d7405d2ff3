#pragma once

#include "platform/eventmonitors.h"

namespace tavrin {

class SimDesktop;

// The keyboard's modifier keys and the mouse of the simulated desktop; the
// desktop's driving calls emit the signals.
class SimEventMonitors : public EventMonitors {
    Q_OBJECT
public:
    explicit SimEventMonitors(SimDesktop& desktop) : desktop_(desktop) {}

    std::uint64_t currentModifierFlags() override;
    std::uint32_t pressedMouseButtons() override;
    Point mouseLocation() override;

private:
    SimDesktop& desktop_;
};

} // namespace tavrin
