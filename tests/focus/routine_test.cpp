#include "focus/calendar/wallclock.h"
#include "focus/focusroutine.h"
#include "focus/routinestore.h"

#include "focus/calendar/icstesting.h"
#include "support/simfixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

QJsonObject object(const char* json) { return QJsonDocument::fromJson(json).object(); }

std::optional<FocusRoutine> decode(const char* json) { return FocusRoutine::fromJson(object(json)); }

const char* const kId = "0C6B6F4E-2E2B-4C4B-9B5B-7E1A3F7D9A10";

// Sets the locale for one test.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : previous_(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

} // namespace

TEST(FocusRoutineJson, AnEmptyObjectIsAFreshRoutine)
{
    const auto r = decode("{}");
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->id.isNull());
    EXPECT_EQ(r->name, "Focus");
    EXPECT_TRUE(r->enabled);
    EXPECT_TRUE(r->eventWords.isEmpty());
    EXPECT_FALSE(r->macFocus);
    EXPECT_TRUE(r->schedules.isEmpty());
    EXPECT_TRUE(r->whileApps.isEmpty());
    EXPECT_EQ(r->actions, FocusRoutine::Actions{});
    // Nulls count as missing.
    EXPECT_EQ(decode(R"({"name": null, "enabled": null, "actions": null})")->name, "Focus");
    // Each empty object is a routine of its own.
    EXPECT_NE(decode("{}")->id, r->id);
}

TEST(FocusRoutineJson, TheOlderEventWordIsReadAndNeverWritten)
{
    const auto older = decode(R"({"eventWord": "standup"})");
    ASSERT_TRUE(older);
    EXPECT_EQ(older->eventWords, QStringList{"standup"});
    const QJsonObject written = older->toJson();
    EXPECT_EQ(written.value("eventWords").toArray(), QJsonArray{"standup"});
    EXPECT_FALSE(written.contains("eventWord"));

    EXPECT_EQ(decode(R"({"eventWord": ""})")->eventWords, QStringList{""});
    EXPECT_EQ(decode(R"({"eventWords": ["a", "b"], "eventWord": "c"})")->eventWords, (QStringList{"a", "b"}));
    EXPECT_EQ(decode(R"({"eventWords": null, "eventWord": "c"})")->eventWords, QStringList{"c"});
}

TEST(FocusRoutineJson, AValueOfTheWrongTypeMakesTheRoutineUnreadable)
{
    EXPECT_FALSE(FocusRoutine::fromJson(QJsonArray()));
    EXPECT_FALSE(FocusRoutine::fromJson(QJsonValue("Deep work")));
    const char* const unreadable[] = {
        R"({"name": 3})",
        R"({"enabled": "true"})",
        R"({"enabled": 1})",
        R"({"id": "not-a-uuid"})",
        R"({"id": "{0C6B6F4E-2E2B-4C4B-9B5B-7E1A3F7D9A10}"})",
        R"({"eventWords": "Focus"})",
        R"({"eventWords": ["Focus", 2]})",
        R"({"eventWord": 7})",
        R"({"macFocus": "yes"})",
        R"({"schedules": {}})",
        R"({"schedules": [{"id": "0C6B6F4E-2E2B-4C4B-9B5B-7E1A3F7D9A10", "days": [2], "start": 540}]})",
        R"({"schedules": [{"id": "0C6B6F4E-2E2B-4C4B-9B5B-7E1A3F7D9A10", "days": [2], "start": 540, "end": null}]})",
        R"({"schedules": [{"id": "0C6B6F4E-2E2B-4C4B-9B5B-7E1A3F7D9A10", "days": [2.5], "start": 540, "end": 600}]})",
        R"({"schedules": [{"id": "0C6B6F4E-2E2B-4C4B-9B5B-7E1A3F7D9A10", "days": [2], "start": "9", "end": 600}]})",
        R"({"schedules": [{"id": "0C6B6F4E-2E2B-4C4B-9B5B-7E1A3F7D9A10", "days": [2], "start": 540.5, "end": 600}]})",
        R"({"whileApps": [null]})",
        R"({"actions": {"hideApps": [], "quitApps": []}})",
        R"({"actions": {"hideApps": [], "shareSafe": false}})",
        R"({"actions": {"hideApps": [], "quitApps": [], "shareSafe": 0}})",
        R"({"actions": {"hideApps": [], "quitApps": [], "shareSafe": false, "layout": "grid"}})",
        R"({"actions": {"hideApps": [], "quitApps": [], "shareSafe": false, "workspace": 5}})",
        R"({"actions": "none"})",
    };
    for (const char* json : unreadable)
        EXPECT_FALSE(decode(json)) << json;
}

