#pragma once

#include "platform/screens.h"

namespace tavrin {

class SimDesktop;

// The displays of the simulated desktop, in its order; the first holds the
// menu bar.
class SimScreens : public Screens {
    Q_OBJECT
public:
    explicit SimScreens(SimDesktop& desktop) : desktop_(desktop) {}

    std::vector<ScreenInfo> screens() override;
    // The simulated displays are drawn 120 times a second.
    double refreshRate() override { return 120; }

private:
    SimDesktop& desktop_;
};

} // namespace tavrin
