#include "workspacedesk.h"

#include "platform/accessibility.h"
#include "platform/sim/simworkspace.h"
#include "support/windowfakes.h"
#include "support/workspacefakes.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/savedworkspacestore.h"
#include "workspaces/workspacerunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>

using namespace tavrin;

namespace {

// What undo must give back: every window's frame and minimised state, and
// which applications run, hidden or not.
struct DesktopState {
    QMap<QString, std::pair<Rect, bool>> windows; // by title
    QMap<QString, bool> apps;                     // name → hidden

    static DesktopState of(const SimDesktop& desktop)
    {
        DesktopState s;
        for (const SimWindow& w : desktop.windows())
            s.windows.insert(w.title, {w.frame, w.minimised});
        for (const SimApp& a : desktop.apps())
            s.apps.insert(a.name, a.hidden);
        return s;
    }
    bool operator==(const DesktopState&) const = default;
};

std::ostream& operator<<(std::ostream& os, const DesktopState& s)
{
    for (auto it = s.windows.begin(); it != s.windows.end(); ++it)
        os << it.key().toStdString() << " (" << it->first.x << ", " << it->first.y << ", " << it->first.width << ", "
           << it->first.height << (it->second ? ", minimised" : "") << ") ";
    for (auto it = s.apps.begin(); it != s.apps.end(); ++it)
        os << it.key().toStdString() << (it.value() ? " hidden; " : "; ");
    return os;
}

struct Call {
    double at;
    QString what;
    double seconds = 0;
    int windows = 0;
};

class Runner : public WorkspaceDesk {
protected:
    Runner()
    {
        autoArrange.onPause = [this](double s) { calls.push_back({clock.monotonic(), "pause", s}); };
        autoArrange.onArrangeNow = [this](const Display&, const std::vector<AXWindow>& w) {
            calls.push_back({clock.monotonic(), "arrangeNow", 0, int(w.size())});
        };
        autoArrange.onArrangeAll = [this] { calls.push_back({clock.monotonic(), "arrangeAll"}); };
        learner.onRecord = [this](const QString& app, const Display&, const UnitRect&, bool focus) {
            learned << app + (focus ? "*" : "");
        };
        learner.onUnrecord = [this](const QString& app, const Display&, const UnitRect&, bool focus) {
            learned.removeOne(app + (focus ? "*" : ""));
        };
    }

    WindowManager windows;
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner{windows, Platform::current(), active};
    FakeAutoArrange autoArrange;
    FakeLearner learner;
    Registration arranging = runner.setAutoArrange(autoArrange);
    Registration learning = windows.setLearner(learner);

    PlannedWindow existing(const QString& title) const
    {
        PlannedWindow row;
        row.existing = window(title);
        row.app = row.existing->app.localizedName;
        return row;
    }
    static PlannedWindow opening(const QString& app, std::optional<QString> url = std::nullopt)
    {
        PlannedWindow row;
        row.app = app;
        row.openURL = std::move(url);
        return row;
    }
    PlannedClear clearing(const QString& name, ClearAction action) const
    {
        return PlannedClear{QUuid::createUuid(), name, action, app(name)->snapshot(false), QString()};
    }

    WorkspaceRunner::Outcome arrange(std::vector<PlannedWindow> rows, std::vector<PlannedClear> clears = {},
                                     LayoutKind layout = LayoutKind::thirds)
    {
        return finish(runner.arrange(std::move(rows), std::move(clears), layout, display()));
    }
    Rect slot(LayoutKind layout, int count, int index) const
    {
        return rects(layout, count, display().aspect())[std::size_t(index)].rect(display().area, 8);
    }

    std::vector<Call> calls;
    QStringList learned;
};

} // namespace

