#pragma once

#include "fakehudpanels.h"
#include "platform/eventmonitors.h"
#include "snapping/snaphudcontroller.h"
#include "support/simfixture.h"
#include "windows/display.h"
#include "windows/printers.h"
#include "windows/probe.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include <gtest/gtest.h>

namespace tavrin {

inline void PrintTo(const ArrowPreview& p, std::ostream* os)
{
    *os << "preview(";
    if (p.unit)
        PrintTo(*p.unit, os);
    else
        *os << "none";
    *os << ", \"" << p.label.toStdString() << "\")";
}

// The snap overlay's controller over a simulated desktop on virtual time,
// its monitors installed, its panels fakes (`panels`).
//
// The default desktop: "UltraWide 34" (visible 0,24 3440×1352, aspect 2.54)
// with Visual Studio Code focused, and "Built-in Display" to its right.
struct HUDDesk {
    explicit HUDDesk(const QByteArray& scenario = {})
        : env(scenario.isEmpty() ? SimEnvironment() : SimEnvironment(scenario))
    {
        // Whatever an earlier test pressed is long past.
        env.clock.advance(100);
        hud.installMonitors();
    }

    void hold() { env.desktop.setModifierFlags(modflag::control | modflag::option); }
    void release() { env.desktop.setModifierFlags(0); }
    // Holds ⌃⌥ until the overlay shows.
    void showHUD()
    {
        hold();
        env.clock.advance(SnapHUDController::kHoldSeconds);
        ASSERT_TRUE(hud.isShowing());
    }

    Display display(int index) const { return Display::fromScreens(env.desktop.screens())[std::size_t(index)]; }
    const SimWindow& focused() const { return *env.desktop.focusedWindow(); }
    // The frame the outline panel marks (its own frame less 2 points every
    // side); none while it is ordered out.
    std::optional<Rect> outline() const
    {
        if (!panels->outline || !panels->outline->isVisible())
            return std::nullopt;
        return panels->outline->frame().insetBy(2, 2);
    }

    SimEnvironment env;
    WindowManager windows;
    ShortcutStore store;
    FakeHUDPanels* panels = new FakeHUDPanels;
    SnapHUDController hud{windows, store, Platform::current(), std::unique_ptr<HUDPanels>(panels)};
};

class HUDTest : public ::testing::Test, public HUDDesk {};

} // namespace tavrin
