#include "app/intents/intentservice.h"
#include "app/meetingadapter.h"
#include "app/menubar/nowcontent.h"
#include "app/routineadapter.h"
#include "app/sharesafeadapter.h"
#include "focus/focus.h"
#include "modes/meetingmode.h"
#include "modes/privacyprompt.h"
#include "modes/sharesafe.h"
#include "shellfixture.h"
#include "support/workspacefakes.h"
#include "windows/windowmanager.h"

#include <QSignalSpy>

namespace tavrin {
namespace {

// Meeting mode and Share-safe registered with the shell as the program
// registers them.
class ModesInTheShell : public ShellTest {
protected:
    ModesInTheShell()
    {
        registrations.push_back(state.setMeeting(meetingAdapter));
        registrations.push_back(state.setEngine(EngineSlot::meetingMode, meetingAdapter));
        registrations.push_back(state.setShareSafe(shareSafeAdapter));
        registrations.push_back(state.setEngine(EngineSlot::shareSafe, shareSafeAdapter));
    }

    AppState state{parts(std::make_unique<RecordingCommandBar>(bar))};
    PrivacyPrompt prompt{env.clock, windows};
    ShareSafe share{prompt, Platform::current()};
    FakeAutoArrange autoArrange;
    MeetingMode meeting{windows, autoArrange, Platform::current()};
    MeetingAdapter meetingAdapter{meeting, state};
    ShareSafeAdapter shareSafeAdapter{share, state};
};

TEST_F(ModesInTheShell, TheEnginesStartAndTheShortcutsReachShareSafe)
{
    state.startEngines();
    EXPECT_TRUE(share.isDetecting());
    EXPECT_TRUE(meeting.isStarted());

    QSignalSpy changed(&state, &AppState::enginesChanged);
    state.perform(ShortcutAction::of(ShortcutAction::Kind::shareSafe));
    EXPECT_TRUE(share.active());
    EXPECT_TRUE(state.shareSafe()->active());
    EXPECT_EQ(changed.count(), 1);
    NowContent content(menuBar(state));
    EXPECT_EQ(content.shareSafeRow().status, "hiding private apps");
    // A notice reaches the menu-bar window, and goes with the next change of
    // covering.
    share.setNotice(QStringLiteral("Covering came back"));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(content.shareSafeRow().notice, "Covering came back");
    share.setManual(false);
    EXPECT_EQ(content.shareSafeRow().notice, "");
    share.setManual(true);

    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    state.perform(ShortcutAction::of(ShortcutAction::Kind::hideApp));
    EXPECT_EQ(share.hiddenByHand(), QSet<QString>{"Slack"});
    EXPECT_TRUE(prompt.isShowing());
    prompt.hide(false);
}

TEST_F(ModesInTheShell, TheMenuBarSwitchesDriveTheModes)
{
    NowContent content(menuBar(state));
    content.setMeetingEnabled(false);
    EXPECT_FALSE(meeting.enabled());
    EXPECT_EQ(env.defaults.value(QStringLiteral("mode.meeting")), QVariant(false));
    content.setShareSafeEnabled(false);
    EXPECT_FALSE(share.enabled());
    EXPECT_FALSE(content.shareSafeRow().enabled);

    // A call placed shows in the menu-bar window.
    meeting.setEnabled(true);
    state.startEngines();
    QSignalSpy changed(&state, &AppState::enginesChanged);
    env.desktop.setMicrophoneInUse(true);
    env.clock.advance(4.0);
    ASSERT_TRUE(meeting.inCall());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(content.meetingRow().status, "on this call");
}

// Focus routines registered as the program registers them, over the real engine.
class RoutinesInTheShell : public ModesInTheShell {
protected:
    RoutinesInTheShell()
    {
        FocusRoutine reading;
        reading.name = QStringLiteral("Reading");
        reading.enabled = false;
        reading.actions.hideApps = {QStringLiteral("Slack"), QStringLiteral("Mail")};
        focus.setRoutines({reading});
        registrations.push_back(state.setRoutines(routines));
        registrations.push_back(state.setEngine(EngineSlot::focus, routines));
    }

    Focus focus{meeting, share, windows, runner, Platform::current(), QTimeZone::utc()};
    RoutineAdapter routines{focus};
};

TEST_F(RoutinesInTheShell, TheIntentsStartAndStopTheEngine)
{
    state.startEngines();
    EXPECT_TRUE(focus.isStarted());
    IntentService service(state, windows, runner, shortcuts, env.clock);
    EXPECT_EQ(service.Routines(), QStringList{"Reading"});
    EXPECT_EQ(service.StartFocus(QStringLiteral("reading"), 30), "Reading is on for 30 minutes. Hid Mail, Slack.");
    EXPECT_TRUE(env.desktop.appNamed(QStringLiteral("Slack"))->hidden);
    EXPECT_EQ(focus.until(), env.clock.now() + 30 * 60);
    service.StopFocus();
    EXPECT_FALSE(focus.running());
    EXPECT_FALSE(env.desktop.appNamed(QStringLiteral("Slack"))->hidden);

    // The switch and the Focus filter reach it too.
    routines.setEnabled(true);
    EXPECT_EQ(env.defaults.value(Focus::kSwitchKey), QVariant(true));
    EXPECT_EQ(service.SetFocusFilter(QStringLiteral("Reading")), "The Focus filter now names Reading.");
    EXPECT_EQ(focus.macFocusRoutine(), focus.routines().front().id);
    EXPECT_FALSE(focus.running()); // the routine's own switch is off
}

} // namespace
} // namespace tavrin
