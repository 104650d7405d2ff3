#include "workspacedesk.h"

#include "support/workspacefakes.h"
#include "workspaces/plannedwindow.h"
#include "workspaces/savedworkspace.h"
#include "workspaces/workspacerunner.h"

#include <QSet>

using namespace tavrin;

namespace {

WorkspacePlan::Window reuse(const QString& app, int index)
{
    WorkspacePlan::Window w;
    w.app = app;
    w.existingWindow = index;
    return w;
}

WorkspacePlan::Window open(const QString& app, std::optional<QString> url = std::nullopt,
                           std::optional<QStringList> tabs = std::nullopt)
{
    WorkspacePlan::Window w;
    w.app = app;
    w.openURL = std::move(url);
    w.tabs = std::move(tabs);
    return w;
}

WorkspacePlan planOf(QList<WorkspacePlan::Window> windows,
                     std::optional<QList<WorkspacePlan::Clear>> clear = std::nullopt)
{
    WorkspacePlan p;
    p.workspaceName = QStringLiteral("Plan");
    p.layout = LayoutKind::halves;
    p.windows = std::move(windows);
    p.clear = std::move(clear);
    return p;
}

QStringList details(const std::vector<PlannedWindow>& rows)
{
    QStringList out;
    for (const PlannedWindow& r : rows)
        out << r.detail;
    return out;
}

class Matching : public WorkspaceDesk {};

} // namespace

TEST(PlannedWindowDetail, NamesWhatANewWindowOpens)
{
    EXPECT_EQ(PlannedWindow::openingDetail(QStringLiteral("https://docs.example.com/a?b=1"), {}), "docs.example.com");
    EXPECT_EQ(PlannedWindow::openingDetail(QStringLiteral("file:///Users/sam/Budget%202027.xlsx"), {}),
              "Budget 2027.xlsx");
    EXPECT_EQ(PlannedWindow::openingDetail(QStringLiteral("file:///Users/sam/Projects/"), {}), "Projects");
    EXPECT_EQ(PlannedWindow::openingDetail(QStringLiteral("urn:isbn:0451450523"), {}), "urn:isbn:0451450523");
    EXPECT_EQ(PlannedWindow::openingDetail(std::nullopt, {}), "New window");
    EXPECT_EQ(PlannedWindow::openingDetail(QStringLiteral("http://[::1"), {}), "New window");
    EXPECT_EQ(PlannedWindow::openingDetail(
                  QStringLiteral("https://a.example.com/"),
                  {QStringLiteral("https://b.example.com/"), QStringLiteral("https://c.example.com/")}),
              "a.example.com + 2 tabs");
}

TEST(PlannedWindowDetail, ShowsAHostInUnicodeOnlyWhenItIsWrittenInOneScript)
{
    const struct {
        const char* address;
        const char* shown;
    } rows[] = {
        {"https://b\u00fccher.example/", "b\u00fccher.example"},
        {"https://xn--bcher-kva.example/", "b\u00fccher.example"},
        {"https://\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444/",
         "\u043f\u0440\u0438\u043c\u0435\u0440.\u0440\u0444"},
        {"https://\u6771\u4eac\u30bf\u30ef\u30fc.jp/", "\u6771\u4eac\u30bf\u30ef\u30fc.jp"},
        // Cyrillic letters among Latin ones: the ASCII form.
        {"https://p\u0430ypal.com/", "xn--pypal-4ve.com"},
        {"https://\u0430pple.com/login", "xn--pple-43d.com"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(PlannedWindow::openingDetail(QString::fromUtf8(row.address), {}), QString::fromUtf8(row.shown))
            << row.address;
}

TEST(PlannedWindowDetail, NamesTheFrontTabElseTheTitleOfAnExistingWindow)
{
    EXPECT_EQ(PlannedWindow::existingDetail(QStringLiteral("Pull request"), QStringLiteral("Docs")), "Pull request");
    EXPECT_EQ(PlannedWindow::existingDetail(std::nullopt, QStringLiteral("Docs")), "Docs");
    EXPECT_EQ(PlannedWindow::existingDetail(std::nullopt, std::nullopt), "");
}

TEST_F(Matching, RowsReuseTheNamedWindowElseOneOfTheSameApplicationElseOpenOne)
{
    const ScreenCapture c = capture();
    const int docs = indexOf(c, "Docs"), news = indexOf(c, "News"), inbox = indexOf(c, "Inbox");
    WorkspacePlan::Window front = reuse("Safari", docs);
    front.frontTab = QStringLiteral("Docs tab");
    const auto rows = WorkspaceRunner::rows(planOf({front, reuse("Safari", docs), // taken: another Safari window
                                                    reuse("Mail", 99),            // out of range: Mail's window
                                                    open("Safari"),               // no Safari window left: a new one
                                                    open("Safari", "https://x.example.com/"), open("Calendar")}),
                                            c);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].existing, c.windows[std::size_t(docs)]);
    EXPECT_EQ(rows[1].existing, c.windows[std::size_t(news)]);
    EXPECT_EQ(rows[2].existing, c.windows[std::size_t(inbox)]);
    EXPECT_FALSE(rows[3].existing);
    EXPECT_FALSE(rows[4].existing);
    EXPECT_EQ(details(rows), (QStringList{"Docs tab", "News", "Inbox", "New window", "x.example.com", "New window"}));
    EXPECT_EQ(rows[4].openURL, "https://x.example.com/");
    QSet<QUuid> ids;
    for (const auto& r : rows)
        ids.insert(r.id);
    EXPECT_EQ(ids.size(), 6);
}

