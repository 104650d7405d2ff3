#include "workspaces/workspacehooks.h"

namespace tavrin {

WorkspaceHooks& WorkspaceHooks::shared()
{
    static WorkspaceHooks hooks;
    return hooks;
}

} // namespace tavrin
