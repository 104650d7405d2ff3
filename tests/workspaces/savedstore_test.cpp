#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "support/workspacefakes.h"
#include "workspaces/earlieritems.h"
#include "workspaces/savedworkspacestore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {

class SavedStore : public ::testing::Test {
protected:
    SavedStore()
    {
        Platform p;
        p.defaults = &defaults;
        Platform::install(p);
    }

    static SavedWorkspace workspace(const QString& name, QStringList apps = {QStringLiteral("Safari")},
                                    std::optional<bool> automatic = std::nullopt)
    {
        static double clock = 1000;
        SavedWorkspace w;
        w.name = name;
        w.request = QStringLiteral("Resume ") + name;
        w.layout = LayoutKind::halves;
        w.apps = std::move(apps);
        w.savedAt = Clock::dateFromReference(clock += 60);
        w.automatic = automatic;
        return w;
    }
    static SavedWorkspace session(const QString& name, QStringList apps)
    {
        return workspace(name, std::move(apps), true);
    }

    static QStringList names()
    {
        QStringList out;
        for (const SavedWorkspace& w : SavedWorkspaceStore::load())
            out << w.name;
        return out;
    }

    MemoryDefaults defaults;
    CountingShortcutParameters parameters;
    Registration refreshing = ShortcutParameters::install(parameters);
    int& refreshes = parameters.updates;
};

} // namespace

TEST_F(SavedStore, LoadsNothingFromAMissingKey) { EXPECT_TRUE(SavedWorkspaceStore::load().isEmpty()); }

TEST_F(SavedStore, SaveReplacesTheSameNameRegardlessOfCaseAndPutsTheNewOneFirst)
{
    SavedWorkspaceStore::save(workspace("Deep work"));
    SavedWorkspaceStore::save(workspace("Email"));
    SavedWorkspaceStore::save(workspace("DEEP WORK", {"Pages"}));
    EXPECT_EQ(names(), (QStringList{"DEEP WORK", "Email"}));
    EXPECT_EQ(SavedWorkspaceStore::load().front().apps, QStringList{"Pages"});
    EXPECT_EQ(refreshes, 3);
    // Stored as data holding a JSON array.
    EXPECT_EQ(defaults.value("savedWorkspaces")->typeId(), QMetaType::QByteArray);
}

TEST_F(SavedStore, LoadsNewestFirstWhateverTheStoredOrder)
{
    // Stored oldest first (as an import may leave them), two saved at once.
    const SavedWorkspace old = workspace("Old"), oldSession = session("Old session", {"Mail"});
    const SavedWorkspace middle = workspace("Middle"), newest = workspace("Newest");
    SavedWorkspace sameTime = workspace("Same time");
    sameTime.savedAt = middle.savedAt;
    QJsonArray array;
    for (const SavedWorkspace& w : {old, oldSession, middle, sameTime, newest})
        array.append(w.toJson());
    defaults.setValue("savedWorkspaces", QJsonDocument(array).toJson(QJsonDocument::Compact));
    EXPECT_EQ(names(), (QStringList{"Newest", "Middle", "Same time", "Old session", "Old"}));

    // The sessions' merge takes the newest session as the first one.
    SavedWorkspaceStore::update(session("New session", {"Mail"}));
    EXPECT_EQ(names(), (QStringList{"New session", "Newest", "Middle", "Same time", "Old"}));
}

TEST_F(SavedStore, SixteenSavesKeepTheFifteenNewest)
{
    for (int i = 1; i <= 16; ++i)
        SavedWorkspaceStore::save(workspace(QString("W%1").arg(i)));
    const QStringList kept = names();
    ASSERT_EQ(kept.size(), 15);
    EXPECT_EQ(kept.front(), "W16");
    EXPECT_EQ(kept.back(), "W2");
}

TEST_F(SavedStore, UpdateKeepsOneSessionForTheSameApplicationsInAnyOrder)
{
    SavedWorkspaceStore::update(session("Safari, Xcode + 1", {"Safari", "Xcode", "Mail"}));
    SavedWorkspaceStore::update(session("Mail, Safari + 1", {"Mail", "Xcode", "Safari"}));
    EXPECT_EQ(names(), QStringList{"Mail, Safari + 1"});
    // The same names a different number of times are other applications.
    SavedWorkspaceStore::update(session("Mail, Safari + 2", {"Mail", "Xcode", "Safari", "Safari"}));
    EXPECT_EQ(names(), (QStringList{"Mail, Safari + 2", "Mail, Safari + 1"}));
    EXPECT_EQ(refreshes, 3);
}