TEST_F(Matching, AnAddressOpensANewWindowEvenWhenTheApplicationHasOne)
{
    const auto rows =
        WorkspaceRunner::rows(planOf({open("Safari", "https://a.example.com/",
                                           QStringList{"https://b.example.com/", "ftp://c.example.com/"})}),
                              capture());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FALSE(rows[0].existing);
    EXPECT_EQ(rows[0].tabs, QStringList{"https://b.example.com/"});
    EXPECT_EQ(rows[0].detail, "a.example.com + 1 tab");
}

TEST_F(Matching, APlannersNonWebAddressesAreDropped)
{
    const auto rows = WorkspaceRunner::rows(
        planOf({open("Calendar", "file:///etc/passwd"), open("Calendar", "javascript:alert(1)"),
                open("Calendar", "tavrin-x://run?all"),
                open("Calendar", std::nullopt, QStringList{"file:///a", "https://b.example.com/"})}),
        capture());
    ASSERT_EQ(rows.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(rows[std::size_t(i)].openURL) << i;
        EXPECT_EQ(rows[std::size_t(i)].detail, "New window") << i;
    }
    // Tabs alone: the first web tab becomes the address.
    EXPECT_EQ(rows[3].openURL, "https://b.example.com/");
    EXPECT_TRUE(rows[3].tabs.isEmpty());
}

TEST_F(Matching, APlanNamingFortyWindowsIsCutToSix)
{
    QList<WorkspacePlan::Window> windows;
    for (int i = 0; i < 40; ++i)
        windows << open("Safari", QString("https://site%1.example.com/").arg(i));
    const auto rows = WorkspaceRunner::rows(planOf(windows), capture());
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows.back().detail, "site5.example.com");
}

TEST_F(Matching, ClearsAreOnePerRunningApplicationWithQuitWinning)
{
    const ScreenCapture c = capture();
    const int docs = indexOf(c, "Docs"), news = indexOf(c, "News"), inbox = indexOf(c, "Inbox"),
              general = indexOf(c, "general"), library = indexOf(c, "Library");
    const WorkspacePlan plan = planOf({reuse("Safari", docs), open("Music", "https://music.example.com/")},
                                      QList<WorkspacePlan::Clear>{{inbox, ClearAction::hide},
                                                                  {general, ClearAction::hide},
                                                                  {inbox, ClearAction::quit},
                                                                  {news, ClearAction::quit},    // Safari has a row
                                                                  {library, ClearAction::hide}, // Music opens a window
                                                                  {77, ClearAction::quit}});
    const auto clears = WorkspaceRunner::clears(plan, c);
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[0].app, "Mail");
    EXPECT_EQ(clears[0].action, ClearAction::quit);
    EXPECT_EQ(clears[0].running.pid, app("Mail")->pid);
    EXPECT_EQ(clears[1].app, "Slack");
    EXPECT_EQ(clears[1].action, ClearAction::hide);

    // An application that has quit since the capture is not cleared.
    desktop.removeApp(app("Slack")->pid);
    EXPECT_EQ(WorkspaceRunner::clears(plan, c).size(), 1u);
}

TEST_F(Matching, AClearKeepsTheTitleOfTheOneWindowItNames)
{
    const ScreenCapture c = capture();
    const int docs = indexOf(c, "Docs"), news = indexOf(c, "News"), inbox = indexOf(c, "Inbox"),
              general = indexOf(c, "general");
    const auto clears = WorkspaceRunner::clears(planOf({}, QList<WorkspacePlan::Clear>{{inbox, ClearAction::hide},
                                                                                       {docs, ClearAction::hide},
                                                                                       {general, ClearAction::hide},
                                                                                       {inbox, ClearAction::quit},
                                                                                       {news, ClearAction::hide}}),
                                                c);
    ASSERT_EQ(clears.size(), 3u);
    EXPECT_EQ(clears[0].title, "Inbox"); // named twice, still one window
    EXPECT_EQ(clears[1].app, "Safari");  // two windows: the whole application
    EXPECT_EQ(clears[1].title, QString());
    EXPECT_EQ(clears[2].title, "general");
}

