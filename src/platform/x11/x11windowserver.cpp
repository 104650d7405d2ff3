#include "platform/x11/x11windowserver.h"

namespace tavrin {

X11WindowServer::X11WindowServer(X11Windows& windows, QObject* parent) : WindowServer(parent), windows_(windows) {}

std::vector<WindowInfo> X11WindowServer::onScreenWindows()
{
    const auto& ewmh = *windows_.connection().ewmh();
    const auto root = windows_.rootState();
    const auto infos = root ? windows_.read(root->frontToBack, X11Windows::needAll & ~X11Windows::needHints)
                            : std::nullopt;
    std::vector<WindowInfo> out;
    if (!infos)
        return out;
    for (const X11WindowInfo& w : *infos) {
        if (!w.exists || w.hidden || (w.desktop != root->desktop && w.desktop != 0xFFFFFFFF))
            continue;
        WindowInfo info;
        info.number = w.id;
        info.ownerPid = w.pid;
        info.ownerName = windows_.application(w).name;
        info.layer = w.type == ewmh._NET_WM_WINDOW_TYPE_DOCK      ? kDockLayer
                   : w.type == ewmh._NET_WM_WINDOW_TYPE_DESKTOP ? kDesktopLayer
                   : w.above                                    ? kFloatingLayer
                                                                : kNormalLayer;
        info.bounds = w.frame;
        info.alpha = 1.0;
        out.push_back(std::move(info));
    }
    return out;
}

std::optional<Rect> X11WindowServer::windowBounds(std::uint32_t number)
{
    const auto info = windows_.readOne(number, X11Windows::needFrame);
    if (!info || !info->exists)
        return std::nullopt;
    return info->frame;
}

} // namespace tavrin
