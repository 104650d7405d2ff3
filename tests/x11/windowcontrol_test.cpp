#include "platform/screens.h"
#include "support/x11/patientaccessibility.h"
#include "support/x11/x11fixture.h"
#include "windows/display.h"
#include "windows/hotkeycenter.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

namespace tavrin {
namespace {

constexpr double kGap = 8;
// Far longer than any move takes, however loaded the machine.
constexpr double kLongTimeout = 20.0;

// The window manager on the real desktop, driven by key presses through the
// X server (XTEST), as a user drives it: an ultrawide monitor (2560 × 1080)
// beside an ordinary one (1280 × 1200).
class X11WindowControlTest : public X11Test {
protected:
    XvfbSession::Options sessionOptions() const override
    {
        XvfbSession::Options o;
        o.width = 3840;
        o.height = 1200;
        o.monitors = {{QStringLiteral("WIDE"), Rect(0, 0, 2560, 1080)},
                      {QStringLiteral("SQUARE"), Rect(2560, 0, 1280, 1200)}};
        return o;
    }
    void SetUp() override
    {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Windows are moved with every application's time-out long (the
        // window manager's own ask for 1 s): on a loaded machine a move can
        // take longer than that without being at fault.
        patient_ = std::make_unique<PatientAccessibility>(*platform_.accessibility, kLongTimeout);
        platform_.accessibility = patient_.get();
        Platform::install(platform_);
        defaults_.setValue(QStringLiteral("snap.letterGrid"), true);
        registerWindowKeys();
    }
    void TearDown() override
    {
        center_.unregisterAll();
        if (Platform::isInstalled())
            Platform::uninstall();
        patient_.reset();
        X11Test::TearDown();
    }

    // As the application shell binds them: each window action's key to the
    // window manager.
    void registerWindowKeys()
    {
        for (const ShortcutAction& action : ShortcutAction::allCases()) {
            const auto combo = store_.combo(action);
            if (!combo)
                continue;
            using K = ShortcutAction::Kind;
            std::function<void()> run;
            switch (action.kind) {
            case K::layout: run = [this, action] { manager_.applyLayout(action.layoutKind, true); }; break;
            case K::arrow: run = [this, action] { manager_.arrow(action.direction); }; break;
            case K::moveDisplay: run = [this, action] { manager_.moveToDisplay(action.right); }; break;
            case K::snap: run = [this, action] { manager_.snap(action.target); }; break;
            case K::fill: run = [this] { manager_.fill(); }; break;
            default: continue;
            }
            ASSERT_TRUE(center_.registerKey(*combo, run)) << action.id().toStdString();
        }
    }

