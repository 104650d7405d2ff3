#include "snapping/learning/habits.h"
#include "support/simfixture.h"
#include "windows/printers.h"
#include "windows/windowmanager.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tavrin {

inline void PrintTo(const Habits::Habit& h, std::ostream* os)
{
    *os << h.app.toStdString() << " at " << h.minute << " (" << h.days << " days)";
}

namespace {

// A local time on a day of December 2026 (0 and below: the days before it).
QDateTime local(int day, int hour, int minute)
{
    return QDateTime(QDate(2026, 12, 1).addDays(day - 1), QTime(hour, minute));
}

// The default desktop, its clock on 7 December 2026 (local time).
class HabitsTest : public SimTest {
protected:
    HabitsTest() { setTime(local(7, 9, 0)); }

    void setTime(const QDateTime& when) { env.clock.setNow(Clock::referenceSeconds(when)); }
    void setTime(int hour, int minute) { setTime(local(7, hour, minute)); }
    // Stores first openings of `app`: one (day of December, hour, minute) each.
    using Days = std::vector<std::tuple<int, int, int>>;
    void opened(const QString& app, const Days& days)
    {
        QVariantMap all = env.defaults.value(Habits::kOpensKey).value_or(QVariant()).toMap();
        QVariantMap inner = all.value(app).toMap();
        for (const auto& [day, hour, minute] : days)
            inner.insert(Habits::dayKey(local(day, hour, minute)), qint64(hour * 60 + minute));
        all.insert(app, inner);
        env.defaults.setValue(Habits::kOpensKey, all);
    }
    QVariantMap daysOf(const QString& app) const
    {
        return env.defaults.value(Habits::kOpensKey).value_or(QVariant()).toMap().value(app).toMap();
    }
    // Brings a running application to the front, as the user would.
    void activate(const QString& app)
    {
        env.desktop.activate(env.pid(app));
        env.clock.runDue();
    }

