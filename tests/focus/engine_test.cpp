#include "focus/calendar/icstesting.h"
#include "focusfixture.h"

#include "focus/routinestore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

namespace tavrin {
namespace {

using Kind = Focus::Source::Kind;

class FocusEngineTest : public FocusTest {
protected:
    // A routine started by a word of an event's title.
    static FocusRoutine onWord(const QString& name, const QString& word)
    {
        FocusRoutine r = routine(name);
        r.eventWords = {word};
        return r;
    }
    // A routine open every day between two minutes of the day.
    static FocusRoutine onSchedule(const QString& name, int start, int end)
    {
        FocusRoutine r = routine(name);
        FocusRoutine::Schedule s;
        for (int day = 1; day <= 7; ++day)
            s.days.insert(day);
        s.start = start;
        s.end = end;
        r.schedules = {s};
        return r;
    }
    static FocusRoutine whileOpen(const QString& name, const QString& app)
    {
        FocusRoutine r = routine(name);
        r.whileApps = {app};
        return r;
    }
    void switchOn() { env.defaults.setValue(Focus::kSwitchKey, true); }
    QString runningName() { return focus().running() ? focus().running()->name : QString(); }
    // Today (the clock's day, UTC) at this minute.
    double today(int minute) const { return std::floor(env.clock.now() / 86400) * 86400 + minute * 60.0; }
};

TEST_F(FocusEngineTest, AStartByHandIgnoresBothSwitchesAndLastsAtLeastFiveMinutes)
{
    FocusRoutine off = routine("Off");
    off.enabled = false;
    setRoutines({off, routine("On")});
    ASSERT_FALSE(focus().enabled());

    const double t = env.clock.now();
    focus().start(off, 10);
    EXPECT_EQ(runningName(), "Off");
    EXPECT_EQ(focus().source(), Focus::Source::manual(t + 600));
    EXPECT_EQ(focus().until(), t + 600);

    // None given: the first switched-on routine; fewer than five minutes: five.
    focus().start(std::nullopt, 2);
    EXPECT_EQ(runningName(), "On");
    EXPECT_EQ(focus().until(), t + 300);

    // Expired at the first evaluation at or after its end.
    focus().start();
    env.clock.advance(299);
    EXPECT_EQ(runningName(), "On");
    env.clock.advance(31);
    EXPECT_FALSE(focus().running());
    EXPECT_FALSE(focus().manual());
}

TEST_F(FocusEngineTest, WithNoRoutinesAStartDoesNothingAndWithOnlySwitchedOffOnesTheFirstRuns)
{
    setRoutines({});
    focus().start(std::nullopt, 30);
    EXPECT_FALSE(focus().running());
    FocusRoutine a = routine("A"), b = routine("B");
    a.enabled = b.enabled = false;
    focus().setRoutines({a, b});
    focus().start(std::nullopt, 30);
    EXPECT_EQ(runningName(), "A");
}

TEST_F(FocusEngineTest, ThePickOrderOfTheAutomaticTriggers)
{
    switchOn();
    const double t = env.clock.now();
    addEvent("Team FOCUS block", -60, 1800);
    addEvent("Planning", -60, 900);
    // Words are lower-cased and trimmed of spaces and tabs; empty ones match nothing.
    FocusRoutine blank = onWord("Blank", " \t ");
    FocusRoutine first = onWord("First", "  Focus\t");
    FocusRoutine second = onWord("Second", "block");
    FocusRoutine both = onSchedule("Scheduled", 0, 1439);
    both.eventWords = {"planning"};
    setRoutines({blank, first, second, both});
    focus().evaluate();
    EXPECT_EQ(runningName(), "First");
    EXPECT_EQ(focus().source(), Focus::Source::calendar(t + 1800));

    // A matching event wins over an active schedule of the same routine.
    focus().setRoutines({both});
    focus().evaluate();
    EXPECT_EQ(runningName(), "Scheduled");
    EXPECT_EQ(focus().until(), t + 900);

    // Two active schedules: the later end.
    FocusRoutine two = onSchedule("Two", 0, 600);
    FocusRoutine::Schedule later = two.schedules.front();
    later.id = QUuid::createUuid();
    later.end = 720;
    two.schedules.append(later);
    focus().setRoutines({two});
    focus().evaluate();
    EXPECT_EQ(focus().until(), today(720));

    // Routines switched off are passed over; so is everything with the switch off.
    two.enabled = false;
    focus().setRoutines({two, whileOpen("Xcode open", "Xcode")});
    focus().evaluate();
    EXPECT_EQ(runningName(), "Xcode open");
    EXPECT_EQ(focus().source(), Focus::Source::app());
    EXPECT_EQ(focus().until(), std::nullopt);
    focus().setEnabled(false);
    EXPECT_FALSE(focus().running());
    focus().evaluate();
    EXPECT_FALSE(focus().running());
}

TEST_F(FocusEngineTest, AnotherRoutinesTriggerEndsTheOneRunningFirst)
{
    switchOn();
    FocusRoutine a = whileOpen("A", "Xcode");
    a.actions.hideApps = {"Slack"};
    FocusRoutine b = onWord("B", "review");
    b.actions.hideApps = {"Mail"};
    setRoutines({b, a});
    focus().evaluate();
    EXPECT_EQ(runningName(), "A");
    EXPECT_TRUE(isHidden("Slack"));

    addEvent("Code review", -10, 600);
    focus().evaluate();
    EXPECT_EQ(runningName(), "B");
    EXPECT_FALSE(isHidden("Slack"));
    EXPECT_TRUE(isHidden("Mail"));
    EXPECT_EQ(focus().hiddenApps(), QStringList{"Mail"});
    EXPECT_EQ(focus().source()->kind, Kind::calendar);
}

TEST_F(FocusEngineTest, AStopRemembersTheTriggerItRanFrom)
{
    switchOn();
    const int now = int(std::fmod(env.clock.now(), 86400) / 60); // 540
    FocusRoutine scheduled = onSchedule("Scheduled", now - 10, now + 20);
    FocusRoutine other = whileOpen("Other", "Xcode");
    setRoutines({scheduled, other});
    focus().start();
    EXPECT_EQ(runningName(), "Scheduled");

    focus().stop();
    EXPECT_FALSE(focus().running());
    EXPECT_EQ(focus().skipUntil(), today(now + 20));
    // No automatic trigger of any routine until the window's end…
    env.clock.advance(60);
    EXPECT_FALSE(focus().running());
    // …but a start by hand still works.
    focus().start(other, 5);
    EXPECT_EQ(runningName(), "Other");
    focus().stop();
    env.clock.advance(20 * 60);
    EXPECT_FALSE(focus().skipUntil());
    EXPECT_EQ(runningName(), "Other");
}

TEST_F(FocusEngineTest, ANightEndingInTheRepeatedHourEndsOnceAndItsStopLastsUntilThatEnd)
{
    // London, Saturday 24 October 2026 22:00 to 01:30; at 02:00 on Sunday
    // the clocks go back to 01:00, so 01:00–02:00 is read twice: first from
    // 00:00 to 01:00 UTC, then from 01:00 to 02:00 UTC.
    switchOn();
    FocusRoutine night = routine("Night");
    FocusRoutine::Schedule saturday;
    saturday.days = {7};
    saturday.start = 22 * 60;
    saturday.end = 90;
    night.schedules = {saturday};
    setRoutines({night});
    env.clock.setNow(testing::at("2026-10-24T21:00:00Z"));
    Focus london(meeting, shareSafe, windows, runner, Platform::current(), QTimeZone("Europe/London"));
    london.start();
    ASSERT_TRUE(london.running());
    const double end = testing::at("2026-10-25T00:30:00Z"); // the first 01:30
    EXPECT_EQ(london.until(), end);
    env.clock.setNow(testing::at("2026-10-25T00:29:00Z"));
    env.clock.advance(60);
    EXPECT_FALSE(london.running());
    env.clock.setNow(testing::at("2026-10-25T01:00:00Z")); // 01:00 again
    env.clock.advance(35 * 60);
    EXPECT_FALSE(london.running());

    // Stopped on that night, it stays off until that end and after it.
    env.clock.setNow(testing::at("2026-10-24T21:00:00Z"));
    env.clock.advance(30);
    ASSERT_TRUE(london.running());
    london.stop();
    EXPECT_EQ(london.skipUntil(), end);
    env.clock.setNow(testing::at("2026-10-25T01:00:00Z"));
    env.clock.advance(35 * 60);
    EXPECT_FALSE(london.running());
    EXPECT_FALSE(london.skipUntil());
}

TEST_F(FocusEngineTest, AStopOfAnApplicationsRoutineLastsUntilTheyAllClose)
{
    switchOn();
    FocusRoutine coding = whileOpen("Coding", "Xcode");
    coding.eventWords = {"sprint"};
    setRoutines({coding});
    focus().evaluate();
    ASSERT_EQ(runningName(), "Coding");
    focus().stop();
    EXPECT_EQ(focus().skipWhileApp(), coding.id);
    focus().evaluate();
    EXPECT_FALSE(focus().running());

    // Its other triggers still work.
    addEvent("Sprint planning", -5, 300);
    focus().evaluate();
    EXPECT_EQ(runningName(), "Coding");
    env.desktop.setCalendars({});
    focus().evaluate();
    EXPECT_FALSE(focus().running());

    // Xcode quits: the memory goes; opened again, the routine starts again.
    env.desktop.removeApp(env.pid("Xcode"));
    focus().evaluate();
    EXPECT_FALSE(focus().skipWhileApp());
    SimApp app;
    app.name = QStringLiteral("Xcode");
    env.desktop.addApp(app);
    focus().evaluate();
    EXPECT_EQ(runningName(), "Coding");
}

TEST_F(FocusEngineTest, AStoppedStartByHandComesBackFromTheEventItAlsoMatches)
{
    switchOn();
    setRoutines({onWord("Deep", "deep")});
    addEvent("Deep work", -60, 1200);
    const double t = env.clock.now();
    focus().start(focus().routines().front(), 30);
    EXPECT_EQ(focus().source()->kind, Kind::manual);
    focus().stop();
    EXPECT_FALSE(focus().skipUntil());
    focus().evaluate();
    EXPECT_EQ(focus().source(), Focus::Source::calendar(t + 1200));
}

TEST_F(FocusEngineTest, TheDesktopsFocusNamesARoutine)
{
    FocusRoutine named = routine("Named");
    ASSERT_FALSE(named.macFocus);
    setRoutines({named});
    focus().setMacFocus(named.id);
    // Named once: a routine the desktop's Focus starts, stored at once.
    EXPECT_TRUE(focus().routines().front().macFocus);
    EXPECT_EQ(parameters.updates, 1);
    EXPECT_TRUE(RoutineStore::load(&env.defaults).routines.front().macFocus);
    // The switch is off: nothing runs yet.
    EXPECT_FALSE(focus().running());
    focus().setEnabled(true);
    EXPECT_EQ(runningName(), "Named");
    EXPECT_EQ(focus().source(), Focus::Source::macFocus());
    EXPECT_EQ(parameters.updates, 1);

    // Switched off itself, it is not started by the Focus.
    focus().setMacFocus(std::nullopt);
    EXPECT_FALSE(focus().running());
    QList<FocusRoutine> list = focus().routines();
    list[0].enabled = false;
    focus().setRoutines(list);
    focus().setMacFocus(named.id);
    EXPECT_FALSE(focus().running());

    // An id of no routine: only an evaluation.
    focus().setMacFocus(QUuid::createUuid());
    EXPECT_FALSE(focus().running());
}

TEST_F(FocusEngineTest, ADeletedRunningRoutineEndsAtTheNextEvaluationAndIsUndone)
{
    switchOn();
    FocusRoutine hiding = whileOpen("Hiding", "Xcode");
    hiding.actions.hideApps = {"Slack"};
    hiding.actions.focusOffShortcut = "Focus off";
    setRoutines({hiding});
    focus().start();
    ASSERT_EQ(runningName(), "Hiding");
    ASSERT_TRUE(isHidden("Slack"));

    // An edit of the running routine takes effect the next time it starts.
    QList<FocusRoutine> edited = focus().routines();
    edited[0].actions.focusOffShortcut = "Something else";
    focus().setRoutines(edited);
    focus().evaluate();
    EXPECT_EQ(focus().running()->actions.focusOffShortcut, "Focus off");

    focus().setRoutines({});
    EXPECT_EQ(runningName(), "Hiding"); // not before the next evaluation
    env.clock.advance(Focus::kEvaluateInterval);
    EXPECT_FALSE(focus().running());
    EXPECT_FALSE(isHidden("Slack"));
    EXPECT_EQ(shortcutRuns(), QStringList{"Focus off"});
}

TEST_F(FocusEngineTest, StartingTwiceKeepsOneTimerAndTheCalendarsTriggerEvaluations)
{
    switchOn();
    setRoutines({onWord("Standup", "standup")});
    focus().start();
    const std::size_t timers = env.clock.pendingTimers();
    focus().start();
    EXPECT_EQ(env.clock.pendingTimers(), timers);

    addEvent("Standup", -1, 600);
    EXPECT_EQ(runningName(), "Standup"); // the store's change, not the timer
}

TEST_F(FocusEngineTest, TheSwitchIsStoredAsksForCalendarsAndStops)
{
    env.desktop.setCalendarAccess(CalendarAccess::notDetermined);
    env.defaults.setValue(Focus::kOlderSwitchKey, true);
    EXPECT_TRUE(focus().enabled());
    EXPECT_EQ(focus().calendarStatus(), CalendarAccess::notDetermined);

    setRoutines({whileOpen("Coding", "Xcode")});
    QSignalSpy statusChanged(&focus(), &Focus::calendarStatusChanged);
    focus().setEnabled(true);
    EXPECT_EQ(env.defaults.value(Focus::kSwitchKey), QVariant(true));
    env.clock.runDue();
    EXPECT_EQ(statusChanged.size(), 1);
    EXPECT_EQ(focus().calendarStatus(), CalendarAccess::fullAccess);
    EXPECT_EQ(runningName(), "Coding");

    // Off is a stop, with its memory.
    focus().setEnabled(false);
    EXPECT_FALSE(focus().running());
    EXPECT_EQ(focus().skipWhileApp(), focus().routines().front().id);
    EXPECT_EQ(env.defaults.value(Focus::kSwitchKey), QVariant(false));

    // "mode.focus" wins over the older key, but only when it holds a switch.
    env.defaults.setValue(Focus::kSwitchKey, QStringLiteral("yes"));
    EXPECT_TRUE(Focus::storedSwitch(&env.defaults));
    env.defaults.setValue(Focus::kOlderSwitchKey, false);
    EXPECT_FALSE(Focus::storedSwitch(&env.defaults));
}

TEST_F(FocusEngineTest, AnUnreadableListIsKeptUntilTheFirstWriteSetsItAside)
{
    const QByteArray stored = R"([{"name": "Broken", "enabled": "yes"}])";
    env.defaults.setValue(RoutineStore::kKey, stored);
    ASSERT_EQ(focus().routines().size(), 1);
    EXPECT_EQ(focus().routines().front().name, "Deep work");
    EXPECT_EQ(env.defaults.data(RoutineStore::kKey), stored); // nothing written at start

    focus().setRoutines({routine("New")});
    EXPECT_EQ(env.defaults.data(RoutineStore::kUnreadableKey), stored);
    EXPECT_EQ(QJsonDocument::fromJson(*env.defaults.data(RoutineStore::kKey)).array().size(), 1);
    EXPECT_EQ(parameters.updates, 1);
}

} // namespace
} // namespace tavrin
