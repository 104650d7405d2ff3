#include "platform/sim/simaccessibility.h"
#include "platform/sim/simwindowserver.h"
#include "support/simfixture.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {
const QByteArray kDesk = R"({
  "displays": [{"name": "Main", "frame": [0, 0, 2000, 1200]}],
  "apps": [{"name": "Editor", "pid": 100}, {"name": "Viewer", "pid": 200}, {"name": "Slow", "pid": 300}],
  "windows": [
    {"app": "Editor", "title": "E1", "frame": [100, 100, 800, 600], "minSize": [400, 300], "document": "file:///tmp/a.txt"},
    {"app": "Viewer", "title": "V1", "frame": [500, 300, 600, 400], "resizable": false},
    {"app": "Editor", "title": "E2", "frame": [1000, 100, 700, 500], "subrole": "AXDialog"},
    {"app": "Slow", "title": "S1", "frame": [1500, 700, 400, 400]}
  ],
  "frontmost": "Editor"
})";

class SimAccessibilityTest : public ::testing::Test {
protected:
    SimEnvironment env{kDesk};
    SimAccessibility& ax = env.desktop.accessibility();

    // Titles of the on-screen list, front to back.
    QStringList onScreen()
    {
        QStringList titles;
        for (const WindowInfo& info : env.desktop.windowServer().onScreenWindows())
            titles << env.desktop.windowByNumber(info.number)->title;
        return titles;
    }
    QStringList axWindows(int pid)
    {
        QStringList titles;
        const auto windows = ax.attribute(ax.applicationElement(pid), ax::Windows).as<std::vector<AXElement>>();
        for (const AXElement& e : windows.value_or(std::vector<AXElement>{}))
            titles << *ax.attribute(e, ax::Title).as<QString>();
        return titles;
    }
};
} // namespace

TEST_F(SimAccessibilityTest, PositionAndSizeWritesMoveTheWindowAndTheWindowListFollows)
{
    const AXElement e1 = env.element(QStringLiteral("E1"));
    QSignalSpy changed(&env.desktop, &SimDesktop::changed);
    EXPECT_EQ(ax.setAttribute(e1, ax::Position, Point{40, 60}), AXError::success);
    EXPECT_EQ(ax.setAttribute(e1, ax::Size, Size{900, 700}), AXError::success);
    EXPECT_EQ(changed.count(), 2); // a view of the desktop redraws
    EXPECT_EQ(ax.attribute(e1, ax::Position).as<Point>(), (Point{40, 60}));
    EXPECT_EQ(ax.attribute(e1, ax::Size).as<Size>(), (Size{900, 700}));
    const auto list = env.desktop.windowServer().onScreenWindows();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].bounds, Rect(40, 60, 900, 700));
    EXPECT_EQ(list[0].ownerPid, 100);
    EXPECT_EQ(list[0].ownerName, QStringLiteral("Editor"));
    EXPECT_EQ(env.desktop.windowServer().windowBounds(list[0].number), Rect(40, 60, 900, 700));

    // Wrong value types change nothing.
    EXPECT_EQ(ax.setAttribute(e1, ax::Position, Size{1, 1}), AXError::illegalArgument);
    EXPECT_EQ(ax.setAttribute(e1, ax::Title, QStringLiteral("renamed")), AXError::attributeUnsupported);
    EXPECT_EQ(ax.attribute(e1, ax::Position).as<Point>(), (Point{40, 60}));
}

TEST_F(SimAccessibilityTest, SizeIsClampedToTheMinimumAndRefusedWhenNotResizable)
{
    const AXElement e1 = env.element(QStringLiteral("E1"));
    EXPECT_EQ(ax.setAttribute(e1, ax::Size, Size{100, 500}), AXError::success);
    EXPECT_EQ(ax.attribute(e1, ax::Size).as<Size>(), (Size{400, 500}));

    const AXElement v1 = env.element(QStringLiteral("V1"));
    EXPECT_EQ(ax.setAttribute(v1, ax::Size, Size{300, 300}), AXError::attributeUnsupported);
    EXPECT_EQ(ax.setAttribute(v1, ax::Position, Point{0, 30}), AXError::success);
    EXPECT_EQ(env.window(QStringLiteral("V1"))->frame, Rect(0, 30, 600, 400));
}

