#include "platform/x11/x11accessibility.h"
#include "support/x11/x11fixture.h"

namespace tavrin {
namespace {

using X11AccessibilityTest = X11Test;

Rect frameOf(Accessibility& ax, const AXElement& w)
{
    const auto p = ax.attribute(w, ax::Position).as<Point>();
    const auto s = ax.attribute(w, ax::Size).as<Size>();
    if (!p || !s)
        return {};
    return {*p, *s};
}

AXError setFrameByAttributes(Accessibility& ax, const AXElement& w, const Rect& r)
{
    // As a caller without setFrame does it: size, position, size again.
    AXError e = ax.setAttribute(w, ax::Size, r.size());
    if (e == AXError::success)
        e = ax.setAttribute(w, ax::Position, r.origin());
    if (e == AXError::success)
        e = ax.setAttribute(w, ax::Size, r.size());
    return e;
}

std::vector<AXElement> windowsOf(Accessibility& ax, int pid)
{
    return ax.attribute(ax.applicationElement(pid), ax::Windows)
        .as<std::vector<AXElement>>()
        .value_or(std::vector<AXElement>{});
}

std::string str(const Rect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x).arg(r.y).arg(r.width).arg(r.height).toStdString();
}

// A messaging time-out far longer than any call takes however loaded the
// machine: a call that must not wait out its time-out is held to half of
// it, which one that waited it out cannot meet and one that did not always
// does.
constexpr double kLongTimeout = 20.0;

TEST_F(X11AccessibilityTest, FramesAreTheWindowManagersOuterFrames)
{
    X11TestClient* plain = startClient(QStringLiteral("Plain"), {100, 120, 400, 300});
    X11TestClient* qtClient = startClient(X11Test::qtClient(QStringLiteral("Qt"), {600, 200, 500, 350}));
    ASSERT_TRUE(plain && qtClient);
    for (X11TestClient* c : {plain, qtClient}) {
        const Rect frame = frameOf(ax(), element(c));
        EXPECT_EQ(str(frame), str(frameWindowGeometry(c->window())));
        EXPECT_GT(frame.height, 300); // the title bar is part of it
    }
}

TEST_F(X11AccessibilityTest, SetFramesLandExactlyForEveryKindOfClient)
{
    X11TestClient* plain = startClient(QStringLiteral("Plain"), {100, 120, 400, 300});
    X11TestClient* qtClient = startClient(X11Test::qtClient(QStringLiteral("Qt")));
    X11TestClient* old = startClient(oldClient(QStringLiteral("Old")));
    ASSERT_TRUE(plain && qtClient && old);

    const std::vector<Rect> targets{{8, 8, 852, 1424}, {1728, 8, 1704, 712}, {1000, 300, 640, 480}, {8, 8, 300, 200}};
    for (X11TestClient* c : {plain, qtClient, old}) {
        for (const Rect& target : targets) {
            ASSERT_EQ(ax().setFrame(element(c), target), AXError::success) << str(target);
            // Read back at once, and independently.
            EXPECT_EQ(str(frameOf(ax(), element(c))), str(target));
            EXPECT_EQ(str(frameWindowGeometry(c->window())), str(target));
        }
        // The attribute writes one at a time land the same way.
        for (const Rect& target : {targets[2], targets[0]}) {
            ASSERT_EQ(setFrameByAttributes(ax(), element(c), target), AXError::success) << str(target);
            EXPECT_EQ(str(frameOf(ax(), element(c))), str(target));
            EXPECT_EQ(str(frameWindowGeometry(c->window())), str(target));
        }
    }
}

// One request: the window manager's frame goes straight to the new frame,
// with no stop at the new size in the old place (which shows as a jump).
TEST_F(X11AccessibilityTest, AMoveIsOneRequestStraightToTheNewFrame)
{
    X11TestClient* plain = startClient(QStringLiteral("Plain"), {100, 120, 400, 300});
    X11TestClient* qtClient = startClient(X11Test::qtClient(QStringLiteral("Qt"), {600, 200, 500, 350}));
    ASSERT_TRUE(plain && qtClient);
    // Watching the root's children as the program itself does: the request
    // goes to the window manager alone, and wakes no one else.
    probe_->selectInput(probe_->root(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    for (X11TestClient* c : {plain, qtClient}) {
        const xcb_window_t frame = frameWindow(c->window());
        ASSERT_TRUE(frame);
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(probe_->xcb(), frame, XCB_CW_EVENT_MASK, &mask);
        ASSERT_TRUE(probe_->sync());
        while (xcb_generic_event_t* ev = xcb_poll_for_event(probe_->xcb()))
            std::free(ev);

        for (const Rect& target : {Rect(1728, 8, 1704, 712), Rect(8, 8, 852, 1424)}) {
            ASSERT_EQ(ax().setFrame(element(c), target), AXError::success) << str(target);
            ASSERT_TRUE(probe_->sync());
            std::vector<std::string> seen;
            int overheard = 0;
            while (xcb_generic_event_t* ev = xcb_poll_for_event(probe_->xcb())) {
                XcbReply<xcb_generic_event_t> owned(ev);
                if ((ev->response_type & 0x7f) == XCB_CLIENT_MESSAGE)
                    overheard += reinterpret_cast<const xcb_client_message_event_t*>(ev)->type
                                 == probe_->ewmh()->_NET_MOVERESIZE_WINDOW;
                if ((ev->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY)
                    continue;
                const auto* n = reinterpret_cast<const xcb_configure_notify_event_t*>(ev);
                if (n->window == frame && n->event == frame)
                    seen.push_back(
                        str(Rect(n->x, n->y, n->width + 2 * n->border_width, n->height + 2 * n->border_width)));
            }
            EXPECT_EQ(seen, std::vector<std::string>{str(target)});
            EXPECT_EQ(overheard, 0);
        }
    }
}

TEST_F(X11AccessibilityTest, MinimumSizeIsHeldAsOpenboxHoldsIt)
{
    X11TestClient* c = startClient(limitedClient(QStringLiteral("Wide"), {100, 100, 600, 500}, {500, 400}));
    ASSERT_TRUE(c);
    const Rect before = frameOf(ax(), element(c));
    const double decoW = before.width - 600, decoH = before.height - 500;

    // Openbox keeps the client at its minimum: the frame is the minimum plus
    // the decoration, at once and without waiting out the time-out.
    ax().setMessagingTimeout(ax().applicationElement(c->pid()), kLongTimeout);
    const double start = X11Connection::steadyNow();
    EXPECT_EQ(ax().setFrame(element(c), {50, 60, 200, 150}), AXError::success);
    EXPECT_LT(X11Connection::steadyNow() - start, kLongTimeout / 2);
    const Rect expected(50, 60, 500 + decoW, 400 + decoH);
    EXPECT_EQ(str(frameOf(ax(), element(c))), str(expected));
    EXPECT_EQ(str(frameWindowGeometry(c->window())), str(expected));
}

TEST_F(X11AccessibilityTest, FixedSizeWindowMovesButKeepsItsSize)
{
    X11TestClient* c =
        startClient(limitedClient(QStringLiteral("Fixed"), {100, 100, 320, 240}, {320, 240}, {320, 240}));
    ASSERT_TRUE(c);
    const Rect before = frameOf(ax(), element(c));
    ax().setMessagingTimeout(ax().applicationElement(c->pid()), kLongTimeout);
    const double start = X11Connection::steadyNow();
    EXPECT_EQ(ax().setFrame(element(c), {900, 500, 800, 600}), AXError::success);
    EXPECT_LT(X11Connection::steadyNow() - start, kLongTimeout / 2);
    EXPECT_EQ(str(frameWindowGeometry(c->window())), str(Rect(900, 500, before.width, before.height)));
}

TEST_F(X11AccessibilityTest, MaximisedWindowIsReleasedBeforeItMoves)
{
    X11TestClient* c = startClient(QStringLiteral("Big"), {100, 100, 400, 300});
    ASSERT_TRUE(c);
    const auto& e = *probe_->ewmh();
    probe_->sendRootMessage(c->window(), e._NET_WM_STATE, 1, e._NET_WM_STATE_MAXIMIZED_VERT,
                            e._NET_WM_STATE_MAXIMIZED_HORZ, 2);
    probe_->flush();
    ASSERT_TRUE(waitUntil([&] { return hasState(c->window(), e._NET_WM_STATE_MAXIMIZED_HORZ); }));

    const Rect target(1728, 8, 800, 600);
    EXPECT_EQ(ax().setFrame(element(c), target), AXError::success);
    EXPECT_EQ(str(frameWindowGeometry(c->window())), str(target));
    EXPECT_FALSE(hasState(c->window(), e._NET_WM_STATE_MAXIMIZED_HORZ));
    EXPECT_FALSE(hasState(c->window(), e._NET_WM_STATE_MAXIMIZED_VERT));
}

TEST_F(X11AccessibilityTest, WindowsOfAnApplicationFrontToBackAndRaise)
{
    X11TestClient* c = startClient(manyWindows(QStringLiteral("Doc"), 3));
    X11TestClient* other = startClient(QStringLiteral("Other"), {900, 100, 300, 200});
    ASSERT_TRUE(c && other);
    const auto ids = c->windows();
    for (xcb_window_t id : ids)
        ASSERT_TRUE(activate(id));
    auto listed = windowsOf(ax(), c->pid());
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].token, ids[2]);
    EXPECT_EQ(listed[1].token, ids[1]);
    EXPECT_EQ(listed[2].token, ids[0]);
    EXPECT_EQ(ax().attribute(listed[2], ax::Title).as<QString>(), QStringLiteral("Doc"));
    EXPECT_EQ(ax().attribute(listed[0], ax::Title).as<QString>(), QStringLiteral("Doc 3"));

    // Raising the back one brings it to the front and gives it the focus.
    EXPECT_EQ(ax().performAction(listed[2], ax::Raise), AXError::success);
    EXPECT_EQ(activeWindow(), ids[0]);
    listed = windowsOf(ax(), c->pid());
    EXPECT_EQ(listed.front().token, ids[0]);
    EXPECT_EQ(ax().attribute(ax().applicationElement(c->pid()), ax::FocusedWindow).as<AXElement>(),
              (AXElement{c->pid(), ids[0]}));
    // The other application's focused window is its front window, active or not.
    EXPECT_EQ(ax().attribute(ax().applicationElement(other->pid()), ax::FocusedWindow).as<AXElement>(), element(other));
}

TEST_F(X11AccessibilityTest, ClientThatTakesNoFocusIsStillRaised)
{
    X11TestClient::Options clock = plainClient(QStringLiteral("Clock"));
    clock.acceptsFocus = false;
    X11TestClient* shy = startClient(clock);
    X11TestClient* front = startClient(QStringLiteral("Front"), {100, 100, 400, 300});
    ASSERT_TRUE(shy && front);
    ASSERT_TRUE(activate(front->window()));
    ax().setMessagingTimeout(ax().applicationElement(shy->pid()), kLongTimeout);
    const double start = X11Connection::steadyNow();
    EXPECT_EQ(ax().performAction(element(shy), ax::Raise), AXError::success);
    EXPECT_LT(X11Connection::steadyNow() - start, kLongTimeout / 2);
    EXPECT_EQ(windowsOf(ax(), shy->pid()).front(), element(shy));
    const auto at = ax().elementAtPosition(ax().systemWideElement(), {200, 200});
    EXPECT_EQ(at.as<AXElement>(), element(shy));
}

TEST_F(X11AccessibilityTest, TitlesRolesAndSubroles)
{
    X11TestClient::Options legacy = plainClient(QStringLiteral("Old title"));
    legacy.legacyTitleOnly = true;
    X11TestClient::Options dialog = plainClient(QStringLiteral("Dialog"));
    dialog.type = QStringLiteral("dialog");
    X11TestClient::Options transient = plainClient(QStringLiteral("Transient"));
    transient.transient = true;
    X11TestClient::Options typedNormal = plainClient(QStringLiteral("Typed"));
    typedNormal.type = QStringLiteral("normal");
    X11TestClient* a = startClient(plainClient(QStringLiteral("Café ✓")));
    X11TestClient* b = startClient(legacy);
    X11TestClient* d = startClient(dialog);
    X11TestClient* t = startClient(transient);
    X11TestClient* n = startClient(typedNormal);
    ASSERT_TRUE(a && b && d && t && n);
    EXPECT_EQ(ax().attribute(element(a), ax::Title).as<QString>(), QStringLiteral("Café ✓"));
    EXPECT_EQ(ax().attribute(element(b), ax::Title).as<QString>(), QStringLiteral("Old title"));
    EXPECT_EQ(ax().attribute(element(a), ax::Role).as<QString>(), ax::WindowRole);
    EXPECT_EQ(ax().attribute(element(a), ax::Subrole).as<QString>(), ax::StandardWindow);
    EXPECT_EQ(ax().attribute(element(n), ax::Subrole).as<QString>(), ax::StandardWindow);
    EXPECT_EQ(ax().attribute(element(d), ax::Subrole).as<QString>(), ax::DialogSubrole);
    EXPECT_EQ(ax().attribute(element(t), ax::Subrole).as<QString>(), ax::DialogSubrole);
    EXPECT_EQ(ax().attribute(element(a), ax::Document).error, AXError::noValue);
    EXPECT_EQ(ax().attribute(ax().applicationElement(a->pid()), ax::Title).as<QString>(), QStringLiteral("TavrinTest"));
    EXPECT_EQ(ax().attribute(ax().applicationElement(a->pid()), ax::Role).as<QString>(),
              QStringLiteral("AXApplication"));
}

TEST_F(X11AccessibilityTest, PidComesFromTheServerWhenTheClientDoesNotSetIt)
{
    X11TestClient::Options anonymous = plainClient(QStringLiteral("Anonymous"));
    anonymous.setPid = false;
    X11TestClient* c = startClient(anonymous);
    ASSERT_TRUE(c);
    const auto listed = windowsOf(ax(), c->pid());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed.front(), element(c));
    EXPECT_TRUE(ax().attribute(element(c), ax::Position).ok());
}

TEST_F(X11AccessibilityTest, MinimiseAndRestore)
{
    X11TestClient* c = startClient(QStringLiteral("Mini"), {100, 100, 400, 300});
    ASSERT_TRUE(c);
    const xcb_atom_t hidden = probe_->ewmh()->_NET_WM_STATE_HIDDEN;
    EXPECT_EQ(ax().attribute(element(c), ax::Minimized).as<bool>(), false);
    EXPECT_EQ(ax().setAttribute(element(c), ax::Minimized, true), AXError::success);
    EXPECT_TRUE(hasState(c->window(), hidden));
    EXPECT_EQ(ax().attribute(element(c), ax::Minimized).as<bool>(), true);
    // Still listed: a minimised window is one of the application's windows.
    EXPECT_EQ(windowsOf(ax(), c->pid()).size(), 1u);
    EXPECT_EQ(ax().setAttribute(element(c), ax::Minimized, false), AXError::success);
    EXPECT_FALSE(hasState(c->window(), hidden));
    // The window manager activates a restored window a moment after it
    // clears the hidden state.
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == c->window(); }));
    EXPECT_EQ(ax().setAttribute(element(c), ax::Minimized, QStringLiteral("yes")), AXError::illegalArgument);
}

