#include "modes/idleveils.h"

#include "platform/platform.h"
#include "platform/workspace.h"

namespace tavrin {

QStringList IdleVeils::appNames(const QSet<int>& pids)
{
    Workspace* workspace = platform_.workspace;
    QStringList names;
    for (int pid : pids) {
        const auto app = workspace ? workspace->application(pid) : std::nullopt;
        names << (app ? app->localizedName : QString());
    }
    return names;
}

} // namespace tavrin
