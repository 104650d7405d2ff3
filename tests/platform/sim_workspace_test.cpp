#include "platform/sim/simwindowserver.h"
#include "platform/sim/simworkspace.h"
#include "support/simfixture.h"

#include <QObject>
#include <QUrl>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {
// Every workspace notification, in order, as "kind name".
class Announcements {
public:
    explicit Announcements(Workspace& ws)
    {
        QObject::connect(&ws, &Workspace::applicationLaunched, [this](const RunningApp& a) { add("launched", a); });
        QObject::connect(&ws, &Workspace::applicationActivated, [this](const RunningApp& a) { add("activated", a); });
        QObject::connect(&ws, &Workspace::applicationTerminated, [this](const RunningApp& a) { add("terminated", a); });
    }
    QStringList seen;

private:
    void add(const char* kind, const RunningApp& a)
    {
        seen << QStringLiteral("%1 %2").arg(QLatin1String(kind), a.localizedName);
    }
};

class SimWorkspaceTest : public SimTest {
protected:
    SimWorkspace& ws = env.desktop.workspace();
    Announcements heard{ws};
};
} // namespace

TEST_F(SimWorkspaceTest, LaunchingAnInstalledAppTakesTheLaunchDelayThenAnnouncesIt)
{
    const QString calendar = ws.applicationLocation(QStringLiteral("Calendar"));
    ASSERT_FALSE(calendar.isEmpty());
    EXPECT_TRUE(ws.launchApplication(calendar));
    env.clock.advance(0.9);
    EXPECT_FALSE(env.desktop.appNamed(QStringLiteral("Calendar")));
    EXPECT_TRUE(heard.seen.isEmpty());

    env.clock.advance(0.1);
    const SimApp* app = env.desktop.appNamed(QStringLiteral("Calendar"));
    ASSERT_TRUE(app);
    EXPECT_EQ(env.desktop.frontmostPid(), app->pid);
    ASSERT_EQ(env.desktop.windowsOf(app->pid).size(), 1u);
    EXPECT_EQ(env.desktop.onScreenWindows().front()->title, QStringLiteral("Calendar"));
    EXPECT_EQ(heard.seen, (QStringList{"launched Calendar", "activated Calendar"}));
    EXPECT_EQ(ws.frontmostApplication()->localizedName, QStringLiteral("Calendar"));
}

TEST_F(SimWorkspaceTest, ZeroLaunchDelayStillLaunchesOnlyOnTheNextRun)
{
    env.desktop.setLaunchDelay(0);
    EXPECT_TRUE(ws.launchApplication(ws.applicationLocation(QStringLiteral("Obsidian"))));
    EXPECT_FALSE(env.desktop.appNamed(QStringLiteral("Obsidian")));
    env.clock.runDue();
    EXPECT_TRUE(env.desktop.appNamed(QStringLiteral("Obsidian")));
}

TEST_F(SimWorkspaceTest, LaunchingARunningAppActivatesItAtOnceAndUnknownLocationsFail)
{
    const int slack = env.pid(QStringLiteral("Slack"));
    EXPECT_TRUE(ws.launchApplication(ws.applicationLocation(QStringLiteral("Slack"))));
    env.clock.runDue();
    EXPECT_EQ(env.desktop.frontmostPid(), slack);
    EXPECT_EQ(env.desktop.onScreenWindows().front()->pid, slack);
    EXPECT_EQ(heard.seen, (QStringList{"activated Slack"}));

    EXPECT_FALSE(ws.launchApplication(QStringLiteral("/Applications/Nothing.app")));
    EXPECT_FALSE(ws.launchApplication(QString()));
}

TEST_F(SimWorkspaceTest, OpeningAWebAddressAddsABrowserWindowAfterTheDelay)
{
    const int safari = env.pid(QStringLiteral("Safari"));
    EXPECT_TRUE(ws.openUrl(QUrl(QStringLiteral("https://www.example.com/a/page?x=1"))));
    env.clock.advance(0.5);
    EXPECT_EQ(env.desktop.windowsOf(safari).size(), 2u);
    env.clock.advance(0.5);
    const auto windows = env.desktop.windowsOf(safari);
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows.front()->title, QStringLiteral("example.com"));
    EXPECT_EQ(windows.front()->url(), QStringLiteral("https://www.example.com/a/page?x=1"));
    EXPECT_EQ(env.desktop.frontmostPid(), safari);
    EXPECT_EQ(heard.seen, (QStringList{"activated Safari"}));
}

