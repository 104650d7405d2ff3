#include "platform/x11/x11windowserver.h"

namespace tavrin {

X11WindowServer::X11WindowServer(X11Windows& windows, QObject* parent) : WindowServer(parent), windows_(windows)
{
    // Any event but raw input may change the list.
    windows_.connection().addEventHandler(this, [this](const xcb_generic_event_t& event) {
        if ((event.response_type & 0x7f) != XCB_GE_GENERIC)
            stale_ = true;
    });
}

std::vector<WindowInfo> X11WindowServer::onScreenWindows()
{
    X11Connection& conn = windows_.connection();
    if (last_ && !stale_ && conn.isAlive() && !conn.hasUndispatchedEvents())
        return *last_;
    // Events that come while reading (and a read that times out) make the
    // next call read again.
    stale_ = false;
    last_ = read();
    return *last_;
}

std::vector<WindowInfo> X11WindowServer::read()
{
    const auto& ewmh = *windows_.connection().ewmh();
    const auto root = windows_.rootState();
    // What the list holds, and no more: it is read four times a second.
    const unsigned needs = X11Windows::needClass | X11Windows::needType | X11Windows::needState
        | X11Windows::needFrame | X11Windows::needOpacity;
    const auto infos = root ? windows_.read(root->frontToBack, needs) : std::nullopt;
    std::vector<WindowInfo> out;
    if (!infos) {
        stale_ = true; // timed out: ask again next time
        return out;
    }
    for (const X11WindowInfo& w : *infos) {
        if (!w.exists || w.hidden || (w.desktop != root->desktop && w.desktop != 0xFFFFFFFF))
            continue;
        WindowInfo info;
        info.number = w.id;
        info.ownerPid = w.pid;
        info.ownerName = windows_.application(w).name;
        info.layer = w.type == ewmh._NET_WM_WINDOW_TYPE_DOCK         ? kDockLayer
                   : w.type == ewmh._NET_WM_WINDOW_TYPE_DESKTOP      ? kDesktopLayer
                   : w.type == ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION ? kNotificationLayer
                   : w.above                                         ? kFloatingLayer
                                                                     : kNormalLayer;
        info.bounds = w.frame;
        info.alpha = w.opacity;
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