TEST_F(X11AccessibilityTest, FullScreenReadSetAndNotMoved)
{
    X11TestClient* c = startClient(QStringLiteral("Film"), {1800, 100, 400, 300});
    ASSERT_TRUE(c);
    EXPECT_EQ(ax().setAttribute(element(c), ax::FullScreen, true), AXError::success);
    EXPECT_EQ(ax().attribute(element(c), ax::FullScreen).as<bool>(), true);
    EXPECT_EQ(str(frameWindowGeometry(c->window())), str(Rect(1720, 0, 1720, 1440))); // its monitor
    EXPECT_EQ(ax().setAttribute(element(c), ax::Position, Point{10, 10}), AXError::cannotComplete);
    EXPECT_EQ(ax().setAttribute(element(c), ax::FullScreen, false), AXError::success);
    EXPECT_EQ(ax().attribute(element(c), ax::FullScreen).as<bool>(), false);
}

TEST_F(X11AccessibilityTest, CloseButtonAsksTheClientToClose)
{
    X11TestClient* c = startClient(QStringLiteral("Closing"), {100, 100, 400, 300});
    ASSERT_TRUE(c);
    const auto button = ax().attribute(element(c), ax::CloseButton).as<AXElement>();
    ASSERT_TRUE(button);
    EXPECT_EQ(ax().attribute(*button, ax::Role).as<QString>(), QStringLiteral("AXButton"));
    EXPECT_EQ(ax().performAction(*button, ax::Press), AXError::success);
    EXPECT_TRUE(c->waitForExit(5));
    EXPECT_TRUE(waitUntil([&] { return ax().attribute(element(c), ax::Position).error == AXError::invalidElement; }));
    EXPECT_EQ(ax().performAction(*button, ax::Press), AXError::invalidElement);
}

