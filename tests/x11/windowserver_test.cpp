#include "platform/windowserver.h"
#include "platform/x11/x11windowserver.h"
#include "support/x11/x11fixture.h"

#include <algorithm>

namespace tavrin {
namespace {

using X11WindowServerTest = X11Test;

TEST_F(X11WindowServerTest, OnScreenListIsFrontToBackWithoutMinimisedWindows)
{
    X11TestClient* a = startClient(QStringLiteral("A"), {100, 100, 400, 300});
    X11TestClient* b = startClient(QStringLiteral("B"), {700, 100, 400, 300});
    X11TestClient* c = startClient(QStringLiteral("C"), {1800, 100, 400, 300});
    ASSERT_TRUE(a && b && c);
    ASSERT_TRUE(activate(b->window()));
    ASSERT_TRUE(activate(a->window()));
    ASSERT_EQ(ax().setAttribute(element(c), ax::Minimized, true), AXError::success);

    const auto list = platform_.windowServer->onScreenWindows();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].number, a->window());
    EXPECT_EQ(list[1].number, b->window());
    for (const WindowInfo& w : list) {
        EXPECT_EQ(w.layer, 0);
        EXPECT_EQ(w.alpha, 1.0);
        EXPECT_EQ(w.ownerName, QStringLiteral("TavrinTest"));
        EXPECT_EQ(w.bounds, frameWindowGeometry(w.number));
        EXPECT_EQ(platform_.windowServer->windowBounds(w.number), w.bounds);
    }
    EXPECT_EQ(list[0].ownerPid, a->pid());
    EXPECT_EQ(list[1].ownerPid, b->pid());
    EXPECT_FALSE(platform_.windowServer->windowBounds(0x7fffff));
}

TEST_F(X11WindowServerTest, PanelsListedAboveNormalWindows)
{
    X11TestClient* panel = startClient(dock(QStringLiteral("Panel"), {0, 0, 1720, 30}));
    ASSERT_TRUE(panel);
    const auto list = platform_.windowServer->onScreenWindows();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].layer, X11WindowServer::kDockLayer);
}

TEST_F(X11WindowServerTest, NotificationsAreAboveAndOpacityIsTheAlpha)
{
    X11TestClient::Options toast;
    toast.title = QStringLiteral("Toast");
    toast.type = QStringLiteral("notification");
    toast.client = {1300, 40, 360, 80};
    X11TestClient* note = startClient(toast);
    X11TestClient* plain = startClient(QStringLiteral("Plain"), {100, 100, 400, 300});
    ASSERT_TRUE(note && plain);
    const xcb_atom_t opacity = probe_->atoms().netWmWindowOpacity;
    const std::uint32_t half = 0x7FFFFFFF;
    xcb_change_property(probe_->xcb(), XCB_PROP_MODE_REPLACE, plain->window(), opacity, XCB_ATOM_CARDINAL, 32, 1,
                        &half);
    probe_->sync();

    auto find = [&](xcb_window_t w) -> std::optional<WindowInfo> {
        for (const WindowInfo& info : platform_.windowServer->onScreenWindows())
            if (info.number == w)
                return info;
        return std::nullopt;
    };
    ASSERT_TRUE(waitUntil(
        [&] { return find(note->window()) && find(plain->window()) && find(plain->window())->alpha < 0.51; }, 2.0));
    EXPECT_NEAR(find(plain->window())->alpha, 0.5, 0.01);
    EXPECT_EQ(find(plain->window())->layer, 0);
    ASSERT_TRUE(find(note->window()));
    EXPECT_EQ(find(note->window())->layer, X11WindowServer::kNotificationLayer);
}

TEST_F(X11WindowServerTest, TheListFollowsWhatOtherProgramsChange)
{
    X11TestClient* a = startClient(QStringLiteral("A"), {100, 100, 400, 300});
    ASSERT_TRUE(a);
    auto bounds = [&](xcb_window_t w) -> std::optional<Rect> {
        for (const WindowInfo& info : platform_.windowServer->onScreenWindows())
            if (info.number == w)
                return info.bounds;
        return std::nullopt;
    };
    ASSERT_TRUE(waitUntil([&] { return bounds(a->window()) == frameWindowGeometry(a->window()); }, 2.0));

    // Moved by another program (as a pager asks the window manager).
    probe_->sendRootMessage(a->window(), probe_->ewmh()->_NET_MOVERESIZE_WINDOW,
                            XCB_GRAVITY_NORTH_WEST | (1u << 8) | (1u << 9) | (2u << 12), 900, 500, 0, 0);
    probe_->flush();
    EXPECT_TRUE(waitUntil([&] { return bounds(a->window())->x == 900 && bounds(a->window())->y == 500; }, 2.0))
        << bounds(a->window())->x;
    // A window that comes, and one that is minimised.
    X11TestClient* b = startClient(QStringLiteral("B"), {700, 100, 400, 300});
    ASSERT_TRUE(b);
    EXPECT_TRUE(waitUntil([&] { return bounds(b->window()).has_value(); }, 2.0));
    ASSERT_EQ(ax().setAttribute(element(a), ax::Minimized, true), AXError::success);
    EXPECT_FALSE(bounds(a->window()));
}