TEST_F(Matching, ThisProcessIsNeverCleared)
{
    SimState s = defaultState();
    SimWindow own;
    own.pid = 100;
    own.title = QStringLiteral("Tavrin settings");
    own.frame = Rect(10, 30, 400, 300);
    s.windows.insert(s.windows.begin(), own);
    s.apps[0].policy = ActivationPolicy::regular;
    load(s);
    ScreenCapture c = capture();
    c.windows.insert(c.windows.begin(), window("Tavrin settings"));
    const auto clears = WorkspaceRunner::clears(planOf({}, QList<WorkspacePlan::Clear>{{0, ClearAction::quit}}), c);
    EXPECT_TRUE(clears.empty());
}

TEST_F(Matching, ASavedWorkspaceMatchesItsItemsToOpenWindowsPreferringTheirAddress)
{
    clock.setNow(Clock::referenceSeconds(QDateTime(QDate(2026, 12, 7), QTime(20, 0))));
    SavedWorkspace saved;
    saved.name = QStringLiteral("Research");
    saved.layout = LayoutKind::thirds;
    saved.savedAt = QDateTime(QDate(2026, 12, 7), QTime(18, 2));
    saved.apps = {"Safari", "Safari", "Safari", "Pages", "Notes", "Calendar"};
    saved.items =
        QList<SavedItem>{{"Safari", QStringLiteral("https://news.example.com/"), std::nullopt},
                         {"Safari", QStringLiteral("https://docs.example.com/guide"), std::nullopt},
                         {"Safari", QStringLiteral("https://c.example.com/"),
                          QStringList{"https://b.example.com/", "https://c.example.com/", "https://d.example.com/"}},
                         {"Pages", QStringLiteral("file:///Users/sam/Report.pages"), std::nullopt},
                         {"Notes", QStringLiteral("javascript:alert(1)"), std::nullopt},
                         {"Calendar", std::nullopt, std::nullopt}};
    QList<PlanRequest::Window> windows{
        {"Safari", "Docs", QStringLiteral("https://docs.example.com/guide"), std::nullopt},
        {"Safari", "News", QStringLiteral("https://news.example.com/"), std::nullopt},
        {"Mail", "Inbox", std::nullopt, std::nullopt}};
    const WorkspacePlan plan = saved.plan(windows);

    EXPECT_EQ(plan.workspaceName, "Research");
    EXPECT_EQ(plan.layout, LayoutKind::thirds);
    EXPECT_FALSE(plan.clear);
    EXPECT_TRUE(plan.fromSavedWorkspace);
    EXPECT_TRUE(plan.why.startsWith("Your saved workspace from today at ")) << plan.why.toStdString();
    ASSERT_EQ(plan.windows.size(), 6);
    EXPECT_EQ(plan.windows[0].existingWindow, 1);
    EXPECT_EQ(plan.windows[1].existingWindow, 0);
    EXPECT_FALSE(plan.windows[2].existingWindow); // both Safari windows are taken
    EXPECT_EQ(plan.windows[2].openURL, "https://c.example.com/");
    EXPECT_EQ(plan.windows[2].tabs, (QStringList{"https://b.example.com/", "https://d.example.com/"}));
    EXPECT_EQ(plan.windows[3].openURL, "file:///Users/sam/Report.pages");
    EXPECT_FALSE(plan.windows[4].openURL);
    EXPECT_FALSE(plan.windows[5].openURL);

    // Its file address survives matching; a planner's would not.
    const auto rows = WorkspaceRunner::rows(plan, capture());
    EXPECT_EQ(rows[3].openURL, "file:///Users/sam/Report.pages");
    EXPECT_EQ(rows[3].detail, "Report.pages");
    WorkspacePlan claimed = plan;
    claimed.fromSavedWorkspace = false;
    EXPECT_FALSE(WorkspaceRunner::rows(claimed, capture())[3].openURL);
}

