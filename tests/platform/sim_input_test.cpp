#include "platform/sim/simeventmonitors.h"
#include "platform/sim/simhotkeys.h"
#include "platform/sim/simscenario.h"
#include "support/simfixture.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {
constexpr std::uint32_t kSpace = 49, kLeftArrow = 123, kP = 35;
constexpr std::uint32_t kCtrlOpt = modifier::control | modifier::option;
constexpr std::uint32_t kSig = HotKeys::kSignature;
} // namespace

TEST(SimHotKeys, KeysHeldElsewhereOrRegisteredAlreadyAreRefused)
{
    SimEnvironment env;
    env.desktop.setRefusedHotKeys({SimKey{kP, kCtrlOpt}});
    HotKeys& keys = env.desktop.hotKeys();

    EXPECT_EQ(keys.registerHotKey(kSig, 1, kSpace, modifier::option), HotKeys::kStatusNoError);
    EXPECT_EQ(keys.registerHotKey(kSig, 2, kSpace, modifier::option), HotKeys::kStatusKeyInUse);
    EXPECT_EQ(keys.registerHotKey(kSig, 3, kP, kCtrlOpt), HotKeys::kStatusKeyInUse);
    EXPECT_EQ(keys.registerHotKey(kSig, 3, kP, kCtrlOpt | modifier::shift), HotKeys::kStatusNoError);
    // Registering an id again moves it to the new key.
    EXPECT_EQ(keys.registerHotKey(kSig, 1, kLeftArrow, kCtrlOpt), HotKeys::kStatusNoError);
    EXPECT_EQ(keys.registerHotKey(kSig, 2, kSpace, modifier::option), HotKeys::kStatusNoError);
}

TEST(SimHotKeys, APressedKeyReachesItsHotKeyOnTheNextRunOnly)
{
    SimEnvironment env;
    HotKeys& keys = env.desktop.hotKeys();
    QSignalSpy pressed(&keys, &HotKeys::pressed);
    keys.registerHotKey(kSig, 7, kLeftArrow, kCtrlOpt);

    EXPECT_TRUE(env.desktop.pressKey(kLeftArrow, kCtrlOpt));
    EXPECT_EQ(pressed.count(), 0); // delivered asynchronously
    env.clock.runDue();
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).value<std::uint32_t>(), kSig);
    EXPECT_EQ(pressed.at(0).at(1).value<std::uint32_t>(), 7u);

    EXPECT_FALSE(env.pressKey(kLeftArrow, modifier::control)); // other modifiers: another key
    keys.unregisterHotKey(kSig, 7);
    EXPECT_FALSE(env.pressKey(kLeftArrow, kCtrlOpt));
    EXPECT_EQ(pressed.count(), 1);
}

TEST(SimEventMonitors, ModifierChangesGoToGlobalMonitorsOrLocalOnesWhenThisProcessIsInFront)
{
    SimEnvironment env;
    EventMonitors& monitors = env.desktop.eventMonitors();
    QSignalSpy global(&monitors, &EventMonitors::globalModifierFlagsChanged);
    QSignalSpy local(&monitors, &EventMonitors::localModifierFlagsChanged);

    env.desktop.setModifierFlags(modflag::control | modflag::option | 0x100); // low bits are device bits
    EXPECT_EQ(monitors.currentModifierFlags(), modflag::control | modflag::option);
    env.desktop.setModifierFlags(modflag::control | modflag::option); // no change: no event
    ASSERT_EQ(global.count(), 1);

    env.desktop.setFrontmost(env.desktop.selfPid());
    env.desktop.setModifierFlags(0);
    EXPECT_EQ(global.count(), 1);
    EXPECT_EQ(local.count(), 1);
}

TEST(SimEventMonitors, PressingAWindowBringsItForwardAndItsTitleBarDragsIt)
{
    SimEnvironment env(R"({
      "displays": [{"name": "Main", "frame": [0, 0, 2000, 1200]}],
      "apps": [{"name": "Front"}, {"name": "Back"}],
      "windows": [{"app": "Front", "title": "F", "frame": [0, 0, 600, 600]},
                  {"app": "Back", "title": "B", "frame": [400, 100, 600, 600]}],
      "frontmost": "Front"})");
    EventMonitors& monitors = env.desktop.eventMonitors();
    QSignalSpy downs(&monitors, &EventMonitors::globalLeftMouseDown);
    QSignalSpy ups(&monitors, &EventMonitors::globalLeftMouseUp);

    // A press on the body of B's window where F does not cover it.
    env.desktop.mouseDown(Point{800, 400});
    EXPECT_EQ(monitors.pressedMouseButtons(), 1u);
    EXPECT_EQ(env.desktop.frontmostPid(), env.pid(QStringLiteral("Back")));
    EXPECT_EQ(env.desktop.onScreenWindows().front()->title, QStringLiteral("B"));
    env.desktop.mouseMove(Point{900, 500});
    env.desktop.mouseUp(Point{900, 500});
    EXPECT_EQ(env.window(QStringLiteral("B"))->frame, Rect(400, 100, 600, 600)); // the body does not drag
    EXPECT_EQ(monitors.pressedMouseButtons(), 0u);

    // A press on its title bar drags it along.
    env.desktop.mouseDown(Point{500, 110});
    env.desktop.mouseMove(Point{550, 150});
    env.desktop.mouseUp(Point{600, 160});
    EXPECT_EQ(env.window(QStringLiteral("B"))->frame, Rect(500, 150, 600, 600));
    EXPECT_EQ(monitors.mouseLocation(), (Point{600, 160}));
    EXPECT_EQ(downs.count(), 2);
    EXPECT_EQ(ups.count(), 2);
    env.clock.runDue();
}
