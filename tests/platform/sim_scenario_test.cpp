#include "platform/calendarstore.h"
#include "platform/processes.h"
#include "platform/sim/simscenario.h"
#include "platform/sim/simwindowserver.h"
#include "platform/sim/simworkspace.h"
#include "support/simfixture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {
// The smallest valid scenario with `extra` members added at the top.
QByteArray scenario(const char* extra = "")
{
    return QByteArray(R"({"displays": [{"name": "Main", "frame": [0, 0, 1920, 1080]}])") + extra + "}";
}

QString errorOf(const QByteArray& json) { return SimScenario::fromJson(json, QStringLiteral("x.json")).error(); }
} // namespace

TEST(SimScenario, DefaultScenarioDescribesTheDesktopItPromises)
{
    SimEnvironment env;
    const SimDesktop& d = env.desktop;

    const auto screens = d.screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].frame, Rect(0, 0, 3440, 1440));
    EXPECT_EQ(screens[0].visibleFrame, Rect(0, 24, 3440, 1440 - 24 - 64)); // menu bar and dock
    EXPECT_EQ(screens[1].frame.x, 3440);                                   // beside it, to its right
    EXPECT_EQ(screens[1].frame.size(), (Size{1728, 1117}));
    EXPECT_EQ(screens[1].visibleFrame, screens[1].frame);
    EXPECT_EQ(screens[1].pixelWidth, 3456);
    EXPECT_EQ(screens[1].pixelHeight, 2234);

    EXPECT_TRUE(d.isTrusted());
    ASSERT_TRUE(d.frontmostApp());
    EXPECT_EQ(d.frontmostApp()->name, QStringLiteral("Visual Studio Code"));
    EXPECT_TRUE(d.appNamed(QStringLiteral("Messages"))->hidden);
    EXPECT_EQ(d.selfPid(), env.pid(QStringLiteral("Tavrin")));
    EXPECT_EQ(env.window(QStringLiteral("build — zsh — 100×30"))->minimised, true);
    EXPECT_EQ(d.windowsOf(env.pid(QStringLiteral("Safari"))).size(), 2u);
    EXPECT_EQ(env.window(QStringLiteral("Release checklist – Docs"))->tabs.size(), 3u); // titled by its front tab
    EXPECT_FALSE(d.installedApps().empty());
    EXPECT_EQ(env.desktop.workspace().applicationForUrl(QUrl(QStringLiteral("https://example.com"))),
              d.appNamed(QStringLiteral("Safari"))->location);

    // Every window on screen lies on a display.
    for (const SimWindow* w : d.onScreenWindows()) {
        const bool onOne = std::any_of(screens.begin(), screens.end(),
                                       [&](const ScreenInfo& s) { return s.visibleFrame.intersects(w->frame); });
        EXPECT_TRUE(onOne) << w->title.toStdString();
    }
}

TEST(SimScenario, MissingFileIsOneLineNamingTheFile)
{
    const SimScenario s = SimScenario::fromFile(QStringLiteral("scenarios/no-such.json"));
    EXPECT_FALSE(s.ok());
    EXPECT_TRUE(s.error().startsWith(QStringLiteral("scenarios/no-such.json: cannot read the file")))
        << s.error().toStdString();
    EXPECT_FALSE(s.error().contains(QLatin1Char('\n')));
}

TEST(SimScenario, MalformedJsonGivesLineAndColumn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\n  \"displays\": [\n    {\"name\": \"A\" \"frame\": [0, 0, 1, 1]}\n  ]\n}\n");
    file.close();

    const QString error = SimScenario::fromFile(path).error();
    EXPECT_TRUE(error.startsWith(path + QStringLiteral(": malformed JSON at line 3, column "))) << error.toStdString();
}

