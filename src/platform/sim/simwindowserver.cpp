#include "platform/sim/simwindowserver.h"

#include "platform/sim/simdesktop.h"

namespace tavrin {

std::vector<WindowInfo> SimWindowServer::onScreenWindows()
{
    auto guard = desktop_.lock();
    std::vector<WindowInfo> out;
    out.reserve(desktop_.windows().size());
    for (const SimWindow& w : desktop_.windows()) {
        if (!desktop_.isOnScreen(w))
            continue;
        out.push_back(WindowInfo{w.number, w.pid, desktop_.app(w.pid)->name, w.layer, w.frame, 1.0});
    }
    return out;
}

std::optional<Rect> SimWindowServer::windowBounds(std::uint32_t number)
{
    auto guard = desktop_.lock();
    if (const SimWindow* w = desktop_.windowByNumber(number))
        return w->frame;
    return std::nullopt;
}

} // namespace tavrin