TEST_F(Runner, ArrangeThenUndoPutsEverythingBackAsItWas)
{
    defaults.setValue("layout.Studio", QStringLiteral("halves"));
    const ActiveWorkspace earlier{"Earlier", 2, clock.nowDate(), 1};
    active.set(earlier);
    const DesktopState before = DesktopState::of(desktop);

    const auto outcome = arrange({existing("Docs"), existing("zsh"), existing("Ideas"), opening("Calendar"),
                                  opening("Safari", "https://maps.example.com/")},
                                 {clearing("Mail", ClearAction::quit), clearing("Slack", ClearAction::hide),
                                  clearing("Music", ClearAction::hide)});

    EXPECT_FALSE(outcome.problem) << outcome.problem->toStdString();
    EXPECT_EQ(outcome.arranged, 5);
    const QStringList placed{"Docs", "zsh", "Ideas", "Calendar", "maps.example.com"};
    for (int i = 0; i < 5; ++i) {
        const SimWindow* w = simWindow(placed[i]);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->frame, slot(LayoutKind::thirds, 5, i)) << placed[i].toStdString();
        EXPECT_FALSE(w->minimised);
    }
    EXPECT_FALSE(app("Mail"));
    EXPECT_TRUE(app("Slack")->hidden);
    EXPECT_FALSE(app("Notes")->hidden);
    EXPECT_EQ(desktop.frontmostApp()->name, "Safari");
    EXPECT_EQ(desktop.windows().front().title, "Docs"); // the main window raised
    EXPECT_EQ(outcome.launched.size(), 1u);
    EXPECT_EQ(outcome.openedWindows.size(), 2u);
    EXPECT_EQ(outcome.unminimised.size(), 1u);
    EXPECT_EQ(outcome.unhidden.size(), 1u);
    ASSERT_EQ(outcome.quit.size(), 1u);
    EXPECT_EQ(outcome.quit[0], (std::pair<QString, std::optional<QString>>{"Mail", "/Applications/Mail.app"}));
    EXPECT_EQ(outcome.hidden.size(), 2u);
    EXPECT_EQ(defaults.string("layout.Studio"), "thirds");
    EXPECT_EQ(learned, (QStringList{"Safari*", "Terminal", "Notes", "Calendar", "Safari"}));

    // The command bar records the arranged workspace; undo gives the earlier one back.
    active.set(ActiveWorkspace{"Plan", 5, clock.nowDate(), 1});
    runner.undo(outcome);
    clock.advance(2.0); // Mail comes back after its launch; the frame guard must not fight undo

    EXPECT_EQ(DesktopState::of(desktop), before);
    EXPECT_FALSE(app("Calendar"));
    EXPECT_EQ(defaults.string("layout.Studio"), "halves");
    EXPECT_EQ(active.get(), earlier);
    EXPECT_TRUE(learned.isEmpty());
}

TEST_F(Runner, UndoGivesAWindowBroughtBackFromTheDockItsFrameFromBeforeThenMinimisesIt)
{
    // This desktop brings a minimised window back at the bottom edge first.
    const Rect before = simWindow("zsh")->frame;
    const std::uint64_t zsh = simWindow("zsh")->token;
    bool broughtBack = false;
    QObject watching;
    QObject::connect(&desktop, &SimDesktop::changed, &watching, [&] {
        if (!broughtBack && !simWindow("zsh")->minimised) {
            broughtBack = true;
            desktop.setFrame(zsh, Rect(937, 1419, 700, 450));
        }
    });
    const auto outcome = arrange({existing("Docs"), existing("zsh")});
    EXPECT_EQ(simWindow("zsh")->frame, slot(LayoutKind::thirds, 2, 1));
    runner.undo(outcome);
    EXPECT_EQ(simWindow("zsh")->frame, before);
    EXPECT_TRUE(simWindow("zsh")->minimised);
}

