#include "platform/sim/simscreens.h"

#include "platform/sim/simdesktop.h"

namespace tavrin {

std::vector<ScreenInfo> SimScreens::screens() { return desktop_.screens(); }

} // namespace tavrin