TEST_F(X11AccessibilityTest, ElementsThatAreNotWindowsOfThatProcess)
{
    X11TestClient* c = startClient(QStringLiteral("Mine"), {100, 100, 400, 300});
    ASSERT_TRUE(c);
    EXPECT_EQ(ax().attribute({c->pid() + 1, c->window()}, ax::Position).error, AXError::invalidElement);
    EXPECT_EQ(ax().attribute({c->pid(), 0x7fffff}, ax::Position).error, AXError::invalidElement);
    EXPECT_EQ(ax().attribute({}, ax::Windows).error, AXError::invalidElement);
    EXPECT_EQ(ax().setAttribute({c->pid(), 0x7fffff}, ax::Position, Point{1, 1}), AXError::invalidElement);
    EXPECT_EQ(ax().attribute(ax().applicationElement(0x3fffffff), ax::Windows).error, AXError::invalidElement);
    EXPECT_EQ(ax().attribute(element(c), QStringLiteral("AXNoSuchThing")).error, AXError::attributeUnsupported);
    EXPECT_EQ(ax().performAction(element(c), ax::Press), AXError::actionUnsupported);
    EXPECT_EQ(ax().setAttribute(element(c), ax::Title, QStringLiteral("x")), AXError::attributeUnsupported);
    EXPECT_EQ(ax().setAttribute(element(c), ax::Position, Size{1, 1}), AXError::illegalArgument);
}