TEST_F(SimWorkspaceTest, OpeningAnAddressWithAnAppThatIsNotRunningLaunchesItWithThatWindowAlone)
{
    const QString chrome = ws.applicationLocation(QStringLiteral("Google Chrome"));
    EXPECT_TRUE(ws.openUrl(QUrl(QStringLiteral("https://docs.example.org/guide")), chrome));
    env.clock.advance(1.0);
    const SimApp* app = env.desktop.appNamed(QStringLiteral("Google Chrome"));
    ASSERT_TRUE(app);
    const auto windows = env.desktop.windowsOf(app->pid);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows.front()->title, QStringLiteral("docs.example.org"));
    EXPECT_EQ(heard.seen, (QStringList{"launched Google Chrome", "activated Google Chrome"}));

    // A file opens as the window's document; a scheme nobody handles does not open.
    EXPECT_TRUE(ws.openUrl(QUrl::fromLocalFile(QStringLiteral("/Users/sam/notes.txt")),
                           ws.applicationLocation(QStringLiteral("Notes"))));
    env.clock.advance(1.0);
    const SimWindow* doc = env.desktop.windowTitled(QStringLiteral("notes.txt"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->document, QStringLiteral("file:///Users/sam/notes.txt"));
    EXPECT_FALSE(ws.openUrl(QUrl(QStringLiteral("gopher://old.example"))));
    EXPECT_EQ(ws.applicationForUrl(QUrl(QStringLiteral("gopher://old.example"))), QString());
}

TEST_F(SimWorkspaceTest, TerminatingRemovesTheAppAndItsWindowsAndARelaunchBringsThemBack)
{
    const int code = env.pid(QStringLiteral("Visual Studio Code"));
    const auto numbers = env.desktop.windowServer().onScreenWindows().size();
    EXPECT_FALSE(ws.terminate(env.desktop.selfPid()));
    EXPECT_TRUE(ws.terminate(code));
    EXPECT_FALSE(ws.application(code));
    EXPECT_TRUE(env.desktop.windowsOf(code).empty());
    EXPECT_EQ(env.desktop.windowServer().onScreenWindows().size(), numbers - 1);
    // The owner of the next window in front comes forward.
    EXPECT_EQ(env.desktop.frontmostApp()->name, QStringLiteral("Safari"));
    env.clock.runDue();
    EXPECT_EQ(heard.seen, (QStringList{"terminated Visual Studio Code", "activated Safari"}));

    EXPECT_TRUE(ws.launchApplication(ws.applicationLocation(QStringLiteral("Visual Studio Code"))));
    env.clock.advance(1.0);
    const SimApp* again = env.desktop.appNamed(QStringLiteral("Visual Studio Code"));
    ASSERT_TRUE(again);
    EXPECT_NE(again->pid, code);
    ASSERT_EQ(env.desktop.windowsOf(again->pid).size(), 1u);
    EXPECT_EQ(env.desktop.windowsOf(again->pid).front()->title, QStringLiteral("main.cpp — tavrin"));
}

TEST_F(SimWorkspaceTest, HidingTheFrontmostAppHandsFocusOnAndActivatingUnhides)
{
    const int code = env.pid(QStringLiteral("Visual Studio Code"));
    const int messages = env.pid(QStringLiteral("Messages"));
    EXPECT_TRUE(ws.hide(code));
    EXPECT_TRUE(ws.application(code)->hidden);
    EXPECT_EQ(env.desktop.frontmostApp()->name, QStringLiteral("Safari"));

    EXPECT_TRUE(ws.activate(messages));
    EXPECT_FALSE(ws.application(messages)->hidden);
    EXPECT_TRUE(ws.application(messages)->active);
    EXPECT_EQ(env.desktop.onScreenWindows().front()->title, QStringLiteral("Messages"));
    env.clock.runDue();
    EXPECT_EQ(heard.seen, (QStringList{"activated Safari", "activated Messages"}));

    EXPECT_TRUE(ws.unhide(code));
    EXPECT_FALSE(ws.application(code)->hidden);
    EXPECT_EQ(env.desktop.frontmostPid(), messages); // unhiding does not activate
    EXPECT_FALSE(ws.hide(4242));
}
