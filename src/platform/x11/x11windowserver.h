#pragma once

#include "platform/windowserver.h"
#include "platform/x11/x11windows.h"

namespace tavrin {

// The window manager's client windows as the on-screen list: those on the
// current desktop and not minimised, front to back, with their outer frames.
class X11WindowServer : public WindowServer {
    Q_OBJECT
public:
    // Layers of the list, as the rest of the system reads them.
    static constexpr int kNormalLayer = 0;
    static constexpr int kFloatingLayer = 3;
    static constexpr int kDockLayer = 20;
    static constexpr int kDesktopLayer = -2147483623;

    explicit X11WindowServer(X11Windows& windows, QObject* parent = nullptr);

    std::vector<WindowInfo> onScreenWindows() override;
    std::optional<Rect> windowBounds(std::uint32_t number) override;

private:
    X11Windows& windows_;
};

} // namespace tavrin