TEST_F(X11AccessibilityTest, EnhancedUserInterfaceIsAcceptedAndReadsBack)
{
    X11TestClient* c = startClient(QStringLiteral("App"), {100, 100, 400, 300});
    ASSERT_TRUE(c);
    const AXElement app = ax().applicationElement(c->pid());
    EXPECT_EQ(ax().attribute(app, ax::EnhancedUserInterface).as<bool>(), false);
    EXPECT_EQ(ax().setAttribute(app, ax::EnhancedUserInterface, true), AXError::success);
    EXPECT_EQ(ax().attribute(app, ax::EnhancedUserInterface).as<bool>(), true);
    EXPECT_EQ(ax().setAttribute(app, ax::EnhancedUserInterface, 1.0), AXError::illegalArgument);
    EXPECT_TRUE(ax().isTrusted());
}

TEST_F(X11AccessibilityTest, ElementAtPositionIsTheFrontmostWindowThere)
{
    X11TestClient* back = startClient(QStringLiteral("Back"), {100, 100, 400, 300});
    X11TestClient* front = startClient(QStringLiteral("Front"), {300, 200, 400, 300});
    ASSERT_TRUE(back && front);
    ASSERT_TRUE(activate(front->window()));
    const AXElement all = ax().systemWideElement();
    EXPECT_EQ(ax().attribute(all, ax::Role).as<QString>(), QStringLiteral("AXSystemWide"));
    EXPECT_EQ(ax().elementAtPosition(all, {150, 150}).as<AXElement>(), element(back));
    EXPECT_EQ(ax().elementAtPosition(all, {350, 250}).as<AXElement>(), element(front));
    EXPECT_EQ(ax().elementAtPosition(all, {3000, 1300}).error, AXError::noValue);
    EXPECT_EQ(ax().elementAtPosition(ax().applicationElement(back->pid()), {350, 250}).error, AXError::noValue);
    EXPECT_EQ(ax().elementAtPosition(ax().applicationElement(front->pid()), {350, 250}).as<AXElement>(),
              element(front));
}