TEST_F(SimAccessibilityTest, SetFrameSizesThenMovesThenSizesAgainAndAnswersForThePosition)
{
    struct Case {
        const char* window;
        Rect target;
        AXError answer;
        std::vector<Rect> frames; // each change the desktop shows, in order
    };
    const std::vector<Case> cases{
        {"E1", {40, 60, 900, 700}, AXError::success, {{100, 100, 900, 700}, {40, 60, 900, 700}}},
        // Below its minimum: the size it allows.
        {"E1", {0, 0, 100, 100}, AXError::success, {{40, 60, 400, 300}, {0, 0, 400, 300}}},
        // Not resizable: it moves, and that is what counts.
        {"V1", {0, 30, 300, 300}, AXError::success, {{0, 30, 600, 400}}},
    };
    for (const Case& c : cases) {
        const AXElement e = env.element(QString::fromLatin1(c.window));
        std::vector<Rect> frames;
        const auto watch = QObject::connect(&env.desktop, &SimDesktop::changed,
                                            [&] { frames.push_back(env.desktop.window(e.token)->frame); });
        EXPECT_EQ(ax.setFrame(e, c.target), c.answer) << c.window;
        QObject::disconnect(watch);
        EXPECT_EQ(frames, c.frames) << c.window;
    }

    // An application that does not answer costs one time-out, not three.
    env.desktop.setTimesOut(300, true);
    const AXElement s1 = env.element(QStringLiteral("S1"));
    EXPECT_EQ(ax.setFrame(s1, {0, 0, 500, 500}), AXError::cannotComplete);
    EXPECT_EQ(env.desktop.timeoutCount(300), 1);
    EXPECT_EQ(env.desktop.window(s1.token)->frame, Rect(1500, 700, 400, 400));
}

TEST_F(SimAccessibilityTest, RaiseBringsTheWindowToTheFrontAndMakesItItsAppsFocusedWindow)
{
    const AXElement app = ax.applicationElement(100);
    EXPECT_EQ(ax.attribute(app, ax::FocusedWindow).as<AXElement>(), env.element(QStringLiteral("E1")));
    EXPECT_EQ(onScreen(), (QStringList{"E1", "V1", "E2", "S1"}));

    EXPECT_EQ(ax.performAction(env.element(QStringLiteral("E2")), ax::Raise), AXError::success);
    EXPECT_EQ(onScreen(), (QStringList{"E2", "E1", "V1", "S1"}));
    EXPECT_EQ(axWindows(100), (QStringList{"E2", "E1"}));
    EXPECT_EQ(ax.attribute(app, ax::FocusedWindow).as<AXElement>(), env.element(QStringLiteral("E2")));
    EXPECT_EQ(ax.performAction(app, ax::Raise), AXError::actionUnsupported);
}

TEST_F(SimAccessibilityTest, HiddenAppLeavesTheOnScreenListButKeepsItsAccessibilityWindows)
{
    env.desktop.workspace().hide(100);
    EXPECT_EQ(onScreen(), (QStringList{"V1", "S1"}));
    EXPECT_EQ(axWindows(100), (QStringList{"E1", "E2"}));
    EXPECT_EQ(ax.elementAtPosition(ax.systemWideElement(), Point{150, 150}).error, AXError::noValue);
}

TEST_F(SimAccessibilityTest, MinimisedWindowIsOffScreenAndLosesFocusUntilRestored)
{
    const AXElement e1 = env.element(QStringLiteral("E1"));
    const AXElement app = ax.applicationElement(100);
    EXPECT_EQ(ax.setAttribute(e1, ax::Minimized, true), AXError::success);
    EXPECT_EQ(ax.attribute(e1, ax::Minimized).as<bool>(), true);
    EXPECT_EQ(onScreen(), (QStringList{"V1", "E2", "S1"}));
    EXPECT_EQ(axWindows(100), (QStringList{"E2", "E1"}));
    EXPECT_EQ(ax.attribute(app, ax::FocusedWindow).as<AXElement>(), env.element(QStringLiteral("E2")));

    ax.setAttribute(env.element(QStringLiteral("E2")), ax::Minimized, true);
    EXPECT_EQ(ax.attribute(app, ax::FocusedWindow).error, AXError::noValue);

    ax.setAttribute(e1, ax::Minimized, false);
    EXPECT_EQ(onScreen().front(), QStringLiteral("E1"));
}

