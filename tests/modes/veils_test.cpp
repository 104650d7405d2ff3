// The veil engine on the simulated desktop and virtual time: which windows
// get veils, how each veil is placed and stacked, the holds and floats, and
// the presses, drags and keys it follows.

#include "modes/privacyprompt.h"
#include "modes/sharesafe.h"
#include "modes/veilengine.h"
#include "modes/veilpanel.h"
#include "platform/hotkeys.h"
#include "platform/sim/siminputtaps.h"
#include "platform/sim/simveilsurfaces.h"
#include "support/simfixture.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

namespace tavrin {
namespace {

const QByteArray kScenario = R"({
  "displays": [ { "name": "Main", "frame": [0, 0, 2560, 1440], "dock": 60 } ],
  "frontmost": "Slack",
  "apps": [
    { "name": "Tavrin", "policy": "accessory", "self": true },
    { "name": "Slack" }, { "name": "Thunderbird" }, { "name": "Notes" }
  ],
  "windows": [
    { "app": "Slack", "title": "general", "frame": [1200, 200, 1000, 800] },
    { "app": "Thunderbird", "title": "Inbox", "frame": [100, 100, 800, 700] },
    { "app": "Notes", "title": "Notes", "frame": [1500, 900, 400, 300] }
  ]
})";

constexpr double kFrame = 1.0 / 120;
// The visible frame of the display: below the menu bar, above the dock.
const Rect kVisible(0, 24, 2560, 1440 - 24 - 60);

class VeilsTest : public ::testing::Test {
protected:
    std::uint32_t number(const QString& title) const { return env.window(title)->number; }
    const VeilEngine::Tracked* tracked(const QString& title) const
    {
        const auto it = engine.tracked().find(number(title));
        return it == engine.tracked().end() ? nullptr : &it->second;
    }
    // What the desktop shows of a window's veil; null without one.
    const SimSurface* veil(const QString& title) const
    {
        const VeilEngine::Tracked* t = tracked(title);
        return t ? env.desktop.surface(t->veil->surface().number()) : nullptr;
    }
    void frames(int n = 1) { env.clock.advance(n * kFrame); }
    // The left button, as the user presses, drags and lets go of it.
    void down(double x, double y)
    {
        env.desktop.mouseDown({x, y});
        env.clock.runDue();
    }
    void drag(double x, double y, double seconds)
    {
        env.clock.advance(seconds);
        env.desktop.mouseMove({x, y});
        env.clock.runDue();
    }
    void up(double x, double y)
    {
        env.desktop.mouseUp({x, y});
        env.clock.runDue();
    }
    // A drag event of the event clock's own time (nanoseconds).
    void dragAt(Point at, std::uint64_t ns)
    {
        TapEvent e;
        e.type = TapEvent::Type::leftMouseDragged;
        e.location = at;
        e.timestamp = ns;
        engine.input().mouseDragged(e);
    }
    std::vector<std::uint32_t> listed() const
    {
        std::vector<std::uint32_t> out;
        for (const WindowInfo& w : env.desktop.windowServer().onScreenWindows())
            if (w.ownerPid != SimDesktop::kDockPid)
                out.push_back(w.number);
        return out;
    }

    SimEnvironment env{kScenario};
    WindowManager windows;
    ShortcutStore shortcuts;
    PrivacyPrompt prompt{env.clock, windows};
    ShareSafe share{prompt, Platform::current()};
    VeilEngine engine{share, shortcuts, Platform::current()};
    Registration registration = share.setVeils(engine);
};