TEST(SimScenario, WrongOrMissingFieldsNameTheFieldAndTheProblem)
{
    const std::vector<std::pair<QByteArray, QString>> cases = {
        {"[]", "x.json: expected a JSON object at the top"},
        {"{}", "x.json: displays: missing"},
        {R"({"displays": []})", "x.json: displays: expected at least one display"},
        {R"({"displays": [{"frame": [0, 0, 10, 10]}]})", "x.json: displays[0].name: missing"},
        {R"({"displays": [{"name": "A", "frame": [0, 0, 10]}]})",
         "x.json: displays[0].frame: expected [x, y, width, height]"},
        {R"({"displays": [{"name": "A", "frame": [0, 0, 0, 10]}]})",
         "x.json: displays[0].frame: width and height must be greater than 0"},
        {scenario(R"(, "apps": [{"name": "A"}], "windows": [{"app": "A", "frame": [0, 0, 5, 5]},
                     {"app": "A", "frame": "big"}])"),
         "x.json: windows[1].frame: expected [x, y, width, height]"},
        {scenario(R"(, "windows": [{"app": "Ghost", "frame": [0, 0, 5, 5]}])"),
         "x.json: windows[0].app: no application named \"Ghost\" in apps"},
        {scenario(R"(, "apps": [{"name": "A", "tittle": "x"}])"), "x.json: apps[0]: unknown field \"tittle\""},
        {scenario(R"(, "apps": [{"name": "A", "policy": "background"}])"),
         "x.json: apps[0].policy: expected \"regular\", \"accessory\" or \"prohibited\""},
        {scenario(R"(, "apps": [{"name": "A", "pid": 7}, {"name": "B", "pid": 7}])"),
         "x.json: apps[1].pid: 7 is used twice"},
        {scenario(R"(, "apps": [{"name": "A", "hidden": "yes"}])"), "x.json: apps[0].hidden: expected true or false"},
        {scenario(R"(, "apps": [{"name": "A", "hidden": true}], "frontmost": "A")"),
         "x.json: frontmost: \"A\" is hidden"},
        {scenario(R"(, "launchDelay": -1)"), "x.json: launchDelay: expected a number of at least 0"},
        {scenario(R"(, "defaultApps": {"https": "Nowhere"})"),
         "x.json: defaultApps.https: no application named \"Nowhere\" in apps or installed"},
        {scenario(R"(, "refusedHotKeys": [{"keyCode": 49, "modifiers": ["hyper"]}])"),
         "x.json: refusedHotKeys[0].modifiers: expected names from \"command\", \"shift\", \"option\", \"control\""},
        {scenario(R"(, "installed": [{"name": "B", "windows": [{"app": "B", "frame": [0, 0, 5, 5]}]}])"),
         "x.json: installed[0].windows[0]: unknown field \"app\""},
        {scenario(R"(, "trsted": true)"), "x.json: trsted: unknown field"},
        {scenario(R"(, "apps": [{"name": "A", "automation": "maybe"}])"),
         "x.json: apps[0].automation: expected \"allowed\", \"denied\" or \"notAsked\""},
        {scenario(R"(, "apps": [{"name": "A", "scriptDelay": -2}])"),
         "x.json: apps[0].scriptDelay: expected a number of at least 0"},
        {scenario(R"(, "processes": [{"tty": "ttys001", "command": "zsh"}])"), "x.json: processes[0].pid: missing"},
        {scenario(R"(, "processes": [{"pid": 5, "tty": "ttys001"}])"), "x.json: processes[0].command: missing"},
        {scenario(R"(, "microphoneInUse": 1)"), "x.json: microphoneInUse: expected true or false"},
        {scenario(R"(, "applicationFiles": ["Applications/A.app"])"),
         "x.json: applicationFiles[0]: expected a path beginning with \"/\" or \"~/\""},
    };
    for (const auto& [json, expected] : cases)
        EXPECT_EQ(errorOf(json), expected) << json.toStdString();
}

TEST(SimScenario, ABadScenarioLeavesTheDesktopAsItWas)
{
    SimEnvironment env;
    const auto windows = env.desktop.windows().size();
    const SimScenario bad = SimScenario::fromJson("{}", QStringLiteral("x.json"));
    EXPECT_FALSE(bad.applyTo(env.desktop));
    EXPECT_EQ(env.desktop.windows().size(), windows);
}

TEST(SimScenario, FillsInPidsNumbersAndTitlesAndReloadingRetiresOldElements)
{
    SimEnvironment env(scenario(R"(, "apps": [{"name": "A", "pid": 501}, {"name": "B"}],
        "windows": [{"app": "B", "frame": [0, 0, 50, 50], "number": 300},
                    {"app": "A", "frame": [10, 10, 50, 50], "activeTab": 1,
                     "tabs": [{"title": "One", "url": "https://one.example"}, {"title": "Two", "url": "https://two.example"}]}],
        "frontmost": "B")"));
    EXPECT_EQ(env.pid(QStringLiteral("B")), 502);
    const auto list = env.desktop.windowServer().onScreenWindows();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].number, 300u);
    EXPECT_GT(list[1].number, 300u);
    EXPECT_EQ(env.window(QStringLiteral("Two"))->url(), QStringLiteral("https://two.example"));

    const AXElement before = env.element(QStringLiteral("Two"));
    ASSERT_TRUE(SimScenario::fromJson(scenario(R"(, "apps": [{"name": "A", "pid": 501}],
        "windows": [{"app": "A", "title": "Two", "frame": [0, 0, 9, 9]}])"),
                                      QStringLiteral("y.json"))
                    .applyTo(env.desktop));
    EXPECT_NE(env.element(QStringLiteral("Two")), before);
    EXPECT_EQ(env.desktop.accessibility().attribute(before, ax::Title).error, AXError::invalidElement);
}

