#include "platform/sim/simmicrophone.h"

#include "platform/sim/simdesktop.h"

namespace tavrin {

bool SimMicrophone::inUse() const
{
    auto guard = desktop_.lock();
    return desktop_.microphoneInUse();
}

} // namespace tavrin
