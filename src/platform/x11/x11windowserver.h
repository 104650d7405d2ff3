#pragma once

#include "platform/windowserver.h"
#include "platform/x11/x11windows.h"

namespace tavrin {

// The window manager's client windows as the on-screen list: those on the
// current desktop and not minimised, front to back, with their outer frames.
// A window's number is its client window's id; the normal layer (0) holds
// every managed window but docks and panels, the desktop, notifications and
// windows kept above the others; alpha is _NET_WM_WINDOW_OPACITY (1 unset).
//
// The list changes only with events from the server (the client list, a
// window's state, properties or frame): while none has come since it was
// read, the list read last is answered again, without a round trip.
class X11WindowServer : public WindowServer {
    Q_OBJECT
public:
    // Layers of the list, as the rest of the system reads them.
    static constexpr int kNormalLayer = 0;
    static constexpr int kFloatingLayer = 3;
    static constexpr int kDockLayer = 20;
    static constexpr int kNotificationLayer = 23;
    static constexpr int kDesktopLayer = -2147483623;

    explicit X11WindowServer(X11Windows& windows, QObject* parent = nullptr);

    std::vector<WindowInfo> onScreenWindows() override;
    std::optional<Rect> windowBounds(std::uint32_t number) override;

private:
    std::vector<WindowInfo> read();

    X11Windows& windows_;
    std::optional<std::vector<WindowInfo>> last_;
    bool stale_ = true;
};

} // namespace tavrin
