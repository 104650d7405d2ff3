#pragma once

#include "platform/veilsurfaces.h"

namespace tavrin {

class SimDesktop;

// Veil surfaces on the simulated desktop: surfaces of its stack, listed by
// its window server among the windows as windows of this process, and drawn
// by the desktop's window. Their content widgets are never shown themselves.
class SimVeilSurfaces : public VeilSurfaces {
public:
    explicit SimVeilSurfaces(SimDesktop& desktop) : desktop_(desktop) {}

    std::unique_ptr<VeilSurface> make(QWidget& content, std::uint32_t covered) override;
    bool windowed() const override { return false; }

private:
    SimDesktop& desktop_;
};

} // namespace tavrin
