#include "snapping/arranging/autoarrange.h"
#include "support/simfixture.h"
#include "support/windowfakes.h"
#include "windows/layoutkind.h"
#include "windows/printers.h"
#include "windows/windowmanager.h"

#include <gtest/gtest.h>
#include <set>

namespace tavrin {
namespace {

// "Desk" (visible 0,24 2000×1176: halves by default) with an editor and a
// browser window, the editor focused; "Side" to its right.
const char* const kDesk = R"({
  "trusted": true,
  "frontmost": "Editor",
  "displays": [
    { "name": "Desk", "frame": [0, 0, 2000, 1200], "number": 1 },
    { "name": "Side", "frame": [2000, 0, 1600, 1000], "number": 2 }
  ],
  "apps": [
    { "name": "Tavrin", "policy": "accessory", "self": true },
    { "name": "Editor" }, { "name": "Browser" }, { "name": "Notes" }, { "name": "Finder" }
  ],
  "windows": [
    { "app": "Editor", "title": "Editor", "frame": [100, 100, 800, 600] },
    { "app": "Browser", "title": "Browser", "frame": [300, 200, 900, 700] }
  ]
})";

class AutoArrangeTest : public ::testing::Test {
protected:
    AutoArrangeTest()
    {
        env.clock.advance(100);
        observer.onMove = [this](int, const Rect&, const Rect&) { moveTimes.insert(env.clock.monotonic()); };
    }

    Display desk() const { return Display::all().at(0); }
    // Switched on and ticking, past the first tick (which takes what stands).
    void startOn()
    {
        env.defaults.setValue(AutoArrange::enabledKey(desk()), true);
        arrange.start();
        env.clock.advance(AutoArrange::kTickInterval);
        moveTimes.clear();
    }
    std::uint64_t open(const QString& app, const QString& title, const Rect& frame, bool accessible = true)
    {
        SimWindow w;
        w.pid = env.pid(app);
        w.title = title;
        w.frame = frame;
        w.accessible = accessible;
        return env.desktop.addWindow(w);
    }
    Rect frame(const QString& title) const { return env.window(title)->frame; }
    AXWindow ax(const QString& title) const
    {
        return {env.element(title), *env.desktop.workspace().application(env.window(title)->pid)};
    }
    std::uint32_t number(const QString& title) const { return env.window(title)->number; }
    // Slot i of the desk's usual layout for n windows, as the window manager places it.
    Rect slot(int i, int n) const
    {
        const Display d = desk();
        return rects(windows.usualLayout(d), n, d.aspect())[std::size_t(i)].rect(d.area, windows.gap());
    }
    void expectOrder(const QStringList& titles) const
    {
        for (int i = 0; i < titles.size(); ++i)
            EXPECT_EQ(frame(titles[i]), slot(i, int(titles.size()))) << titles[i].toStdString();
    }
    int arrangements() const { return int(moveTimes.size()); }

    SimEnvironment env{kDesk};
    WindowManager windows;
    AutoArrange arrange{windows, Platform::current()};
    FakeMoveObserver observer;
    Registration moves = AXWindow::observeMoves(observer);
    std::set<double> moveTimes; // when windows were moved: one time per arrangement
};

// ---- When an arrangement happens ----

TEST_F(AutoArrangeTest, ASmallWindowTriggersNothingAndOneOf320By220IsArrangedOnceItSettles)
{
    startOn();
    open("Notes", "Palette", {1200, 300, 319, 220});
    env.clock.advance(3);
    EXPECT_EQ(arrangements(), 0);

    open("Notes", "Notes", {1200, 300, 320, 220});
    const double opened = env.clock.monotonic();
    env.clock.advance(0.6);
    EXPECT_EQ(arrangements(), 0);
    env.clock.advance(0.4);
    ASSERT_EQ(arrangements(), 1);
    // 0.6 s after the tick that saw it, not at the tick after that.
    EXPECT_GE(*moveTimes.begin() - opened, 0.6);
    EXPECT_LE(*moveTimes.begin() - opened, AutoArrange::kTickInterval + AutoArrange::kSettleSeconds + 1e-9);
    // The windows arranged before keep their order (both stood nearest the
    // main slot, so by their earlier order); the palette stays where it is.
    expectOrder({"Editor", "Browser", "Notes"});
    EXPECT_EQ(frame("Palette"), Rect(1200, 300, 319, 220));
    const auto known = arrange.arranged(desk().id);
    ASSERT_TRUE(known);
    EXPECT_EQ(std::count(known->begin(), known->end(), number("Palette")), 0);
}

