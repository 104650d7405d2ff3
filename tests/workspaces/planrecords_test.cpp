#include "workspaces/clearaction.h"
#include "workspaces/planrequest.h"
#include "workspaces/workspaceplan.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {

QJsonObject parse(const char* json) { return QJsonDocument::fromJson(QByteArray(json)).object(); }

QStringList keys(const QJsonValue& v) { return v.toObject().keys(); }

PlanRequest fullRequest()
{
    PlanRequest r;
    r.request = QStringLiteral("Review the open pull request");
    r.display = {QStringLiteral("LG ULTRAWIDE"), 2.39};
    r.windows = {{QStringLiteral("Safari"), QStringLiteral("PR #12"), QStringLiteral("https://example.com/pr/12"),
                  QStringList{QStringLiteral("CI"), QStringLiteral("Docs")}},
                 {QStringLiteral("Terminal"), QStringLiteral("zsh (minimised)"), std::nullopt, std::nullopt}};
    return r;
}

WorkspacePlan fullPlan()
{
    WorkspacePlan p;
    p.workspaceName = QStringLiteral("PR review");
    p.layout = LayoutKind::studio;
    p.why = QStringLiteral("The pull request in the middle, the terminal beside it.");
    WorkspacePlan::Window w1;
    w1.app = QStringLiteral("Safari");
    w1.existingWindow = 0;
    w1.purpose = QStringLiteral("The pull request");
    w1.frontTab = QStringLiteral("CI");
    WorkspacePlan::Window w2;
    w2.app = QStringLiteral("Safari");
    w2.openURL = QStringLiteral("https://example.com/docs");
    w2.tabs = QStringList{QStringLiteral("https://example.com/a"), QStringLiteral("https://example.com/b")};
    w2.purpose = QStringLiteral("Docs");
    p.windows = {w1, w2};
    p.clear = QList<WorkspacePlan::Clear>{{1, ClearAction::quit}};
    return p;
}

} // namespace

TEST(PlanRequestJson, RoundTripsWithFieldNamesAsKeys)
{
    const PlanRequest r = fullRequest();
    const QJsonObject json = r.toJson();
    EXPECT_EQ(keys(json), (QStringList{"display", "request", "windows"}));
    EXPECT_EQ(keys(json["display"]), (QStringList{"aspect", "name"}));
    EXPECT_EQ(keys(json["windows"].toArray()[0]), (QStringList{"app", "otherTabs", "title", "url"}));
    EXPECT_EQ(PlanRequest::fromJson(json), r);
}

TEST(PlanRequestJson, LeavesOutAbsentOptionalsAndReadsNullAsAbsent)
{
    const PlanRequest r = fullRequest();
    EXPECT_EQ(keys(r.toJson()["windows"].toArray()[1]), (QStringList{"app", "title"}));

    const auto decoded = PlanRequest::fromJson(parse(R"({"request":"x","display":{"name":"A","aspect":1},
        "windows":[{"app":"Mail","title":"Inbox","url":null}]})"));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->display.aspect, 1.0);
    EXPECT_FALSE(decoded->windows[0].url);
    EXPECT_FALSE(decoded->windows[0].otherTabs);
}

TEST(PlanRequestJson, RejectsMissingOrMistypedFields)
{
    EXPECT_FALSE(PlanRequest::fromJson(parse(R"({"display":{"name":"A","aspect":1},"windows":[]})")));
    EXPECT_FALSE(PlanRequest::fromJson(parse(R"({"request":"x","display":{"name":"A"},"windows":[]})")));
    EXPECT_FALSE(
        PlanRequest::fromJson(parse(R"({"request":"x","display":{"name":"A","aspect":"wide"},"windows":[]})")));
    EXPECT_FALSE(PlanRequest::fromJson(parse(R"({"request":"x","display":{"name":"A","aspect":1},"windows":{}})")));
    EXPECT_FALSE(PlanRequest::fromJson(parse(
        R"({"request":"x","display":{"name":"A","aspect":1},"windows":[{"app":"A","title":"t","otherTabs":["a",2]}]})")));
    EXPECT_FALSE(PlanRequest::fromJson(QJsonValue(QStringLiteral("not an object"))));
}