// A client that has stopped (a hung program) is still moved: the window
// manager moves its frame, the program need not answer.
TEST_F(X11AccessibilityTest, HungClientIsMovedAndDoesNotHoldUpOthers)
{
    X11TestClient* hung = startClient(QStringLiteral("Hung"), {100, 100, 400, 300});
    X11TestClient* fine = startClient(QStringLiteral("Fine"), {600, 100, 400, 300});
    ASSERT_TRUE(hung && fine);
    hung->freeze();
    for (X11TestClient* c : {hung, fine})
        ax().setMessagingTimeout(ax().applicationElement(c->pid()), kLongTimeout);
    const double start = X11Connection::steadyNow();
    EXPECT_EQ(ax().setFrame(element(hung), {1728, 8, 700, 500}), AXError::success);
    EXPECT_EQ(ax().setFrame(element(fine), {8, 8, 700, 500}), AXError::success);
    EXPECT_LT(X11Connection::steadyNow() - start, kLongTimeout / 2);
    EXPECT_EQ(str(frameWindowGeometry(hung->window())), str(Rect(1728, 8, 700, 500)));
    EXPECT_EQ(ax().attribute(element(hung), ax::Title).as<QString>(), QStringLiteral("Hung"));
    hung->thaw();
}

// When nothing carries a request out (here the window manager itself has
// stopped), an application costs its time-out once; later calls fail at
// once until one of its windows changes again.
TEST_F(X11AccessibilityTest, UnansweredApplicationCostsItsTimeOutOnce)
{
    X11TestClient* c = startClient(QStringLiteral("Waiting"), {100, 100, 400, 300});
    ASSERT_TRUE(c);
    // The waits are on the X server's real time, which a loaded machine only
    // makes longer: the first call costs at least the time-out, and not many
    // times it. The later calls are counted against it: four cost less than
    // two time-outs together, where waiting each out would cost four. (A
    // change of the window from before the stop, read late on a loaded
    // machine, shows the application answering and may cost one more.)
    constexpr double kTimeout = 1.0;
    ax().setMessagingTimeout(ax().applicationElement(c->pid()), kTimeout);
    ASSERT_TRUE(stopWindowManager());
    double start = X11Connection::steadyNow();
    EXPECT_EQ(ax().setAttribute(element(c), ax::Position, Point{500, 400}), AXError::cannotComplete);
    const double first = X11Connection::steadyNow() - start;
    EXPECT_GE(first, kTimeout * 0.95);
    EXPECT_LT(first, kTimeout * 5);
    start = X11Connection::steadyNow();
    for (const Point p : {Point{560, 400}, Point{570, 400}, Point{580, 400}, Point{600, 400}})
        EXPECT_EQ(ax().setAttribute(element(c), ax::Position, p), AXError::cannotComplete);
    EXPECT_LT(X11Connection::steadyNow() - start, kTimeout * 2);
    // Reads do not depend on the window manager.
    EXPECT_TRUE(ax().attribute(element(c), ax::Title).ok());

    continueWindowManager();
    // The window manager carries out what it was asked; the application
    // answers again and is waited for as before.
    EXPECT_TRUE(waitUntil([&] { return frameWindowGeometry(c->window()).origin() == Point{600, 400}; }));
    EXPECT_TRUE(waitUntil([&] {
        return ax().setAttribute(element(c), ax::Position, Point{700, 300}) == AXError::success;
    }));
    EXPECT_EQ(frameWindowGeometry(c->window()).origin(), (Point{700, 300}));
}

