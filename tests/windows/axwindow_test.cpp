#include "platform/screens.h"
#include "support/simfixture.h"
#include "support/windowfakes.h"
#include "windows/axwindow.h"
#include "windows/display.h"

#include "printers.h"

#include <gtest/gtest.h>
#include <thread>

using namespace tavrin;

namespace {
QStringList titlesOf(const std::vector<AXWindow>& windows)
{
    QStringList out;
    for (const AXWindow& w : windows)
        out << w.string(ax::Title).value_or("?");
    return out;
}

struct Windows : SimTest {
    RunningApp app(const QString& name) const { return *env.desktop.workspace().application(env.pid(name)); }
    AXWindow window(const QString& title) const
    {
        return AXWindow{env.element(title), *env.desktop.workspace().application(env.window(title)->pid)};
    }
};
} // namespace

TEST_F(Windows, OnScreenWindowsFrontToBackWithoutHiddenOrMinimisedOnes)
{
    EXPECT_EQ(titlesOf(AXWindow::onScreenInZOrder()),
              QStringList({"main.cpp — tavrin", "Release checklist – Docs", "tavrin — zsh — 120×36",
                           "Inbox – 3 messages", "general (Channel) - Acme - Slack", "Design review | Microsoft Teams",
                           "Meeting notes", "Flight status LH 123", "Calculator", "Documents"}));
    // Then the hidden application's titled window and the minimised one.
    const auto all = AXWindow::all(40);
    ASSERT_EQ(all.size(), 12u);
    EXPECT_EQ(titlesOf({all.begin() + 10, all.end()}), QStringList({"build — zsh — 100×30", "Messages"}));
    EXPECT_EQ(AXWindow::all(3).size(), 3u);
    EXPECT_TRUE(AXWindow::all(0).empty());

    env.desktop.setFullScreen(env.window("Meeting notes")->token, true);
    EXPECT_TRUE(AXWindow::windows(app("Notes")).empty());
}

TEST_F(Windows, IdentityFramesAndDocuments)
{
    const AXWindow code = window("main.cpp — tavrin");
    EXPECT_EQ(code.id(), QStringLiteral("%1:%2").arg(code.app.pid).arg(code.element.hash()));
    EXPECT_EQ(code.frame(), Rect(1100, 60, 1500, 1200));
    EXPECT_EQ(code.documentURL(), QUrl("file:///Users/sam/Projects/tavrin/src/app/main.cpp"));
    EXPECT_EQ(window("Release checklist – Docs").documentURL(), std::nullopt);
    EXPECT_EQ(AXWindow::focused(), code);

    env.desktop.removeWindow(code.element.token);
    EXPECT_EQ(code.frame(), std::nullopt);
    EXPECT_FALSE(code.setFrame({0, 0, 100, 100}));
}

TEST_F(Windows, SetFrameTellsShareSafeAndSwitchesEnhancedInterfaceOffMeanwhile)
{
    const AXWindow notes = window("Meeting notes");
    env.desktop.setEnhancedUserInterface(notes.app.pid, true);
    QStringList told;
    FakeMoveObserver observer;
    observer.onMove = [&](int pid, const Rect& from, const Rect& to) {
        told << QStringLiteral("%1 %2→%3").arg(pid).arg(from.x).arg(to.x);
    };
    const Registration observing = AXWindow::observeMoves(observer);
    bool movedWithEnhancedOn = false;
    Rect last = env.window("Meeting notes")->frame;
    QObject::connect(&env.desktop, &SimDesktop::changed, [&] {
        const Rect now = env.window("Meeting notes")->frame;
        movedWithEnhancedOn |= now != last && env.desktop.app(notes.app.pid)->enhancedUserInterface;
        last = now;
    });
    EXPECT_TRUE(notes.setFrame({3500, 400, 700, 500}));
    EXPECT_EQ(env.window("Meeting notes")->frame, Rect(3500, 400, 700, 500));
    EXPECT_FALSE(movedWithEnhancedOn);
    EXPECT_TRUE(env.desktop.app(notes.app.pid)->enhancedUserInterface);
    EXPECT_EQ(told, QStringList({QStringLiteral("%1 4180→3500").arg(notes.app.pid)}));
}

