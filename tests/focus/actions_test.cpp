#include "focusfixture.h"

#include "windows/windowmanager.h"
#include "workspaces/savedworkspacestore.h"

namespace tavrin {
namespace {

class RoutineActionsTest : public FocusTest {
protected:
    // Starts a routine with these actions by hand.
    void runWith(const FocusRoutine::Actions& actions)
    {
        FocusRoutine r = routine("Run");
        r.actions = actions;
        setRoutines({r});
        focus().start(r, 60);
        ASSERT_TRUE(focus().running());
    }
    static FocusRoutine::Actions hiding(const QStringList& apps)
    {
        FocusRoutine::Actions a;
        a.hideApps = apps;
        return a;
    }
    Rect frame(const QString& title) const { return env.window(title)->frame; }
    // Launches Discord without bringing it to the front.
    void launchDiscordBehind()
    {
        const int front = env.desktop.frontmostPid();
        env.desktop.workspace().launchApplicationInBackground(QStringLiteral("/Applications/Discord.app"));
        env.clock.advance(1.0); // its launch
        ASSERT_TRUE(isRunning("Discord"));
        ASSERT_EQ(env.desktop.frontmostPid(), front);
    }
};

TEST_F(RoutineActionsTest, HidesTheListedApplicationsButTheCallDuringACallAndUnhidesOnlyThose)
{
    startCall();
    env.desktop.setHidden(env.pid("Xcode"), true); // hidden by the user before
    runWith(hiding({"Slack", "Mail", "Xcode", "Safari"}));
    // Slack is a call application: left alone during the call. Safari is in
    // front, and hidden all the same.
    EXPECT_FALSE(isHidden("Slack"));
    EXPECT_TRUE(isHidden("Mail"));
    EXPECT_TRUE(isHidden("Safari"));
    EXPECT_EQ(focus().hiddenApps(), (QStringList{"Safari", "Mail"}));

    focus().stop();
    EXPECT_FALSE(isHidden("Mail"));
    EXPECT_FALSE(isHidden("Safari"));
    EXPECT_TRUE(isHidden("Xcode")); // not the routine's to bring back
    EXPECT_TRUE(focus().hiddenApps().isEmpty());
    EXPECT_FALSE(focus().actions().watchesLaunches());
}

TEST_F(RoutineActionsTest, ALaunchedApplicationIsHiddenAfterASecondAndAHalfUnlessItIsBroughtToTheFront)
{
    runWith(hiding({"Discord"}));
    EXPECT_TRUE(focus().actions().watchesLaunches());
    launchDiscordBehind();
    EXPECT_FALSE(isHidden("Discord"));
    env.clock.advance(RoutineActions::kHideAfterLaunchDelay);
    EXPECT_TRUE(isHidden("Discord"));
    EXPECT_EQ(focus().hiddenApps(), QStringList{"Discord"});

    focus().stop();
    EXPECT_FALSE(isHidden("Discord"));

    // Brought to the front within the delay: left visible.
    env.desktop.removeApp(env.pid("Discord"));
    runWith(hiding({"Discord"}));
    launchDiscordBehind();
    env.clock.advance(1.0);
    env.desktop.activate(env.pid("Discord"));
    env.clock.advance(1.0);
    EXPECT_FALSE(isHidden("Discord"));

    // A hide still due when the routine ends is dropped with it.
    focus().stop();
    env.desktop.removeApp(env.pid("Discord"));
    runWith(hiding({"Discord"}));
    launchDiscordBehind();
    focus().stop();
    env.clock.advance(2.0);
    EXPECT_FALSE(isHidden("Discord"));
}

TEST_F(RoutineActionsTest, QuitApplicationsAreReopenedBehindAtTheEnd)
{
    FocusRoutine::Actions quitting;
    quitting.quitApps = {"Xcode", "Tavrin", "Nothing"};
    runWith(quitting);
    EXPECT_FALSE(isRunning("Xcode"));
    EXPECT_TRUE(isRunning("Tavrin")); // never this program
    EXPECT_EQ(focus().actions().quitLocations(), QStringList{"/Applications/Xcode.app"});

    const int front = env.desktop.frontmostPid();
    focus().stop();
    env.clock.advance(env.desktop.launchDelay());
    EXPECT_TRUE(isRunning("Xcode"));
    EXPECT_EQ(env.desktop.frontmostPid(), front);
}

TEST_F(RoutineActionsTest, TheFramesOnScreenBeforeALayoutComeBackAtTheEnd)
{
    const Rect news = frame("News"), inbox = frame("Inbox");
    FocusRoutine::Actions arranging;
    arranging.layout = LayoutKind::halves;
    runWith(arranging);
    EXPECT_EQ(focus().actions().frames().size(), 5u);
    env.clock.advance(1.0);
    EXPECT_NE(frame("News"), news);

    focus().stop();
    EXPECT_EQ(frame("News"), news);
    EXPECT_EQ(frame("Inbox"), inbox);

    // Nothing to move: nothing recorded.
    runWith(hiding({"Mail"}));
    EXPECT_TRUE(focus().actions().frames().empty());
}

TEST_F(RoutineActionsTest, AWorkspaceStillBeingArrangedIsCalledOffWhenTheRoutineEnds)
{
    SavedWorkspace saved;
    saved.name = "Chat";
    saved.request = "Chat";
    saved.layout = LayoutKind::halves;
    saved.apps = {"Discord", "Slack"};
    saved.savedAt = env.clock.nowDate();
    SavedWorkspaceStore::save(saved);
    const Rect general = frame("general");

    FocusRoutine::Actions opening;
    opening.workspace = "Chat";
    runWith(opening);
    EXPECT_TRUE(focus().actions().arrangingWorkspace()); // waiting for Discord to open
    env.clock.advance(0.3);
    focus().stop();
    EXPECT_FALSE(focus().actions().arrangingWorkspace());
    EXPECT_EQ(frame("general"), general);
    // Whatever the arrangement would have done later leaves the frames be.
    env.clock.advance(10);
    EXPECT_EQ(frame("general"), general);

    // A workspace that no longer exists is skipped.
    opening.workspace = "Gone";
    runWith(opening);
    EXPECT_FALSE(focus().actions().arrangingWorkspace());
}

TEST_F(RoutineActionsTest, ShortcutsRunByHowTheRoutineStarted)
{
    FocusRoutine r = routine("Switching");
    r.actions.focusOnShortcut = "Focus on";
    r.actions.focusOffShortcut = "Focus off";
    setRoutines({r});
    focus().start(r, 30);
    env.clock.runDue();
    EXPECT_EQ(shortcutRuns(), QStringList{"Focus on"});
    focus().stop();
    env.clock.runDue();
    EXPECT_EQ(shortcutRuns(), (QStringList{"Focus on", "Focus off"}));

    // Started by the desktop's Focus, which is on already: only the end runs.
    focus().setEnabled(true);
    focus().setMacFocus(r.id);
    env.clock.runDue();
    EXPECT_EQ(shortcutRuns().size(), 2);
    focus().setMacFocus(std::nullopt);
    env.clock.runDue();
    EXPECT_EQ(shortcutRuns(), (QStringList{"Focus on", "Focus off", "Focus off"}));

    // An empty name runs nothing.
    Focus::runShortcutInBackground(Platform::current(), QString());
    env.clock.runDue();
    EXPECT_EQ(shortcutRuns().size(), 3);
}

TEST_F(RoutineActionsTest, TheShortcutsListIsOneNameALineSorted)
{
    EXPECT_EQ(Focus::shortcutList("A\n\nB\r\n C\n"), (QStringList{" C", "A", "B\r"}));
    EXPECT_EQ(Focus::shortcutList("caf\xc3\xa9\n\xff\n"), (QStringList{"caf\u00e9", "\ufffd"}));
    EXPECT_EQ(Focus::shortcutNames(Platform::current().processes), (QStringList{"Focus off", "Focus on"}));
    env.desktop.setShortcuts({"A", "", "B\r", " C"});
    EXPECT_EQ(Focus::shortcutNames(Platform::current().processes), (QStringList{" C", "A", "B\r"}));
}

TEST_F(RoutineActionsTest, CoveringTurnedOnByTheRoutineGoesOffUnlessSharingHasTakenItOver)
{
    FocusRoutine::Actions covering;
    covering.shareSafe = true;
    runWith(covering);
    EXPECT_TRUE(shareSafe.active());
    EXPECT_TRUE(focus().actions().turnedOnShareSafe());
    focus().stop();
    EXPECT_FALSE(shareSafe.active());

    // On already by the user's hand: left on.
    shareSafe.setManual(true);
    runWith(covering);
    EXPECT_FALSE(focus().actions().turnedOnShareSafe());
    focus().stop();
    EXPECT_TRUE(shareSafe.active());
    shareSafe.setManual(false);

    // Turned on by the routine, then the screen is shared: the detection
    // owns the covering now, and the routine's end leaves it on.
    runWith(covering);
    shareSafe.applyCheck(
        {ShareSafe::TitleRead{RunningApp{4242, "Google Chrome", {}, {}, ActivationPolicy::regular, false, false},
                              QStringList{"meet.google.com is sharing your screen"}}});
    ASSERT_TRUE(shareSafe.sharingDetected());
    ASSERT_FALSE(shareSafe.manual());
    focus().stop();
    EXPECT_TRUE(shareSafe.active());
}

} // namespace
} // namespace tavrin
