#include "platform/x11/x11windows.h"
#include "support/x11/x11fixture.h"

#include <QThread>

namespace tavrin {
namespace {

// Under each window manager the X11 desktop is used with.
class X11WindowsTest : public X11Test, public ::testing::WithParamInterface<const char*> {
protected:
    XvfbSession::Options sessionOptions() const override
    {
        XvfbSession::Options options;
        options.windowManagerProgram = QString::fromLatin1(GetParam());
        return options;
    }
};

std::string str(const Rect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x).arg(r.y).arg(r.width).arg(r.height).toStdString();
}

// What is read of a window is kept and answered without asking the server
// again, yet never once the server has changed it: each change below is made
// by another client and waited for on the test's own connection, then read
// back at once through the backend, whose events nothing has handled
// meanwhile (the main loop does not run between).
TEST_P(X11WindowsTest, KeptReadsAskNothingAndShowEveryChangeAtOnce)
{
    X11TestClient* a = startClient(QStringLiteral("First"), {100, 120, 400, 300});
    X11TestClient* b = startClient(QStringLiteral("Second"), {700, 200, 400, 300});
    ASSERT_TRUE(a && b && activate(a->window()));
    X11Windows& windows = desktop_->windows();
    X11Connection& conn = desktop_->connection();
    auto read = [&] { return windows.readOne(a->window(), X11Windows::needAll).value_or(X11WindowInfo{}); };

    // The window manager raises the window it activated a moment after it
    // says so (a restack is a configure of the frame, which drops what was
    // read of it): it is read once it is on top.
    const auto& ewmh = *probe_->ewmh();
    ASSERT_TRUE(holdUntil([&] {
        auto cookie = probe_->requestProperty(probe_->root(), ewmh._NET_CLIENT_LIST_STACKING, XCB_ATOM_WINDOW);
        const auto stack = probe_->sync() ? X11Connection::cardinals(probe_->takeProperty(cookie).get())
                                          : std::vector<std::uint32_t>{};
        return !stack.empty() && stack.back() == a->window();
    }));
    // The first read finds the frame around the window, the second is kept.
    read();
    read();
    EXPECT_EQ(requestsDuring(conn, [&] { EXPECT_EQ(str(read().frame), str(frameWindowGeometry(a->window()))); }), 0u);
    // Moved by the window manager, which tells the client where it now
    // stands: known from that, not asked again.
    probe_->sendRootMessage(a->window(), ewmh._NET_MOVERESIZE_WINDOW,
                            XCB_GRAVITY_NORTH_WEST | (1u << 8) | (1u << 9) | (2u << 12), 250, 350);
    probe_->flush();
    ASSERT_TRUE(holdUntil([&] { return frameWindowGeometry(a->window()).origin() == Point{250, 350}; }));
    ASSERT_TRUE(windowManagerCaughtUp());
    EXPECT_EQ(requestsDuring(conn, [&] { EXPECT_EQ(str(read().frame), str(frameWindowGeometry(a->window()))); }), 0u);
    // Properties nothing here is read from, as a toolkit sets at each key
    // press, change nothing kept.
    const std::uint32_t now = 1234;
    xcb_change_property(probe_->xcb(), XCB_PROP_MODE_REPLACE, a->window(), ewmh._NET_WM_USER_TIME, XCB_ATOM_CARDINAL,
                        32, 1, &now);
    xcb_change_property(probe_->xcb(), XCB_PROP_MODE_REPLACE, probe_->root(), XCB_ATOM_CUT_BUFFER0, XCB_ATOM_STRING, 8,
                        1, "x");
    ASSERT_TRUE(probe_->sync());
    EXPECT_EQ(requestsDuring(conn,
                             [&] {
                                 read();
                                 windows.rootState();
                             }),
              0u);

    struct Change {
        const char* name;
        std::function<bool()> make; // true once the server shows it
    };
    const Change changes[] = {
        {"moved by the window manager",
         [&] {
             probe_->sendRootMessage(a->window(), ewmh._NET_MOVERESIZE_WINDOW,
                                     XCB_GRAVITY_NORTH_WEST | (1u << 8) | (1u << 9) | (2u << 12), 300, 400);
             probe_->flush();
             return holdUntil([&] { return frameWindowGeometry(a->window()).origin() == Point{300, 400}; });
         }},
        {"renamed by its client",
         [&] {
             const QByteArray name = "Renamed";
             xcb_change_property(probe_->xcb(), XCB_PROP_MODE_REPLACE, a->window(), ewmh._NET_WM_NAME, ewmh.UTF8_STRING,
                                 8, name.size(), name.constData());
             return probe_->sync();
         }},
        {"another window activated",
         [&] {
             probe_->sendRootMessage(b->window(), ewmh._NET_ACTIVE_WINDOW, 2, XCB_CURRENT_TIME, 0);
             probe_->flush();
             return holdUntil([&] { return activeWindow() == b->window(); });
         }},
        {"minimised",
         [&] {
             probe_->sendRootMessage(a->window(), probe_->atoms().wmChangeState, 3); // IconicState
             probe_->flush();
             return holdUntil([&] { return hasState(a->window(), ewmh._NET_WM_STATE_HIDDEN); });
         }},
    };
    for (const Change& change : changes) {
        ASSERT_TRUE(change.make()) << change.name;
        const X11WindowInfo info = read();
        // (A minimised window's frame is the window manager's to animate.)
        if (!info.hidden) {
            EXPECT_EQ(str(info.frame), str(frameWindowGeometry(a->window()))) << change.name;
        }
        EXPECT_EQ(info.title.toStdString(), change.name == changes[0].name ? "First" : "Renamed") << change.name;
        EXPECT_EQ(info.hidden, hasState(a->window(), ewmh._NET_WM_STATE_HIDDEN)) << change.name;
        EXPECT_EQ(windows.activeWindow(), activeWindow()) << change.name;
        EXPECT_EQ(windows.rootState().value_or(X11Windows::RootState{}).active, activeWindow()) << change.name;
    }
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, X11WindowsTest, ::testing::Values("openbox", "xfwm4"));

} // namespace
} // namespace tavrin