TEST_F(X11WindowServerTest, MovesAreListedFromTheServersEventsWithoutReadingTheWindowsAgain)
{
    X11TestClient* a = startClient(QStringLiteral("A"), {100, 100, 400, 300});
    X11TestClient* b = startClient(QStringLiteral("B"), {700, 100, 400, 300});
    ASSERT_TRUE(a && b);
    X11WindowServer& server = desktop_->windowServer();
    auto bounds = [&](xcb_window_t w) -> std::optional<Rect> {
        for (const WindowInfo& info : server.onScreenWindows())
            if (info.number == w)
                return info.bounds;
        return std::nullopt;
    };
    ASSERT_TRUE(waitUntil([&] { return bounds(a->window()) == frameWindowGeometry(a->window()); }, 2.0));
    waitUntil([] { return false; }, 0.3); // what the window manager does after mapping has settled
    server.onScreenWindows();
    const int reads = server.reads();

    for (int step = 1; step <= 5; ++step) {
        probe_->sendRootMessage(a->window(), probe_->ewmh()->_NET_MOVERESIZE_WINDOW,
                                XCB_GRAVITY_NORTH_WEST | (1u << 8) | (1u << 9) | (2u << 12), 100 + 50 * step, 400, 0,
                                0);
        probe_->flush();
        EXPECT_TRUE(waitUntil([&] { return bounds(a->window())->x == 100 + 50 * step; }, 2.0)) << step;
        EXPECT_EQ(bounds(a->window()), frameWindowGeometry(a->window()));
        EXPECT_EQ(server.windowBounds(a->window()), frameWindowGeometry(a->window()));
    }
    EXPECT_EQ(server.reads(), reads);
    EXPECT_EQ(server.onScreenWindows().size(), 2u);
    EXPECT_EQ(bounds(b->window()), frameWindowGeometry(b->window()));
}

using X11AtomsTest = X11Test;

// Every name of the table gives its own atom, and a table interned with a
// bounded wait on another connection is the one the X connection holds.
TEST_F(X11AtomsTest, EachNameIsItsOwnAtomOnEveryConnection)
{
    xcb_connection_t* other = xcb_connect(session_->display().toLocal8Bit().constData(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(other));
    const std::optional<X11Atoms> interned = X11Atoms::intern(other, 5.0);
    xcb_disconnect(other);
    ASSERT_TRUE(interned);
    const auto named = [](const X11Atoms& a) {
        return std::vector<xcb_atom_t>{
            a.wmState,          a.wmChangeState, a.wmDeleteWindow,     a.wmTakeFocus,           a.utf8String,
            a.compoundText,     a.edid,          a.netWmState,         a.netWmStateSkipTaskbar, a.netWmStateSkipPager,
            a.netWmStateSticky, a.netWmDesktop,  a.netWmWindowOpacity, a.netRestackWindow,      a.compositorOfScreen0,
            a.blurBehindRegion};
    };
    std::vector<xcb_atom_t> atoms = named(*interned);
    ASSERT_EQ(atoms.size(), X11Atoms::kNamed);
    EXPECT_EQ(atoms, named(probe_->atoms()));
    // The names EWMH's library interns too.
    const xcb_ewmh_connection_t& e = *probe_->ewmh();
    EXPECT_EQ(interned->utf8String, e.UTF8_STRING);
    EXPECT_EQ(interned->netWmState, e._NET_WM_STATE);
    EXPECT_EQ(interned->netWmStateSkipTaskbar, e._NET_WM_STATE_SKIP_TASKBAR);
    EXPECT_EQ(interned->netWmStateSkipPager, e._NET_WM_STATE_SKIP_PAGER);
    EXPECT_EQ(interned->netWmStateSticky, e._NET_WM_STATE_STICKY);
    EXPECT_EQ(interned->netWmDesktop, e._NET_WM_DESKTOP);
    EXPECT_EQ(interned->netRestackWindow, e._NET_RESTACK_WINDOW);
    EXPECT_EQ(interned->compositorOfScreen0, e._NET_WM_CM_Sn[0]);
    std::sort(atoms.begin(), atoms.end());
    EXPECT_EQ(std::adjacent_find(atoms.begin(), atoms.end()), atoms.end());
    EXPECT_NE(atoms.front(), xcb_atom_t(XCB_ATOM_NONE));
}

} // namespace
} // namespace tavrin