TEST(FocusRoutineJson, WritesEveryKeyButTheEmptyOptionalActionsAndReadsItBack)
{
    FocusRoutine r;
    r.id = QUuid::fromString(QString::fromLatin1(kId).toLower());
    r.name = "Writing";
    r.enabled = false;
    r.eventWords = {"Write"};
    r.macFocus = true;
    FocusRoutine::Schedule s;
    s.days = {1, 7};
    s.start = 1320;
    s.end = 120;
    r.schedules = {s};
    r.whileApps = {"Pages"};
    r.actions.hideApps = {"Slack"};
    r.actions.layout = LayoutKind::studio;
    r.actions.focusOffShortcut = "Focus off";

    const QJsonObject o = r.toJson();
    EXPECT_EQ(o.value("id").toString(), kId); // upper case
    EXPECT_EQ(o.keys(),
              (QStringList{"actions", "enabled", "eventWords", "id", "macFocus", "name", "schedules", "whileApps"}));
    const QJsonObject actions = o.value("actions").toObject();
    EXPECT_EQ(actions.keys(), (QStringList{"focusOffShortcut", "hideApps", "layout", "quitApps", "shareSafe"}));
    EXPECT_EQ(actions.value("layout").toString(), "studio");
    const QJsonObject schedule = o.value("schedules").toArray().at(0).toObject();
    EXPECT_EQ(schedule.keys(), (QStringList{"days", "end", "id", "start"}));
    EXPECT_EQ(FocusRoutine::fromJson(o), r);

    // No layout: no "layout" key, and none read back.
    r.actions.layout.reset();
    EXPECT_FALSE(r.toJson().value("actions").toObject().contains("layout"));
    EXPECT_EQ(FocusRoutine::fromJson(r.toJson())->actions.layout, std::nullopt);
    // Unknown keys are ignored; repeated days count once.
    const auto read = decode(R"({"colour": "red", "schedules": [{"id": "0C6B6F4E-2E2B-4C4B-9B5B-7E1A3F7D9A10",
        "days": [6, 2, 6], "start": 0, "end": 0, "extra": 1}]})");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->schedules.at(0).days, (QSet<int>{2, 6}));
}

TEST(FocusRoutineJson, EqualityIsFieldByFieldWithDaysAsASet)
{
    FocusRoutine a;
    FocusRoutine b = a;
    EXPECT_EQ(a, b);
    FocusRoutine::Schedule s;
    s.days = {2, 4, 6};
    a.schedules = {s};
    s.days = {6, 4, 2};
    b.schedules = {s};
    EXPECT_EQ(a, b);
    b.actions.shareSafe = true;
    EXPECT_NE(a, b);
    b = a;
    b.whileApps = {"Xcode"};
    EXPECT_NE(a, b);
}

