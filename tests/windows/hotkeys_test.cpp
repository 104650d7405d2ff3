#include "platform/hotkeys.h"
#include "support/simfixture.h"
#include "windows/hotkeycenter.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include "printers.h"
#include "probe.h"

#include <gtest/gtest.h>

using namespace tavrin;

namespace {
const QString kLetterGrid = QStringLiteral("snap.letterGrid");
constexpr double kGap = 8;

// How the application shell wires the keys: every action with a binding gets
// a hot key; window actions go to the window manager.
QSet<QString> registerWindowKeys(HotKeyCenter& center, ShortcutStore& store, WindowManager& manager)
{
    center.unregisterAll();
    QSet<QString> failed;
    for (const ShortcutAction& action : ShortcutAction::allCases()) {
        const auto combo = store.combo(action);
        if (!combo)
            continue;
        const bool ok = center.registerKey(*combo, [action, &manager] {
            using K = ShortcutAction::Kind;
            switch (action.kind) {
            case K::layout: manager.applyLayout(action.layoutKind, true); break;
            case K::arrow: manager.arrow(action.direction); break;
            case K::moveDisplay: manager.moveToDisplay(action.right); break;
            case K::snap: manager.snap(action.target); break;
            case K::fill: manager.fill(); break;
            case K::usualLayout:
                if (const auto d = manager.focusedContext())
                    manager.applyLayout(manager.usualLayout(*d));
                break;
            default: break;
            }
        });
        if (!ok)
            failed.insert(action.id());
    }
    store.setUnavailable(failed);
    return failed;
}

struct HotKeyDesk : SimTest {
    HotKeyCenter center;
    ShortcutStore store;
    WindowManager manager;
    int probe = 0;

    HotKeyDesk()
    {
        env.defaults.setValue(kLetterGrid, true);
        probe = addProbe(env, "Probe", {0, 0, 400, 300});
    }

    std::vector<Display> displays() const { return Display::fromScreens(env.desktop.screens()); }
    Rect probeFrame() const { return env.window("Probe")->frame; }

    // The windows a layout on this display arranges.
    int windowsOn(const Display& d) const
    {
        int n = 0;
        for (const SimWindow* w : env.desktop.onScreenWindows())
            n += Display::containing(w->frame, displays())->id == d.id && w->pid != env.desktop.selfPid();
        return n;
    }

    // What each bound key should do to the probe, sitting at `start` on `d`.
    std::optional<Rect> expected(const ShortcutAction& action, const Display& d, const Rect& start) const
    {
        using K = ShortcutAction::Kind;
        const double aspect = d.aspect();
        switch (action.kind) {
        case K::layout: return rects(action.layoutKind, windowsOn(d), aspect)[0].rect(d.area, kGap);
        case K::usualLayout: return rects(manager.usualLayout(d), windowsOn(d), aspect)[0].rect(d.area, kGap);
        case K::arrow:
            if (const auto unit = nextUnit(action.direction, UnitRect::fromFrame(start, d.area), aspect))
                return unit->rect(d.area, kGap);
            return start; // put back where ← first found it
        case K::snap: return rect(action.target, aspect).rect(d.area, kGap);
        case K::fill: return UnitRect().rect(d.area, kGap);
        case K::moveDisplay:
            for (const Display& other : displays())
                if (action.right ? other.area.midX() > d.area.midX() : other.area.midX() < d.area.midX())
                    return UnitRect::fromFrame(start, d.area).rect(other.area, 0); // a free window: no gap
            return start;                                                          // no display on that side
        default: return std::nullopt;
        }
    }
};
} // namespace

TEST_F(HotKeyDesk, EveryDefaultKeyMovesTheFocusedWindowOnBothDisplays)
{
    ASSERT_TRUE(registerWindowKeys(center, store, manager).isEmpty());
    ASSERT_EQ(displays().size(), 2u);
    int moves = 0;
    for (const Display& d : displays()) {
        const Rect start(std::round(d.area.x + d.area.width * 0.3), std::round(d.area.y + d.area.height * 0.3), 400,
                         300);
        for (const ShortcutAction& action : ShortcutAction::allCases()) {
            const auto want = expected(action, d, start);
            if (!want)
                continue;
            SCOPED_TRACE(action.id().toStdString() + " on " + d.name.toStdString());
            env.clock.advance(1); // past the last key's arrow chord and layout re-check
            env.desktop.setFrame(env.window("Probe")->token, start);
            const KeyCombo combo = *store.combo(action);
            ASSERT_TRUE(env.pressKey(combo.keyCode, combo.modifiers));
            EXPECT_EQ(probeFrame(), *want);
            moves += probeFrame() != start;
        }
    }
    EXPECT_EQ(moves, 2 * 23 - 3); // all but ↓ on the ultrawide and the two edge display moves
}

TEST_F(HotKeyDesk, SnapLettersNeedTheLetterGrid)
{
    env.defaults.setValue(kLetterGrid, false);
    registerWindowKeys(center, store, manager);
    EXPECT_FALSE(env.pressKey(12, modifier::control | modifier::option)); // Q
    EXPECT_TRUE(env.pressKey(123, modifier::control | modifier::option)); // ←
}

