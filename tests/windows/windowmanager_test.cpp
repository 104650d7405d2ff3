#include "support/simfixture.h"
#include "support/windowfakes.h"
#include "windows/windowmanager.h"

#include "printers.h"
#include "probe.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tavrin;

namespace {
// Two displays: "UltraWide 34" (visible 0,24 3440×1352) with an editor, a
// terminal, mail (at least 600×400), a calculator that does not resize and a
// folder; and, to its right, "Built-in Display" (3440,323 1728×1117) with
// chat, a call, notes and a browser window. The editor is focused.
const char* const kDesk = R"({
  "trusted": true,
  "frontmost": "Visual Studio Code",
  "displays": [
    { "name": "UltraWide 34", "frame": [0, 0, 3440, 1440], "number": 1, "serial": 40213, "dock": 64 },
    { "name": "Built-in Display", "frame": [3440, 323, 1728, 1117], "scale": 2, "number": 2 }
  ],
  "apps": [
    { "name": "Tavrin", "policy": "accessory", "self": true },
    { "name": "Finder" }, { "name": "Visual Studio Code" }, { "name": "Safari" }, { "name": "Terminal" },
    { "name": "Mail" }, { "name": "Slack" }, { "name": "Microsoft Teams" }, { "name": "Notes" }, { "name": "Calculator" }
  ],
  "windows": [
    { "app": "Visual Studio Code", "title": "main.cpp — tavrin", "frame": [1100, 60, 1500, 1200], "minSize": [400, 270] },
    { "app": "Terminal", "title": "tavrin — zsh — 120×36", "frame": [2620, 60, 800, 620], "minSize": [300, 150] },
    { "app": "Mail", "title": "Inbox – 3 messages", "frame": [2620, 700, 800, 660], "minSize": [600, 400] },
    { "app": "Slack", "title": "general (Channel) - Acme - Slack", "frame": [3480, 360, 1100, 760], "minSize": [500, 400] },
    { "app": "Microsoft Teams", "title": "Design review | Microsoft Teams", "frame": [3900, 420, 1000, 680] },
    { "app": "Notes", "title": "Meeting notes", "frame": [4180, 760, 900, 620], "minSize": [400, 300] },
    { "app": "Safari", "title": "Flight status LH 123", "frame": [3500, 400, 1500, 950], "minSize": [500, 300] },
    { "app": "Calculator", "title": "Calculator", "frame": [2300, 900, 230, 400], "resizable": false },
    { "app": "Finder", "title": "Documents", "frame": [300, 300, 920, 560], "minSize": [300, 200] }
  ]
})";

struct Desk : ::testing::Test {
    SimEnvironment env{kDesk};
    WindowManager manager;

    Display display(int index) const { return Display::fromScreens(env.desktop.screens())[std::size_t(index)]; }
    Rect frame(const QString& title) const { return env.window(title)->frame; }
    Rect zone(const UnitRect& unit, int displayIndex) const { return unit.rect(display(displayIndex).area, 8); }
};
} // namespace

TEST_F(Desk, RepeatedArrowsStepFromFramesWithGaps)
{
    // On the built-in display a gapped half is 0.49 of the width: still the
    // half the last press gave, so the next press steps on.
    addProbe(env, "Probe", {3600, 400, 500, 400});
    EXPECT_EQ(manager.arrow(Arrow::left), zone({0, 0, 0.5, 1}, 1));
    env.clock.advance(1);
    EXPECT_EQ(manager.arrow(Arrow::left), zone({0, 0, 1.0 / 3, 1}, 1));
    env.clock.advance(0.3);
    EXPECT_EQ(manager.arrow(Arrow::up), zone({0, 0, 1.0 / 3, 0.5}, 1)); // a corner
    env.clock.advance(0.9);
    EXPECT_EQ(manager.arrow(Arrow::right), zone({0.5, 0, 0.5, 1}, 1)); // too late for a corner
    EXPECT_TRUE(manager.lastMessage().isNull());
}

