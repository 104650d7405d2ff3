#pragma once

#include "platform/windowserver.h"

namespace tavrin {

class SimDesktop;

// The window server's list over the simulated desktop: the docks, then the
// on-screen windows front to back, at layer 0 unless a window says
// otherwise, fully opaque, with this process's visible surfaces (veils)
// among them at their levels.
class SimWindowServer : public WindowServer {
    Q_OBJECT
public:
    // The dock of the display at index i is listed with this number plus i.
    static constexpr std::uint32_t kDockNumber = 0x7fff0000;

    explicit SimWindowServer(SimDesktop& desktop) : desktop_(desktop) {}

    std::vector<WindowInfo> onScreenWindows() override;
    // Any window's bounds, on screen or not; none once it is closed.
    std::optional<Rect> windowBounds(std::uint32_t number) override;

private:
    SimDesktop& desktop_;
};

} // namespace tavrin