TEST_F(Runner, AnApplicationStartedHereIsQuitWithItsWindowsAsTheyWere)
{
    const auto outcome = arrange({opening("Calendar")});
    EXPECT_EQ(simWindow("Calendar")->frame, slot(LayoutKind::thirds, 1, 0));
    runner.undo(outcome);
    EXPECT_FALSE(app("Calendar"));
    // Its next launch brings its window back where it was before.
    const auto again = arrange({opening("Calendar")});
    EXPECT_EQ(again.arranged, 1);
    runner.undo(again);
    desktop.workspace().launchApplication("/Applications/Calendar.app");
    clock.advance(1.0);
    ASSERT_TRUE(simWindow("Calendar"));
    EXPECT_EQ(simWindow("Calendar")->frame, Rect(400, 150, 1300, 900));
}

TEST_F(Runner, UndoForgetsAUsualLayoutThatWasNotStored)
{
    const auto outcome = arrange({existing("Docs")}, {}, LayoutKind::studio);
    EXPECT_EQ(defaults.string("layout.Studio"), "studio");
    runner.undo(outcome);
    EXPECT_FALSE(defaults.contains("layout.Studio"));
    EXPECT_FALSE(active.get());
}

TEST_F(Runner, PausesAutoArrangeAroundArrangingAndUndoing)
{
    const auto outcome = arrange({existing("Docs"), existing("Inbox")});
    const double done = clock.monotonic();
    clock.advance(3.0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].what, "pause");
    EXPECT_DOUBLE_EQ(calls[0].seconds, 3.0);
    EXPECT_EQ(calls[1].what, "arrangeNow");
    EXPECT_NEAR(calls[1].at - calls[0].at, 2.6, 1e-9);
    EXPECT_EQ(calls[1].windows, 2);
    EXPECT_LE(calls[0].at, done);

    calls.clear();
    const double undone = clock.monotonic();
    runner.undo(outcome);
    clock.advance(1.4);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].what, "pause");
    EXPECT_DOUBLE_EQ(calls[0].seconds, 2.5);
    clock.advance(0.1);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].what, "arrangeAll");
    EXPECT_NEAR(calls[1].at - undone, 1.5, 1e-9);
}

TEST_F(Runner, GuardsTheFramesForAShortWhile)
{
    const auto outcome = arrange({existing("Docs"), existing("Inbox")}, {}, LayoutKind::halves);
    const Rect placed = slot(LayoutKind::halves, 2, 0);
    const std::uint64_t docs = simWindow("Docs")->token;

    desktop.setFrame(docs, Rect(placed.x + 1, placed.y + 1, placed.width, placed.height)); // within 2 points
    clock.advance(0.3);
    EXPECT_EQ(desktop.window(docs)->frame.x, placed.x + 1);

    desktop.setFrame(docs, Rect(900, 900, 400, 300)); // the application undid the move
    clock.advance(0.5);
    EXPECT_EQ(desktop.window(docs)->frame, placed);

    desktop.setFrame(docs, Rect(900, 900, 400, 300));
    clock.advance(0.7);
    EXPECT_EQ(desktop.window(docs)->frame, placed);

    // After the last check the user's own moves stand.
    desktop.setFrame(docs, Rect(900, 900, 400, 300));
    clock.advance(2.0);
    EXPECT_EQ(desktop.window(docs)->frame, Rect(900, 900, 400, 300));
}

TEST_F(Runner, WithoutTrustNothingMoves)
{
    desktop.setTrusted(false);
    const DesktopState before = DesktopState::of(desktop);
    const auto outcome = arrange({existing("Docs"), opening("Calendar")}, {clearing("Mail", ClearAction::quit)});
    EXPECT_EQ(outcome.problem, "Tavrin isn't allowed to move windows on this desktop.");
    EXPECT_EQ(outcome.arranged, 0);
    clock.advance(6);
    EXPECT_EQ(DesktopState::of(desktop), before);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Runner, AWindowThatNeverAppearsIsReportedAfterFiveSeconds)
{
    const double start = clock.monotonic();
    const auto outcome = arrange({existing("Docs"), opening("Empty"), opening("Nowhere")});
    EXPECT_NEAR(clock.monotonic() - start, 5.0, 0.06);
    // Each named, with why.
    EXPECT_EQ(outcome.problem.value_or("").toStdString(),
              "Couldn't open Empty: no window came within 5 seconds. Couldn't open Nowhere: it isn't installed.");
    EXPECT_EQ(outcome.arranged, 1);
    EXPECT_EQ(simWindow("Docs")->frame, slot(LayoutKind::thirds, 1, 0)); // the rows left close up
    // Empty was started here, so undo quits it again.
    ASSERT_EQ(outcome.launched.size(), 1u);
    EXPECT_EQ(outcome.launched[0].localizedName, "Empty");
    runner.undo(outcome);
    EXPECT_FALSE(app("Empty"));
}

