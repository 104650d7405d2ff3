#include "platform/sim/simwindowserver.h"

#include "platform/sim/simdesktop.h"

namespace tavrin {

std::vector<WindowInfo> SimWindowServer::onScreenWindows()
{
    auto guard = desktop_.lock();
    std::vector<WindowInfo> out;
    // The docks, above every window.
    for (std::size_t i = 0; i < desktop_.displays().size(); ++i)
        if (const auto dock = desktop_.dockFrame(i))
            out.push_back(WindowInfo{kDockNumber + std::uint32_t(i), SimDesktop::kDockPid, QStringLiteral("Dock"),
                                     SimDesktop::kDockLayer, *dock, 1.0});
    if (desktop_.surfaces().empty()) {
        out.reserve(desktop_.windows().size());
        for (const SimWindow& w : desktop_.windows())
            if (desktop_.isOnScreen(w))
                out.push_back(WindowInfo{w.number, w.pid, desktop_.app(w.pid)->name, w.layer, w.frame, 1.0});
        return out;
    }
    const int self = desktop_.selfPid();
    const SimApp* selfApp = desktop_.app(self);
    const QString selfName = selfApp ? selfApp->name : QString();
    for (const SimStackEntry& e : desktop_.stack()) {
        if (e.window)
            out.push_back(WindowInfo{e.window->number, e.window->pid, desktop_.app(e.window->pid)->name,
                                     e.window->layer, e.window->frame, 1.0});
        else
            out.push_back(WindowInfo{e.surface->number, self, selfName, e.surface->level, e.surface->frame, 1.0});
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