TEST_F(AutoArrangeTest, TwoWindowsOpenedAMomentApartAreArrangedOnceAfterTheSecond)
{
    startOn();
    open("Notes", "Notes", {1200, 300, 700, 500});
    env.clock.advance(0.3);
    open("Browser", "Docs", {1300, 400, 700, 500});
    const double second = env.clock.monotonic();
    env.clock.advance(3);
    ASSERT_EQ(arrangements(), 1);
    EXPECT_GE(*moveTimes.begin() - second, 0.6);
    EXPECT_EQ(arrange.arranged(desk().id)->size(), 4u);
}

TEST_F(AutoArrangeTest, AHeldMouseButtonPutsTheArrangementOffUntilItIsReleased)
{
    startOn();
    env.desktop.mouseDown({1900, 1100}); // on the desktop, over no window
    open("Notes", "Notes", {1200, 300, 700, 500});
    env.clock.advance(3);
    EXPECT_EQ(arrangements(), 0);
    env.desktop.mouseUp({1900, 1100});
    env.clock.advance(AutoArrange::kTickInterval);
    EXPECT_EQ(arrangements(), 1);
}

TEST_F(AutoArrangeTest, APauseOnlyEverExtends)
{
    startOn();
    const double start = env.clock.monotonic();
    arrange.pause(8);
    arrange.pause(3);
    EXPECT_DOUBLE_EQ(arrange.pausedUntil(), start + 8);
    open("Notes", "Notes", {1200, 300, 700, 500});
    env.clock.advance(7.9);
    EXPECT_EQ(arrangements(), 0);
    env.clock.advance(0.35);
    EXPECT_EQ(arrangements(), 1);
}

TEST_F(AutoArrangeTest, NothingMovesOnTheFirstTickAfterStartOrAfterTrustReturns)
{
    env.defaults.setValue(AutoArrange::enabledKey(desk()), true);
    arrange.start();
    env.clock.advance(2);
    EXPECT_EQ(arrangements(), 0);
    EXPECT_TRUE(arrange.arranged(desk().id));

    env.desktop.setTrusted(false);
    env.clock.advance(0.5);
    EXPECT_FALSE(arrange.arranged(desk().id)); // forgotten
    open("Notes", "Notes", {1200, 300, 700, 500});
    env.clock.advance(1);
    env.desktop.setTrusted(true);
    env.clock.advance(3);
    EXPECT_EQ(arrangements(), 0);
    EXPECT_EQ(arrange.arranged(desk().id)->size(), 3u); // the new window taken as it stands
}

// ---- The order ----

TEST_F(AutoArrangeTest, TheFocusedNewWindowTakesTheMainSlotAndOtherNewOnesFollowFrontFirst)
{
    startOn();
    open("Notes", "Notes", {1200, 300, 700, 500});
    open("Browser", "Docs", {1300, 400, 700, 500}); // in front of the notes
    env.desktop.setFrontmost(env.pid("Notes"));
    env.clock.advance(2);
    EXPECT_EQ(arrangements(), 1);
    expectOrder({"Notes", "Editor", "Browser", "Docs"});
}

TEST_F(AutoArrangeTest, WindowsSwappedByHandKeepTheirPlacesWhenAWindowJoins)
{
    startOn();
    arrange.setEnabled(true, desk());
    expectOrder({"Editor", "Browser"});
    env.clock.advance(1);
    // The user swaps the two halves.
    const Rect left = frame("Editor"), right = frame("Browser");
    env.desktop.setFrame(env.window("Editor")->token, right);
    env.desktop.setFrame(env.window("Browser")->token, left);
    env.clock.advance(2);
    moveTimes.clear();
    open("Notes", "Notes", {1200, 300, 700, 500});
    env.clock.advance(2);
    EXPECT_EQ(arrangements(), 1);
    expectOrder({"Browser", "Editor", "Notes"});
}