TEST_F(Runner, OpensWindowsOfOneApplicationOneAfterAnother)
{
    const auto outcome = arrange({opening("Safari", "https://a.example.com/"),
                                  opening("Safari", "https://b.example.com/"), opening("Calendar")});
    EXPECT_FALSE(outcome.problem);
    ASSERT_EQ(outcome.windows.size(), 3u);
    EXPECT_EQ(outcome.windows[0].string("AXTitle"), "a.example.com");
    EXPECT_EQ(outcome.windows[1].string("AXTitle"), "b.example.com");
    EXPECT_EQ(outcome.windows[2].string("AXTitle"), "Calendar");
    EXPECT_TRUE(outcome.launched.size() == 1u && outcome.launched[0].localizedName == "Calendar");
}

TEST_F(Runner, APlanWithUnsafeAddressesOpensNothing)
{
    WorkspacePlan plan;
    plan.layout = LayoutKind::halves;
    for (const char* url : {"file:///etc/passwd", "javascript:alert(document.cookie)", "tavrin-x://erase?all"}) {
        WorkspacePlan::Window w;
        w.app = QStringLiteral("Safari");
        w.openURL = QString::fromLatin1(url);
        w.tabs = QStringList{QStringLiteral("file:///Users/sam/.ssh/id_ed25519")};
        plan.windows << w;
    }
    const std::size_t windowsBefore = desktop.windows().size();
    const std::size_t appsBefore = desktop.apps().size();
    const auto rows = WorkspaceRunner::rows(plan, capture());
    const auto outcome = arrange(rows);

    EXPECT_EQ(desktop.windows().size(), windowsBefore);
    EXPECT_EQ(desktop.apps().size(), appsBefore);
    EXPECT_EQ(desktop.workspace().pendingLaunches(), 0u);
    for (const SimWindow& w : desktop.windows())
        EXPECT_TRUE(w.document.isEmpty()) << w.title.toStdString();
    EXPECT_TRUE(outcome.openedWindows.empty());
    EXPECT_TRUE(outcome.launched.empty());
    // The Safari windows that were there are used; the third row asks for a
    // window that cannot be opened safely, and says so.
    EXPECT_EQ(outcome.arranged, 2);
    EXPECT_EQ(outcome.problem.value_or("").toStdString(), "Couldn't open Safari: no window came within 5 seconds.");
}

TEST_F(Runner, ArrangesAtMostSixWindows)
{
    SimState s = defaultState();
    for (int i = 0; i < 40; ++i) {
        SimWindow w;
        w.pid = 104;
        w.title = QString("Channel %1").arg(i);
        w.frame = Rect(10 + i, 40 + i, 500, 400);
        s.windows.push_back(w);
    }
    load(s);
    std::vector<PlannedWindow> rows;
    for (int i = 0; i < 40; ++i)
        rows.push_back(existing(QString("Channel %1").arg(i)));
    const auto outcome = arrange(rows);
    EXPECT_EQ(outcome.arranged, 6);
    EXPECT_EQ(simWindow("Channel 6")->frame, Rect(16, 46, 500, 400));
}