TEST(FocusRoutineSchedule, Summaries)
{
    const LocaleScope british(QLocale(QLocale::English, QLocale::UnitedKingdom));
    struct Row {
        QSet<int> days;
        int start, end;
        const char* text;
    };
    const Row rows[] = {
        {{2, 3, 4, 5, 6}, 540, 660, "weekdays 09:00–11:00"},
        {{1, 2, 3, 4, 5, 6, 7}, 540, 660, "every day 09:00–11:00"},
        {{1, 7}, 1320, 120, "weekends 22:00–02:00"},
        {{6, 2, 4}, 0, 1439, "Mon, Wed, Fri 00:00–23:59"},
        {{}, 540, 660, " 09:00–11:00"},
    };
    for (const Row& row : rows) {
        FocusRoutine::Schedule s;
        s.days = row.days;
        s.start = row.start;
        s.end = row.end;
        EXPECT_EQ(s.summary(), QString::fromUtf8(row.text));
    }
    EXPECT_EQ(timeText(540), "09:00");
    EXPECT_EQ(timeText(1440), "");
    EXPECT_EQ(timeText(-1), "");
    const LocaleScope american(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(timeText(540).startsWith("9:00")) << timeText(540).toStdString();
}

TEST(FocusRoutineSchedule, ActiveEndAcrossMidnightAndOverAWholeDay)
{
    const WallClock utc(QTimeZone::utc());
    FocusRoutine::Schedule night;
    night.days = {6}; // Friday
    night.start = 1320;
    night.end = 120;
    // 2024-03-15 is a Friday.
    EXPECT_EQ(night.activeEnd(at("2024-03-15T23:00:00Z"), utc), at("2024-03-16T02:00:00Z"));
    EXPECT_EQ(night.activeEnd(at("2024-03-16T01:30:00Z"), utc), at("2024-03-16T02:00:00Z"));
    EXPECT_EQ(night.activeEnd(at("2024-03-16T02:00:00Z"), utc), std::nullopt);
    EXPECT_EQ(night.activeEnd(at("2024-03-14T23:00:00Z"), utc), std::nullopt);

    FocusRoutine::Schedule day;
    day.days = {2}; // Monday
    day.start = day.end = 540;
    EXPECT_EQ(day.activeEnd(at("2024-03-11T09:00:00Z"), utc), at("2024-03-12T09:00:00Z"));
    EXPECT_EQ(day.activeEnd(at("2024-03-12T08:59:00Z"), utc), at("2024-03-12T09:00:00Z"));
    EXPECT_EQ(day.activeEnd(at("2024-03-11T08:59:00Z"), utc), std::nullopt);

    FocusRoutine::Schedule morning;
    EXPECT_EQ(morning.activeEnd(at("2024-03-11T10:59:00Z"), utc), at("2024-03-11T11:00:00Z"));
    EXPECT_EQ(morning.activeEnd(at("2024-03-11T11:00:00Z"), utc), std::nullopt);
    EXPECT_EQ(morning.activeEnd(at("2024-03-16T10:00:00Z"), utc), std::nullopt); // a Saturday
}

TEST(FocusRoutineSchedule, EndsAreWallClockTimesOnDaysTheClocksChange)
{
    const WallClock berlin(QTimeZone("Europe/Berlin"));
    FocusRoutine::Schedule everyDay;
    for (int day = 1; day <= 7; ++day)
        everyDay.days.insert(day);
    everyDay.start = 60; // 01:00
    everyDay.end = 660;  // 11:00
    // 31 March 2024: 02:00 became 03:00. 11:00 local is 09:00 UTC.
    EXPECT_EQ(everyDay.activeEnd(at("2024-03-31T00:30:00Z"), berlin), at("2024-03-31T09:00:00Z"));
    // 27 October 2024: 03:00 went back to 02:00. 11:00 local is 10:00 UTC.
    EXPECT_EQ(everyDay.activeEnd(at("2024-10-27T00:30:00Z"), berlin), at("2024-10-27T10:00:00Z"));
    // Across midnight into a change: Saturday 22:00 to Sunday 09:00.
    FocusRoutine::Schedule overnight;
    overnight.days = {7};
    overnight.start = 1320;
    overnight.end = 540;
    EXPECT_EQ(overnight.activeEnd(at("2024-03-30T22:00:00Z"), berlin), at("2024-03-31T07:00:00Z"));
}

TEST(FocusRoutineDefaults, DeepWorkHidesTheInstalledChatAndMailApplicationsInOrder)
{
    SimEnvironment none(R"({"displays": [{"name": "D", "frame": [0, 0, 1920, 1080]}]})");
    const FocusRoutine bare = FocusRoutine::deepWork();
    EXPECT_EQ(bare.name, "Deep work");
    EXPECT_TRUE(bare.enabled);
    EXPECT_TRUE(bare.macFocus);
    EXPECT_EQ(bare.eventWords, QStringList{"Focus"});
    EXPECT_TRUE(bare.actions.hideApps.isEmpty());

    SimEnvironment some(R"({"displays": [{"name": "D", "frame": [0, 0, 1920, 1080]}],
        "apps": [{"name": "Mail"}], "installed": [{"name": "Telegram"}, {"name": "slack"}],
        "applicationFiles": ["/Applications/Chat/Discord.app", "/Applications/A/B/WhatsApp.app"]})");
    EXPECT_EQ(FocusRoutine::deepWork().actions.hideApps, (QStringList{"Mail", "Discord", "Telegram"}));
}