TEST_F(HotKeyDesk, ARefusedKeyIsLoggedAndReportedUnavailable)
{
    env.desktop.setRefusedHotKeys({SimKey{123, modifier::control | modifier::option}});
    EXPECT_EQ(registerWindowKeys(center, store, manager), QSet<QString>({"arrow.left"}));
    EXPECT_EQ(store.unavailable(), QSet<QString>({"arrow.left"}));
    EXPECT_TRUE(
        env.desktop.logLines().contains("Tavrin: couldn't register hot key Ctrl+Alt+←; another app may be using it."));
    // Registering again replaces every key: nothing is left registered twice.
    registerWindowKeys(center, store, manager);
    EXPECT_EQ(env.desktop.hotKeys().registrations().size(), ShortcutAction::allCases().size() - 1);
}

TEST_F(HotKeyDesk, ATakenKeyIsTriedEveryTenSecondsAndWorksOnceLetGo)
{
    const std::uint32_t ctrlAlt = modifier::control | modifier::option;
    const KeyCombo left{123, ctrlAlt, QStringLiteral("←")};
    env.desktop.setRefusedHotKeys({SimKey{123, ctrlAlt}});
    QList<KeyCombo> freed;
    QObject::connect(&center, &HotKeyCenter::keyFreed, [&](const KeyCombo& c) { freed << c; });
    int presses = 0;
    EXPECT_FALSE(center.registerKey(left, [&] { ++presses; }));
    EXPECT_TRUE(center.isTaken(left));
    const qsizetype lines = env.desktop.logLines().size();

    // Still held at the next try: nothing new in the log.
    env.clock.advance(HotKeyCenter::kRetryInterval);
    EXPECT_TRUE(center.isTaken(left));
    EXPECT_EQ(env.desktop.logLines().size(), lines);

    // Let go: it works from the next try on, without registering anew.
    env.desktop.setRefusedHotKeys({});
    env.clock.advance(HotKeyCenter::kRetryInterval - 0.1);
    EXPECT_FALSE(env.pressKey(123, ctrlAlt));
    env.clock.advance(0.1);
    EXPECT_FALSE(center.isTaken(left));
    EXPECT_EQ(freed, QList<KeyCombo>{left});
    EXPECT_TRUE(env.pressKey(123, ctrlAlt));
    EXPECT_EQ(presses, 1);
    // Nothing is tried while no key is taken.
    EXPECT_EQ(env.clock.pendingTimers(), 0u);
}

TEST_F(HotKeyDesk, AKeyboardChangeTriesTakenKeysAtOnceAndUnregisteringStopsTrying)
{
    const std::uint32_t ctrlAlt = modifier::control | modifier::option;
    const KeyCombo up{126, ctrlAlt, QStringLiteral("↑")}, down{125, ctrlAlt, QStringLiteral("↓")};
    env.desktop.setRefusedHotKeys({SimKey{126, ctrlAlt}, SimKey{125, ctrlAlt}});
    EXPECT_FALSE(center.registerKey(up, [] {}));
    EXPECT_FALSE(center.registerKey(down, [] {}));
    env.desktop.setRefusedHotKeys({SimKey{125, ctrlAlt}});
    env.desktop.hotKeys().changeKeyboard();
    EXPECT_FALSE(center.isTaken(up));
    EXPECT_TRUE(center.isTaken(down));
    EXPECT_TRUE(env.pressKey(126, ctrlAlt));

    center.unregisterAll();
    EXPECT_FALSE(center.hasTakenKeys());
    EXPECT_EQ(env.clock.pendingTimers(), 0u);
}

TEST_F(HotKeyDesk, HandlersRunFromTheMainLoopAndStopWhenUnregistered)
{
    int presses = 0;
    ASSERT_TRUE(center.registerKey({18, modifier::control, "1"}, [&] { ++presses; }));
    env.desktop.pressKey(18, modifier::control);
    EXPECT_EQ(presses, 0); // not inside the key press
    env.clock.runDue();
    EXPECT_EQ(presses, 1);
    center.unregisterAll();
    EXPECT_FALSE(env.pressKey(18, modifier::control));
    EXPECT_EQ(presses, 1);
}

TEST_F(HotKeyDesk, StoredBindings)
{
    const auto left = ShortcutAction::arrow(Arrow::left);
    const auto topLeft = ShortcutAction::snap(SnapTarget::topLeft);
    int changes = 0;
    store.onChange = [&] { ++changes; };

    EXPECT_EQ(store.combo(topLeft)->key, "Q"); // letter grid on
    env.defaults.setValue(kLetterGrid, false);
    EXPECT_EQ(store.combo(topLeft), std::nullopt);

    store.set(KeyCombo{0, modifier::command, "A"}, topLeft); // a stored snap key applies without the grid
    EXPECT_EQ(store.combo(topLeft), KeyCombo({0, modifier::command, "A"}));
    EXPECT_EQ(env.defaults.string("shortcut.snap.topLeft"), R"({"key":"A","keyCode":0,"modifiers":256})");

    store.set(std::nullopt, left);
    EXPECT_EQ(env.defaults.string("shortcut.arrow.left"), "none");
    EXPECT_EQ(store.combo(left), std::nullopt);

    env.defaults.setValue("shortcut.arrow.left", "{not json");
    EXPECT_EQ(store.combo(left)->keyCode, 123u); // unreadable: the default

    store.resetAll();
    EXPECT_FALSE(env.defaults.contains("shortcut.snap.topLeft"));
    EXPECT_EQ(changes, 3);
    store.setRecording(true);
    store.setRecording(true);
    EXPECT_EQ(changes, 4);
}
