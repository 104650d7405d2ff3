#include "settingsfixture.h"

#include "design/keymsg.h"
#include "design/tbutton.h"
#include "platform/hotkeys.h"
#include "platform/sim/simhotkeys.h"
#include "settings/messageline.h"
#include "settings/recorderbutton.h"
#include "settings/settingswitch.h"
#include "settings/shortcutrecorder.h"
#include "settings/shortcutspane.h"
#include "windows/shortcutstore.h"

#include <QTest>

namespace tavrin {
namespace {

constexpr std::uint32_t kCtrlOpt = modifier::control | modifier::option;
const Qt::KeyboardModifiers kCtrlAlt = Qt::ControlModifier | Qt::AltModifier;

class ShortcutsTest : public SettingsTest {
protected:
    ShortcutsTest()
    {
        state->registerHotKeys();
        pane = open<ShortcutsPane>(SettingsPane::shortcuts);
    }

    ShortcutStore& store() { return shortcutStore; }
    ShortcutRecorder& recorder() { return pane->recorder(); }
    bool registered(std::uint32_t code, std::uint32_t mods) { return env.desktop.hotKeys().isRegistered({code, mods}); }
    std::optional<QVariant> stored(const ShortcutAction& action)
    {
        return env.defaults.value(ShortcutStore::key(action));
    }