TEST_F(VeilsTest, WhichWindowsAreCovered)
{
    share.setManual(true);
    const int mail = env.pid("Thunderbird"), self = engine.me();
    struct Case {
        const char* what;
        WindowInfo window;
        bool covered;
    };
    const Case cases[] = {
        {"40 × 40", {1, mail, "Thunderbird", 0, Rect(0, 0, 40, 40), 1.0}, true},
        {"39 wide", {1, mail, "Thunderbird", 0, Rect(0, 0, 39, 400), 1.0}, false},
        {"39 high", {1, mail, "Thunderbird", 0, Rect(0, 0, 400, 39), 1.0}, false},
        {"fully transparent", {1, mail, "Thunderbird", 0, Rect(0, 0, 400, 400), 0.0}, false},
        {"on a raised layer", {1, mail, "Thunderbird", 3, Rect(0, 0, 400, 400), 1.0}, false},
        {"this process's own", {1, self, "Thunderbird", 0, Rect(0, 0, 400, 400), 1.0}, false},
        // The list names the owner otherwise; the application's name is private.
        {"owner named otherwise", {1, mail, "com.example.mail", 0, Rect(0, 0, 400, 400), 1.0}, true},
        {"not private", {1, env.pid("Slack"), "Slack", 0, Rect(0, 0, 400, 400), 1.0}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine.isCovered(c.window), c.covered) << c.what;

    share.setManual(false);
    EXPECT_FALSE(engine.isCovered(cases[0].window)) << "covering off";
}

TEST_F(VeilsTest, AStillWindowIsCoveredWithAMarginOfSixAndAStepAheadWithTwentyFour)
{
    share.setManual(true);
    ASSERT_TRUE(veil("Inbox"));
    EXPECT_TRUE(veil("Inbox")->visible);
    EXPECT_EQ(veil("Inbox")->frame, Rect(94, 94, 812, 712));
    EXPECT_FALSE(veil("general")) << "Slack is not private";

    // Stepped 10 right since the last update: where it was, where it is and
    // where it would be after another two such steps.
    env.desktop.setFrame(env.window("Inbox")->token, Rect(110, 100, 800, 700));
    frames();
    EXPECT_EQ(veil("Inbox")->frame, Rect(100 - 24, 100 - 24, 930 - 100 + 48, 700 + 48));
    frames();
    EXPECT_EQ(veil("Inbox")->frame, Rect(104, 94, 812, 712)) << "still again";
}

TEST_F(VeilsTest, AWindowMissingTwiceKeepsItsVeilAndLosesItTheThirdTime)
{
    share.setManual(true);
    const std::uint32_t inbox = number("Inbox");
    engine.hold(inbox, Rect(0, 0, 100, 100), 10);
    env.desktop.setMinimised(env.window("Inbox")->token, true);
    frames(2);
    ASSERT_TRUE(veil("Inbox"));
    EXPECT_EQ(tracked("Inbox")->missing, 2);
    EXPECT_TRUE(engine.holdOf(inbox));
    frames();
    EXPECT_FALSE(tracked("Inbox"));
    EXPECT_FALSE(engine.holdOf(inbox));
    EXPECT_TRUE(env.desktop.surfaces().empty()) << "the veil is gone from the desktop";

    // Back within two updates: the same veil stays.
    env.desktop.setMinimised(env.window("Inbox")->token, false);
    frames();
    const std::uint32_t surface = veil("Inbox")->number;
    env.desktop.setMinimised(env.window("Inbox")->token, true);
    frames(2);
    env.desktop.setMinimised(env.window("Inbox")->token, false);
    frames();
    EXPECT_EQ(veil("Inbox")->number, surface);
}

// The desktop's list as it comes when the server did not answer in time:
// nothing in it, and said to be partial.
struct PartialList final : WindowServer {
    explicit PartialList(WindowServer& real) : real(real) {}
    std::vector<WindowInfo> onScreenWindows() override
    {
        return partial ? std::vector<WindowInfo>() : real.onScreenWindows();
    }
    std::optional<Rect> windowBounds(std::uint32_t number) override { return real.windowBounds(number); }
    bool listComplete() const override { return !partial; }
    WindowServer& real;
    bool partial = true;
};

TEST_F(VeilsTest, ListsThatMayLackWindowsRemoveNoVeil)
{
    share.setManual(true);
    ASSERT_TRUE(veil("Inbox"));
    PartialList list(env.desktop.windowServer());
    WindowServer* real = std::exchange(Platform::current().windowServer, &list);
    frames(10);
    Platform::current().windowServer = real;
    ASSERT_TRUE(tracked("Inbox"));
    EXPECT_EQ(tracked("Inbox")->missing, 0);
    EXPECT_TRUE(veil("Inbox")->visible);
    // Gone from whole lists: out on the third.
    env.desktop.setMinimised(env.window("Inbox")->token, true);
    frames(3);
    EXPECT_FALSE(tracked("Inbox"));
}

TEST_F(VeilsTest, TheMachineryRunsForAHandHiddenAppAloneAndStopsWhenNothingIsWanted)
{
    env.desktop.setFrontmost(env.pid("Notes"));
    share.hideFrontApp();
    EXPECT_TRUE(engine.isRunning());
    EXPECT_TRUE(env.desktop.inputTaps().isRunning());
    EXPECT_TRUE(veil("Notes"));
    EXPECT_FALSE(veil("Inbox")) << "covering is off";
    const int before = engine.updates();
    frames(12);
    EXPECT_EQ(engine.updates(), before + 12) << "one update a frame at 120 Hz";

    // Covering on and off again: the hand-hidden veil stays, the private one
    // goes with the missing count.
    share.setManual(true);
    ASSERT_TRUE(veil("Inbox"));
    share.setManual(false); // and one update without Thunderbird's window
    EXPECT_TRUE(engine.isRunning());
    frames();
    EXPECT_TRUE(veil("Inbox"));
    frames();
    EXPECT_FALSE(veil("Inbox"));
    EXPECT_TRUE(veil("Notes"));

    // The hand blur lifted: everything stops at once.
    share.hideFrontApp();
    EXPECT_FALSE(engine.isRunning());
    EXPECT_TRUE(engine.tracked().empty());
    EXPECT_TRUE(env.desktop.surfaces().empty());
    EXPECT_FALSE(env.desktop.inputTaps().isRunning());
    const int stopped = engine.updates();
    frames(12);
    EXPECT_EQ(engine.updates(), stopped);
}

TEST_F(VeilsTest, AProgrammaticMoveIsHeldOnlyFromWhereTheWindowStandsWhileCoveringIsOn)
{
    share.setManual(true);
    const int mail = env.pid("Thunderbird");
    const std::uint32_t inbox = number("Inbox");
    const Rect to(1000, 300, 800, 700);

    engine.willMove(mail, Rect(104, 100, 800, 700), to);
    EXPECT_FALSE(engine.holdOf(inbox)) << "4.0 points away on one axis";
    const Rect from(103.9, 96.1, 800, 700);
    engine.willMove(mail, from, to);
    ASSERT_TRUE(engine.holdOf(inbox));
    EXPECT_EQ(engine.holdOf(inbox)->rect, from.united(to));
    EXPECT_DOUBLE_EQ(engine.holdOf(inbox)->until, engine.now() + 0.6);
    EXPECT_EQ(veil("Inbox")->frame, Rect(94, 90, 1712, 916)) << "the veil covers both frames at once";

    // With only hand-hidden applications veiled, moves hold nothing.
    share.setManual(false);
    env.clock.advance(1);
    env.desktop.setFrontmost(mail);
    share.hideFrontApp();
    engine.willMove(mail, Rect(100, 100, 800, 700), to);
    EXPECT_FALSE(engine.holdOf(inbox));
}

TEST_F(VeilsTest, HoldsOnOneWindowMerge)
{
    share.setManual(true);
    const std::uint32_t inbox = number("Inbox");
    engine.hold(inbox, Rect(0, 0, 100, 100), 0.5);
    const double start = engine.now();
    env.clock.advance(0.1);
    engine.hold(inbox, Rect(2000, 1000, 10, 10), 0.2);
    ASSERT_TRUE(engine.holdOf(inbox));
    EXPECT_EQ(engine.holdOf(inbox)->rect, Rect(0, 0, 2010, 1010));
    EXPECT_DOUBLE_EQ(engine.holdOf(inbox)->until, start + 0.5);
    env.clock.advance(0.45);
    EXPECT_FALSE(engine.holdOf(inbox));
    // An ended hold is not merged into.
    engine.hold(inbox, Rect(5, 5, 10, 10), 0.2);
    EXPECT_EQ(engine.holdOf(inbox)->rect, Rect(5, 5, 10, 10));
}

TEST_F(VeilsTest, AVeilFloatsOverAnUncoveredWindowAndStandsDirectlyAboveOneThatIsCovered)
{
    share.setManual(true);
    const SimSurface* inbox = veil("Inbox");
    ASSERT_TRUE(inbox);
    EXPECT_EQ(inbox->level, 3) << "nothing else overlaps Thunderbird";

    // Slack moved over Thunderbird: the veil comes down directly above Thunderbird.
    env.desktop.setFrame(env.window("general")->token, Rect(500, 300, 1000, 800));
    frames();
    EXPECT_EQ(veil("Inbox")->level, 0);
    EXPECT_EQ(listed(),
              (std::vector<std::uint32_t>{number("general"), veil("Inbox")->number, number("Inbox"), number("Notes")}));

    // Thunderbird raised over Slack: the veil is left behind, then put back above it.
    env.desktop.raiseWindow(env.window("Inbox")->token);
    EXPECT_EQ(listed().front(), number("Inbox"));
    frames();
    EXPECT_EQ(listed().front(), veil("Inbox")->number);
}

TEST_F(VeilsTest, ThisProgramsOwnRegularWindowAboveAPrivateOneIsNeverCovered)
{
    // Settings opened over Thunderbird: a window of this process, but no veil.
    SimWindow settings;
    settings.pid = engine.me();
    settings.title = QStringLiteral("Settings");
    settings.frame = Rect(300, 300, 600, 400);
    env.desktop.addWindow(settings);
    share.setManual(true);
    ASSERT_TRUE(veil("Inbox"));
    EXPECT_EQ(veil("Inbox")->level, 0);
    EXPECT_EQ(listed(), (std::vector<std::uint32_t>{number("Settings"), number("general"), veil("Inbox")->number,
                                                    number("Inbox"), number("Notes")}));
}

TEST_F(VeilsTest, AFramePastTheScreensEdgeIsKeptExactly)
{
    share.setManual(true);
    env.desktop.setFrame(env.window("Inbox")->token, Rect(-300, 1200, 800, 700));
    frames(2);
    EXPECT_EQ(veil("Inbox")->frame, Rect(-306, 1194, 812, 712));
    EXPECT_EQ(tracked("Inbox")->veil->surface().frame(), Rect(-306, 1194, 812, 712));
}

// ---- Presses, drags and releases ----

TEST_F(VeilsTest, APressIsJudgedByWhereOnTheWindowItFalls)
{
    share.setManual(true);
    // Thunderbird stands at 100, 100, 800 × 700.
    struct Case {
        Point at;
        Press::Kind kind;
        bool left;
    };
    const Case cases[] = {
        {{97, 400}, Press::Kind::resize, true},  // 3 outside the left edge
        {{104, 400}, Press::Kind::resize, true}, // 4 inside
        {{105, 130}, Press::Kind::bar, false},   // 5 inside
        {{400, 159}, Press::Kind::bar, false},   // 59 below the top
        {{400, 160}, Press::Kind::body, false},  // 60 below
        {{899, 799}, Press::Kind::resize, false},
    };
    for (const Case& c : cases) {
        down(c.at.x, c.at.y);
        ASSERT_TRUE(engine.input().press()) << c.at.x << "," << c.at.y;
        EXPECT_EQ(engine.input().press()->kind, c.kind) << c.at.x << "," << c.at.y;
        EXPECT_EQ(engine.input().press()->edges.left, c.left) << c.at.x << "," << c.at.y;
        EXPECT_EQ(veil("Inbox")->level, 3) << "the pressed window's veil floats";
        up(c.at.x, c.at.y);
        EXPECT_FALSE(engine.input().press());
    }
    down(1500, 500);
    EXPECT_FALSE(engine.input().press()) << "Slack is not veiled";
}

TEST_F(VeilsTest, WithOnlyHandHiddenAppsPressesAreNotFollowed)
{
    env.desktop.setFrontmost(env.pid("Thunderbird"));
    share.hideFrontApp();
    ASSERT_TRUE(veil("Inbox"));
    down(400, 130);
    EXPECT_FALSE(engine.input().press());
}

TEST_F(VeilsTest, ADraggedWindowsVeilLeadsItByItsVelocityClamped)
{
    share.setManual(true);
    down(400, 110); // Thunderbird's title bar: the desktop drags it
    // Before the pointer's speed is known, a whole step around: the desktop
    // may move the window before the veil follows.
    EXPECT_EQ(veil("Inbox")->frame, Rect(100 - 24, 100 - 24, 800 + 48, 700 + 48));
    // 10 points every millisecond: 10 000 points a second.
    for (int i = 1; i <= 6; ++i)
        drag(400 + 10 * i, 110, 0.001);
    const Press& p = *engine.input().press();
    EXPECT_EQ(p.kind, Press::Kind::move);
    EXPECT_GT(p.velocity.x, 9900);
    // Moved by 60: the veil spans 120 behind (the lag, clamped) to 250 ahead
    // (the lead, clamped), 8 around.
    const Rect moved(160, 100, 800, 700);
    EXPECT_EQ(veil("Inbox")->frame, Rect(moved.x - 120 - 8, 92, 800 + 120 + 250 + 16, 716));
    up(460, 110);
}

TEST_F(VeilsTest, AResizingVeilWidensWithSpeedAndNarrowsOnlyAfterAWhile)
{
    env.clock.advance(1); // the event clock's 0 means "no drag yet"
    share.setManual(true);
    down(899, 799); // the bottom-right corner
    ASSERT_EQ(engine.input().press()->kind, Press::Kind::resize);
    const std::uint64_t t0 = env.desktop.inputTaps().now();
    dragAt({900, 800}, t0);
    // 0.025 points in 0.01 s: a speed of 1 point a second.
    dragAt({900.025, 800}, t0 + 10'000'000);
    EXPECT_NEAR(engine.input().press()->speed, 1.0, 1e-9);
    EXPECT_EQ(engine.input().press()->extra, 30);
    // Far faster: 150 at most.
    dragAt({1100, 800}, t0 + 20'000'000);
    EXPECT_EQ(engine.input().press()->extra, 150);
    // Slow again: the margin narrows only once 0.4 s have passed since it widened.
    const double widened = engine.now();
    std::uint64_t t = t0 + 20'000'000;
    for (int i = 1; i <= 9; ++i) {
        env.clock.advance(0.05);
        t += 50'000'000;
        dragAt({1100, 800.0 + 0.01 * i}, t);
        if (engine.now() - widened <= 0.4) {
            EXPECT_EQ(engine.input().press()->extra, 150) << i;
        }
    }
    EXPECT_LT(engine.input().press()->extra, 150);
}

TEST_F(VeilsTest, ADragEventTooSoonAfterTheLastChangesNeitherSpeedNorVelocity)
{
    env.clock.advance(1);
    share.setManual(true);
    down(400, 160);
    const std::uint64_t t0 = env.desktop.inputTaps().now();
    dragAt({400, 160}, t0);
    dragAt({410, 160}, t0 + 10'000'000);
    const Press before = *engine.input().press();
    dragAt({500, 160}, t0 + 10'400'000); // 0.0004 s later
    EXPECT_EQ(engine.input().press()->speed, before.speed);
    EXPECT_EQ(engine.input().press()->velocity, before.velocity);
    EXPECT_EQ(engine.input().press()->last, (Point{500, 160}));
}

TEST_F(VeilsTest, ReleasesOnTheButtonsAndAtTheScreensEdgesHoldWhereTheWindowGoes)
{
    share.setManual(true);
    const std::uint32_t inbox = number("Inbox");
    const Rect bounds(100, 100, 800, 700);

    // The minimise button: into the dock strip along the screen's bottom.
    down(130, 110);
    up(130, 110);
    ASSERT_TRUE(engine.holdOf(inbox));
    EXPECT_EQ(engine.holdOf(inbox)->rect, bounds.united(Rect(0, 1350, 2560, 90)));
    EXPECT_DOUBLE_EQ(engine.holdOf(inbox)->until, engine.now() + 0.8);
    env.clock.advance(1);

    // The zoom button: the visible frame.
    down(160, 110);
    up(160, 110);
    EXPECT_EQ(engine.holdOf(inbox)->rect, kVisible);
    env.clock.advance(1);

    struct Case {
        const char* where;
        Point release;
        Rect tile;
    };
    const Case cases[] = {
        {"left edge, top", {2, 26}, Rect(0, 24, 1280, 678)},
        {"left edge, middle", {2, 700}, Rect(0, 24, 1280, 1356)},
        {"top edge", {1000, 26}, kVisible},
    };
    for (const Case& c : cases) {
        const Rect at = env.window("Inbox")->frame;
        down(at.x + 300, at.y + 10);
        drag(at.x + 320, at.y + 10, 0.05);
        drag(c.release.x, c.release.y, 0.05);
        ASSERT_EQ(engine.input().press()->kind, Press::Kind::move) << c.where;
        up(c.release.x, c.release.y);
        const Rect now = env.window("Inbox")->frame;
        // The tile, with the predicted frame's short hold.
        EXPECT_EQ(engine.holdOf(inbox)->rect, c.tile.united(now)) << c.where;
        env.clock.advance(1);
        env.desktop.setFrame(env.window("Inbox")->token, bounds);
        frames(2);
    }
}

TEST_F(VeilsTest, ADoubleClickOnTheTitleBarHoldsTheWholeScreen)
{
    share.setManual(true);
    down(400, 110);
    up(400, 110);
    env.clock.advance(0.1);
    down(400, 110);
    EXPECT_EQ(engine.holdOf(number("Inbox"))->rect, Rect(0, 0, 2560, 1440));
}

TEST_F(VeilsTest, ACommandMHoldsEachWindowOfAPrivateFrontAppWithTheDockStrip)
{
    share.setManual(true);
    env.desktop.setFrontmost(env.pid("Thunderbird"));
    env.pressKey(46, modifier::command);
    ASSERT_TRUE(engine.holdOf(number("Inbox")));
    EXPECT_EQ(engine.holdOf(number("Inbox"))->rect, Rect(0, 100, 2560, 1340));
}

TEST_F(VeilsTest, TheSwitcherFloatsTheVeilsWhenCommandGoesUp)
{
    share.setManual(true);
    env.desktop.setFrontmost(env.pid("Thunderbird"));
    env.desktop.setModifierFlags(modflag::command);
    env.pressKey(48, modifier::command); // ⌘Tab
    EXPECT_TRUE(engine.input().switching());
    env.pressKey(50, modifier::command); // ⌘`: a float
    ASSERT_TRUE(engine.floatUntil());
    // While ⌘ is held, another application in front does not end it.
    env.desktop.setFrontmost(env.pid("Slack"));
    frames();
    EXPECT_TRUE(engine.floatUntil());

    env.desktop.setModifierFlags(0);
    env.clock.runDue();
    EXPECT_FALSE(engine.input().switching());
    ASSERT_TRUE(engine.floatUntil());
    EXPECT_DOUBLE_EQ(*engine.floatUntil(), engine.now() + 0.6);
    for (const auto& [number, entry] : engine.tracked())
        EXPECT_EQ(entry.veil->surface().level(), 3);
    frames();
    EXPECT_TRUE(engine.floatUntil()) << "Slack was in front when it began";
    // Another application that is not private comes to the front: it ends.
    env.desktop.setFrontmost(env.pid("Notes"));
    frames();
    EXPECT_FALSE(engine.floatUntil());
}

TEST_F(VeilsTest, AFloatBegunWithAPrivateAppInFrontEndsAtItsDeadline)
{
    share.setManual(true);
    env.desktop.setFrontmost(env.pid("Thunderbird"));
    engine.floatAll();
    env.clock.advance(0.55);
    EXPECT_TRUE(engine.floatUntil());
    env.clock.advance(0.06);
    EXPECT_FALSE(engine.floatUntil());
}

TEST_F(VeilsTest, APressOnTheBareDesktopRevealsItAndASecondRestores)
{
    share.setManual(true);
    const std::uint32_t inbox = number("Inbox");
    down(1000, 1200);
    up(1000, 1200);
    // Thunderbird leaves by the left side, up to the top of the visible area.
    const Rect bounds(100, 100, 800, 700);
    ASSERT_TRUE(engine.holdOf(inbox));
    EXPECT_EQ(engine.holdOf(inbox)->rect, bounds.united(bounds.translated(-900, -76)));
    EXPECT_EQ(engine.revealed().size(), 1u);

    env.clock.advance(1);
    down(1000, 1200);
    EXPECT_TRUE(engine.revealed().empty());
    EXPECT_EQ(engine.holdOf(inbox)->rect, bounds);
    EXPECT_DOUBLE_EQ(*engine.floatUntil(), engine.now() + 0.9);

    // Where a click on the wallpaper does not reveal the desktop, nothing.
    env.clock.advance(1);
    env.defaults.setForeignValue(QStringLiteral("com.apple.WindowManager"),
                                 QStringLiteral("EnableStandardClickToShowDesktop"), false);
    down(1000, 1200);
    EXPECT_TRUE(engine.revealed().empty());
    EXPECT_FALSE(engine.holdOf(inbox));
}

TEST_F(VeilsTest, AClickOnAPrivateAppsDockItemFloatsTheVeilsOnRelease)
{
    share.setManual(true);
    // The dock holds Slack, Thunderbird and Notes in thirds of its 1280 points.
    down(800, 1410); // Slack
    up(800, 1410);
    EXPECT_FALSE(engine.floatUntil());
    env.clock.advance(1);
    down(1280, 1410); // Thunderbird
    EXPECT_EQ(env.desktop.frontmostPid(), env.pid("Thunderbird"));
    EXPECT_TRUE(engine.input().dockIsPrivate());
    EXPECT_FALSE(engine.floatUntil());
    up(1280, 1410);
    ASSERT_TRUE(engine.floatUntil());
    EXPECT_DOUBLE_EQ(*engine.floatUntil(), engine.now() + 0.6);
}

// ---- Mended faults ----

TEST_F(VeilsTest, AProcessIdUsedAgainIsNamedForItsNewApplication)
{
    share.setManual(true);
    const int mail = env.pid("Thunderbird");
    EXPECT_EQ(engine.appName(mail), "Thunderbird");
    env.desktop.removeApp(mail);
    env.clock.runDue();
    SimApp notes;
    notes.pid = mail;
    notes.name = QStringLiteral("Calculator");
    SimWindow w;
    w.title = QStringLiteral("Sums");
    w.frame = Rect(100, 100, 400, 400);
    env.desktop.addApp(notes, {w});
    EXPECT_EQ(engine.appName(mail), "Calculator");
    frames();
    EXPECT_FALSE(veil("Sums")) << "no longer Thunderbird's, no longer private";
}

TEST_F(VeilsTest, AProcessNotKnownYetIsNamedOnceItIs)
{
    share.setManual(true);
    const int pid = 5151;
    EXPECT_EQ(engine.appName(pid), "");
    SimApp late;
    late.pid = pid;
    late.name = QStringLiteral("Thunderbird");
    SimWindow w;
    w.title = QStringLiteral("Second inbox");
    w.frame = Rect(100, 100, 400, 400);
    env.desktop.addApp(late, {w});
    EXPECT_EQ(engine.appName(pid), "Thunderbird");
}

TEST_F(VeilsTest, WhatKeepsTheSurfacesFromCoveringIsShareSafesNoticeWhileCovering)
{
    env.desktop.veilSurfaces().setProblem(QStringLiteral("The covers' connection was lost."));
    EXPECT_EQ(share.notice(), "") << "nothing is covered";
    share.setManual(true);
    EXPECT_EQ(share.notice(), "The covers' connection was lost.");
    share.setManual(false);
    env.desktop.veilSurfaces().setProblem(QStringLiteral("Lost again."));
    EXPECT_EQ(share.notice(), "");
    share.setManual(true);
    env.desktop.veilSurfaces().setProblem(QStringLiteral("Lost once more."));
    EXPECT_EQ(share.notice(), "Lost once more.");
}

TEST_F(VeilsTest, TapsThatCannotStartLeaveTheVeilsFollowingAtFrameRateAndSaySoOnce)
{
    env.desktop.inputTaps().setRefused(true);
    share.setManual(true);
    EXPECT_TRUE(engine.isRunning());
    EXPECT_FALSE(env.desktop.inputTaps().isRunning());
    ASSERT_EQ(env.desktop.logLines().size(), 1);
    EXPECT_TRUE(env.desktop.logLines().front().startsWith("Share-safe cannot watch the mouse and keyboard"));
    env.desktop.setFrame(env.window("Inbox")->token, Rect(300, 100, 800, 700));
    frames(2);
    EXPECT_EQ(veil("Inbox")->frame, Rect(294, 94, 812, 712));

    share.setManual(false);
    share.setManual(true);
    EXPECT_EQ(env.desktop.logLines().size(), 1) << "said once";
}

} // namespace
} // namespace tavrin