TEST_F(Runner, ArrangesASavedWorkspaceOnTheFocusedDisplay)
{
    SavedWorkspace saved;
    saved.name = QStringLiteral("Mail day");
    saved.layout = LayoutKind::halves;
    saved.apps = {"Mail", "Calendar"};
    saved.savedAt = clock.nowDate();
    const auto outcome = finish(runner.arrangeSaved(saved));
    EXPECT_FALSE(outcome.problem);
    EXPECT_EQ(outcome.arranged, 2);
    EXPECT_EQ(simWindow("Inbox")->frame, slot(LayoutKind::halves, 2, 0));
    EXPECT_EQ(simWindow("Calendar")->frame, slot(LayoutKind::halves, 2, 1));
    EXPECT_EQ(calls.front().what, "pause");
    EXPECT_DOUBLE_EQ(calls.front().seconds, 8.0);

    SavedWorkspace nothing = saved;
    nothing.apps = {};
    EXPECT_EQ(finish(runner.arrangeSaved(nothing)).problem, "None of the windows in this workspace could be found.");

    desktop.setDisplays({});
    EXPECT_EQ(finish(runner.arrangeSaved(saved)).problem, "Tavrin couldn't find a display.");
}

TEST_F(Runner, SwitchesTabsAndOpensTabsThroughTheIntegrations)
{
    QStringList opened;
    FakeWindowContent content;
    const Registration integrations = WindowContent::install(content);
    content.onSelectTab = [](const QString& app, const QString& title, const QString& tab) {
        return app == "Safari" && title == "Docs" && tab == "API";
    };
    content.onRestoreTabs = [&](QString app, QStringList urls) -> QCoro::Task<bool> {
        opened = urls;
        co_return Platform::current().workspace->openUrl(QUrl(urls.front()), desktop.locationOf(app));
    };
    PlannedWindow docs = existing("Docs");
    docs.frontTab = QStringLiteral("API");
    content.onRestoresTabs = [](const QString& app) { return app == "Safari"; };
    PlannedWindow tabs = opening("Safari", "https://a.example.com/");
    tabs.tabs = QStringList{"https://b.example.com/"};
    tabs.saved = true;
    const auto outcome = arrange({docs, tabs});
    ASSERT_EQ(outcome.switchedTabs.size(), 1u);
    EXPECT_EQ(outcome.switchedTabs[0].second, "API");
    EXPECT_EQ(opened, (QStringList{"https://a.example.com/", "https://b.example.com/"}));
    EXPECT_EQ(outcome.arranged, 2);
}

TEST_F(Runner, RestoresTabsOnlyOfSavedBrowserWindowsOnceTheBrowserRuns)
{
    SimInstalledApp chrome;
    chrome.name = "Chrome";
    chrome.location = "/Applications/Chrome.app";
    SimWindow start;
    start.title = "New Tab";
    start.frame = Rect(100, 100, 900, 700);
    chrome.windows = {start};
    desktop.addInstalledApp(chrome);

    QStringList asked;
    FakeWindowContent content;
    const Registration integrations = WindowContent::install(content);
    content.onRestoresTabs = [](const QString& app) { return app == "Chrome" || app == "Safari"; };
    content.onRestoreTabs = [&](QString app, QStringList urls) -> QCoro::Task<bool> {
        const SimApp* running = desktop.appNamed(app);
        asked << app + (running ? " running" : " not running") + QStringLiteral(" %1").arg(urls.size());
        co_return Platform::current().workspace->openUrl(QUrl(urls.front()), desktop.locationOf(app));
    };
    PlannedWindow planned = opening("Safari", "https://a.example.com/"); // a planner's tabs
    planned.tabs = QStringList{"https://b.example.com/"};
    PlannedWindow saved = opening("Chrome", "https://c.example.com/");
    saved.tabs = QStringList{"https://d.example.com/", "https://e.example.com/"};
    saved.saved = true;
    PlannedWindow off = opening("Mail", "https://f.example.com/"); // not a browser whose tabs come back
    off.tabs = QStringList{"https://g.example.com/"};
    off.saved = true;

    const auto outcome = arrange({planned, saved, off});
    EXPECT_EQ(asked, QStringList{"Chrome running 3"});
    EXPECT_EQ(outcome.arranged, 3);
    // The window the tabs opened in is the one placed, not the one the launch brought.
    ASSERT_EQ(outcome.windows.size(), 3u);
    EXPECT_EQ(outcome.windows[1].string(ax::Title), "c.example.com");
}

