#include "programtest.h"
#include "windows/arrow.h"
#include "windows/display.h"
#include "windows/snaptarget.h"
#include "windows/unitrect.h"

#include <QThread>

namespace tavrin {
namespace {

// The built program's snap overlay on a real desktop: an xterm on the right
// monitor, ⌃⌥ held and let go through XTEST, the overlay clicked with the
// pointer.
class X11SnapOverlayTest : public X11ProgramTest {
protected:
    void TearDown() override
    {
        xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl+alt")});
        X11ProgramTest::TearDown();
    }

    // The program's panel of this name while it shows, else 0.
    xcb_window_t shownPanel(const QString& name)
    {
        const xcb_window_t w = clientTitled(name);
        return w && isViewable(w) ? w : 0;
    }

    // Stacking position among managed windows, bottom first (-1: not there).
    int stackIndex(xcb_window_t window)
    {
        const auto list = clients();
        const auto it = std::find(list.begin(), list.end(), window);
        return it == list.end() ? -1 : int(it - list.begin());
    }
};

std::string str(const Rect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x).arg(r.y).arg(r.width).arg(r.height).toStdString();
}

TEST_F(X11SnapOverlayTest, HoldingControlOptionShowsTheOverlayWhichMovesTheWindow)
{
    Platform::install(platform_);
    const xcb_window_t xterm = startTitledXterm(QStringLiteral("Shell"), {2250, 450});
    ASSERT_TRUE(xterm) << "xterm did not come up";
    ASSERT_TRUE(startTavrin(QStringLiteral("xcb"), {{QStringLiteral("snap.letterGrid"), true}}))
        << output_.toStdString() << tavrin_.readAllStandardError().toStdString();
    ASSERT_TRUE(activate(xterm));
    const Display right = Display::all().at(1);

    // Held for half a second: the overlay shows, centred on the xterm's
    // monitor, above the xterm.
    ASSERT_TRUE(xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl+alt")}));
    pause(0.5);
    xcb_window_t hud = 0;
    ASSERT_TRUE(waitUntil([&] { return (hud = shownPanel(QStringLiteral("snapHUDPanel"))) != 0; }, 2.0))
        << tavrin_.readAllStandardError().toStdString();
    const Rect panel = frameWindowGeometry(hud);
    EXPECT_NEAR(panel.midX(), right.area.midX(), 1) << str(panel);
    EXPECT_NEAR(panel.midY(), right.area.midY(), 1) << str(panel);
    EXPECT_GT(stackIndex(hud), stackIndex(xterm));
    for (xcb_atom_t state : {probe_->ewmh()->_NET_WM_STATE_ABOVE, probe_->ewmh()->_NET_WM_STATE_SKIP_TASKBAR,
                             probe_->ewmh()->_NET_WM_STATE_SKIP_PAGER})
        EXPECT_TRUE(hasState(hud, state)) << state;
    saveScreenshot(QStringLiteral("snap-overlay-over-xterm.png"), right.area);

    // A click on the middle cell puts the xterm in the middle third; the
    // overlay took neither the keyboard nor the focus.
    const Rect want = rect(SnapTarget::centreThird, right.aspect()).rect(right.area, 8);
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QString::number(panel.midX()), QString::number(panel.midY()),
                         QStringLiteral("click"), QStringLiteral("1")}));
    // The xterm keeps to whole character cells, so it may fall a little short.
    auto placed = [&] {
        const Rect got = frameWindowGeometry(xterm);
        return got.x == want.x && got.y == want.y && got.width <= want.width && got.width > want.width - 20
               && got.height <= want.height && got.height > want.height - 30;
    };
    EXPECT_TRUE(waitUntil(placed, 5.0)) << str(frameWindowGeometry(xterm)) << " wanted " << str(want);
    EXPECT_EQ(activeWindow(), xterm);
    EXPECT_TRUE(shownPanel(QStringLiteral("snapHUDPanel")));
    // The zone is outlined, under the overlay.
    xcb_window_t snapped = 0;
    EXPECT_TRUE(waitUntil([&] { return (snapped = shownPanel(QStringLiteral("snapOutlinePanel"))) != 0; }, 2.0));
    EXPECT_TRUE(waitUntil([&] { return stackIndex(hud) > stackIndex(snapped); }, 1.0));
    EXPECT_GT(stackIndex(snapped), stackIndex(xterm));

    // Letting go hides it.
    ASSERT_TRUE(xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl+alt")}));
    EXPECT_TRUE(waitUntil([&] { return !isViewable(hud); }, 2.0));

    // ⌃⌥←: while the keys are held the outline marks where the xterm went
    // (the overlay not up yet); after letting go it fades.
    pause(1.0); // no chord with an earlier press
    ASSERT_TRUE(xdotool(
        {QStringLiteral("keydown"), QStringLiteral("ctrl+alt"), QStringLiteral("key"), QStringLiteral("Left")}));
    xcb_window_t outline = 0;
    ASSERT_TRUE(waitUntil([&] { return (outline = shownPanel(QStringLiteral("snapOutlinePanel"))) != 0; }, 2.0));
    waitUntil([&] { return frameWindowGeometry(xterm).x < want.x; }, 2.0);
    const Rect marked = frameWindowGeometry(outline);
    const Rect moved = frameWindowGeometry(xterm);
    EXPECT_EQ(marked.x, moved.x - 2) << str(marked) << " around " << str(moved);
    EXPECT_EQ(marked.y, moved.y - 2) << str(marked) << " around " << str(moved);
    EXPECT_GE(marked.width, moved.width + 4);
    EXPECT_LT(marked.width, moved.width + 4 + 20);
    EXPECT_GT(stackIndex(outline), stackIndex(xterm));
    ASSERT_TRUE(xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl+alt")}));
    EXPECT_TRUE(waitUntil([&] { return !isViewable(outline); }, 2.0));
    EXPECT_FALSE(shownPanel(QStringLiteral("snapHUDPanel")));

    // Ctrl+Alt+→ pressed and let go at once, as a user types a hot key: the
    // outline flashes at the new frame, then fades away by itself.
    pause(1.0);
    const Rect before = frameWindowGeometry(xterm);
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+Right")}));
    EXPECT_TRUE(waitUntil([&] { return isViewable(outline); }, 2.0)) << "no flash after the hot key";
    EXPECT_TRUE(waitUntil([&] { return frameWindowGeometry(xterm).x != before.x; }, 2.0));
    EXPECT_EQ(frameWindowGeometry(outline).x, frameWindowGeometry(xterm).x - 2);
    EXPECT_TRUE(waitUntil([&] { return !isViewable(outline); }, 3.0));

    EXPECT_TRUE(stopTavrin());
    Platform::uninstall();
}

TEST_F(X11SnapOverlayTest, ThePointerOnAnArrowKeyOutlinesWhereTheKeyWouldPutTheWindow)
{
    Platform::install(platform_);
    const xcb_window_t xterm = startTitledXterm(QStringLiteral("Shell"), {2250, 450});
    ASSERT_TRUE(xterm) << "xterm did not come up";
    ASSERT_TRUE(startTavrin(QStringLiteral("xcb")));
    ASSERT_TRUE(activate(xterm));
    const Display right = Display::all().at(1);
    const auto next =
        nextUnit(Arrow::left, UnitRect::fromFrame(frameWindowGeometry(xterm), right.area), right.aspect());
    ASSERT_TRUE(next);
    const Rect want = next->rect(right.area, 8);

    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("100"),
                         QStringLiteral("keydown"), QStringLiteral("ctrl+alt")}));
    xcb_window_t hud = 0;
    ASSERT_TRUE(waitUntil([&] { return (hud = shownPanel(QStringLiteral("snapHUDPanel"))) != 0; }, 2.0));
    EXPECT_FALSE(shownPanel(QStringLiteral("snapOutlinePanel")));

    // The ← key: the first of the pad's lower row, whose keys fill the lower
    // half of the card (40 points of clear margin around it).
    const Rect panel = frameWindowGeometry(hud);
    const Rect card = panel.insetBy(40, 40);
    const double x = card.x + card.width / 6, y = card.y + card.height * 0.62;
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QString::number(int(x)), QString::number(int(y))}));
    xcb_window_t outline = 0;
    ASSERT_TRUE(waitUntil([&] { return (outline = shownPanel(QStringLiteral("snapOutlinePanel"))) != 0; }, 2.0));
    EXPECT_EQ(str(frameWindowGeometry(outline)), str(want.insetBy(-2, -2)));
    // The window manager takes a moment to stack a window it has just mapped.
    EXPECT_TRUE(waitUntil([&] { return stackIndex(hud) > stackIndex(outline); }, 1.0))
        << stackIndex(hud) << " " << stackIndex(outline);

    // Off the key, the outline goes; the window never moved.
    ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("100")}));
    EXPECT_TRUE(waitUntil([&] { return !isViewable(outline); }, 2.0));
    EXPECT_TRUE(isViewable(hud));
    EXPECT_EQ(activeWindow(), xterm);
    ASSERT_TRUE(xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl+alt")}));
    EXPECT_TRUE(waitUntil([&] { return !isViewable(hud); }, 2.0));
    EXPECT_TRUE(stopTavrin());
    Platform::uninstall();
}