TEST_F(SavedStore, UpdateKeepsAtMostThreeSessionsAndTheUsersSavesAmongThem)
{
    SavedWorkspaceStore::save(workspace("Mine"));
    SavedWorkspaceStore::update(session("A", {"A"}));
    SavedWorkspaceStore::update(session("B", {"B"}));
    SavedWorkspaceStore::update(session("C", {"C"}));
    SavedWorkspaceStore::update(session("D", {"D"}));
    EXPECT_EQ(names(), (QStringList{"D", "C", "B", "Mine"}));
    // A session of the same name replaces the automatic one only.
    SavedWorkspaceStore::save(workspace("C"));
    SavedWorkspaceStore::update(session("C", {"C", "E"}));
    const auto list = SavedWorkspaceStore::load();
    ASSERT_EQ(list.size(), 5);
    EXPECT_EQ(names(), (QStringList{"C", "C", "D", "B", "Mine"}));
    EXPECT_TRUE(list[0].isAutomatic());
    EXPECT_FALSE(list[1].isAutomatic());
}

TEST_F(SavedStore, UpdateDropsTheUsersSavesBeyondTheTwelfthNewest)
{
    for (int i = 1; i <= 15; ++i)
        SavedWorkspaceStore::save(workspace(QString("W%1").arg(i)));
    SavedWorkspaceStore::update(session("Session", {"Safari"}));
    const QStringList kept = names();
    ASSERT_EQ(kept.size(), 13);
    EXPECT_EQ(kept.front(), "Session");
    EXPECT_EQ(kept[1], "W15");
    EXPECT_EQ(kept.back(), "W4");
}

TEST_F(SavedStore, DeleteRemovesThatNameAndRefreshesNothing)
{
    SavedWorkspaceStore::save(workspace("Deep work"));
    SavedWorkspaceStore::save(workspace("Email"));
    refreshes = 0;
    SavedWorkspaceStore::remove("deep work"); // another case is another name here
    EXPECT_EQ(names(), (QStringList{"Email", "Deep work"}));
    SavedWorkspaceStore::remove("Deep work");
    EXPECT_EQ(names(), QStringList{"Email"});
    EXPECT_EQ(refreshes, 0);
}

TEST_F(SavedStore, AnUndecodableValueReadsEmptyAndIsKeptAsideOnTheFirstWrite)
{
    const QByteArray garbage("{\"not\": \"an array\"");
    defaults.setValue("savedWorkspaces", garbage);
    EXPECT_TRUE(SavedWorkspaceStore::load().isEmpty());
    EXPECT_FALSE(defaults.contains("savedWorkspaces.unreadable")); // reading changes nothing

    SavedWorkspaceStore::save(workspace("Deep work"));
    EXPECT_EQ(defaults.data("savedWorkspaces.unreadable"), garbage);
    EXPECT_EQ(names(), QStringList{"Deep work"});

    // Later writes go over a readable value and leave the copy alone.
    SavedWorkspaceStore::save(workspace("Email"));
    EXPECT_EQ(defaults.data("savedWorkspaces.unreadable"), garbage);

    // A value of another type is kept too.
    defaults.remove("savedWorkspaces.unreadable");
    defaults.setValue("savedWorkspaces", QStringLiteral("[oops"));
    SavedWorkspaceStore::update(session("S", {"Safari"}));
    EXPECT_EQ(defaults.data("savedWorkspaces.unreadable"), QByteArray("[oops"));
}

TEST_F(SavedStore, AnUndecodableValueOfAnyTypeIsSetAsideWhole)
{
    const QVariant values[] = {
        QVariant(QVariantMap{{"name", "Deep work"}, {"apps", QVariantList{"Safari"}}}),
        QVariant(QVariantList{QByteArray("[]"), qint64(3)}),
        QVariant(qint64(42)),
        QVariant(true),
    };
    for (const QVariant& value : values) {
        SCOPED_TRACE(value.typeName());
        defaults.clear();
        defaults.setValue("savedWorkspaces", value);
        SavedWorkspaceStore::save(workspace("Email"));
        const auto aside = defaults.value("savedWorkspaces.unreadable");
        ASSERT_TRUE(aside.has_value());
        EXPECT_EQ(aside->typeId(), value.typeId());
        EXPECT_EQ(*aside, value);
        EXPECT_EQ(names(), QStringList{"Email"});
    }
}