    WindowManager windows;
    Habits habits{windows, Platform::current()};
};

// ---- Recording ----

TEST_F(HabitsTest, OnlyTheFirstActivationOfTheDayIsStored)
{
    habits.start();
    QSignalSpy ticks(&habits, &Habits::tickChanged);
    activate("Mail");
    setTime(11, 30);
    activate("Safari");
    activate("Mail");
    EXPECT_EQ(daysOf("Mail"), (QVariantMap{{"2026-12-07", qint64(9 * 60)}}));
    EXPECT_EQ(daysOf("Safari"), (QVariantMap{{"2026-12-07", qint64(11 * 60 + 30)}}));
    EXPECT_EQ(ticks.count(), 2);
}

TEST_F(HabitsTest, ExcludedNamesThisProcessAndApplicationsThatAreNotRegularAreNotStored)
{
    SimApp helper;
    helper.name = "Helper";
    helper.policy = ActivationPolicy::accessory;
    env.desktop.addApp(helper);
    SimApp archive;
    archive.name = "Archive Utility";
    env.desktop.addApp(archive);
    habits.start(); // records the editor in front
    for (const char* app : {"Finder", "Tavrin", "Helper", "Archive Utility"})
        activate(app);
    EXPECT_EQ(env.defaults.value(Habits::kOpensKey)->toMap().keys(), QStringList{"Visual Studio Code"});
}

TEST_F(HabitsTest, StartingRecordsTheApplicationInFrontAndRaisesTheTickEvery180Seconds)
{
    habits.start();
    habits.start();
    EXPECT_EQ(daysOf("Visual Studio Code").size(), 1);
    const int before = habits.tick();
    env.clock.advance(Habits::kTickInterval * 2);
    EXPECT_EQ(habits.tick(), before + 2);
}

TEST_F(HabitsTest, DaysOlderThan28DaysGoWhenTheApplicationIsNextOpened)
{
    // 9 November is 28 days before 7 December; 8 November 29.
    opened("Mail", {{-22, 9, 0}, {-21, 9, 0}});
    opened("Notes", {{1, 9, 0}});
    habits.start();
    activate("Mail");
    EXPECT_EQ(daysOf("Mail").keys(), (QStringList{"2026-11-09", "2026-12-07"}));
    EXPECT_EQ(daysOf("Notes").keys(), QStringList{"2026-12-01"}); // not opened: kept
}

// ---- The habit ----

TEST_F(HabitsTest, AHabitIsTheRoundedMeanOfMostDaysNearTheMiddleOne)
{
    const struct {
        const char* what;
        Days days;
        std::optional<Habits::Habit> habit;
    } cases[] = {
        {"three days", {{1, 9, 0}, {2, 9, 0}, {3, 9, 0}}, std::nullopt},
        {"09:00, 09:10, 09:20, 10:30", {{1, 9, 0}, {2, 9, 10}, {3, 9, 20}, {4, 10, 30}}, std::nullopt},
        {"09:00, 09:10, 09:20, 09:30, 11:40",
         {{1, 9, 0}, {2, 9, 10}, {3, 9, 20}, {4, 9, 30}, {5, 11, 40}},
         Habits::Habit{"Mail", 9 * 60 + 15, 4}},
        {"a mean of 557", {{1, 9, 15}, {2, 9, 17}, {3, 9, 17}, {4, 9, 19}}, Habits::Habit{"Mail", 555, 4}},
        {"a mean of 558", {{1, 9, 16}, {2, 9, 18}, {3, 9, 18}, {4, 9, 20}}, Habits::Habit{"Mail", 560, 4}},
        {"four of seven near",
         {{1, 9, 0}, {2, 9, 0}, {3, 9, 0}, {4, 9, 0}, {5, 14, 0}, {6, 15, 0}, {7, 16, 0}},
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        env.defaults.clear();
        opened("Mail", c.days);
        const QList<Habits::Habit> found = habits.habits();
        if (c.habit)
            EXPECT_EQ(found, QList<Habits::Habit>{*c.habit});
        else
            EXPECT_TRUE(found.isEmpty());
    }
}

TEST_F(HabitsTest, IllShapedStoredValuesReadAsEmpty)
{
    env.defaults.setValue(Habits::kOpensKey, QVariantMap{{"Mail", QVariantMap{{"2026-12-01", "09:00"}}}});
    EXPECT_TRUE(habits.habits().isEmpty());
    env.defaults.setValue(Habits::kOpensKey, QStringLiteral("Mail"));
    habits.start();
    activate("Mail");
    EXPECT_EQ(daysOf("Mail"), (QVariantMap{{"2026-12-07", qint64(540)}}));
}

TEST_F(HabitsTest, UnreadableOpeningsAreSetAsideBeforeTheFirstWrite)
{
    const QVariantMap damaged{{"Mail", QVariantMap{{"2026-12-01", qint64(540)}}}, {"Notes", "09:00"}};
    env.defaults.setValue(Habits::kOpensKey, damaged);
    habits.start();
    activate("Mail");
    EXPECT_EQ(env.defaults.value(Habits::kOpensKey + ".unreadable"), QVariant(damaged));
    EXPECT_EQ(daysOf("Mail"), (QVariantMap{{"2026-12-07", qint64(540)}}));
}

// ---- The suggestion ----

TEST_F(HabitsTest, AHabitIsOfferedFromAQuarterHourBeforeToThreeQuartersAfterWithinTheDay)
{
    // Calendar is installed, not running, and shows no window.
    opened("Calendar", {{1, 9, 0}, {2, 9, 0}, {3, 9, 0}, {4, 9, 0}});
    const std::pair<QTime, bool> times[] = {
        {{8, 44}, false},
        {{8, 45}, true},
        {{9, 45}, true},
        {{9, 46}, false},
    };
    for (const auto& [time, offered] : times) {
        setTime(QDateTime(QDate(2026, 12, 7), time));
        EXPECT_EQ(habits.suggestion().has_value(), offered) << time.toString().toStdString();
    }
    env.defaults.clear();
    opened("Calendar", {{1, 23, 50}, {2, 23, 50}, {3, 23, 50}, {4, 23, 50}});
    setTime(QDateTime(QDate(2026, 12, 8), QTime(0, 10)));
    EXPECT_FALSE(habits.suggestion());
}

TEST_F(HabitsTest, TheFirstHabitThatIsNotOpenDismissedOrMissingIsOffered)
{
    setTime(9, 20);
    opened("Slack", {{1, 9, 0}, {2, 9, 0}, {3, 9, 0}, {4, 9, 0}});           // a window on screen
    opened("Mail", {{1, 9, 5}, {2, 9, 5}, {3, 9, 5}, {4, 9, 5}, {7, 8, 0}}); // opened today
    opened("Obsidian", {{1, 9, 10}, {2, 9, 10}, {3, 9, 10}, {4, 9, 10}});    // dismissed today
    opened("Nowhere", {{1, 9, 15}, {2, 9, 15}, {3, 9, 15}, {4, 9, 15}});     // not installed
    opened("Calendar", {{1, 9, 20}, {2, 9, 20}, {3, 9, 20}, {4, 9, 20}});
    opened("Google Chrome", {{1, 9, 25}, {2, 9, 25}, {3, 9, 25}, {4, 9, 25}});
    habits.dismiss({"Obsidian", 9 * 60 + 10, 4});
    EXPECT_EQ(habits.suggestion(), (Habits::Habit{"Calendar", 9 * 60 + 20, 4}));

    QSignalSpy ticks(&habits, &Habits::tickChanged);
    habits.dismiss(*habits.suggestion());
    EXPECT_EQ(ticks.count(), 1);
    EXPECT_EQ(habits.suggestion()->app, "Google Chrome");
    // Dismissals last for the day.
    setTime(QDateTime(QDate(2026, 12, 8), QTime(9, 12)));
    EXPECT_EQ(habits.suggestion()->app, "Obsidian");
}

// ---- Opening ----

TEST_F(HabitsTest, OpeningLaunchesTheApplicationAndLaysOutTheDisplayThatWasFocused)
{
    const Display wide = Display::all().at(0);
    const Habits::Habit calendar{"Calendar", 9 * 60, 4};
    habits.open(calendar);
    env.clock.advance(0.9);
    EXPECT_FALSE(env.desktop.appNamed("Calendar"));
    env.clock.advance(0.5); // launched after 1 s, its window seen at the next look
    ASSERT_TRUE(env.desktop.appNamed("Calendar"));
    // The display the editor was on when asked is laid out in its usual
    // layout, the new window (now focused) in the main slot.
    ASSERT_EQ(windows.usualLayout(wide), LayoutKind::focusCentre);
    EXPECT_EQ(UnitRect::fromFrame(env.window("Calendar")->frame, wide.area).zoneName(true), "Focus, centre");
    EXPECT_NE(env.window("main.cpp — tavrin")->frame, Rect(1100, 60, 1500, 1200));
}

TEST_F(HabitsTest, AnApplicationThatNeverShowsAWindowIsArrangedForAfterFiveSeconds)
{
    SimInstalledApp silent;
    silent.name = "Silent";
    silent.location = "/Applications/Silent.app";
    env.desktop.addInstalledApp(silent);
    const Rect before = env.window("main.cpp — tavrin")->frame;
    habits.open({"Silent", 9 * 60, 4});
    env.clock.advance(4.9);
    EXPECT_EQ(env.window("main.cpp — tavrin")->frame, before);
    env.clock.advance(0.2);
    EXPECT_NE(env.window("main.cpp — tavrin")->frame, before);

    // One that cannot be found is not opened at all.
    const int ticks = habits.tick();
    habits.open({"Nowhere", 9 * 60, 4});
    EXPECT_EQ(habits.tick(), ticks);
}

TEST_F(HabitsTest, ASecondOpeningSoonAfterKeepsTheFirstOnesLayout)
{
    SimInstalledApp silent;
    silent.name = "Silent";
    silent.location = "/Applications/Silent.app";
    env.desktop.addInstalledApp(silent);
    const Rect editor = env.window("main.cpp — tavrin")->frame;
    habits.open({"Silent", 9 * 60, 4}); // the wide display, laid out after 5 s
    env.clock.advance(1);
    activate("Slack");
    const Rect slack = env.window("general (Channel) - Acme - Slack")->frame;
    habits.open({"Calendar", 9 * 60, 4}); // the built-in display
    env.clock.advance(5);
    EXPECT_NE(env.window("main.cpp — tavrin")->frame, editor);
    EXPECT_NE(env.window("general (Channel) - Acme - Slack")->frame, slack);
}

TEST_F(HabitsTest, ResetForgetsEveryHabitAndDismissal)
{
    opened("Calendar", {{1, 9, 0}, {2, 9, 0}, {3, 9, 0}, {4, 9, 0}});
    habits.dismiss(habits.habits().front());
    habits.reset();
    EXPECT_FALSE(env.defaults.contains(Habits::kOpensKey));
    EXPECT_FALSE(env.defaults.contains(Habits::kDismissedKey));
    EXPECT_TRUE(habits.habits().isEmpty());
}

} // namespace
} // namespace tavrin