TEST(SimScenario, CalendarsAndShortcutsAreReadWithEventsOnTheDesktopsClock)
{
    SimEnvironment env(scenario(R"(, "calendarAccess": "notDetermined", "shortcuts": ["Focus on", "A\r"],
        "calendars": [{"id": "work", "title": "Work", "colour": "#ff0000", "account": "iCloud",
                       "events": [{"title": "Standup", "start": -60, "end": 840}, {"start": 0, "end": 0, "allDay": true}]}])"));
    CalendarStore& store = *Platform::current().calendars;
    EXPECT_EQ(store.access(), CalendarAccess::notDetermined);
    EXPECT_TRUE(store.calendars().isEmpty()); // nothing without access
    bool answered = false;
    store.requestFullAccess([&] { answered = true; });
    EXPECT_FALSE(answered);
    env.clock.runDue();
    EXPECT_TRUE(answered);
    EXPECT_EQ(store.access(), CalendarAccess::fullAccess);
    EXPECT_EQ(store.calendars(), (QList<CalendarInfo>{{"work", "Work", QColor(255, 0, 0), "iCloud"}}));

    const double now = env.clock.now();
    EXPECT_EQ(store.events({"work"}, now, now),
              (QList<CalendarEvent>{{"Standup", now - 60, now + 840, false}, {"", now, now, true}}));
    EXPECT_TRUE(store.events({"work"}, now + 841, now + 900).isEmpty());
    EXPECT_TRUE(store.events({"home"}, now, now).isEmpty());
    // Denied stays denied when asked again.
    env.desktop.setCalendarAccess(CalendarAccess::denied);
    store.requestFullAccess({});
    env.clock.runDue();
    EXPECT_EQ(store.access(), CalendarAccess::denied);
    EXPECT_TRUE(store.events({"work"}, now, now).isEmpty());

    Processes& processes = *Platform::current().processes;
    EXPECT_EQ(processes.run("/opt/tavrin", {"shortcuts", "list"}, 10), QByteArray("Focus on\nA\r\n"));
    EXPECT_TRUE(processes.runWithoutOutput("/opt/tavrin", {"shortcuts", "run", "Focus on"}, 10));
    EXPECT_FALSE(processes.runWithoutOutput("/opt/tavrin", {"shortcuts", "run", "Nope"}, 10));

    EXPECT_TRUE(errorOf(scenario(R"(, "calendarAccess": "maybe")")).startsWith("x.json: calendarAccess: expected"));
    EXPECT_EQ(errorOf(scenario(R"(, "calendars": [{"id": "a"}])")), "x.json: calendars[0].title: missing");
    EXPECT_EQ(errorOf(scenario(R"(, "calendars": [{"id": "a", "title": "A", "events": [{"start": 5, "end": 1}]}])")),
              "x.json: calendars[0].events[0].end: expected a number of at least 5");
    EXPECT_EQ(errorOf(scenario(R"(, "shortcuts": [1])")), "x.json: shortcuts[0]: expected a name");
}

TEST(SimScenario, ALaunchInTheBackgroundLeavesTheFrontApplicationInFront)
{
    SimEnvironment env;
    const int front = env.desktop.frontmostPid();
    ASSERT_TRUE(env.desktop.workspace().launchApplicationInBackground(QStringLiteral("/Applications/Obsidian.app")));
    env.clock.advance(env.desktop.launchDelay());
    EXPECT_TRUE(env.desktop.appNamed(QStringLiteral("Obsidian")));
    EXPECT_EQ(env.desktop.frontmostPid(), front);
    EXPECT_FALSE(env.desktop.workspace().launchApplicationInBackground(QStringLiteral("/Applications/None.app")));
}