TEST_F(Desk, DownOnTheUltrawidePutsBackOnce)
{
    const Rect start(500, 300, 900, 700);
    addProbe(env, "Probe", start);
    manager.snap(SnapTarget::topRight);
    manager.arrow(Arrow::left);
    EXPECT_EQ(manager.arrowContext()->restoreUnit, UnitRect::fromFrame(start, display(0).area));
    env.clock.advance(1);
    EXPECT_EQ(manager.arrow(Arrow::down), start); // exactly where it was
    const int beeps = env.desktop.beepCount();
    EXPECT_EQ(manager.arrow(Arrow::down), std::nullopt); // nothing more to put back
    EXPECT_EQ(env.desktop.beepCount(), beeps + 1);
    EXPECT_TRUE(manager.lastMessage().isNull());
    EXPECT_EQ(frame("Probe"), start);
}

TEST_F(Desk, AFreeWindowComesBackFromAnotherDisplayWhereItWas)
{
    const Rect start(100, 100, 900, 700);
    addProbe(env, "Probe", start);
    const Rect there = UnitRect::fromFrame(start, display(0).area).rect(display(1).area, 0);
    for (int trip = 0; trip < 3; ++trip) {
        EXPECT_EQ(manager.moveToDisplay(true), there);
        EXPECT_EQ(manager.moveToDisplay(false), start);
    }
    EXPECT_EQ(frame("Probe"), start);
    // A window in a zone takes the same zone there, with the gap.
    manager.snap(SnapTarget::rightThird);
    EXPECT_EQ(manager.moveToDisplay(true), zone(rect(SnapTarget::rightThird, display(0).aspect()), 1));
}

TEST(WindowManagerRoundTrip, AFreeWindowComesBackExactlyWhateverTheVisibleAreasParity)
{
    // The first display has the 24-point menu bar; its size and docks of
    // even and odd heights give visible areas of both parities, on both
    // displays. A smaller second display (768 points high) is where a frame
    // read back there instead of the unit given would land a point off on
    // the way back ([100,99,900,701] on a visible height of 1093).
    struct Case {
        int width, height, dock, otherDock, otherHeight;
    };
    for (const Case& c : {Case{3440, 1440, 64, 0, 1117}, Case{3440, 1440, 63, 0, 1117}, Case{3440, 1440, 0, 0, 1080},
                          Case{3440, 1440, 63, 37, 1081}, Case{3440, 1440, 64, 1, 1000}, Case{1728, 1117, 0, 0, 1440},
                          Case{1728, 1117, 0, 64, 1440}, Case{1728, 1118, 0, 0, 1117}, Case{1728, 1117, 0, 0, 768},
                          Case{1728, 1117, 1, 0, 768}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " dock " << c.dock);
        const QByteArray desk = QStringLiteral(R"({"trusted": true, "frontmost": "Finder",
          "displays": [{"name": "A", "frame": [0, 0, %4, %5], "number": 1, "dock": %1},
                       {"name": "B", "frame": [%4, 323, 1728, %3], "number": 2, "dock": %2}],
          "apps": [{"name": "Tavrin", "policy": "accessory", "self": true}, {"name": "Finder"}]})")
                                    .arg(c.dock)
                                    .arg(c.otherDock)
                                    .arg(c.otherHeight)
                                    .arg(c.width)
                                    .arg(c.height)
                                    .toUtf8();
        SimEnvironment env{desk};
        WindowManager manager;
        const Rect start(100, 100, 900, 700);
        addProbe(env, "Probe", start);
        for (int trip = 0; trip < 3; ++trip) {
            ASSERT_TRUE(manager.moveToDisplay(true));
            EXPECT_EQ(manager.moveToDisplay(false), start);
        }
        EXPECT_EQ(env.window("Probe")->frame, start);
    }
}

