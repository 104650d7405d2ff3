#include "snapping/learning/learning.h"
#include "support/simfixture.h"
#include "windows/printers.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace tavrin {

inline void PrintTo(const Learning::Rule& r, std::ostream* os)
{
    *os << r.key().toStdString() << " " << r.zone.toStdString() << " " << r.times << "/" << r.total
        << (r.kept ? " kept" : "") << (r.forgotten ? " forgotten" : "");
}

namespace {

// Zones of full-height rectangles, and the main slot of a layout.
const UnitRect kLeft{0, 0, 0.4, 1};
const UnitRect kRight{0.6, 0, 0.4, 1};
const UnitRect kCentreTop{0.35, 0, 0.3, 0.3};

class LearningTest : public SimTest {
protected:
    Display display(int i = 0) const { return Display::all().at(std::size_t(i)); }
    QString key(const QString& app, int i = 0) const { return Learning::ruleKey(app, display(i).settingsKey()); }
    void record(const QString& app, const UnitRect& unit, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            learning.record(app, display(), unit, false);
    }
    std::optional<Learning::Rule> rule(const QString& app) const
    {
        for (const Learning::Rule& r : learning.rules())
            if (r.app == app)
                return r;
        return std::nullopt;
    }
    // What is stored under `key` once the counts waiting to be written are.
    QVariant stored(const QString& key)
    {
        learning.save();
        return env.defaults.value(key).value_or(QVariant());
    }

