#include "commandbar/commandbarhooks.h"

namespace tavrin {

CommandBarHooks& CommandBarHooks::shared()
{
    static CommandBarHooks hooks;
    return hooks;
}

} // namespace tavrin