TEST_F(SimAccessibilityTest, PressingTheCloseButtonClosesTheWindowAndRetiresItsElement)
{
    const AXElement e1 = env.element(QStringLiteral("E1"));
    const std::uint32_t number = env.window(QStringLiteral("E1"))->number;
    const auto button = ax.attribute(e1, ax::CloseButton).as<AXElement>();
    ASSERT_TRUE(button);
    EXPECT_EQ(ax.attribute(*button, ax::Subrole).as<QString>(), ax::CloseButton);
    EXPECT_EQ(ax.performAction(*button, ax::Raise), AXError::actionUnsupported);

    EXPECT_EQ(ax.performAction(*button, ax::Press), AXError::success);
    EXPECT_EQ(ax.attribute(e1, ax::Title).error, AXError::invalidElement);
    EXPECT_EQ(ax.setAttribute(e1, ax::Position, Point{0, 0}), AXError::invalidElement);
    EXPECT_EQ(ax.performAction(*button, ax::Press), AXError::invalidElement);
    EXPECT_EQ(env.desktop.windowServer().windowBounds(number), std::nullopt);
    EXPECT_EQ(axWindows(100), (QStringList{"E2"}));
    EXPECT_TRUE(env.desktop.app(100)); // the application runs on without it
}

TEST_F(SimAccessibilityTest, WindowAndApplicationAttributesReadLikeTheSystemsOwn)
{
    const AXElement e1 = env.element(QStringLiteral("E1"));
    const AXElement e2 = env.element(QStringLiteral("E2"));
    EXPECT_EQ(ax.attribute(e1, ax::Role).as<QString>(), ax::WindowRole);
    EXPECT_EQ(ax.attribute(e1, ax::Subrole).as<QString>(), ax::StandardWindow);
    EXPECT_EQ(ax.attribute(e2, ax::Subrole).as<QString>(), ax::DialogSubrole);
    EXPECT_EQ(ax.attribute(e1, ax::Document).as<QString>(), QStringLiteral("file:///tmp/a.txt"));
    EXPECT_EQ(ax.attribute(e2, ax::Document).error, AXError::noValue);
    EXPECT_EQ(ax.attribute(e1, ax::FullScreen).as<bool>(), false);
    EXPECT_EQ(ax.attribute(e1, QStringLiteral("AXNoSuchThing")).error, AXError::attributeUnsupported);

    const AXElement app = ax.applicationElement(100);
    EXPECT_EQ(ax.attribute(app, ax::Role).as<QString>(), QStringLiteral("AXApplication"));
    EXPECT_EQ(ax.attribute(app, ax::Title).as<QString>(), QStringLiteral("Editor"));
    EXPECT_EQ(ax.attribute(app, ax::EnhancedUserInterface).as<bool>(), false);
    EXPECT_EQ(ax.setAttribute(app, ax::EnhancedUserInterface, true), AXError::success);
    EXPECT_EQ(ax.attribute(app, ax::EnhancedUserInterface).as<bool>(), true);
    EXPECT_EQ(ax.setAttribute(app, ax::EnhancedUserInterface, 1.0), AXError::illegalArgument);
    EXPECT_EQ(ax.attribute(ax.applicationElement(4242), ax::Windows).error, AXError::invalidElement);

    // Elements are values: read twice, they are equal and hash alike; a
    // window's element used with another pid is no element.
    const auto again = ax.attribute(app, ax::FocusedWindow).as<AXElement>();
    EXPECT_EQ(again, e1);
    EXPECT_EQ(std::hash<AXElement>{}(*again), std::hash<AXElement>{}(e1));
    EXPECT_NE(e1, e2);
    EXPECT_EQ(ax.attribute(AXElement{200, e1.token}, ax::Title).error, AXError::invalidElement);
}