TEST_F(AutoArrangeTest, APlacedPlanIsLeftAsItIsAndItsOrderKeptWhenAWindowJoins)
{
    startOn();
    // The runner opens a window for a plan and places the plan at once,
    // before the tick has settled on the new window.
    open("Notes", "Notes", {1200, 300, 700, 500});
    const QStringList plan = {ax("Browser").id(), ax("Notes").id(), ax("Editor").id()};
    windows.applyLayout(LayoutKind::halves, false, desk(), std::nullopt, plan, true);
    arrange.arrangeNow(desk(), {ax("Browser"), ax("Notes"), ax("Editor")});
    moveTimes.clear();
    env.clock.advance(3);
    EXPECT_EQ(arrangements(), 0);
    expectOrder({"Browser", "Notes", "Editor"});

    open("Notes", "Later", {1300, 400, 700, 500});
    env.clock.advance(2);
    EXPECT_EQ(arrangements(), 1);
    expectOrder({"Browser", "Notes", "Editor", "Later"});
}

TEST_F(AutoArrangeTest, ClosedWindowsLeaveTheRestLaidOutAgainAndNoneLeftMovesNothing)
{
    startOn();
    arrange.setEnabled(true, desk());
    moveTimes.clear();
    env.desktop.removeWindow(env.window("Browser")->token);
    env.clock.advance(2);
    EXPECT_EQ(arrangements(), 1);
    expectOrder({"Editor"});
    moveTimes.clear();
    env.desktop.removeWindow(env.window("Editor")->token);
    env.clock.advance(2);
    EXPECT_EQ(arrangements(), 0);
    EXPECT_EQ(arrange.arranged(desk().id), std::vector<std::uint32_t>{});
}

TEST_F(AutoArrangeTest, DialogsAndDiskImagesAreLeftWhereTheyAreAndCountedAsSeen)
{
    env.desktop.setDiskImages({QStringLiteral("Installer")});
    startOn();
    SimWindow dialog;
    dialog.pid = env.pid("Editor");
    dialog.title = "Save changes?";
    dialog.frame = {700, 400, 500, 300};
    dialog.subrole = ax::DialogSubrole;
    env.desktop.addWindow(dialog);
    open("Finder", "Installer", {1300, 500, 600, 400});
    open("Notes", "Notes", {1200, 300, 700, 500});
    env.clock.advance(4);

    EXPECT_EQ(arrangements(), 1);
    expectOrder({"Editor", "Browser", "Notes"});
    EXPECT_EQ(frame("Save changes?"), Rect(700, 400, 500, 300));
    EXPECT_EQ(frame("Installer"), Rect(1300, 500, 600, 400));
    const auto known = *arrange.arranged(desk().id);
    EXPECT_EQ(known.size(), 5u);
    EXPECT_NE(std::find(known.begin(), known.end(), number("Installer")), known.end());
}

// Counts what is read of Accessibility, passing every call on.
struct CountingAccessibility final : Accessibility {
    explicit CountingAccessibility(Accessibility& inner) : inner(inner) {}
    bool isTrusted(bool prompt) override { return inner.isTrusted(prompt); }
    AXElement applicationElement(int pid) override { return inner.applicationElement(pid); }
    AXElement systemWideElement() override { return inner.systemWideElement(); }
    AXResult attribute(const AXElement& element, const QString& name) override
    {
        ++reads;
        return inner.attribute(element, name);
    }
    AXError setAttribute(const AXElement& element, const QString& name, const AXValue& value) override
    {
        return inner.setAttribute(element, name, value);
    }
    AXError performAction(const AXElement& element, const QString& action) override
    {
        return inner.performAction(element, action);
    }
    AXResult elementAtPosition(const AXElement& root, Point point) override
    {
        return inner.elementAtPosition(root, point);
    }
    void setMessagingTimeout(const AXElement& element, double seconds) override
    {
        inner.setMessagingTimeout(element, seconds);
    }
    Accessibility& inner;
    int reads = 0;
};

TEST_F(AutoArrangeTest, WindowsThatCannotBeArrangedAreSeenOnceAndNotReadAgainWhileNothingChanges)
{
    // The side display's only windows: a dialog and one Accessibility never shows.
    const Display side = Display::all().at(1);
    env.defaults.setValue(AutoArrange::enabledKey(side), true);
    arrange.start();
    env.clock.advance(AutoArrange::kTickInterval);
    SimWindow dialog;
    dialog.pid = env.pid("Editor");
    dialog.title = "Save changes?";
    dialog.frame = {2300, 200, 500, 300};
    dialog.subrole = ax::DialogSubrole;
    env.desktop.addWindow(dialog);
    open("Notes", "Ghost", {2400, 300, 700, 500}, false);
    env.clock.advance(3); // waited for the ghost, then passed both over
    EXPECT_EQ(arrange.arranged(side.id)->size(), 2u);

    Platform services = Platform::current();
    CountingAccessibility counting(*services.accessibility);
    services.accessibility = &counting;
    Platform::install(services);
    env.clock.advance(30);
    services.accessibility = &counting.inner;
    Platform::install(services);
    EXPECT_EQ(counting.reads, 0);
    EXPECT_EQ(arrangements(), 0);
}