TEST_F(Desk, AWindowLargerThanItsZoneIsMovedBackInsideTheDisplay)
{
    // The built-in display's bottom-right quarter is 852 points wide: this
    // window would run 140 points past the right edge.
    SimWindow wide;
    wide.title = "Wide";
    wide.frame = {3600, 400, 1000, 500};
    wide.minSize = {992, 300};
    addProbe(env, wide);
    const Rect area = display(1).area;
    const Rect bottomRight = zone({0.5, 0.5, 0.5, 0.5}, 1);
    const Rect inside(area.maxX() - 8 - 992, bottomRight.y, 992, bottomRight.height);
    EXPECT_EQ(manager.snap(SnapTarget::bottomRight), inside);
    EXPECT_EQ(frame("Wide"), inside);
    // Where it was moved, it still counts as in its zone.
    EXPECT_EQ(manager.arrowContext()->unit, UnitRect(0.5, 0.5, 0.5, 0.5));
    env.clock.advance(1);
    EXPECT_EQ(manager.arrow(Arrow::right), Rect(area.maxX() - 8 - 992, area.y + 8, 992, area.height - 16));

    // In a layout too, and the re-check a moment later leaves it there.
    manager.applyLayout(LayoutKind::columns, false, display(1), QStringList{"Notes", "Slack", "Wide app"});
    env.clock.advance(1);
    EXPECT_LE(frame("Wide").maxX(), area.maxX() - 8);
    EXPECT_EQ(frame("Wide").width, 992);
}

TEST_F(Desk, AWindowThatSizesInStepsStaysInItsZone)
{
    // A terminal: it takes sizes only in whole character cells.
    SimWindow terminal;
    terminal.title = "Shell";
    terminal.frame = {3600, 400, 500, 400};
    terminal.minSize = {14, 21};
    terminal.sizeStep = {6, 13};
    addProbe(env, terminal);
    auto stepped = [](const Rect& r) {
        return Rect(r.origin(), {14 + std::floor((r.width - 14) / 6) * 6, 21 + std::floor((r.height - 21) / 13) * 13});
    };
    const Rect leftHalf = stepped(zone({0, 0, 0.5, 1}, 1));
    EXPECT_EQ(manager.arrow(Arrow::left), zone({0, 0, 0.5, 1}, 1));
    EXPECT_EQ(frame("Shell"), leftHalf);
    ASSERT_NE(leftHalf, zone({0, 0, 0.5, 1}, 1));
    // A second ← (not a chord) steps on to the third.
    env.clock.advance(1);
    manager.arrow(Arrow::left);
    const Rect leftThird = stepped(zone({0, 0, 1.0 / 3, 1}, 1));
    EXPECT_EQ(frame("Shell"), leftThird);
    // Display moves start from the zone, not from the frame the steps left.
    for (int trip = 0; trip < 3; ++trip) {
        manager.moveToDisplay(false);
        EXPECT_EQ(frame("Shell"), stepped(zone({0, 0, 1.0 / 3, 1}, 0)));
        manager.moveToDisplay(true);
        EXPECT_EQ(frame("Shell"), leftThird);
    }
}

TEST_F(Desk, ActionsPublishWhyTheyFailAndClearOnSuccess)
{
    QStringList seen;
    QObject::connect(&manager, &WindowManager::lastMessageChanged, [&] { seen << manager.lastMessage(); });

    env.desktop.setTrusted(false);
    EXPECT_EQ(manager.fill(), std::nullopt);
    manager.applyLayout(LayoutKind::halves, false, std::nullopt, std::nullopt, std::nullopt, /*quiet*/ true);
    env.desktop.setTrusted(true);

    addProbe(env, "Probe", {3600, 400, 500, 400});
    EXPECT_EQ(manager.moveToDisplay(true), std::nullopt); // the built-in display is rightmost
    EXPECT_TRUE(manager.moveToDisplay(false));
    // The same frame relative to the visible area, on the ultrawide.
    EXPECT_EQ(frame("Probe"), UnitRect::fromFrame({3600, 400, 500, 400}, display(1).area).rect(display(0).area, 0));

    SimApp empty;
    empty.name = "Empty";
    env.desktop.activate(env.desktop.addApp(empty));
    EXPECT_EQ(manager.snap(SnapTarget::topLeft), std::nullopt);
    manager.applyLayout(LayoutKind::halves, false, display(1), QStringList{"Empty"});

    EXPECT_EQ(seen,
              QStringList({WindowManager::kNeedsTrustMessage, WindowManager::kNoDisplayMessage, QString(),
                           WindowManager::kNoWindowMessage, "There are no windows on Built-in Display to arrange."}));
    EXPECT_EQ(env.desktop.beepCount(), 4); // the quiet layout did not beep
}