TEST_F(SavedStore, EachUndecodableValueIsKeptBesideTheEarlierOnes)
{
    const QByteArray first("{\"not\": \"an array\"");
    defaults.setValue("savedWorkspaces", first);
    SavedWorkspaceStore::save(workspace("A"));

    // Another version writes a workspace this one can't read.
    QJsonArray array;
    QJsonObject grid = workspace("Grid").toJson();
    grid["layout"] = "grid";
    array.append(grid);
    const QByteArray second = QJsonDocument(array).toJson(QJsonDocument::Compact);
    defaults.setValue("savedWorkspaces", second);
    SavedWorkspaceStore::save(workspace("B"));
    // The same bytes again are not kept twice.
    defaults.setValue("savedWorkspaces", second);
    SavedWorkspaceStore::save(workspace("C"));

    EXPECT_EQ(defaults.data("savedWorkspaces.unreadable"), first);
    EXPECT_EQ(defaults.data("savedWorkspaces.unreadable.2"), second);
    EXPECT_FALSE(defaults.contains("savedWorkspaces.unreadable.3"));
    EXPECT_EQ(names(), QStringList{"C"});
}

TEST_F(SavedStore, OneBadElementLosesOnlyItself)
{
    QJsonArray array;
    array.append(workspace("First").toJson());
    QJsonObject unknownLayout = workspace("Grid").toJson();
    unknownLayout["layout"] = "grid";
    array.append(unknownLayout);
    array.append(42);
    array.append(workspace("Last").toJson());
    const QByteArray stored = QJsonDocument(array).toJson(QJsonDocument::Compact);
    defaults.setValue("savedWorkspaces", stored);

    EXPECT_EQ(names(), (QStringList{"Last", "First"})); // newest first
    SavedWorkspaceStore::remove("First");
    EXPECT_EQ(names(), QStringList{"Last"});
    EXPECT_EQ(defaults.data("savedWorkspaces.unreadable"), stored);
}

TEST(EarlierItems, AWindowReadEmptyTakesWhatTheSaveBeforeHeldForItNeverAnothersNorAPrivateOnes)
{
    const auto item = [](const QString& app, const QString& url = {}, const QString& title = {}) {
        SavedItem out{app, std::nullopt, std::nullopt};
        if (!url.isEmpty()) {
            out.url = url;
            out.tabs = QStringList{url, QStringLiteral("https://b.example/")};
        }
        if (!title.isEmpty())
            out.title = title;
        return out;
    };
    const QList<SavedItem> earlier{item("Firefox", "https://a.example/", "A \u2014 Mozilla Firefox"),
                                   item("Firefox", "https://c.example/", "C \u2014 Mozilla Firefox"),
                                   item("XTerm", "file:///home/sam/src")};
    const struct {
        const char* what;
        QList<SavedItem> now;
        QStringList titles;  // as the windows show them now
        QList<bool> mayKeep; // none: every one
        QList<SavedItem> kept;
    } cases[] = {
        {"no window read: each takes the earlier one's in order",
         {item("Firefox"), item("Firefox"), item("XTerm")},
         {"X \u2014 Mozilla Firefox", "Y \u2014 Mozilla Firefox", "sam@box: ~"},
         {},
         earlier},
        {"by its title, whatever the order",
         {item("Firefox"), item("Firefox", "https://d.example/")},
         {"C \u2014 Mozilla Firefox", "D \u2014 Mozilla Firefox"},
         {},
         {earlier[1], item("Firefox", "https://d.example/")}},
        {"the others showing what they showed, in order by what is left",
         {item("Firefox", "https://c.example/"), item("Firefox"), item("XTerm")},
         {"C \u2014 Mozilla Firefox", "New tab \u2014 Mozilla Firefox", "sam@box: ~"},
         {},
         {item("Firefox", "https://c.example/"), earlier[0], earlier[2]}},
        {"a window read that shows another page: which one is left is unknown",
         {item("Firefox", "https://d.example/"), item("Firefox"), item("XTerm")},
         {"D \u2014 Mozilla Firefox", "E \u2014 Mozilla Firefox", "sam@box: ~"},
         {},
         {item("Firefox", "https://d.example/"), item("Firefox"), earlier[2]}},
        {"a window more than before: nothing to tell which is which",
         {item("Firefox"), item("Firefox"), item("Firefox")},
         {"X", "Y", "Z"},
         {},
         {item("Firefox"), item("Firefox"), item("Firefox")}},
        {"a private window takes nothing",
         {item("Firefox", "https://a.example/"), item("Firefox")},
         {"A \u2014 Mozilla Firefox", "C \u2014 Mozilla Firefox"},
         {true, false},
         {item("Firefox", "https://a.example/"), item("Firefox")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QList<bool> mayKeep = c.mayKeep.isEmpty() ? QList<bool>(c.now.size(), true) : c.mayKeep;
        EXPECT_EQ(EarlierItems::keep(c.now, c.titles, mayKeep, earlier), c.kept);
    }
}