TEST(X11SizeHints, ConstrainsAsAnIcccmWindowManagerDoes)
{
    X11SizeHints none;
    EXPECT_EQ(none.constrain({300, 200}), (Size{300, 200}));
    EXPECT_EQ(none.constrain({0, -5}), (Size{1, 1}));
    X11SizeHints minMax;
    minMax.minWidth = 200;
    minMax.minHeight = 100;
    minMax.maxWidth = 800;
    minMax.maxHeight = 600;
    EXPECT_EQ(minMax.constrain({100, 50}), (Size{200, 100}));
    EXPECT_EQ(minMax.constrain({1000, 1000}), (Size{800, 600}));
    // A terminal: base 4 × 2 and 8 × 16 cells; the base stands in for the minimum.
    X11SizeHints cells;
    cells.baseWidth = 4;
    cells.baseHeight = 2;
    cells.incWidth = 8;
    cells.incHeight = 16;
    EXPECT_EQ(cells.constrain({100, 100}), (Size{100, 98}));
    EXPECT_EQ(cells.constrain({1, 1}), (Size{4, 2}));
    // A minimum without a base size is also the base of the increments.
    X11SizeHints minInc;
    minInc.minWidth = 10;
    minInc.minHeight = 10;
    minInc.incWidth = 7;
    EXPECT_EQ(minInc.constrain({30, 30}), (Size{24, 30}));
}

} // namespace
} // namespace tavrin