TEST_F(Matching, ASavedWorkspaceWithoutItemsMatchesItsApplicationsAndCleansAddressesThroughTheHook)
{
    FakeWindowContent content;
    const Registration integrations = WindowContent::install(content);
    content.onCleanWebAddress = [](const QString& address) -> std::optional<QString> {
        return address.section('?', 0, 0);
    };
    SavedWorkspace saved;
    saved.apps = {"Mail", "Mail"};
    const WorkspacePlan plan = saved.plan({{"Mail", "Inbox", std::nullopt, std::nullopt}});
    ASSERT_EQ(plan.windows.size(), 2);
    EXPECT_EQ(plan.windows[0].existingWindow, 0);
    EXPECT_FALSE(plan.windows[1].existingWindow);

    saved.items = QList<SavedItem>{{"Safari", QStringLiteral("https://news.example.com/?utm=x"), std::nullopt}};
    const WorkspacePlan cleaned =
        saved.plan({{"Safari", "Docs", QStringLiteral("https://docs.example.com/"), std::nullopt},
                    {"Safari", "News", QStringLiteral("https://news.example.com/"), std::nullopt}});
    EXPECT_EQ(cleaned.windows[0].existingWindow, 1);
}

TEST_F(Matching, ASavedWindowIsTakenAsOpenOnlyByAWindowThatShowsItAndNoWindowServesTwo)
{
    const QString alpha = "file:///home/sam/alpha", home = "file:///home/sam", project = "file:///home/sam/p";
    const SavedItem a{"Firefox ESR", QStringLiteral("https://a.example/1"),
                      QStringList{"https://a.example/1", "https://a.example/2", "https://a.example/3"}};
    const SavedItem b{"Firefox ESR", QStringLiteral("https://b.example/1"),
                      QStringList{"https://b.example/1", "https://b.example/2"}};
    SavedItem build{"XTerm", project, std::nullopt}, logs = build, inAlpha{"XTerm", alpha, std::nullopt};
    build.title = "build";
    logs.title = "logs";
    // A Chromium window whose tabs could not be told, and one that could.
    SavedItem untold{"Chromium", std::nullopt, std::nullopt},
        told{"Chromium", QStringLiteral("https://c.example/"), std::nullopt};
    untold.title = "Inbox - Chromium";
    told.tabTitle = "Plan";
    // An open window: its application, title, front address and what was read of it.
    struct Open {
        QString app, title;
        std::optional<QString> url;
        std::optional<QString> shown;
    };
    const struct {
        const char* name;
        QList<SavedItem> items;
        QList<Open> open;
        std::vector<int> expected; // the open window each item is, -1 when it opens
    } cases[] = {
        {"an unrelated browser window", {a, b}, {{"Firefox ESR", "Other", "https://o.example/", {}}}, {-1, -1}},
        {"one of the saved windows open",
         {a, b},
         {{"Firefox ESR", "Other", "https://o.example/", {}}, {"Firefox ESR", "B", "https://b.example/1", {}}},
         {-1, 1}},
        {"it shows another of its tabs now", {a, b}, {{"Firefox ESR", "A", "https://a.example/3", {}}}, {0, -1}},
        {"both open, in the other order",
         {a, b},
         {{"Firefox ESR", "B", "https://b.example/1", {}}, {"Firefox ESR", "A", "https://a.example/1", {}}},
         {1, 0}},
        {"a terminal open in another folder", {inAlpha}, {{"XTerm", "sam@box: ~", {}, home}}, {-1}},
        {"three terminals in one folder",
         {build, logs},
         {{"XTerm", "notes", {}, project}, {"XTerm", "build", {}, project}, {"XTerm", "logs", {}, project}},
         {1, 2}},
        {"a terminal moved to another folder keeps no claim by its title",
         {build},
         {{"XTerm", "build", {}, home}},
         {-1}},
        {"a terminal whose folder is not known, by its title", {logs}, {{"XTerm", "logs", {}, {}}}, {0}},
        {"browser windows without addresses, by their titles",
         {untold, told},
         {{"Chromium", "Plan - Chromium", {}, {}}, {"Chromium", "Inbox - Chromium", {}, {}}},
         {1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SavedWorkspace saved;
        saved.items = c.items;
        for (const SavedItem& item : c.items)
            saved.apps.append(item.app);
        QList<PlanRequest::Window> windows;
        QList<SavedItem> shown;
        for (const Open& o : c.open) {
            windows.append({o.app, o.title, o.url, std::nullopt});
            shown.append(SavedItem{o.app, o.shown, std::nullopt});
        }
        const WorkspacePlan plan = saved.plan(windows, shown);
        ASSERT_EQ(plan.windows.size(), c.items.size());
        for (qsizetype i = 0; i < c.items.size(); ++i) {
            EXPECT_EQ(plan.windows[i].existingWindow.value_or(-1), c.expected[std::size_t(i)]) << "item " << i;
            // What is not open opens, in its folder or with its address.
            if (c.expected[std::size_t(i)] < 0) {
                EXPECT_TRUE(plan.windows[i].openURL) << "item " << i;
            }
        }
    }
}