TEST_F(Desk, LayoutPutsTheFocusedWindowFirstAndRemembersOnRequest)
{
    env.desktop.activate(env.pid("Slack"));
    manager.applyLayout(LayoutKind::halves, true);
    // Slack first, then the built-in display's other windows front to back.
    EXPECT_EQ(frame("general (Channel) - Acme - Slack"), zone({0, 0, 0.5, 1}, 1));
    EXPECT_EQ(frame("Design review | Microsoft Teams"), zone({0.5, 0, 0.5, 1.0 / 3}, 1));
    EXPECT_EQ(frame("Meeting notes"), zone({0.5, 1.0 / 3, 0.5, 1.0 / 3}, 1));
    EXPECT_EQ(env.defaults.string("layout.Built-in Display"), "halves");
    EXPECT_EQ(manager.usualLayout(display(1)), LayoutKind::halves);

    // An identity list picks the windows and their order.
    const auto notes = AXWindow{env.element("Meeting notes"), *env.desktop.workspace().application(env.pid("Notes"))};
    const auto teams = AXWindow{env.element("Design review | Microsoft Teams"),
                                *env.desktop.workspace().application(env.pid("Microsoft Teams"))};
    manager.applyLayout(LayoutKind::columns, false, display(1), std::nullopt, QStringList{notes.id(), teams.id()});
    EXPECT_EQ(frame("Meeting notes"), zone({0, 0, 0.5, 1}, 1));
    EXPECT_EQ(frame("Design review | Microsoft Teams"), zone({0.5, 0, 0.5, 1}, 1));
    EXPECT_EQ(frame("general (Channel) - Acme - Slack"), zone({0, 0, 0.5, 1}, 1)); // untouched
}

TEST_F(Desk, LayoutAsksLearningForSlotsAndReportsPlacements)
{
    QStringList recorded;
    FakeLearner learner;
    const Registration learning = manager.setLearner(learner);
    learner.onPlacements = [](const QStringList& apps, const std::vector<UnitRect>&, const Display&) {
        // Notes to the main slot; a pair out of range and a repeat are ignored.
        std::vector<std::pair<int, int>> out;
        out.emplace_back(int(apps.indexOf("Notes")), 0);
        out.emplace_back(9, 1);
        out.emplace_back(int(apps.indexOf("Notes")), 1);
        return out;
    };
    learner.onRecord = [&](const QString& app, const Display& d, const UnitRect& u, bool focus) {
        recorded << QStringLiteral("%1 %2 %3").arg(app, d.name, u.zoneName(focus));
    };
    manager.applyLayout(LayoutKind::thirds, false, display(1), QStringList{"Notes", "Slack", "Microsoft Teams"});
    EXPECT_EQ(frame("Meeting notes"), zone({1.0 / 3, 0, 1.0 / 3, 1}, 1));
    EXPECT_EQ(recorded.size(), 3);
    EXPECT_TRUE(recorded.contains("Notes Built-in Display Focus, centre"));

    recorded.clear();
    manager.applyLayout(LayoutKind::thirds, false, display(1), std::nullopt, std::nullopt, /*quiet*/ true);
    EXPECT_TRUE(recorded.isEmpty());
}

TEST_F(Desk, ArrowsFillAndSnapsReportWhereTheyPutTheWindowAndDisplayMovesDoNot)
{
    QStringList recorded;
    FakeLearner learner;
    const Registration learning = manager.setLearner(learner);
    learner.onRecord = [&](const QString& app, const Display& d, const UnitRect& u, bool focus) {
        recorded << QStringLiteral("%1 %2 %3").arg(app, d.name, u.zoneName(focus));
    };
    addProbe(env, "Probe", {3600, 400, 500, 400});
    manager.snap(SnapTarget::topLeft);
    manager.fill();
    env.clock.advance(1);
    manager.arrow(Arrow::right);
    EXPECT_EQ(recorded, (QStringList{"Probe app Built-in Display Left, top", "Probe app Built-in Display Centre",
                                     "Probe app Built-in Display Right"}));
    recorded.clear();
    manager.moveToDisplay(false);
    EXPECT_TRUE(recorded.isEmpty());
}