// xfwm4 keeps a window on the workspace it was first mapped on unless the
// window asks to be on all of them.
class X11SnapOverlayXfwmTest : public X11SnapOverlayTest {
protected:
    XvfbSession::Options sessionOptions() const override
    {
        XvfbSession::Options options;
        options.windowManagerProgram = QStringLiteral("xfwm4");
        return options;
    }

    std::vector<std::uint32_t> desktopOf(xcb_window_t window)
    {
        auto cookie = probe_->requestProperty(window, probe_->ewmh()->_NET_WM_DESKTOP, XCB_ATOM_CARDINAL);
        if (!probe_->sync())
            return {};
        return X11Connection::cardinals(probe_->takeProperty(cookie).get());
    }
    std::uint32_t currentDesktop()
    {
        auto cookie = probe_->requestProperty(probe_->root(), probe_->ewmh()->_NET_CURRENT_DESKTOP, XCB_ATOM_CARDINAL);
        if (!probe_->sync())
            return 0xFFFF;
        const auto v = X11Connection::cardinals(probe_->takeProperty(cookie).get());
        return v.empty() ? 0xFFFF : v.front();
    }
};

TEST_F(X11SnapOverlayXfwmTest, TheOverlayAndItsOutlineShowOnWhicheverWorkspaceIsCurrent)
{
    Platform::install(platform_);
    // xfwm4 keeps Ctrl+Alt with every arrow, so the pad offers no arrow here:
    // the outline is the one a click on the grid's middle zone flashes.
    ASSERT_TRUE(startTavrin(QStringLiteral("xcb"), {{QStringLiteral("snap.letterGrid"), true}}));
    // Workspace 3 first, where the panels are made and first mapped; then 1.
    for (const std::uint32_t workspace : {2u, 0u}) {
        SCOPED_TRACE(workspace + 1);
        ASSERT_TRUE(xdotool({QStringLiteral("set_desktop"), QString::number(workspace)}));
        ASSERT_TRUE(waitUntil([&] { return currentDesktop() == workspace; }, 3.0));
        const QString title = QStringLiteral("Shell %1").arg(workspace + 1);
        const xcb_window_t xterm = startTitledXterm(title, {2250, 450});
        ASSERT_TRUE(xterm) << "xterm did not come up";
        ASSERT_TRUE(activate(xterm));

        ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("100"),
                             QStringLiteral("keydown"), QStringLiteral("ctrl+alt")}));
        xcb_window_t hud = 0;
        ASSERT_TRUE(waitUntil([&] { return (hud = shownPanel(QStringLiteral("snapHUDPanel"))) != 0; }, 3.0));
        const Rect card = frameWindowGeometry(hud);
        ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QString::number(card.midX()), QString::number(card.midY()),
                             QStringLiteral("click"), QStringLiteral("1")}));
        xcb_window_t outline = 0;
        EXPECT_TRUE(waitUntil([&] { return (outline = shownPanel(QStringLiteral("snapOutlinePanel"))) != 0; }, 3.0));
        for (const xcb_window_t panel : {hud, outline}) {
            if (!panel)
                continue;
            EXPECT_EQ(desktopOf(panel), std::vector<std::uint32_t>{0xFFFFFFFF});
            EXPECT_TRUE(hasState(panel, probe_->atoms().netWmStateSticky));
        }
        saveScreenshot(QStringLiteral("xfwm4-snap-overlay-workspace-%1.png").arg(workspace + 1),
                       Display::all().at(1).area);
        ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("100"),
                             QStringLiteral("keyup"), QStringLiteral("ctrl+alt")}));
        EXPECT_TRUE(waitUntil([&] { return !isViewable(hud); }, 2.0));
    }
    EXPECT_TRUE(stopTavrin());
    Platform::uninstall();
}

} // namespace
} // namespace tavrin