TEST_F(AutoArrangeTest, WindowsLeavingTheScreenCountAsGoneAndAsNewWhenTheyComeBack)
{
    startOn();
    arrange.setEnabled(true, desk());
    env.desktop.setFrontmost(env.pid("Browser"));
    env.desktop.setMinimised(env.window("Editor")->token, true);
    env.clock.advance(2);
    expectOrder({"Browser"});
    env.desktop.setMinimised(env.window("Editor")->token, false);
    env.desktop.setFrontmost(env.pid("Browser"));
    env.clock.advance(2);
    expectOrder({"Browser", "Editor"});
}

// ---- Switching on, and waiting for Accessibility ----

TEST_F(AutoArrangeTest, SwitchingOnArrangesAtOnceAndOffAndOnForgetsTheOrder)
{
    arrange.start();
    arrange.setEnabled(true, desk());
    EXPECT_EQ(arrangements(), 1); // no tick needed
    EXPECT_TRUE(env.defaults.boolValue(AutoArrange::enabledKey(desk())));
    expectOrder({"Editor", "Browser"});

    arrange.setEnabled(false, desk());
    EXPECT_FALSE(arrange.arranged(desk().id));
    EXPECT_FALSE(env.defaults.boolValue(AutoArrange::enabledKey(desk()), true));
    env.desktop.setFrontmost(env.pid("Browser"));
    arrange.setEnabled(true, desk());
    expectOrder({"Browser", "Editor"});
}

TEST_F(AutoArrangeTest, SwitchingOnWaitsForWindowsAccessibilityDoesNotShowYetAndThenArranges)
{
    arrange.start();
    const std::uint64_t late = open("Notes", "Notes", {1200, 300, 700, 500}, false);
    arrange.setEnabled(true, desk());
    EXPECT_EQ(arrangements(), 0);
    // Still due: an empty record, not the windows as they stand.
    EXPECT_EQ(arrange.arranged(desk().id), std::vector<std::uint32_t>{});
    env.clock.advance(AutoArrange::kTickInterval);
    EXPECT_EQ(arrangements(), 0);

    env.desktop.setAccessible(late, true);
    env.clock.advance(AutoArrange::kTickInterval);
    EXPECT_EQ(arrangements(), 1);
    // All new: the focused one first, then front to back.
    expectOrder({"Editor", "Notes", "Browser"});
}

TEST_F(AutoArrangeTest, AWindowAccessibilityNeverShowsIsWaitedForFourTicksThenPassedOver)
{
    startOn();
    open("Notes", "Ghost", {1200, 300, 700, 500}, false);
    env.clock.advance(1.0); // settled: due from now on
    EXPECT_EQ(arrangements(), 0);
    env.clock.advance(4 * AutoArrange::kTickInterval);
    EXPECT_EQ(arrangements(), 1);
    expectOrder({"Editor", "Browser"});
    EXPECT_EQ(frame("Ghost"), Rect(1200, 300, 700, 500));
    EXPECT_EQ(arrange.arranged(desk().id)->back(), number("Ghost"));
    env.clock.advance(3);
    EXPECT_EQ(arrangements(), 1);
}

TEST_F(AutoArrangeTest, TakingEveryDisplayAsArrangedMovesNothingAndSkipsDisplaysSwitchedOff)
{
    startOn();
    open("Notes", "Notes", {1200, 300, 700, 500});
    open("Notes", "Side notes", {2200, 200, 700, 500});
    arrange.arrangeAll();
    env.clock.advance(3);
    EXPECT_EQ(arrangements(), 0);
    EXPECT_EQ(arrange.arranged(desk().id)->size(), 3u);
    EXPECT_FALSE(arrange.arranged(Display::all().at(1).id));
}

} // namespace
} // namespace tavrin
