#include "platform/clock.h"
#include "workspaces/activeworkspace.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/saveditem.h"
#include "workspaces/savedworkspace.h"

#include "windows/printers.h"
#include <QJsonArray>
#include <QSignalSpy>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace tavrin;

namespace {

QDateTime at(double referenceSeconds) { return Clock::dateFromReference(referenceSeconds); }

SavedWorkspace fullWorkspace()
{
    SavedWorkspace w;
    w.name = QStringLiteral("Deep work");
    w.request = QStringLiteral("Write the report");
    w.layout = LayoutKind::studio;
    w.apps = {QStringLiteral("Safari"), QStringLiteral("Pages")};
    w.savedAt = at(818326800.5);
    w.items = QList<SavedItem>{
        {QStringLiteral("Safari"), QStringLiteral("https://a.example.com/"),
         QStringList{QStringLiteral("https://a.example.com/"), QStringLiteral("https://b.example.com/")}},
        {QStringLiteral("Pages"), QStringLiteral("file:///Users/sam/Report.pages"), std::nullopt}};
    (*w.items)[0].title = QStringLiteral("A page \u2014 Mozilla Firefox");
    (*w.items)[0].tabTitle = QStringLiteral("A page");
    w.automatic = true;
    return w;
}

} // namespace

TEST(SavedWorkspaceJson, RoundTripsWithFieldNamesAsKeysAndDatesOnThe2001Epoch)
{
    const SavedWorkspace w = fullWorkspace();
    const QJsonObject json = w.toJson();
    EXPECT_EQ(json.keys(), (QStringList{"apps", "auto", "items", "layout", "name", "request", "savedAt"}));
    EXPECT_EQ(json["layout"].toString(), "studio");
    EXPECT_DOUBLE_EQ(json["savedAt"].toDouble(), 818326800.5);
    EXPECT_EQ(json["items"].toArray()[0].toObject().keys(), (QStringList{"app", "tabTitle", "tabs", "title", "url"}));
    EXPECT_EQ(json["items"].toArray()[1].toObject().keys(), (QStringList{"app", "url"}));
    EXPECT_EQ(SavedWorkspace::fromJson(json), w);
    // An item saved before the titles were kept still loads, without them.
    QJsonObject older = json;
    QJsonArray items = older["items"].toArray();
    QJsonObject first = items[0].toObject();
    first.remove("title");
    first.remove("tabTitle");
    items[0] = first;
    older["items"] = items;
    const auto loaded = SavedWorkspace::fromJson(older);
    ASSERT_TRUE(loaded && loaded->items);
    EXPECT_FALSE(loaded->items->front().title);
    EXPECT_EQ(loaded->items->front().url, "https://a.example.com/");

    // The epoch itself: 1 January 2001, midnight UTC.
    SavedWorkspace epoch = w;
    epoch.savedAt = QDateTime(QDate(2001, 1, 1), QTime(0, 1, 40), QTimeZone::utc());
    EXPECT_DOUBLE_EQ(epoch.toJson()["savedAt"].toDouble(), 100.0);
}

TEST(SavedWorkspaceJson, LeavesAbsentOptionalsOut)
{
    SavedWorkspace w = fullWorkspace();
    w.items.reset();
    w.automatic.reset();
    const QJsonObject json = w.toJson();
    EXPECT_FALSE(json.contains("items"));
    EXPECT_FALSE(json.contains("auto"));
    EXPECT_EQ(SavedWorkspace::fromJson(json), w);
    // A command-bar save says nothing about being automatic; false is kept as said.
    w.automatic = false;
    EXPECT_FALSE(SavedWorkspace::fromJson(w.toJson())->isAutomatic());
    EXPECT_EQ(SavedWorkspace::fromJson(w.toJson())->automatic, false);
}

TEST(SavedWorkspaceJson, RejectsUnknownLayoutsAndWrongTypes)
{
    QJsonObject json = fullWorkspace().toJson();
    json["layout"] = "grid";
    EXPECT_FALSE(SavedWorkspace::fromJson(json));

    const auto broken = [](const char* key, const QJsonValue& value) {
        QJsonObject j = fullWorkspace().toJson();
        j[key] = value;
        return SavedWorkspace::fromJson(j).has_value();
    };
    EXPECT_FALSE(broken("savedAt", "yesterday"));
    EXPECT_FALSE(broken("savedAt", 1e300));
    EXPECT_FALSE(broken("apps", QJsonArray{1, 2}));
    EXPECT_FALSE(broken("auto", "yes"));
    EXPECT_FALSE(broken("items", QJsonArray{QJsonObject{{"url", "https://x.example/"}}})); // no app
    EXPECT_TRUE(broken("items", QJsonValue::Null));

    QJsonObject missing = fullWorkspace().toJson();
    missing.remove("apps");
    EXPECT_FALSE(SavedWorkspace::fromJson(missing));
}

TEST(ActiveWorkspaceJson, RoundTripsAndTheHolderAnnouncesChanges)
{
    const ActiveWorkspace a{QStringLiteral("Deep work"), 3, at(900.25), 4000000000u};
    const QJsonObject json = a.toJson();
    EXPECT_EQ(json.keys(), (QStringList{"displayID", "name", "since", "windows"}));
    EXPECT_EQ(ActiveWorkspace::fromJson(json), a);
    QJsonObject negative = json;
    negative["displayID"] = -1;
    EXPECT_FALSE(ActiveWorkspace::fromJson(negative));

    ActiveWorkspaceHolder holder;
    QSignalSpy changed(&holder, &ActiveWorkspaceHolder::changed);
    holder.set(a);
    holder.set(a); // the same value again: no announcement
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(holder.variant().value<ActiveWorkspace>(), a);
    holder.clear();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_FALSE(holder.variant().isValid());
}

TEST(SavedWorkspaceDate, ReadsTodayYesterdayOrTheDate)
{
    const QLocale gb(QLocale::English, QLocale::UnitedKingdom);
    const QDateTime now(QDate(2026, 12, 7), QTime(20, 0));
    EXPECT_EQ(SavedWorkspace::relativeDate(QDateTime(QDate(2026, 12, 7), QTime(18, 2)), now, gb), "today at 18:02");
    EXPECT_EQ(SavedWorkspace::relativeDate(QDateTime(QDate(2026, 12, 6), QTime(9, 15)), now, gb), "yesterday at 09:15");
    EXPECT_EQ(SavedWorkspace::relativeDate(QDateTime(QDate(2026, 11, 30), QTime(9, 15)), now, gb),
              "30 Nov 2026 at 09:15");
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(SavedWorkspace::relativeDate(QDateTime(QDate(2026, 11, 30), QTime(18, 2)), now, us),
              "Nov 30, 2026 at 6:02 PM");
}