    Learning learning{env.defaults, env.clock};
};

// ---- Counting ----

TEST_F(LearningTest, ThreePlacementsMakeARuleAndTheyAreStoredAsPropertyListValues)
{
    record("Safari", kRight, 2);
    EXPECT_TRUE(learning.rules().isEmpty());
    EXPECT_EQ(learning.totalMoves(), 2);
    record("Safari", kRight);
    ASSERT_EQ(learning.rules().size(), 1);
    EXPECT_EQ(learning.rules().front(),
              (Learning::Rule{"Safari", display().settingsKey(), "Right", 3, 3, false, false}));

    const QVariant counts = stored(Learning::kCountsKey);
    ASSERT_EQ(counts.typeId(), QMetaType::QVariantMap);
    const QVariant zones = counts.toMap().value(key("Safari"));
    ASSERT_EQ(zones.typeId(), QMetaType::QVariantMap);
    EXPECT_EQ(zones.toMap().value("Right").typeId(), QMetaType::LongLong);
    EXPECT_EQ(stored(Learning::kMovesKey), QVariant(qint64(3)));
}

TEST_F(LearningTest, AForgottenApplicationCountsNothingButStillMovesTheLastRecord)
{
    env.defaults.setValue(Learning::kForgotKey, QVariantList{key("Safari")});
    learning.reload();
    env.clock.advance(5);
    EXPECT_LT(learning.lastRecord(), 0 - 1e300); // never
    record("Safari", kRight);
    EXPECT_EQ(learning.lastRecord(), env.clock.monotonic());
    learning.save();
    EXPECT_FALSE(env.defaults.contains(Learning::kCountsKey));
    EXPECT_EQ(learning.totalMoves(), 0);
}

TEST_F(LearningTest, TakingBackThePlacementsOfAKeyRemovesItAndTheTotalNeverDropsBelowZero)
{
    record("Safari", kRight);
    learning.unrecord("Safari", display(), kRight, false);
    EXPECT_TRUE(stored(Learning::kCountsKey).toMap().isEmpty());
    EXPECT_EQ(stored(Learning::kMovesKey), QVariant(qint64(0)));

    // Never counted: nothing changes, nothing is written.
    env.defaults.remove(Learning::kMovesKey);
    learning.unrecord("Safari", display(), kRight, false);
    learning.unrecord("Mail", display(), kLeft, false);
    EXPECT_FALSE(env.defaults.contains(Learning::kMovesKey));

    // A total already at 0 stays there.
    record("Mail", kLeft);
    env.defaults.setValue(Learning::kMovesKey, qint64(0));
    learning.unrecord("Mail", display(), kLeft, false);
    EXPECT_EQ(stored(Learning::kMovesKey), QVariant(qint64(0)));
}

TEST_F(LearningTest, IllShapedStoredValuesReadAsEmptyAndAreReplacedByTheNextWrite)
{
    struct Case {
        const char* what;
        QString key;
        QVariant value;
    } cases[] = {
        {"counts as text", Learning::kCountsKey, QStringLiteral("{\"Safari|x\": 3}")},
        {"a zone count as text", Learning::kCountsKey,
         QVariantMap{{key("Safari"), QVariantMap{{"Right", qint64(3)}, {"Left", "2"}}}}},
        {"one entry not a dictionary", Learning::kCountsKey,
         QVariantMap{{key("Safari"), QVariantMap{{"Right", qint64(3)}}}, {key("Mail"), qint64(1)}}},
        {"moves as a real number", Learning::kMovesKey, 2.5},
        {"kept zone as a number", Learning::kKeptKey, QVariantMap{{key("Safari"), qint64(1)}}},
        {"forgot with a number", Learning::kForgotKey, QVariantList{key("Safari"), qint64(1)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        env.defaults.clear();
        env.defaults.setValue(c.key, c.value);
        learning.reload();
        EXPECT_TRUE(learning.rules().isEmpty());
        EXPECT_EQ(learning.totalMoves(), 0);
    }
    env.defaults.clear();
    env.defaults.setValue(Learning::kCountsKey, QVariantMap{{key("Safari"), "Right"}});
    env.defaults.setValue(Learning::kMovesKey, "many");
    record("Mail", kLeft);
    EXPECT_EQ(stored(Learning::kCountsKey), QVariant(QVariantMap{{key("Mail"), QVariantMap{{"Left", qint64(1)}}}}));
    EXPECT_EQ(stored(Learning::kMovesKey), QVariant(qint64(1)));
}

TEST_F(LearningTest, UnreadableValuesAreSetAsideBeforeTheWriteThatReplacesThem)
{
    const QVariant counts = QVariantMap{{key("Safari"), QVariantMap{{"Right", qint64(3)}}}, {key("Mail"), "Left"}};
    env.defaults.setValue(Learning::kCountsKey, counts);
    env.defaults.setValue(Learning::kMovesKey, "many");
    env.defaults.setValue(Learning::kKeptKey, QStringList{"not a dictionary"});
    env.defaults.setValue(Learning::kForgotKey, QVariantList{key("Notes"), qint64(1)});
    env.defaults.setValue(Learning::kDismissedKey, qint64(7));
    learning.reload();
    EXPECT_TRUE(learning.rules().isEmpty()); // learning starts empty
    record("Mail", kLeft);
    learning.keep(*rule("Mail"));
    learning.forget(*rule("Mail"));
    record("Safari", kLeft, 4);
    learning.dismiss(*rule("Safari"));
    EXPECT_EQ(stored(Learning::kCountsKey + ".unreadable"), counts);
    EXPECT_EQ(stored(Learning::kMovesKey + ".unreadable"), QVariant("many"));
    EXPECT_EQ(stored(Learning::kKeptKey + ".unreadable"), QVariant(QStringList{"not a dictionary"}));
    EXPECT_EQ(stored(Learning::kForgotKey + ".unreadable"), QVariant(QVariantList{key("Notes"), qint64(1)}));
    EXPECT_EQ(stored(Learning::kDismissedKey + ".unreadable"), QVariant(qint64(7)));
    EXPECT_EQ(stored(Learning::kMovesKey), QVariant(qint64(5)));

    // Damaged again later: the earlier copy stays, the new one goes beside it.
    env.defaults.setValue(Learning::kMovesKey, 2.5);
    record("Mail", kRight);
    EXPECT_EQ(stored(Learning::kMovesKey + ".unreadable"), QVariant("many"));
    EXPECT_EQ(stored(Learning::kMovesKey + ".unreadable.2"), QVariant(2.5));
}

// A placement changes its one count in memory; the counts reach the
// defaults a moment later, one write for a burst.
TEST_F(LearningTest, PlacementsAreWrittenOnceForABurstAMomentLater)
{
    int writes = 0;
    QObject::connect(&env.defaults, &Defaults::changed, [&](const QString& k) { writes += k == Learning::kCountsKey; });
    record("Safari", kRight, 50);
    EXPECT_EQ(learning.totalMoves(), 50);
    EXPECT_EQ(writes, 0);
    env.clock.advance(Learning::kWriteDelay);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(env.defaults.value(Learning::kMovesKey), QVariant(qint64(50)));
}

// ---- Rules ----

TEST_F(LearningTest, AKeptRuleStaysAtItsZoneAndIsListedFirstWhateverItsTotal)
{
    record("Mail", kRight, 4);
    record("Safari", kLeft, 2);
    learning.keep(Learning::Rule{"Safari", display().settingsKey(), "Left", 2, 2, false, false});
    ASSERT_EQ(learning.rules().size(), 2);
    EXPECT_EQ(learning.rules()[0].app, "Safari");
    EXPECT_TRUE(learning.rules()[0].kept);

    record("Safari", kRight, 5);
    EXPECT_EQ(*rule("Safari"), (Learning::Rule{"Safari", display().settingsKey(), "Left", 2, 7, true, false}));
    // The kept zone counted down to nothing: the top count shows.
    learning.unrecord("Safari", display(), kLeft, false);
    learning.unrecord("Safari", display(), kLeft, false);
    EXPECT_EQ(*rule("Safari"), (Learning::Rule{"Safari", display().settingsKey(), "Left", 5, 5, true, false}));

    // A kept rule of a single placement is listed too.
    record("Notes", kCentreTop);
    learning.keep(Learning::Rule{"Notes", display().settingsKey(), "Centre, top", 1, 1, false, false});
    ASSERT_TRUE(rule("Notes"));
    EXPECT_EQ(rule("Notes")->total, 1);
    EXPECT_EQ(learning.rules().back().app, "Mail");
}

TEST_F(LearningTest, RulesAreOrderedBySharesAndTotalsAndTiesAreBrokenByName)
{
    record("Mail", kRight, 3);                               // 3 of 3
    record("Notes", kRight, 3), record("Notes", kLeft, 1);   // 3 of 4
    record("Safari", kRight, 6), record("Safari", kLeft, 2); // 6 of 8
    record("Books", kLeft, 3);                               // 3 of 3
    // Equal counts: the zone whose name sorts first.
    record("Terminal", kRight, 2), record("Terminal", kLeft, 2);
    QStringList order;
    for (const Learning::Rule& r : learning.rules())
        order << r.app;
    EXPECT_EQ(order, (QStringList{"Books", "Mail", "Safari", "Notes", "Terminal"}));
    EXPECT_EQ(rule("Terminal")->zone, "Left");
    EXPECT_EQ(rule("Terminal")->times, 2);
}

TEST_F(LearningTest, AForgottenRuleStaysListedThisRunAndIsGoneAfterARestartTillItIsTakenBack)
{
    record("Safari", kRight, 4);
    learning.keep(*rule("Safari"));
    learning.forget(*rule("Safari"));
    EXPECT_TRUE(rule("Safari")->forgotten);
    EXPECT_FALSE(rule("Safari")->kept);
    EXPECT_FALSE(learning.suggestion());
    EXPECT_EQ(stored(Learning::kForgotKey), QVariant(QVariantList{key("Safari")}));
    learning.forget(*rule("Safari"));
    EXPECT_EQ(stored(Learning::kForgotKey).toList().size(), 1); // no repeats

    Learning restarted{env.defaults, env.clock};
    env.clock.advance(0); // its table read
    EXPECT_TRUE(restarted.rules().isEmpty());
    EXPECT_TRUE(stored(Learning::kCountsKey).toMap().contains(key("Safari")));
    restarted.unforget(Learning::Rule{"Safari", display().settingsKey(), "Right", 4, 4, false, true});
    ASSERT_EQ(restarted.rules().size(), 1);
    EXPECT_FALSE(restarted.rules().front().kept);
    EXPECT_FALSE(restarted.rules().front().forgotten);
}

// The table is read away from the main thread at start: what is placed,
// kept and forgotten meanwhile counts as it would after.
TEST_F(LearningTest, ATableReadInTheBackgroundTakesInWhatChangedMeanwhile)
{
    env.defaults.setValue(Learning::kCountsKey, QVariantMap{{key("Safari"), QVariantMap{{"Right", qint64(3)}}},
                                                            {key("Mail"), QVariantMap{{"Left", qint64(4)}}},
                                                            {key("Notes"), QVariantMap{{"Left", qint64(5)}}}});
    Learning started{env.defaults, env.clock};
    const auto listed = [&] {
        QStringList out;
        for (const Learning::Rule& r : started.rules())
            out << QStringLiteral("%1 %2/%3%4")
                       .arg(r.app)
                       .arg(r.times)
                       .arg(r.total)
                       .arg(r.forgotten ? " forgotten" : "");
        return out;
    };
    started.record("Safari", display(), kRight, false);
    started.forget(Learning::Rule{"Mail", display().settingsKey(), "Left", 4, 4, false, false});
    for (int i = 0; i < 3; ++i)
        started.record("Books", display(), kLeft, false);
    env.clock.advance(0);
    EXPECT_EQ(listed(), (QStringList{"Notes 5/5", "Mail 4/4 forgotten", "Safari 4/4", "Books 3/3"}));

    // Read again before the reading ended: the later reading stands.
    Learning again{env.defaults, env.clock};
    env.defaults.setValue(Learning::kCountsKey, QVariantMap{{key("Terminal"), QVariantMap{{"Left", qint64(3)}}}});
    again.reload();
    env.clock.advance(0);
    ASSERT_EQ(again.rules().size(), 1);
    EXPECT_EQ(again.rules().front().app, "Terminal");
}

// ---- The suggestion ----

TEST_F(LearningTest, FourPlacementsThreeInOneZoneAreSuggestedUntilDismissedOrKept)
{
    record("Safari", kRight, 2);
    record("Safari", kLeft);
    EXPECT_FALSE(learning.suggestion()); // three never are
    record("Safari", kRight);
    ASSERT_TRUE(learning.suggestion());
    EXPECT_EQ(learning.suggestion()->zone, "Right");

    record("Mail", kLeft, 5);
    EXPECT_EQ(learning.suggestion()->app, "Mail"); // the stronger rule
    QSignalSpy changed(&learning, &Learning::changed);
    learning.dismiss(*learning.suggestion());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(learning.suggestion()->app, "Safari");
    EXPECT_EQ(stored(Learning::kDismissedKey), QVariant(QVariantList{key("Mail")}));
    learning.keep(*learning.suggestion());
    EXPECT_FALSE(learning.suggestion());

    record("Notes", kLeft, 2), record("Notes", kRight, 2); // half and half
    EXPECT_FALSE(learning.suggestion());
}

TEST_F(LearningTest, ForgettingEverythingRemovesEveryStoredKey)
{
    record("Safari", kRight, 4);
    learning.keep(*rule("Safari"));
    record("Mail", kLeft, 4);
    learning.dismiss(*rule("Mail"));
    learning.forget(*rule("Mail"));
    learning.resetAll();
    for (const QString& k :
         {Learning::kCountsKey, Learning::kKeptKey, Learning::kForgotKey, Learning::kMovesKey, Learning::kDismissedKey})
        EXPECT_FALSE(env.defaults.contains(k)) << k.toStdString();
    EXPECT_TRUE(learning.rules().isEmpty());
    EXPECT_EQ(learning.totalMoves(), 0);
}

// ---- Layouts and words ----

TEST_F(LearningTest, KeptRulesTakeTheFirstFreeSlotOfTheirZoneAndTheOthersFillInInOrder)
{
    const std::vector<UnitRect> zones = {{0.35, 0, 0.3, 1}, {0, 0, 0.35, 1}, {0.65, 0, 0.35, 1}};
    ASSERT_EQ(zones[0].zoneName(true), "Focus, centre");
    ASSERT_EQ(zones[1].zoneName(false), "Left");
    ASSERT_EQ(zones[2].zoneName(false), "Right");
    env.defaults.setValue(Learning::kKeptKey, QVariantMap{{key("A"), "Right"}, {key("C"), "Left"}});
    learning.reload();
    using Pairs = std::vector<std::pair<int, int>>;
    EXPECT_EQ(learning.placements({"A", "B", "C"}, zones, display()), (Pairs{{0, 2}, {2, 1}, {1, 0}}));
    // Two zones for three applications: one goes without.
    EXPECT_EQ(learning.placements({"A", "B", "C"}, {zones[0], zones[1]}, display()), (Pairs{{2, 1}, {0, 0}}));
    // Rules are per display.
    EXPECT_EQ(learning.placements({"A", "B", "C"}, zones, display(1)), (Pairs{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_TRUE(learning.placements({}, zones, display()).empty());
}

TEST_F(LearningTest, ZonesReadAsSentences)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Edge strip", "in the edge strip"},
        {"Focus, full", "full screen"},
        {"Focus, left", "in the main spot, left"},
        {"Focus, centre", "in the main spot, centre"},
        {"Centre", "on the centre"},
        {"Right, top", "on the right, top"},
    };
    for (const auto& [zone, words] : cases)
        EXPECT_EQ(Learning::sentence(zone), words) << zone;
}

} // namespace
} // namespace tavrin