TEST_F(Runner, ASavedWindowsTabsComeBackInTheirOrderAndOlderSavesAsTheyDid)
{
    SimInstalledApp chrome;
    chrome.name = "Chrome";
    chrome.location = "/Applications/Chrome.app";
    desktop.addInstalledApp(chrome);
    FakeWindowContent content;
    content.startsBrowser = true;
    const Registration integrations = WindowContent::install(content);
    content.onRestoresTabs = [](const QString& app) { return app == "Chrome"; };
    QList<std::pair<QStringList, int>> asked;
    content.onRestoreTabs = [&](QString app, QStringList urls) -> QCoro::Task<bool> {
        asked.append({urls, content.restoredFront});
        co_return Platform::current().workspace->openUrl(QUrl(urls[content.restoredFront]), desktop.locationOf(app));
    };
    // As saved now: the tabs in their order and the front one's index (the
    // second of two equal addresses); as saved before the index existed:
    // the front tab opens first.
    const QByteArray items = R"([
        {"app":"Chrome","url":"https://c.example/","front":2,
         "tabs":["https://a.example/","https://c.example/","https://c.example/","https://d.example/"]},
        {"app":"Chrome","url":"https://c.example/","tabs":["https://a.example/","https://c.example/","https://d.example/"]}
    ])";
    SavedWorkspace saved;
    saved.name = QStringLiteral("Reading");
    saved.layout = LayoutKind::halves;
    saved.apps = {"Chrome", "Chrome"};
    saved.savedAt = clock.nowDate();
    saved.items.emplace();
    for (const QJsonValue& item : QJsonDocument::fromJson(items).array()) {
        const auto read = SavedItem::fromJson(item);
        ASSERT_TRUE(read);
        EXPECT_EQ(SavedItem::fromJson(read->toJson()), read);
        saved.items->append(*read);
    }
    EXPECT_EQ(finish(runner.arrangeSaved(saved)).arranged, 2);
    EXPECT_EQ(asked, (QList<std::pair<QStringList, int>>{
                         {{"https://a.example/", "https://c.example/", "https://c.example/", "https://d.example/"}, 2},
                         {{"https://c.example/", "https://a.example/", "https://d.example/"}, 0}}));
}

TEST_F(Runner, WhereTheRestoreStartsTheBrowserItIsStartedOnceWithTheTabs)
{
    SimInstalledApp chrome;
    chrome.name = "Chrome";
    chrome.location = "/Applications/Chrome.app";
    desktop.addInstalledApp(chrome);
    QStringList asked;
    FakeWindowContent content;
    content.startsBrowser = true;
    const Registration integrations = WindowContent::install(content);
    content.onRestoresTabs = [](const QString& app) { return app == "Chrome"; };
    content.onRestoreTabs = [&](QString app, QStringList urls) -> QCoro::Task<bool> {
        asked << app + (desktop.appNamed(app) ? " running" : " not running") + QStringLiteral(" %1").arg(urls.size());
        co_return Platform::current().workspace->openUrl(QUrl(urls.front()), desktop.locationOf(app));
    };
    PlannedWindow saved = opening("Chrome", "https://c.example.com/");
    saved.tabs = QStringList{"https://d.example.com/"};
    saved.saved = true;
    // A private window kept no address: its place stays empty, and is named.
    PlannedWindow secret;
    secret.app = "Chrome";
    secret.saved = true;
    const auto outcome = arrange({saved, secret});
    EXPECT_EQ(asked, QStringList{"Chrome not running 2"});
    ASSERT_EQ(outcome.windows.size(), 1u);
    EXPECT_EQ(outcome.windows[0].string(ax::Title), "c.example.com");
    EXPECT_EQ(outcome.problem, "Couldn't open a Chrome window: it kept no address (a private window keeps none).");
}