TEST_F(Desk, WindowsThatRefuseTheirSizeEndWhereTheyStopAndAreSetOnlyOnceMore)
{
    // Mail will not shrink below 600×400; Calculator does not resize at all.
    std::map<int, int> moves;
    FakeMoveObserver observer;
    observer.onMove = [&](int pid, const Rect&, const Rect&) { ++moves[pid]; };
    const Registration observing = AXWindow::observeMoves(observer);
    env.desktop.activate(env.pid("Mail"));
    manager.applyLayout(LayoutKind::stack, false, display(0), QStringList{"Mail", "Calculator", "Terminal", "Finder"});
    const Rect mailZone = zone({0, 0, 1, 0.25}, 0);
    const Rect calculatorZone = zone({0, 0.5, 1, 0.25}, 0); // behind Mail and Terminal
    EXPECT_EQ(frame("Inbox – 3 messages"), Rect(mailZone.origin(), {mailZone.width, 400}));
    EXPECT_EQ(frame("Calculator"), Rect(calculatorZone.origin(), {230, 400}));

    env.clock.advance(0.25); // the one re-check: both drifted, both set again
    env.clock.advance(5);
    EXPECT_EQ(moves[env.pid("Mail")], 2);
    EXPECT_EQ(moves[env.pid("Calculator")], 2);
    EXPECT_EQ(env.clock.pendingTimers(), 0u);
    EXPECT_EQ(frame("Calculator"), Rect(calculatorZone.origin(), {230, 400}));
}

TEST_F(Desk, TheReCheckRestoresADriftOnceAndLeavesLaterMovesAlone)
{
    const std::uint64_t notes = env.window("Meeting notes")->token;
    manager.applyLayout(LayoutKind::halves, false, display(1));
    const Rect placed = frame("Meeting notes");
    env.desktop.setFrame(notes, {3500, 400, 700, 500}); // the application undoes the move
    env.clock.advance(0.25);
    EXPECT_EQ(frame("Meeting notes"), placed);
    env.desktop.setFrame(notes, {3500, 400, 700, 500});
    env.clock.advance(5);
    EXPECT_EQ(frame("Meeting notes"), Rect(3500, 400, 700, 500));

    // A window moved again before the re-check is not pulled back to the layout.
    manager.applyLayout(LayoutKind::halves, false, display(1));
    env.desktop.activate(env.pid("Notes"));
    const auto snapped = manager.snap(SnapTarget::bottomLeft);
    env.clock.advance(1);
    EXPECT_EQ(frame("Meeting notes"), *snapped);
}

TEST_F(Desk, AnApplicationThatHangsCostsOneTimeOutPerAction)
{
    const int slack = env.pid("Slack");
    env.desktop.setTimesOut(slack, true);

    double before = env.clock.monotonic();
    manager.applyLayout(LayoutKind::columns, false, display(1));
    EXPECT_EQ(env.desktop.timeoutCount(slack), 1);
    EXPECT_LE(env.clock.monotonic() - before, 1.0);
    // The three others were arranged without Slack.
    EXPECT_EQ(frame("Meeting notes"), zone({1.0 / 3, 0, 1.0 / 3, 1}, 1));
    env.clock.advance(1); // the re-check does not ask Slack
    EXPECT_EQ(env.desktop.timeoutCount(slack), 1);

    // Actions on other applications never wait for it.
    env.desktop.activate(env.pid("Terminal"));
    before = env.clock.monotonic();
    EXPECT_TRUE(manager.snap(SnapTarget::leftThird));
    EXPECT_TRUE(manager.arrow(Arrow::right));
    EXPECT_EQ(env.clock.monotonic(), before);
    EXPECT_EQ(env.desktop.timeoutCount(slack), 1);
    // A read of every window asks Slack once and lists the rest.
    EXPECT_EQ(manager.snapshot(display(1)).size(), 3u);
    EXPECT_EQ(env.desktop.timeoutCount(slack), 2);

    // With Slack in front, one time-out and a clear message.
    env.desktop.setFrontmost(slack);
    EXPECT_EQ(manager.fill(), std::nullopt);
    EXPECT_EQ(env.desktop.timeoutCount(slack), 3);
    EXPECT_EQ(manager.lastMessage(), WindowManager::kNoWindowMessage);
}

