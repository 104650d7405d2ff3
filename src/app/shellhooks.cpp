#include "app/shellhooks.h"

namespace tavrin {

ShellHooks& ShellHooks::shared()
{
    static ShellHooks hooks;
    return hooks;
}

} // namespace tavrin
