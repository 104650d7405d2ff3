#include "windows/windowhooks.h"

namespace tavrin {

WindowHooks& WindowHooks::shared()
{
    static WindowHooks hooks;
    return hooks;
}

} // namespace tavrin