TEST_F(Desk, UsualLayoutAndGapDefaults)
{
    Display d;
    d.name = "Studio";
    const struct {
        Rect area;
        std::optional<QString> stored;
        LayoutKind expected;
    } cases[] = {
        {{0, 0, 3440, 1400}, std::nullopt, LayoutKind::focusCentre},
        {{0, 0, 1920, 1080}, std::nullopt, LayoutKind::halves},
        {{0, 0, 2000, 1000}, std::nullopt, LayoutKind::focusCentre},
        {{0, 0, 1920, 0}, std::nullopt, LayoutKind::halves},
        {{0, 0, 3440, 1400}, "bogus", LayoutKind::focusCentre},
        {{0, 0, 1920, 1080}, "stack", LayoutKind::stack},
    };
    for (const auto& c : cases) {
        d.area = c.area;
        if (c.stored)
            env.defaults.setValue("layout.Studio", *c.stored);
        else
            env.defaults.remove("layout.Studio");
        EXPECT_EQ(manager.usualLayout(d), c.expected) << c.area.width << "×" << c.area.height;
    }

    EXPECT_EQ(manager.gap(), 8);
    env.defaults.setValue("gap", qint64(12));
    EXPECT_EQ(manager.gap(), 12);
    env.defaults.setValue("gap", "wide");
    EXPECT_EQ(manager.gap(), 8);
}

TEST_F(Desk, FocusedContextAndSnapshots)
{
    EXPECT_EQ(manager.focusedContext()->name, "UltraWide 34"); // VS Code
    env.desktop.activate(env.pid("Notes"));
    EXPECT_EQ(manager.focusedContext()->name, "Built-in Display");
    SimApp empty;
    empty.name = "Empty";
    env.desktop.activate(env.desktop.addApp(empty));
    EXPECT_EQ(manager.focusedContext()->name, "UltraWide 34"); // no focused window: the first

    env.desktop.activate(env.pid("Notes"));
    env.desktop.setTitle(env.window("Design review | Microsoft Teams")->token, "");
    const auto shots = manager.snapshot(display(1));
    QStringList titles;
    for (const WindowSnapshot& s : shots)
        titles << s.title + (s.isFocused ? "*" : "");
    // Back-most first, as previews draw them.
    EXPECT_EQ(titles, QStringList({"Flight status LH 123", "", "general (Channel) - Acme - Slack", "Meeting notes*"}));
    EXPECT_EQ(shots[1].appName, "Microsoft Teams");
    EXPECT_EQ(shots[3].unit, UnitRect::fromFrame({4180, 760, 900, 620}, display(1).area));
    EXPECT_EQ(manager.snapshots({display(0), display(1)}).value(display(0).id).size(), 5u);
    env.desktop.setTrusted(false);
    EXPECT_TRUE(manager.snapshot(display(1)).empty());
}

TEST(WindowManagerRoundTrip, APlacementMadeBeforeTheVisibleAreaChangedIsNotTrustedAfter)
{
    // The built-in display's dock goes from 1 point to none: its visible
    // area from [0,24,1728,1092] to [0,24,1728,1093]. A unit kept from the
    // old area would bring the window back a point off ([100,99,900,701]).
    SimEnvironment env{R"({"trusted": true, "frontmost": "Finder",
      "displays": [{"name": "Built-in Display", "frame": [0, 0, 1728, 1117], "number": 1, "dock": 1},
                   {"name": "Wide", "frame": [1728, 0, 3440, 1440], "number": 2}],
      "apps": [{"name": "Tavrin", "policy": "accessory", "self": true}, {"name": "Finder"}]})"};
    WindowManager manager;
    const Rect start(100, 100, 900, 700);
    addProbe(env, "Probe", start);
    ASSERT_TRUE(manager.moveToDisplay(true));
    ASSERT_EQ(manager.moveToDisplay(false), start); // placed, in the old area

    env.desktop.setDisplays({SimDisplay{QStringLiteral("Built-in Display"), Rect{0, 0, 1728, 1117}, 1, 1},
                             SimDisplay{QStringLiteral("Wide"), Rect{1728, 0, 3440, 1440}, 1, 2}});
    ASSERT_EQ(Display::all().front().area, Rect(0, 24, 1728, 1093));
    ASSERT_TRUE(manager.moveToDisplay(true));
    EXPECT_EQ(manager.moveToDisplay(false), start);
    EXPECT_EQ(env.window("Probe")->frame, start);
}
