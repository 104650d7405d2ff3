#include "platform/sim/simeventmonitors.h"

#include "platform/sim/simdesktop.h"

namespace tavrin {

std::uint64_t SimEventMonitors::currentModifierFlags()
{
    auto guard = desktop_.lock();
    return desktop_.modifierFlags();
}

std::uint32_t SimEventMonitors::pressedMouseButtons()
{
    auto guard = desktop_.lock();
    return desktop_.pressedMouseButtons();
}

Point SimEventMonitors::mouseLocation()
{
    auto guard = desktop_.lock();
    return desktop_.mouseLocation();
}

} // namespace tavrin