    Display display(int index) const { return Display::all().at(std::size_t(index)); }
    std::string str(const Rect& r) const
    {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x).arg(r.y).arg(r.width).arg(r.height).toStdString();
    }
    // Presses keys and waits until the window stands at `want`, read back
    // from the server on the test's own connection.
    bool pressAndWait(const QString& combo, xcb_window_t window, const Rect& want)
    {
        EXPECT_TRUE(xdotool({QStringLiteral("key"), combo}));
        const bool reached = waitUntil([&] { return frameWindowGeometry(window) == want; });
        EXPECT_EQ(str(frameWindowGeometry(window)), str(want)) << combo.toStdString();
        EXPECT_TRUE(manager_.lastMessage().isEmpty()) << manager_.lastMessage().toStdString();
        return reached;
    }
    // The same for a window that sizes in steps of `step`: it stands at the
    // zone's corner, short of the zone's size by less than a step.
    bool pressAndWaitWithin(const QString& combo, xcb_window_t window, const Rect& zone, Size step)
    {
        EXPECT_TRUE(xdotool({QStringLiteral("key"), combo}));
        auto within = [&] {
            const Rect r = frameWindowGeometry(window);
            return r.origin() == zone.origin() && r.width <= zone.width && r.width > zone.width - step.width
                   && r.height <= zone.height && r.height > zone.height - step.height;
        };
        const bool reached = waitUntil(within);
        EXPECT_TRUE(reached) << combo.toStdString() << ": " << str(frameWindowGeometry(window)) << " for the zone "
                             << str(zone);
        EXPECT_TRUE(manager_.lastMessage().isEmpty()) << manager_.lastMessage().toStdString();
        return reached;
    }
    // Moves a window from the test's side (a user's drag) and waits for it.
    void place(X11TestClient* c, const Rect& frame)
    {
        ASSERT_EQ(ax().setAttribute(element(c), ax::Size, frame.size()), AXError::success);
        ASSERT_EQ(ax().setAttribute(element(c), ax::Position, frame.origin()), AXError::success);
        ASSERT_EQ(str(frameWindowGeometry(c->window())), str(frame));
    }
    std::unique_ptr<PatientAccessibility> patient_;
    HotKeyCenter center_;
    ShortcutStore store_;
    WindowManager manager_;
};

TEST_F(X11WindowControlTest, ArrowKeysStepTheFocusedWindowOnBothDisplays)
{
    X11TestClient* c = startClient(QStringLiteral("Editor"), {300, 200, 600, 400});
    ASSERT_TRUE(c);
    ASSERT_TRUE(activate(c->window()));
    for (int index : {0, 1}) {
        const Display d = display(index);
        SCOPED_TRACE(d.name.toStdString());
        place(c, Rect(d.area.x + 300, d.area.y + 200, 640, 480));
        waitUntil([] { return false; }, WindowManager::kArrowChordSeconds); // no chord with the last press
        UnitRect unit = UnitRect::fromFrame(frameWindowGeometry(c->window()), d.area);
        // ← three times steps through the widths; → then starts over on the right.
        for (int press = 0; press < 3; ++press) {
            const auto next = nextUnit(Arrow::left, unit, d.aspect());
            ASSERT_TRUE(next);
            ASSERT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+Left"), c->window(), next->rect(d.area, kGap)));
            unit = *next;
        }
        waitUntil([] { return false; }, WindowManager::kArrowChordSeconds);
        const auto right = nextUnit(Arrow::right, unit, d.aspect());
        ASSERT_TRUE(right);
        ASSERT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+Right"), c->window(), right->rect(d.area, kGap)));
    }
}

TEST_F(X11WindowControlTest, LetterGridSnapFillAndDisplayMove)
{
    X11TestClient* c = startClient(QStringLiteral("Editor"), {300, 200, 600, 400});
    ASSERT_TRUE(c);
    ASSERT_TRUE(activate(c->window()));
    const Display wide = display(0), square = display(1);
    ASSERT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+q"), c->window(),
                             rect(SnapTarget::topLeft, wide.aspect()).rect(wide.area, kGap)));
    ASSERT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+x"), c->window(),
                             rect(SnapTarget::bottomHalf, wide.aspect()).rect(wide.area, kGap)));
    // The display move keeps the window's zone, as a part of the other display.
    const UnitRect zone = rect(SnapTarget::bottomHalf, wide.aspect());
    ASSERT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+super+Right"), c->window(), zone.rect(square.area, kGap)));
    ASSERT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+Return"), c->window(), UnitRect().rect(square.area, kGap)));
    // There is no display further right: the window stays and the user is told.
    EXPECT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+super+Right")}));
    EXPECT_TRUE(waitUntil([&] { return manager_.lastMessage() == WindowManager::kNoDisplayMessage; }));
    EXPECT_EQ(frameWindowGeometry(c->window()), UnitRect().rect(square.area, kGap));
}

TEST_F(X11WindowControlTest, AWindowTheProgramDidNotPlaceComesBackFromTheOtherDisplayWhereItWas)
{
    // A panel along the top of the wide display leaves a visible area of
    // either parity (the second panel, a point taller, stands in front of
    // the first).
    for (const std::uint32_t panel : {24u, 25u}) {
        SCOPED_TRACE(panel);
        X11TestClient* bar = startClient(dock(QStringLiteral("Panel %1").arg(panel), {0, 0, 2560, double(panel)},
                                              {0, 0, panel, 0, 0, 0, 0, 0, 0, 2559, 0, 0}));
        ASSERT_TRUE(bar);
        ASSERT_TRUE(waitUntil([&] { return display(0).area.y == panel; }));
        X11TestClient* c = startClient(QStringLiteral("Free %1").arg(panel), {100, 100, 600, 400});
        ASSERT_TRUE(c);
        const Rect start(100, 100, 900, 700);
        place(c, start);
        ASSERT_TRUE(activate(c->window()));
        const Display square = display(1);
        ASSERT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+super+Right"), c->window(),
                                 UnitRect::fromFrame(start, display(0).area).rect(square.area, 0)));
        ASSERT_TRUE(pressAndWait(QStringLiteral("ctrl+alt+super+Left"), c->window(), start));
    }
}