TEST(WorkspacePlanJson, RoundTripsEveryField)
{
    const WorkspacePlan p = fullPlan();
    const QJsonObject json = p.toJson();
    EXPECT_EQ(keys(json), (QStringList{"clear", "layout", "why", "windows", "workspaceName"}));
    EXPECT_EQ(json["layout"].toString(), "studio");
    EXPECT_EQ(json["clear"].toArray()[0].toObject(), parse(R"({"existingWindow":1,"action":"quit"})"));
    EXPECT_EQ(keys(json["windows"].toArray()[0]), (QStringList{"app", "existingWindow", "frontTab", "purpose"}));
    EXPECT_EQ(keys(json["windows"].toArray()[1]), (QStringList{"app", "openURL", "purpose", "tabs"}));
    EXPECT_EQ(WorkspacePlan::fromJson(json), p);
    EXPECT_EQ(WorkspacePlan::fromJsonData(QJsonDocument(json).toJson()), p);
}

TEST(WorkspacePlanJson, LeavesOutAnAbsentClearList)
{
    WorkspacePlan p = fullPlan();
    p.clear.reset();
    EXPECT_FALSE(p.toJson().contains("clear"));
    EXPECT_EQ(WorkspacePlan::fromJson(p.toJson()), p);
    // An empty list is kept apart from a missing one.
    p.clear = QList<WorkspacePlan::Clear>{};
    EXPECT_EQ(WorkspacePlan::fromJson(p.toJson())->clear, QList<WorkspacePlan::Clear>{});
}

TEST(WorkspacePlanJson, EveryLayoutAndActionIsStoredByItsCaseName)
{
    const char* layouts[] = {"focusCentre", "halves", "thirds", "studio", "stack", "columns"};
    for (const char* layout : layouts) {
        QJsonObject json = fullPlan().toJson();
        json["layout"] = QString::fromLatin1(layout);
        const auto p = WorkspacePlan::fromJson(json);
        ASSERT_TRUE(p) << layout;
        EXPECT_EQ(p->toJson()["layout"].toString(), QString::fromLatin1(layout));
    }
    EXPECT_EQ(name(ClearAction::hide), "hide");
    EXPECT_EQ(clearActionFromName("quit"), ClearAction::quit);
    EXPECT_FALSE(clearActionFromName("Quit"));
}

TEST(WorkspacePlanJson, UnknownNamesAndBadValuesAreDecodeErrors)
{
    auto with = [](const char* key, const QJsonValue& value) {
        QJsonObject json = fullPlan().toJson();
        json[QString::fromLatin1(key)] = value;
        return WorkspacePlan::fromJson(json);
    };
    EXPECT_FALSE(with("layout", "grid"));
    EXPECT_FALSE(with("layout", "Halves")); // names are case-sensitive
    EXPECT_FALSE(with("layout", 1));
    EXPECT_FALSE(with("why", QJsonValue::Null));
    EXPECT_FALSE(with("clear", QJsonArray{QJsonObject{{"existingWindow", 0}, {"action", "close"}}}));
    EXPECT_FALSE(with("clear", QJsonArray{QJsonObject{{"action", "hide"}}}));
    EXPECT_FALSE(with("windows", QJsonArray{QJsonObject{{"app", "A"}, {"purpose", "p"}, {"existingWindow", 1.5}}}));
    EXPECT_FALSE(with("windows", QJsonArray{QJsonObject{{"app", "A"}, {"purpose", "p"}, {"existingWindow", 1e12}}}));
    EXPECT_FALSE(with("windows", QJsonArray{QJsonObject{{"app", "A"}}}));
    EXPECT_FALSE(with("windows", QJsonArray{QJsonObject{{"app", "A"}, {"purpose", "p"}, {"tabs", "https://a"}}}));

    // Unknown keys are ignored; a null optional is read as absent.
    const auto p =
        with("windows",
             QJsonArray{QJsonObject{{"app", "A"}, {"purpose", "p"}, {"openURL", QJsonValue::Null}, {"extra", 1}}});
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->windows[0].openURL);
    EXPECT_FALSE(WorkspacePlan::fromJsonData("{\"workspaceName\": "));
    EXPECT_FALSE(WorkspacePlan::fromJsonData("[]"));
}