TEST_F(SimAccessibilityTest, ElementAtPositionIsTheFrontmostOnScreenWindowThere)
{
    const AXElement system = ax.systemWideElement();
    EXPECT_EQ(ax.elementAtPosition(system, Point{600, 350}).as<AXElement>(), env.element(QStringLiteral("E1")));
    EXPECT_EQ(ax.elementAtPosition(ax.applicationElement(200), Point{600, 350}).as<AXElement>(),
              env.element(QStringLiteral("V1")));
    EXPECT_EQ(ax.elementAtPosition(system, Point{1950, 50}).error, AXError::noValue);
}

TEST_F(SimAccessibilityTest, AnAppThatTimesOutCostsExactlyOneMessagingTimeoutPerCallAndIsCounted)
{
    env.desktop.setTimesOut(300, true);
    const AXElement s1 = env.element(QStringLiteral("S1"));
    bool timerRan = false;
    env.clock.schedule(0.5, [&] { timerRan = true; });

    EXPECT_EQ(ax.attribute(s1, ax::Position).error, AXError::cannotComplete);
    EXPECT_EQ(env.clock.monotonic(), 1.0);
    EXPECT_FALSE(timerRan); // a blocked call runs nothing meanwhile

    QSignalSpy changed(&env.desktop, &SimDesktop::changed);
    ax.setMessagingTimeout(ax.applicationElement(300), 0.25);
    // Set again as every read of an application's windows sets it: nothing
    // changed, so a view of the desktop does not redraw.
    ax.setMessagingTimeout(ax.applicationElement(300), 0.25);
    ax.setMessagingTimeout(ax.systemWideElement(), SimDesktop::kDefaultMessagingTimeout);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(ax.setAttribute(s1, ax::Position, Point{0, 0}), AXError::cannotComplete);
    EXPECT_EQ(ax.performAction(s1, ax::Raise), AXError::cannotComplete);
    EXPECT_EQ(ax.elementAtPosition(ax.systemWideElement(), Point{1600, 800}).error, AXError::cannotComplete);
    EXPECT_DOUBLE_EQ(env.clock.monotonic(), 1.75);
    EXPECT_EQ(env.desktop.timeoutCount(300), 4);
    EXPECT_EQ(env.desktop.timeoutCount(100), 0);
    EXPECT_EQ(env.desktop.window(s1.token)->frame.x, 1500); // nothing changed

    // Other applications answer at once.
    EXPECT_TRUE(ax.attribute(env.element(QStringLiteral("E1")), ax::Title).ok());
    EXPECT_DOUBLE_EQ(env.clock.monotonic(), 1.75);
    env.clock.runDue();
    EXPECT_TRUE(timerRan);
}

TEST_F(SimAccessibilityTest, WithoutTrustEveryCallIsRefused)
{
    QSignalSpy trust(&ax, &Accessibility::trustChanged);
    env.desktop.setTrusted(false);
    ASSERT_EQ(trust.count(), 1);
    EXPECT_EQ(trust.at(0).at(0).toBool(), false);

    const AXElement e1 = env.element(QStringLiteral("E1"));
    EXPECT_FALSE(ax.isTrusted());
    EXPECT_EQ(ax.attribute(e1, ax::Title).error, AXError::apiDisabled);
    EXPECT_EQ(ax.attribute(ax.applicationElement(100), ax::Windows).error, AXError::apiDisabled);
    EXPECT_EQ(ax.setAttribute(e1, ax::Position, Point{0, 0}), AXError::apiDisabled);
    EXPECT_EQ(ax.performAction(e1, ax::Raise), AXError::apiDisabled);
    EXPECT_EQ(ax.elementAtPosition(ax.systemWideElement(), Point{150, 150}).error, AXError::apiDisabled);
    EXPECT_EQ(ax.attribute(AXElement{4242, 7}, ax::Title).error, AXError::apiDisabled);
    EXPECT_EQ(env.window(QStringLiteral("E1"))->frame.x, 100);

    EXPECT_FALSE(ax.isTrusted(true));
    EXPECT_EQ(env.desktop.trustPrompts(), 1);
    env.desktop.setTrusted(true);
    EXPECT_TRUE(ax.isTrusted());
    EXPECT_EQ(trust.count(), 2);
}