TEST_F(X11WindowControlTest, ATerminalStaysInItsZoneThroughArrowStepsAndDisplayMoves)
{
    const Display wide = display(0), square = display(1);
    const AXElement terminal = startXterm(int(square.area.x) + 200, 200);
    ASSERT_TRUE(terminal.isValid());
    const auto window = xcb_window_t(terminal.token);
    ASSERT_TRUE(activate(window));
    // xterm takes sizes in whole character cells of 6 × 13 points.
    const Size cell{6, 13};
    const Rect half = UnitRect(0, 0, 0.5, 1).rect(square.area, kGap);
    ASSERT_TRUE(pressAndWaitWithin(QStringLiteral("ctrl+alt+Left"), window, half, cell));
    ASSERT_NE(frameWindowGeometry(window), half); // it did stop short

    // A second ← (not a chord) steps on from the half it was given.
    waitUntil([] { return false; }, WindowManager::kArrowChordSeconds);
    const UnitRect third(0, 0, 1.0 / 3, 1);
    ASSERT_TRUE(pressAndWaitWithin(QStringLiteral("ctrl+alt+Left"), window, third.rect(square.area, kGap), cell));
    const Rect before = frameWindowGeometry(window);

    // There and back again: the same zone each time, never a cell smaller
    // nor a gap further in.
    for (int trip = 0; trip < 2; ++trip) {
        SCOPED_TRACE(trip);
        ASSERT_TRUE(
            pressAndWaitWithin(QStringLiteral("ctrl+alt+super+Left"), window, third.rect(wide.area, kGap), cell));
        ASSERT_TRUE(
            pressAndWaitWithin(QStringLiteral("ctrl+alt+super+Right"), window, third.rect(square.area, kGap), cell));
        EXPECT_EQ(str(frameWindowGeometry(window)), str(before));
    }
}

TEST_F(X11WindowControlTest, HalvesArrangeThreeWindowsFocusedFirst)
{
    X11TestClient* a = startClient(QStringLiteral("A"), {100, 100, 500, 400});
    X11TestClient* b = startClient(QStringLiteral("B"), {700, 150, 500, 400});
    X11TestClient* c = startClient(QStringLiteral("C"), {1300, 200, 500, 400});
    ASSERT_TRUE(a && b && c);
    for (X11TestClient* w : {c, b, a}) // front to back: a, b, c
        ASSERT_TRUE(activate(w->window()));
    const Display wide = display(0);
    const auto zones = rects(LayoutKind::halves, 3, wide.aspect());
    ASSERT_EQ(zones.size(), 3u);
    EXPECT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+2")}));
    const std::vector<X11TestClient*> order{a, b, c};
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Rect want = zones[i].rect(wide.area, kGap);
        EXPECT_TRUE(waitUntil([&] { return frameWindowGeometry(order[i]->window()) == want; }));
        EXPECT_EQ(str(frameWindowGeometry(order[i]->window())), str(want)) << i;
    }
    saveScreenshot(QStringLiteral("x11-halves.png"));
}

TEST_F(X11WindowControlTest, ARefusedSizeAndAHungClientDoNotHoldUpTheOthers)
{
    X11TestClient* big = startClient(limitedClient(QStringLiteral("Stubborn"), {100, 100, 1600, 900}, {1600, 900}));
    X11TestClient* hung = startClient(QStringLiteral("Hung"), {700, 150, 500, 400});
    X11TestClient* fine = startClient(QStringLiteral("Fine"), {1300, 200, 500, 400});
    ASSERT_TRUE(big && hung && fine);
    for (X11TestClient* w : {big, hung, fine})
        ASSERT_TRUE(activate(w->window()));
    hung->freeze();
    const Display wide = display(0);
    const auto zones = rects(LayoutKind::columns, 3, wide.aspect());
    const double start = X11Connection::steadyNow();
    EXPECT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+6")}));
    const Rect fineWant = zones[0].rect(wide.area, kGap), hungWant = zones[1].rect(wide.area, kGap),
               bigWant = zones[2].rect(wide.area, kGap);
    // The window manager keeps the stubborn one at its minimum size, too wide
    // for its column: it is moved back inside the display.
    auto bigInside = [&] {
        const Rect r = frameWindowGeometry(big->window());
        return r.y == bigWant.y && r.maxX() == wide.area.maxX() - kGap;
    };
    EXPECT_TRUE(waitUntil([&] {
        return frameWindowGeometry(fine->window()) == fineWant && frameWindowGeometry(hung->window()) == hungWant
               && bigInside();
    }));
    // Held to half the (long) time-out: it waited out none, for the hung
    // window or for the refused size.
    EXPECT_LT(X11Connection::steadyNow() - start, kLongTimeout / 2);
    EXPECT_EQ(str(frameWindowGeometry(fine->window())), str(fineWant));
    EXPECT_EQ(str(frameWindowGeometry(hung->window())), str(hungWant));
    const Rect got = frameWindowGeometry(big->window());
    EXPECT_TRUE(bigInside()) << str(got);
    EXPECT_GE(got.width, 1600);
    EXPECT_GE(got.height, 900);
    // The re-check a moment later does not fight the window manager forever.
    waitUntil([] { return false; }, WindowManager::kRecheckDelay + 0.3);
    EXPECT_EQ(frameWindowGeometry(big->window()), got);
    hung->thaw();
}

} // namespace
} // namespace tavrin
