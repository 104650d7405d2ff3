#include "platform/sim/simclock.h"
#include "platform/windowserver.h"
#include "platform/x11/x11windowserver.h"
#include "support/x11/x11fixture.h"

#include <algorithm>
#include <iterator>

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

// A drag's moves reach the handlers a batch at a time, on the clock; a
// change of any other kind (here a property; a hot key alike) comes at once,
// after the moves held back before it, in the order the server sent them.
TEST_F(X11WindowServerTest, MovesWaitForTheirBatchAndAnythingElseEndsItAtOnce)
{
    X11Connection& conn = desktop_->connection();
    SimClock batches; // moves only when told
    struct Restore {
        X11Connection& conn;
        Clock* clock;
        ~Restore() { conn.batchMovesOn(clock); }
    } restore{conn, &clock_};
    conn.batchMovesOn(&batches);

    // A window of the test's own that no window manager frames, so that
    // each move is one ConfigureNotify of the root's child.
    xcb_connection_t* c = probe_->xcb();
    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, probe_->root(), 0, 0, 50, 50, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, values);
    std::vector<int> seen; // the window's x at each move; -1 for the property
    QObject owner;
    conn.addEventHandler(&owner, [&](const xcb_generic_event_t& e) {
        const auto& m = reinterpret_cast<const xcb_configure_notify_event_t&>(e);
        if ((e.response_type & 0x7f) == XCB_CONFIGURE_NOTIFY && m.window == w && m.event == conn.root())
            seen.push_back(m.x);
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(e);
        if ((e.response_type & 0x7f) == XCB_PROPERTY_NOTIFY && p.window == conn.root()
            && p.atom == XCB_ATOM_CUT_BUFFER0)
            seen.push_back(-1);
    });
    auto move = [&](std::int32_t x) {
        const std::uint32_t to = std::uint32_t(x);
        xcb_configure_window(c, w, XCB_CONFIG_WINDOW_X, &to);
        probe_->flush();
    };
    auto moved = [&](int x) { return std::find(seen.begin(), seen.end(), x) != seen.end(); };
    // What was seen of the moves to below 100 and the property, in order.
    auto watched = [&] {
        std::vector<int> out;
        std::copy_if(seen.begin(), seen.end(), std::back_inserter(out), [](int x) { return x < 100; });
        return out;
    };
    // Moves alone (to 100 and on): once one has been handled with nothing
    // else, the next ones are held back.
    auto startBatch = [&] {
        int x = 100;
        return waitUntil([&] {
            if (!conn.batching())
                move(x++);
            return conn.batching();
        });
    };

    ASSERT_TRUE(startBatch());
    move(11);
    move(12);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, probe_->root(), XCB_ATOM_CUT_BUFFER0, XCB_ATOM_STRING, 8, 1, "x");
    probe_->flush();
    ASSERT_TRUE(waitUntil([&] { return moved(-1); }));
    EXPECT_EQ(watched(), (std::vector<int>{11, 12, -1}));

    ASSERT_TRUE(startBatch());
    seen.clear();
    move(21);
    move(22);
    ASSERT_TRUE(probe_->sync());
    waitUntil([] { return false; }, 0.3);
    EXPECT_FALSE(moved(21) || moved(22)); // not before the clock says
    EXPECT_TRUE(waitUntil([&] {
        batches.advance(X11Connection::kMoveBatch);
        return moved(22);
    }));
    EXPECT_EQ(watched(), (std::vector<int>{21, 22}));
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
