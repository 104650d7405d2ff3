#include "shellfixture.h"

#include "platform/eventmonitors.h"
#include "platform/hotkeys.h"
#include "windows/hotkeycenter.h"
#include "windows/windowmanager.h"

#include <QSignalSpy>

namespace tavrin {
namespace {

KeyCombo defaultKey(const ShortcutAction& action) { return *action.defaultCombo(true); }

class AppStateTest : public ShellTest {
protected:
    bool press(const ShortcutAction& action)
    {
        const KeyCombo key = defaultKey(action);
        return env.pressKey(key.keyCode, key.modifiers);
    }
    void setTiling(const QVariant& edge, const QVariant& top)
    {
        env.defaults.setForeignValue(QStringLiteral("com.apple.WindowManager"),
                                     QStringLiteral("EnableTilingByEdgeDrag"), edge);
        env.defaults.setForeignValue(QStringLiteral("com.apple.WindowManager"),
                                     QStringLiteral("EnableTopTilingByEdgeDrag"), top);
    }
};

// ---- Start-up of the engines ----

TEST_F(AppStateTest, StartsEveryEngineOnceInOrderAfterTheHotKeysAndTheOverlay)
{
    auto state = makeState();
    bool keysBeforeEngines = false;
    engines[0]->onStart = [&] { keysBeforeEngines = !env.desktop.hotKeys().registrations().empty(); };
    state->startEngines();
    EXPECT_TRUE(keysBeforeEngines);
    EXPECT_TRUE(state->hud().hasMonitors());
    EXPECT_EQ(*log,
              (QStringList{"autoArrange", "shareSafe", "meetingMode", "focus", "habits", "handPlacement", "sessions"}));
    EXPECT_TRUE(state->enginesStarted());
    EXPECT_TRUE(state->isPolling());

    const std::size_t timers = env.clock.pendingTimers();
    const auto registrations = env.desktop.hotKeys().registrations().size();
    state->startEngines();
    EXPECT_EQ(log->size(), 7);
    EXPECT_EQ(env.clock.pendingTimers(), timers);
    EXPECT_EQ(env.desktop.hotKeys().registrations().size(), registrations);
}

TEST_F(AppStateTest, WithoutTrustTheOverlayWaitsAndTheEnginesStillStart)
{
    env.desktop.setTrusted(false);
    auto state = makeState();
    EXPECT_FALSE(state->isTrusted());
    state->startEngines();
    EXPECT_FALSE(state->hud().hasMonitors());
    EXPECT_EQ(log->size(), 7);
    // Hot keys are registered all the same.
    EXPECT_TRUE(env.desktop.hotKeys().isRegistered(
        SimKey{defaultKey(ShortcutAction::of(ShortcutAction::Kind::fill)).keyCode,
               defaultKey(ShortcutAction::of(ShortcutAction::Kind::fill)).modifiers}));
}

TEST_F(AppStateTest, EmptyEngineSlotsAreSkipped)
{
    AppState state{parts()};
    {
        RecordingEngine gone(QStringLiteral("gone"), log);
        const Registration registered = state.setEngine(EngineSlot::focus, gone);
    }
    state.startEngines();
    EXPECT_TRUE(state.enginesStarted());
    EXPECT_TRUE(log->isEmpty());
    // Share-safe's shortcuts do nothing without it.
    state.perform(ShortcutAction::of(ShortcutAction::Kind::shareSafe));
    EXPECT_TRUE(log->isEmpty());
    // The stand-in command bar still toggles.
    state.perform(ShortcutAction::of(ShortcutAction::Kind::commandBar));
    EXPECT_TRUE(state.commandBar().isShowing());
    state.perform(ShortcutAction::of(ShortcutAction::Kind::commandBar));
    EXPECT_FALSE(state.commandBar().isShowing());
}

// ---- The poll ----

TEST_F(AppStateTest, ThePollFirstTicksASecondAfterStartAndPublishesOnlyChanges)
{
    env.desktop.setTrusted(false);
    auto state = makeState();
    QSignalSpy trusted(state.get(), &AppState::isTrustedChanged);
    QSignalSpy tiling(state.get(), &AppState::edgeTilingOnChanged);
    state->startEngines();

    env.desktop.setTrusted(true);
    env.clock.advance(0.99);
    EXPECT_FALSE(state->isTrusted());
    env.clock.advance(0.02);
    EXPECT_TRUE(state->isTrusted());
    EXPECT_EQ(trusted.count(), 1);
    EXPECT_TRUE(state->hud().hasMonitors());

    env.clock.advance(5);
    EXPECT_EQ(trusted.count(), 1);
    EXPECT_EQ(tiling.count(), 0);

    env.desktop.setTrusted(false);
    env.clock.advance(1);
    EXPECT_FALSE(state->isTrusted());
    EXPECT_EQ(trusted.count(), 2);
    EXPECT_FALSE(state->hud().hasMonitors());

    setTiling(false, false);
    env.clock.advance(1);
    EXPECT_FALSE(state->edgeTilingOn());
    EXPECT_EQ(tiling.count(), 1);
    env.clock.advance(3);
    EXPECT_EQ(tiling.count(), 1);
}

TEST_F(AppStateTest, ThePollStopsWithTheState)
{
    auto state = makeState();
    state->startEngines();
    state.reset();
    env.desktop.setTrusted(false);
    env.clock.advance(3); // nothing left to run into
}

TEST_F(AppStateTest, EdgeTilingIsOffOnlyWhenBothSwitchesAreOff)
{
    struct Case {
        QVariant edge, top;
        bool on;
    };
    const std::vector<Case> cases = {
        {QVariant(), QVariant(), true}, {false, QVariant(), true},
        {QVariant(), false, true},      {false, true, true},
        {false, false, false},          {QStringLiteral("NO"), false, true},
        {qint64(0), false, true},
    };
    for (const Case& c : cases) {
        setTiling(c.edge, c.top);
        EXPECT_EQ(AppState(parts()).edgeTilingOn(), c.on)
            << c.edge.toString().toStdString() << " / " << c.top.toString().toStdString();
    }
}

// ---- Hot keys ----

TEST_F(AppStateTest, ARefusedKeyIsUnavailableAndTheOthersStillWork)
{
    const KeyCombo left = defaultKey(ShortcutAction::arrow(Arrow::left));
    env.desktop.setRefusedHotKeys({SimKey{left.keyCode, left.modifiers}});
    auto state = makeState();
    state->startEngines();
    EXPECT_EQ(shortcutStore.unavailable(), QSet<QString>{QStringLiteral("arrow.left")});
    EXPECT_TRUE(env.desktop.logLines().contains(HotKeyCenter::refusalLine(left, HotKeys::kStatusKeyInUse)));

    const Rect before = focused().frame;
    EXPECT_TRUE(press(ShortcutAction::arrow(Arrow::right)));
    EXPECT_NE(focused().frame, before);

    // The next registration starts from an empty set.
    env.desktop.setRefusedHotKeys({});
    state->registerHotKeys();
    EXPECT_TRUE(shortcutStore.unavailable().isEmpty());
}

TEST_F(AppStateTest, AKeyLetGoByAnotherAppWorksWithoutARestart)
{
    const KeyCombo left = defaultKey(ShortcutAction::arrow(Arrow::left));
    const KeyCombo space = defaultKey(ShortcutAction::of(ShortcutAction::Kind::commandBar));
    env.desktop.setRefusedHotKeys({SimKey{left.keyCode, left.modifiers}, SimKey{space.keyCode, space.modifiers}});
    auto state = makeState();
    state->startEngines();
    EXPECT_TRUE(
        env.desktop.logLines().contains("Tavrin: couldn't register hot key Ctrl+Alt+←; another app may be using it."));
    EXPECT_TRUE(
        env.desktop.logLines().contains("Tavrin: couldn't register hot key Alt+Space; another app may be using it."));

    // The window manager lets go of ⌃⌥←: it works from the next try on.
    env.desktop.setRefusedHotKeys({SimKey{space.keyCode, space.modifiers}});
    env.clock.advance(HotKeyCenter::kRetryInterval);
    EXPECT_EQ(shortcutStore.unavailable(), QSet<QString>{QStringLiteral("commandBar")});
    const Rect before = focused().frame;
    EXPECT_TRUE(press(ShortcutAction::arrow(Arrow::left)));
    EXPECT_NE(focused().frame, before);

    // And ⌥Space as soon as the keyboard mapping changes.
    env.desktop.setRefusedHotKeys({});
    env.desktop.hotKeys().changeKeyboard();
    EXPECT_TRUE(shortcutStore.unavailable().isEmpty());
    EXPECT_TRUE(press(ShortcutAction::of(ShortcutAction::Kind::commandBar)));
}

TEST_F(AppStateTest, NoKeyIsRegisteredWhileAShortcutIsRecorded)
{
    const KeyCombo left = defaultKey(ShortcutAction::arrow(Arrow::left));
    env.desktop.setRefusedHotKeys({SimKey{left.keyCode, left.modifiers}});
    auto state = makeState();
    state->startEngines();
    ShortcutStore& store = shortcutStore;

    store.setRecording(true);
    EXPECT_TRUE(env.desktop.hotKeys().registrations().empty());
    EXPECT_FALSE(press(ShortcutAction::arrow(Arrow::right)));
    // The last registration's result stays on show.
    EXPECT_EQ(store.unavailable(), QSet<QString>{QStringLiteral("arrow.left")});

    store.setRecording(false);
    EXPECT_FALSE(env.desktop.hotKeys().registrations().empty());
    EXPECT_TRUE(press(ShortcutAction::arrow(Arrow::right)));
}

TEST_F(AppStateTest, ChangedBindingsAreRegisteredAfresh)
{
    auto state = makeState();
    state->startEngines();
    ShortcutStore& store = shortcutStore;
    const ShortcutAction commandBar = ShortcutAction::of(ShortcutAction::Kind::commandBar);

    const KeyCombo k{40, modifier::control | modifier::option, QStringLiteral("K")};
    store.set(k, commandBar);
    EXPECT_FALSE(press(commandBar)); // ⌥Space is free again
    EXPECT_TRUE(env.pressKey(k.keyCode, k.modifiers));
    EXPECT_EQ(*bar, QStringList{QStringLiteral("show")});

    store.set(std::nullopt, commandBar);
    EXPECT_FALSE(env.pressKey(k.keyCode, k.modifiers));

    // The letter grid adds the nine snap keys once its switch changes.
    const ShortcutAction topLeft = ShortcutAction::snap(SnapTarget::topLeft);
    const KeyCombo q = *topLeft.defaultCombo(true);
    EXPECT_FALSE(env.desktop.hotKeys().isRegistered(SimKey{q.keyCode, q.modifiers}));
    env.defaults.setValue(QStringLiteral("snap.letterGrid"), true);
    store.onChange();
    EXPECT_TRUE(env.desktop.hotKeys().isRegistered(SimKey{q.keyCode, q.modifiers}));
}

TEST_F(AppStateTest, APressAfterTheStateIsGoneDoesNothing)
{
    auto state = makeState();
    state->startEngines();
    state.reset();
    const Rect before = focused().frame;
    press(ShortcutAction::arrow(Arrow::left));
    EXPECT_EQ(focused().frame, before);
    // The store's action no longer reaches it either.
    shortcutStore.onChange();
}

TEST_F(AppStateTest, TheDefaultKeysDriveTheFocusedWindow)
{
    auto state = makeState();
    state->startEngines();
    const Rect before = focused().frame;
    EXPECT_TRUE(press(ShortcutAction::arrow(Arrow::left)));
    const Rect after = focused().frame;
    EXPECT_NE(after, before);
    EXPECT_LT(after.x, before.x);
    EXPECT_EQ(outline(), after);
}

// ---- Every action ----

TEST_F(AppStateTest, LayoutsAreRememberedTheUsualLayoutIsNot)
{
    auto state = makeState();
    const auto display = windows.focusedContext();
    ASSERT_TRUE(display);
    const QString key = WindowManager::usualLayoutKey(*display);

    state->perform(ShortcutAction::of(ShortcutAction::Kind::usualLayout));
    EXPECT_FALSE(env.defaults.contains(key));

    state->perform(ShortcutAction::layout(LayoutKind::thirds));
    EXPECT_EQ(env.defaults.string(key), QStringLiteral("thirds"));
    EXPECT_EQ(outline(), std::nullopt); // a layout flashes nothing

    const Rect arranged = focused().frame;
    env.desktop.setFrame(focused().token, Rect{10, 40, 500, 400});
    state->perform(ShortcutAction::of(ShortcutAction::Kind::usualLayout));
    EXPECT_EQ(focused().frame, arranged);
    EXPECT_EQ(env.defaults.string(key), QStringLiteral("thirds"));
}

TEST_F(AppStateTest, MovesFlashTheirNewFrame)
{
    auto state = makeState();
    state->perform(ShortcutAction::of(ShortcutAction::Kind::fill));
    EXPECT_EQ(outline(), focused().frame);

    // A snap target is shown only on the overlay, held up by ⌃⌥.
    state->startEngines();
    env.desktop.setModifierFlags(modflag::control | modflag::option);
    env.clock.advance(SnapHUDController::kHoldSeconds);
    ASSERT_TRUE(state->hud().isShowing());
    state->perform(ShortcutAction::snap(SnapTarget::rightThird));
    EXPECT_EQ(state->hud().highlighted(), SnapTarget::rightThird);
    EXPECT_EQ(outline(), focused().frame);

    state->perform(ShortcutAction::moveDisplay(true));
    EXPECT_GE(focused().frame.x, 3440);
    EXPECT_EQ(outline(), focused().frame);
    EXPECT_EQ(state->hud().highlighted(), std::nullopt);
}

TEST_F(AppStateTest, AMoveThatMovesNothingFlashesNothing)
{
    env.desktop.setTrusted(false);
    auto state = makeState();
    state->perform(ShortcutAction::arrow(Arrow::left));
    state->perform(ShortcutAction::of(ShortcutAction::Kind::fill));
    state->perform(ShortcutAction::moveDisplay(false));
    state->perform(ShortcutAction::snap(SnapTarget::topLeft));
    EXPECT_EQ(panels->outline, nullptr);
    EXPECT_EQ(windows.lastMessage(), WindowManager::kNeedsTrustMessage);

    // Already on the leftmost display: no display on that side.
    env.desktop.setTrusted(true);
    state->perform(ShortcutAction::moveDisplay(false));
    EXPECT_EQ(panels->outline, nullptr);
}

TEST_F(AppStateTest, ShareSafeActionsGoToShareSafe)
{
    auto state = makeState();
    state->perform(ShortcutAction::of(ShortcutAction::Kind::shareSafe));
    state->perform(ShortcutAction::of(ShortcutAction::Kind::hideApp));
    EXPECT_EQ(*log, (QStringList{"toggleShareSafe", "hideFrontApp"}));
}

TEST_F(AppStateTest, TheCommandBarsWayToSettingsOpensTheAIPane)
{
    auto state = makeState();
    RecordingSettings settings;
    const Registration opening = state->setSettingsOpener(settings);
    auto& recording = static_cast<RecordingCommandBar&>(state->commandBar());
    ASSERT_TRUE(recording.settingsRoute);
    recording.settingsRoute();
    state->showSettings(std::nullopt);
    EXPECT_EQ(settings.panes, (QStringList{"ai", "(last)"}));
}

TEST_F(AppStateTest, TheCommandBarKeyTogglesTheBar)
{
    auto state = makeState();
    const ShortcutAction commandBar = ShortcutAction::of(ShortcutAction::Kind::commandBar);
    state->perform(commandBar);
    state->perform(commandBar);
    state->perform(commandBar);
    EXPECT_EQ(*bar, (QStringList{"show", "orderOut", "show"}));
}

TEST_F(AppStateTest, EveryActionDoesSomething)
{
    env.defaults.setValue(QStringLiteral("snap.letterGrid"), true);
    auto state = makeState();
    state->startEngines();
    for (const ShortcutAction& action : ShortcutAction::allCases()) {
        if (action.kind == ShortcutAction::Kind::usualLayout)
            continue; // the same arrangement again moves nothing
        env.desktop.setFrame(focused().token, Rect{700, 300, 640, 480});
        const Rect before = focused().frame;
        const auto logged = log->size() + panels->order->size() + bar->size() + env.desktop.beepCount();
        EXPECT_TRUE(press(action)) << action.id().toStdString();
        const bool moved = focused().frame != before;
        // A display move with no display on that side beeps.
        const bool told = log->size() + panels->order->size() + bar->size() + env.desktop.beepCount() > logged;
        EXPECT_TRUE(moved || told) << action.id().toStdString();
        env.clock.advance(1); // no arrow chords between actions
    }
}

} // namespace
} // namespace tavrin