// ---- The stored list ----

namespace {
class RoutineStoreTest : public ::testing::Test {
protected:
    void store(const QByteArray& json) { env.defaults.setValue(RoutineStore::kKey, json); }

    SimEnvironment env;
};
} // namespace

TEST_F(RoutineStoreTest, AMissingOrUnreadableListIsTheDefaultRoutine)
{
    EXPECT_EQ(RoutineStore::load(&env.defaults).routines.value(0).name, "Deep work");
    EXPECT_FALSE(RoutineStore::load(&env.defaults).raw);

    for (const QVariant& value : {QVariant(QByteArray("{")), QVariant(QByteArray("{}")), QVariant(42),
                                  QVariant(QByteArray(R"([{"name": 1}])"))}) {
        env.defaults.setValue(RoutineStore::kKey, value);
        const auto stored = RoutineStore::load(&env.defaults);
        ASSERT_EQ(stored.routines.size(), 1);
        EXPECT_EQ(stored.routines[0].name, "Deep work");
        EXPECT_TRUE(stored.raw);
    }
    store("[]");
    EXPECT_TRUE(RoutineStore::load(&env.defaults).routines.isEmpty());
    EXPECT_FALSE(RoutineStore::load(&env.defaults).raw);
}

TEST_F(RoutineStoreTest, OneBadRoutineDropsOnlyItselfAndIsSetAsideBeforeTheFirstWrite)
{
    const QByteArray stored = R"([{"name": "Reading"}, {"name": "Broken", "actions": {"hideApps": []}},
                                  {"name": "Writing"}])";
    store(stored);
    auto loaded = RoutineStore::load(&env.defaults);
    ASSERT_EQ(loaded.routines.size(), 2);
    EXPECT_EQ(loaded.routines[0].name, "Reading");
    EXPECT_EQ(loaded.routines[1].name, "Writing");
    ASSERT_TRUE(loaded.raw);

    // An earlier copy is never written over.
    env.defaults.setValue(RoutineStore::kUnreadableKey, QByteArray("earlier"));
    RoutineStore::write(&env.defaults, loaded.routines, loaded.raw);
    EXPECT_FALSE(loaded.raw);
    EXPECT_EQ(env.defaults.data(RoutineStore::kUnreadableKey), QByteArray("earlier"));
    EXPECT_EQ(env.defaults.data(RoutineStore::kUnreadableKey + ".2"), stored);
    const QJsonArray written = QJsonDocument::fromJson(*env.defaults.data(RoutineStore::kKey)).array();
    EXPECT_EQ(written.size(), 2);

    // Later writes set nothing more aside.
    RoutineStore::write(&env.defaults, loaded.routines, loaded.raw);
    EXPECT_FALSE(env.defaults.contains(RoutineStore::kUnreadableKey + ".3"));
    EXPECT_EQ(RoutineStore::load(&env.defaults).routines.size(), 2);
}