TEST_F(Runner, EverySavedWindowComesBackOrIsNamedAndOneTabBrowserWindowsAsWindows)
{
    SimInstalledApp chrome;
    chrome.name = "Chrome";
    chrome.location = "/Applications/Chrome.app";
    desktop.addInstalledApp(chrome);
    FakeWindowContent content;
    content.startsBrowser = true;
    const Registration integrations = WindowContent::install(content);
    content.onRestoresTabs = [](const QString& app) { return app == "Chrome"; };
    QList<QStringList> asked;
    content.onRestoreTabs = [&](QString app, QStringList urls) -> QCoro::Task<bool> {
        asked.append(urls);
        co_return Platform::current().workspace->openUrl(QUrl(urls.front()), desktop.locationOf(app));
    };
    // Eight windows, as a session saves them: the open ones by their
    // titles, a browser window with one tab, and a ninth that only an edited
    // file could hold.
    SavedWorkspace saved;
    saved.name = QStringLiteral("Everything");
    saved.layout = LayoutKind::halves;
    saved.savedAt = clock.nowDate();
    saved.items.emplace();
    for (const char* title : {"Docs", "News", "Inbox", "general", "Library", "Ideas"}) {
        const SimWindow* w = simWindow(title);
        ASSERT_TRUE(w);
        SavedItem item{desktop.app(w->pid)->name, std::nullopt, std::nullopt};
        item.title = QString::fromUtf8(title);
        saved.items->append(item);
    }
    saved.items->append(SavedItem{"Chrome", QStringLiteral("https://e.example/"), std::nullopt});
    saved.items->append(SavedItem{"Calendar", std::nullopt, std::nullopt});
    saved.items->append(SavedItem{"Empty", std::nullopt, std::nullopt});
    for (const SavedItem& item : *saved.items)
        saved.apps.append(item.app);

    const auto outcome = finish(runner.arrangeSaved(saved));
    EXPECT_EQ(outcome.arranged, 8);
    EXPECT_EQ(asked, QList<QStringList>{{"https://e.example/"}}); // a window of its own, not a tab
    EXPECT_EQ(outcome.problem, "Left out Empty (at most 8 windows come back).");
}

TEST_F(Runner, OpenBrowserWindowsAreReadForARestoreOnlyWhileTheUserLetsThem)
{
    FakeWindowContent content;
    const Registration integrations = WindowContent::install(content);
    content.onRestoresTabs = [](const QString& app) { return app == "Safari"; };
    QStringList read;
    content.onCapture = [&](std::vector<AXWindow> windows) -> QCoro::Task<QList<SavedItem>> {
        QList<SavedItem> items;
        for (const AXWindow& w : windows) {
            read << w.app.localizedName;
            items.append(SavedItem{w.app.localizedName, std::nullopt, std::nullopt});
        }
        co_return items;
    };
    SavedItem inbox{"Mail", std::nullopt, std::nullopt};
    inbox.title = "Inbox";
    SavedWorkspace saved;
    saved.name = QStringLiteral("Mail and news");
    saved.savedAt = clock.nowDate();
    saved.items = QList<SavedItem>{{"Safari", QStringLiteral("https://news.example.com/"), std::nullopt}, inbox};
    saved.apps = {"Safari", "Mail"};
    for (const bool allowed : {false, true}) {
        read.clear();
        defaults.setValue("sendBrowserURLs", allowed);
        finish(runner.arrangeSaved(saved));
        EXPECT_EQ(read.contains("Safari"), allowed);
        EXPECT_TRUE(read.contains("Mail"));
    }
}