    const ShortcutAction fill = ShortcutAction::of(ShortcutAction::Kind::fill);
    const ShortcutAction halves = ShortcutAction::layout(LayoutKind::halves);
    ShortcutsPane* pane = nullptr;
};

TEST_F(ShortcutsTest, RecordingTurnsTheHotKeysOffUntilItEnds)
{
    ASSERT_TRUE(pane);
    EXPECT_TRUE(registered(36, kCtrlOpt)); // ⌃⌥↩, fill
    pane->recorderButton(fill)->click();
    EXPECT_TRUE(recorder().isListening());
    EXPECT_TRUE(store().isRecording());
    EXPECT_TRUE(pane->recorderButton(fill)->isListening());
    EXPECT_TRUE(env.desktop.hotKeys().registrations().empty());

    // The keys pressed in the window reach the recorder.
    QTest::keyClick(pane, Qt::Key_9, kCtrlAlt);
    EXPECT_FALSE(recorder().isListening());
    EXPECT_FALSE(store().isRecording());
    EXPECT_EQ(store().combo(fill), (KeyCombo{25, kCtrlOpt, "9"}));
    EXPECT_EQ(pane->recorderButton(fill)->combo(), "Ctrl+Alt+9");
    EXPECT_TRUE(registered(25, kCtrlOpt));
    EXPECT_FALSE(registered(36, kCtrlOpt));
    EXPECT_TRUE(registered(18, kCtrlOpt)); // the others are back
}

TEST_F(ShortcutsTest, KeysWhileRecording)
{
    struct Case {
        const char* what;
        int key;
        Qt::KeyboardModifiers mods;
        ShortcutRecorder::Outcome outcome;
        std::optional<QString> stored; // the stored binding afterwards; none: missing
    };
    const Case cases[] = {
        {"Escape cancels", Qt::Key_Escape, Qt::NoModifier, ShortcutRecorder::Outcome::cancelled, std::nullopt},
        {"Escape with modifiers cancels too", Qt::Key_Escape, kCtrlAlt, ShortcutRecorder::Outcome::cancelled,
         std::nullopt},
        {"Backspace leaves no shortcut", Qt::Key_Backspace, Qt::NoModifier, ShortcutRecorder::Outcome::cleared, "none"},
        {"Delete leaves no shortcut", Qt::Key_Delete, Qt::ShiftModifier, ShortcutRecorder::Outcome::cleared, "none"},
        {"⌃⌥⌫ is a combination", Qt::Key_Backspace, kCtrlAlt, ShortcutRecorder::Outcome::recorded,
         R"({"key":"⌫","keyCode":51,"modifiers":6144})"},
        {"a letter alone is refused", Qt::Key_K, Qt::NoModifier, ShortcutRecorder::Outcome::refused, std::nullopt},
        {"⇧ alone is not enough", Qt::Key_K, Qt::ShiftModifier, ShortcutRecorder::Outcome::refused, std::nullopt},
        {"a function key needs nothing", Qt::Key_F5, Qt::NoModifier, ShortcutRecorder::Outcome::recorded,
         R"({"key":"F5","keyCode":96,"modifiers":0})"},
        {"⌘ alone is enough", Qt::Key_K, Qt::MetaModifier, ShortcutRecorder::Outcome::recorded,
         R"({"key":"K","keyCode":40,"modifiers":256})"},
        {"a shifted symbol is its key", Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier,
         ShortcutRecorder::Outcome::recorded, R"({"key":"1","keyCode":18,"modifiers":4608})"},
        {"a key without a Mac key code is refused", Qt::Key_Launch0, kCtrlAlt, ShortcutRecorder::Outcome::refused,
         std::nullopt},
        {"a modifier alone keeps listening", Qt::Key_Control, Qt::ControlModifier, ShortcutRecorder::Outcome::listening,
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store().resetAll();
        recorder().start(fill, pane);
        EXPECT_EQ(recorder().press(c.key, c.mods), c.outcome);
        const auto value = stored(fill);
        EXPECT_EQ(value ? std::optional<QString>(value->toString()) : std::nullopt, c.stored);
        const bool listens =
            c.outcome == ShortcutRecorder::Outcome::refused || c.outcome == ShortcutRecorder::Outcome::listening;
        EXPECT_EQ(recorder().isListening(), listens);
        EXPECT_EQ(store().isRecording(), listens);
        EXPECT_EQ(!pane->messageLine(fill)->isHidden(), c.outcome == ShortcutRecorder::Outcome::refused);
        recorder().cancel();
    }
}

TEST_F(ShortcutsTest, ACombinationOfAnotherActionIsRefusedByName)
{
    recorder().start(fill, pane);
    EXPECT_EQ(recorder().press(Qt::Key_2, kCtrlAlt), ShortcutRecorder::Outcome::refused);
    EXPECT_EQ(pane->messageLine(fill)->text(), "Ctrl+Alt+2 is already the shortcut for Halves.");
    EXPECT_FALSE(stored(fill));
    EXPECT_TRUE(recorder().isListening());
    // The action's own combination is no clash; the refusal goes.
    EXPECT_EQ(recorder().press(Qt::Key_Return, kCtrlAlt), ShortcutRecorder::Outcome::recorded);
    EXPECT_TRUE(pane->messageLine(fill)->isHidden());

    // The letter grid's keys clash only while the grid is on.
    recorder().start(fill, pane);
    EXPECT_EQ(recorder().press(Qt::Key_Q, kCtrlAlt), ShortcutRecorder::Outcome::recorded);
    store().resetAll();
    env.defaults.setValue(ShortcutsPane::kLetterGridKey, true);
    recorder().start(fill, pane);
    EXPECT_EQ(recorder().press(Qt::Key_Q, kCtrlAlt), ShortcutRecorder::Outcome::refused);
    EXPECT_EQ(recorder().refusal(), "Ctrl+Alt+Q is already the shortcut for Top left.");
}

TEST_F(ShortcutsTest, RecordingStopsWhenTheWindowHidesOrThePaneGoes)
{
    recorder().start(fill, pane);
    window().view()->close();
    EXPECT_FALSE(store().isRecording());
    EXPECT_TRUE(registered(36, kCtrlOpt));

    pane = open<ShortcutsPane>(SettingsPane::shortcuts);
    pane->recorder().start(fill, pane);
    EXPECT_TRUE(store().isRecording());
    window().show(SettingsPane::general);
    settle();
    EXPECT_FALSE(store().isRecording());
    EXPECT_TRUE(registered(36, kCtrlOpt));
}

TEST_F(ShortcutsTest, TheWindowsOwnShortcutsWaitWhileRecording)
{
    recorder().start(fill, pane);
    QTest::keyClick(pane, Qt::Key_W, Qt::ControlModifier); // the window's Close
    EXPECT_TRUE(window().view()->isVisible());
    EXPECT_EQ(store().combo(fill), (KeyCombo{13, modifier::control, "W"}));
}

TEST_F(ShortcutsTest, TheLetterGridSwitchStoresAnnouncesThenTellsTheOwner)
{
    QStringList events;
    QObject::connect(&store(), &ShortcutStore::bindingsChanged, pane, [&] {
        events << QStringLiteral("announce %1").arg(env.defaults.boolValue(ShortcutsPane::kLetterGridKey));
    });
    const auto owner = store().onChange;
    store().onChange = [&] {
        events << QStringLiteral("onChange %1").arg(env.defaults.boolValue(ShortcutsPane::kLetterGridKey));
        owner();
    };
    EXPECT_FALSE(pane->letterGridSwitch()->isChecked());
    EXPECT_FALSE(registered(12, kCtrlOpt));
    QTest::mouseClick(pane->letterGridSwitch(), Qt::LeftButton, {},
                      pane->letterGridSwitch()->switchRect().center().toPoint());
    EXPECT_EQ(events, (QStringList{"announce 1", "onChange 1"}));
    EXPECT_EQ(env.defaults.value(ShortcutsPane::kLetterGridKey), QVariant(true));
    // The grid's keys are registered and shown.
    EXPECT_TRUE(registered(12, kCtrlOpt));
    EXPECT_EQ(pane->recorderButton(ShortcutAction::snap(SnapTarget::topLeft))->combo(), "Ctrl+Alt+Q");
}

TEST_F(ShortcutsTest, ResetAllAndTakenKeys)
{
    store().set(KeyCombo{25, kCtrlOpt, "9"}, halves);
    recorder().start(fill, pane);
    pane->resetButton()->click();
    EXPECT_FALSE(recorder().isListening());
    EXPECT_FALSE(stored(halves));
    EXPECT_EQ(pane->recorderButton(halves)->combo(), "Ctrl+Alt+2");

    const ShortcutAction hide = ShortcutAction::of(ShortcutAction::Kind::hideApp);
    EXPECT_TRUE(pane->takenNote(hide)->isHidden());
    store().setUnavailable({hide.id()});
    EXPECT_FALSE(pane->takenNote(hide)->isHidden());
    EXPECT_TRUE(pane->takenNote(fill)->isHidden());
}

TEST_F(ShortcutsTest, EveryActionIsListedInMenuOrder)
{
    QStringList listed;
    for (RecorderButton* button : pane->findChildren<RecorderButton*>())
        listed << button->objectName();
    QStringList expected;
    for (const ShortcutAction& action : ShortcutAction::allCases())
        expected << "record." + action.id();
    EXPECT_EQ(listed, expected);
}

} // namespace
} // namespace tavrin