TEST_F(Windows, TitlesCanBeReadOffTheMainThread)
{
    std::optional<QStringList> safari, slack, empty;
    env.desktop.setTimesOut(env.pid("Slack"), true);
    SimApp quiet;
    quiet.name = "Quiet";
    const RunningApp none = quiet.snapshot(false);
    std::thread reader([&] {
        safari = AXWindow::titles(app("Safari"));
        slack = AXWindow::titles(app("Slack"));
        empty = AXWindow::titles(*env.desktop.workspace().application(env.desktop.addApp(quiet)));
    });
    reader.join();
    EXPECT_EQ(safari, QStringList({"Release checklist – Docs", "Flight status LH 123"}));
    EXPECT_EQ(slack, std::nullopt);
    EXPECT_EQ(empty, QStringList());
    EXPECT_EQ(env.desktop.messagingTimeout(env.pid("Slack")), 1.0);
    (void)none;
}

TEST_F(Windows, FrontmostOtherApplicationIsRemembered)
{
    AXWindow::trackFrontmostApp();
    env.desktop.activate(env.pid("Safari"));
    env.clock.runDue();
    env.desktop.setFrontmost(env.desktop.selfPid());
    EXPECT_EQ(AXWindow::frontmostApp()->localizedName, "Safari");
    EXPECT_EQ(AXWindow::focused()->string(ax::Title), "Release checklist – Docs");
    env.desktop.removeApp(env.pid("Safari"));
    EXPECT_EQ(AXWindow::frontmostApp(), std::nullopt);
}

TEST_F(Windows, DiskImageWindowsAreFinderWindowsOfMountedImages)
{
    env.desktop.setDiskImages({"Documents"});
    EXPECT_TRUE(isDiskImageWindow(window("Documents")));
    EXPECT_FALSE(isDiskImageWindow(window("Meeting notes")));
    env.desktop.setDiskImages({"Installer"});
    EXPECT_FALSE(isDiskImageWindow(window("Documents")));
}

TEST(Display, KeySuffixesTellSameNamedDisplaysApart)
{
    auto screen = [](const char* name, std::uint32_t number, std::uint32_t serial) {
        ScreenInfo s;
        s.localizedName = name;
        s.displayNumber = number;
        s.serialNumber = serial;
        s.visibleFrame = Rect(0, 0, 100, 100);
        return s;
    };
    const auto displays = Display::fromScreens(
        {screen("DELL", 1, 0), screen("Built-in", 2, 0), screen("DELL", 3, 771), screen("DELL", 4, 0)});
    QStringList keys;
    for (const Display& d : displays)
        keys << d.settingsKey();
    EXPECT_EQ(keys, QStringList({"DELL #1", "Built-in", "DELL #771", "DELL #2"}));
    EXPECT_EQ(displays[2].id, 3u);
}

TEST_F(Windows, DisplaysAndFlippedRectangles)
{
    const auto displays = Display::all();
    ASSERT_EQ(displays.size(), 2u);
    EXPECT_EQ(displays[0].area, Rect(0, 24, 3440, 1352)); // below the menu bar, above the dock
    EXPECT_EQ(displays[1].pixelWidth, 3456);
    EXPECT_EQ(Display::containing({3300, 400, 400, 100})->name, "Built-in Display");
    EXPECT_EQ(Display::containing({9000, 0, 10, 10})->name, "UltraWide 34"); // none overlaps: the first
    EXPECT_EQ(flipRect({0, 24, 3440, 1352}), Rect(0, 64, 3440, 1352));
    EXPECT_EQ(flipRect(flipRect({3500, 400, 700, 500})), Rect(3500, 400, 700, 500));
    EXPECT_NEAR(aspectOf({0, 0, 100, 0}), 1.6, 1e-12);
}
