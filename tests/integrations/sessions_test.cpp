// Automatic session saves on the simulated desktop: which windows are kept,
// what the session is called, which triggers save, and how a save that reads
// browser tabs holds off the others until it ends.

#include "integrationsdesk.h"

#include "integrations/integrations.h"
#include "integrations/sessions.h"
#include "platform/clock.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/savedworkspacestore.h"

#include <functional>

using namespace tavrin;

namespace {

// Two displays side by side; windows listed front to back.
QByteArray desk(const QString& frontmost, const QString& windows)
{
    return QStringLiteral(R"json({
  "trusted": true,
  "frontmost": "%1",
  "displays": [ { "name": "Studio", "frame": [0, 0, 2560, 1440], "number": 1 },
                { "name": "Side", "frame": [2560, 0, 1920, 1080], "number": 2 } ],
  "apps": [
    { "name": "Tavrin", "self": true, "policy": "accessory" },
    { "name": "Safari", "bundleId": "com.apple.Safari" },
    { "name": "Xcode" }, { "name": "Mail" }, { "name": "Notes" }, { "name": "Numbers" },
    { "name": "Terminal", "bundleId": "com.apple.Terminal" }
  ],
  "windows": [ %2 ],
  "processes": [ { "pid": 900, "tty": "ttys009", "command": "-zsh", "cwd": "/Volumes/net", "hangs": true } ]
})json")
        .arg(frontmost, windows)
        .toUtf8();
}

QString window(const QString& app, const QString& title, int x = 100, const QString& extra = {})
{
    return QStringLiteral(R"({ "app": "%1", "title": "%2", "frame": [%3, 60, 600, 500]%4 })")
        .arg(app, title)
        .arg(x)
        .arg(extra.isEmpty() ? QString() : QStringLiteral(", ") + extra);
}

const QString kSafari =
    window(QStringLiteral("Safari"), QStringLiteral("Docs"), 100,
           QStringLiteral(R"("tabs": [ { "title": "Docs", "url": "https://docs.example.com/" } ])"));

SavedWorkspace userSaved(const QString& name, const QDateTime& when)
{
    SavedWorkspace w;
    w.name = name;
    w.request = name;
    w.apps = {QStringLiteral("Mail")};
    w.savedAt = when;
    return w;
}

class SessionsDesk : public IntegrationsDesk {
protected:
    explicit SessionsDesk(const QByteArray& scenario) : IntegrationsDesk(scenario) {}

    QList<SavedWorkspace> saved() const { return SavedWorkspaceStore::load(); }
    QList<SavedWorkspace> sessions() const
    {
        QList<SavedWorkspace> out = saved();
        out.removeIf([](const SavedWorkspace& w) { return !w.isAutomatic(); });
        return out;
    }
    std::optional<Display> studio() const { return Display::all().front(); }

    WindowManager windows;
    ActiveWorkspaceHolder active;
    Sessions sessionsUnderTest{windows, Platform::current(), active};
};

class SessionsOfFourWindows : public SessionsDesk {
protected:
    SessionsOfFourWindows()
        : SessionsDesk(
            desk(QStringLiteral("Safari"), QStringList{kSafari, window("Xcode", "App.swift"), window("Mail", "Inbox"),
                                                       window("Notes", "Ideas"), window("Numbers", "Far", 3000)}
                                               .join(QLatin1Char(','))))
    {}
};

} // namespace

TEST(SessionsWindows, OneWindowOrOnlyUnreadableFramesSaveNothing)
{
    SimEnvironment env(desk(QStringLiteral("Xcode"), window("Xcode", "Solo") + "," + window("Mail", "Far", 3000)));
    WindowManager windows;
    ActiveWorkspaceHolder active;
    Sessions sessions(windows, Platform::current(), active);
    sessions.save(false);
    EXPECT_FALSE(env.defaults.contains(SavedWorkspaceStore::kKey));

    // A second window whose frame can't be read doesn't count either.
    SimWindow mail;
    mail.pid = env.pid("Mail");
    mail.title = "Mail here";
    mail.frame = Rect(300, 60, 600, 500);
    env.desktop.addWindow(mail);
    env.desktop.setTimesOut(env.pid("Mail"), true);
    sessions.save(false);
    EXPECT_FALSE(env.defaults.contains(SavedWorkspaceStore::kKey));
}

TEST(SessionsWindows, TenWindowsKeepEightTheFocusedFirstThenFrontToBack)
{
    QStringList windows;
    const QStringList apps{"Safari", "Xcode", "Mail", "Notes", "Numbers"};
    for (int i = 0; i < 10; ++i)
        windows.append(window(apps[i % 5], QStringLiteral("W%1").arg(i), 100 + 10 * i));
    // Notes is in front: its front-most window (W3) is the focused one.
    SimEnvironment env(desk(QStringLiteral("Notes"), windows.join(QLatin1Char(','))));
    WindowManager manager;
    const std::vector<AXWindow> kept = Sessions::sessionWindows(*manager.focusedContext());
    QStringList titles;
    for (const AXWindow& w : kept)
        titles.append(w.string(QStringLiteral("AXTitle")).value_or(QString()));
    EXPECT_EQ(titles, (QStringList{"W3", "W0", "W1", "W2", "W4", "W5", "W6", "W7"}));

    // A save says which it left out.
    ActiveWorkspaceHolder active;
    Sessions sessions(manager, Platform::current(), active);
    sessions.save(false);
    EXPECT_TRUE(env.desktop.logLines().contains(
        "Tavrin: the session \u201cNotes, Safari + 5\u201d left out Notes, Numbers (at most 8 windows are saved)."))
        << env.desktop.logLines().join('\n').toStdString();
}

TEST(SessionsWindows, AWindowStraddlingTwoDisplaysBelongsToTheOneItCoversMore)
{
    SimEnvironment env(
        desk(QStringLiteral("Xcode"), QStringList{window("Xcode", "Here"), window("Mail", "Mostly here", 2100),
                                                  window("Notes", "Mostly there", 2300)}
                                          .join(QLatin1Char(','))));
    WindowManager manager;
    const std::vector<AXWindow> kept = Sessions::sessionWindows(*manager.focusedContext());
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1].string(QStringLiteral("AXTitle")), "Mostly here");
}

TEST_F(SessionsOfFourWindows, EveryTriggerSavesOnlyWhileTheSettingIsOnOrMissing)
{
    const std::vector<std::pair<const char*, std::function<void()>>> triggers{
        {"sleep", [&] { env.desktop.fireWillSleep(); }},
        {"screens asleep", [&] { env.desktop.fireScreensDidSleep(); }},
        {"session switched away", [&] { env.desktop.fireSessionDidResignActive(); }},
        {"quit", [&] { env.desktop.fireWillTerminate(); }},
        {"timer", [&] { env.clock.advance(Sessions::kSaveInterval); }},
    };
    sessionsUnderTest.start();
    sessionsUnderTest.start(); // registers once
    for (const auto& [name, fire] : triggers) {
        SCOPED_TRACE(name);
        env.defaults.remove(SavedWorkspaceStore::kKey);
        env.defaults.setValue(Sessions::kAutoSaveKey, false);
        fire();
        env.clock.advance(1);
        EXPECT_TRUE(sessions().isEmpty());

        env.defaults.remove(Sessions::kAutoSaveKey);
        fire();
        env.clock.advance(1);
        ASSERT_EQ(sessions().size(), 1);
        EXPECT_EQ(sessions()[0].apps, (QStringList{"Safari", "Xcode", "Mail", "Notes"}));
    }
}

TEST_F(SessionsOfFourWindows, NothingIsSavedWithoutAccessibilityTrust)
{
    env.desktop.setTrusted(false);
    sessionsUnderTest.save(false);
    EXPECT_TRUE(saved().isEmpty());
}

TEST_F(SessionsOfFourWindows, TheQuitSaveRunsNoScriptsAndEndsBeforeItReturns)
{
    sessionsUnderTest.start();
    env.desktop.fireWillTerminate();
    EXPECT_FALSE(sessionsUnderTest.isSaving());
    ASSERT_EQ(sessions().size(), 1);
    const SavedWorkspace session = sessions()[0];
    EXPECT_TRUE(scripts().isEmpty());
    EXPECT_EQ(session.name, "Safari, Xcode + 2");
    EXPECT_EQ(session.request, "Resume Safari, Xcode + 2");
    EXPECT_EQ(session.layout, LayoutKind::halves);
    ASSERT_TRUE(session.items);
    EXPECT_EQ(session.items->size(), 4);
    EXPECT_FALSE(session.items->front().url); // no tabs read
    EXPECT_EQ(session.savedAt, env.clock.nowDate());
}

TEST_F(SessionsOfFourWindows, ASaveWithABrowserReadsItsTabsAndDropsTriggersMeanwhile)
{
    env.desktop.setScriptDelay(env.pid("Safari"), 3);
    sessionsUnderTest.start();
    env.desktop.fireWillSleep();
    EXPECT_TRUE(sessionsUnderTest.isSaving());
    EXPECT_TRUE(saved().isEmpty());
    // While the tabs are read, every other trigger is dropped, the quit too.
    env.desktop.fireScreensDidSleep();
    env.desktop.fireWillTerminate();
    EXPECT_TRUE(saved().isEmpty());

    for (int step = 0; step < 100 && sessionsUnderTest.isSaving(); ++step)
        env.clock.advance(0.1);
    EXPECT_FALSE(sessionsUnderTest.isSaving());
    ASSERT_EQ(saved().size(), 1);
    EXPECT_EQ(saved()[0].items->front().url, "https://docs.example.com/");
}

TEST_F(SessionsOfFourWindows, TheQuitSaveAfterALockKeepsTheTabsTheLockRead)
{
    sessionsUnderTest.start();
    env.desktop.fireScreensDidSleep();
    for (int step = 0; step < 100 && sessionsUnderTest.isSaving(); ++step)
        env.clock.advance(0.1);
    ASSERT_EQ(sessions().size(), 1);
    env.clock.advance(60);
    env.desktop.fireWillTerminate(); // reads no tabs
    ASSERT_EQ(sessions().size(), 1);
    EXPECT_EQ(sessions()[0].savedAt, env.clock.nowDate());
    EXPECT_EQ(sessions()[0].items->front().url, "https://docs.example.com/");
}

TEST_F(SessionsOfFourWindows, BrowserTabsAreReadOnlyWhileAddressesMayBeSent)
{
    env.defaults.setValue(Sessions::kSendBrowserURLsKey, false);
    sessionsUnderTest.save(true);
    EXPECT_FALSE(sessionsUnderTest.isSaving());
    EXPECT_EQ(sessions().size(), 1);
    EXPECT_TRUE(scripts().isEmpty());
}

class SessionsWithAStuckTerminal : public SessionsDesk {
protected:
    SessionsWithAStuckTerminal()
        : SessionsDesk(desk(QStringLiteral("Safari"),
                            kSafari + "," + window("Terminal", "stuck — zsh", 300, R"("tty": "/dev/ttys009")")))
    {}
};

TEST_F(SessionsWithAStuckTerminal, ACaptureWhoseHelperHangsStillEndsTheSaveSoTheNextOneRuns)
{
    sessionsUnderTest.save(true);
    EXPECT_TRUE(sessionsUnderTest.isSaving());
    env.clock.advance(Integrations::kProcessTimeLimit + 1);
    EXPECT_FALSE(sessionsUnderTest.isSaving());
    EXPECT_EQ(sessions().size(), 1);

    env.clock.advance(1);
    sessionsUnderTest.save(false);
    ASSERT_EQ(sessions().size(), 1); // the same applications: it replaces the first
    EXPECT_EQ(sessions().front().savedAt, env.clock.nowDate());
}

TEST_F(SessionsOfFourWindows, NamesComeFromTheActiveWorkspaceUnlessTheUserSavedOneOfThatName)
{
    const Display display = *studio();
    const std::vector<AXWindow> windows = Sessions::sessionWindows(display);
    active.set(ActiveWorkspace{"Deep work", 4, env.clock.nowDate(), display.id});
    EXPECT_EQ(sessionsUnderTest.sessionName(windows, display), "Deep work");
    // Arranged on another display: not this one's name.
    active.set(ActiveWorkspace{"Deep work", 4, env.clock.nowDate(), display.id + 1});
    EXPECT_EQ(sessionsUnderTest.sessionName(windows, display), "Safari, Xcode + 2");

    active.set(ActiveWorkspace{"Deep work", 4, env.clock.nowDate(), display.id});
    SavedWorkspaceStore::save(userSaved("Deep work", env.clock.nowDate()));
    EXPECT_EQ(sessionsUnderTest.sessionName(windows, display), "Safari, Xcode + 2");
    active.clear();

    // The user saved a session under its own name: the next saves never add
    // a second workspace of that name, nor of one saved in another case.
    SavedWorkspaceStore::save(userSaved("Safari, Xcode + 2", env.clock.nowDate()));
    SavedWorkspaceStore::save(userSaved("safari, xcode + 2 (automatic)", env.clock.nowDate()));
    sessionsUnderTest.save(false);
    sessionsUnderTest.save(false);
    QStringList names;
    for (const SavedWorkspace& w : saved())
        names.append(w.name.toLower());
    names.sort();
    EXPECT_EQ(names, (QStringList{"deep work", "safari, xcode + 2", "safari, xcode + 2 (automatic 2)",
                                  "safari, xcode + 2 (automatic)"}));
    EXPECT_EQ(sessions().front().request, "Resume Safari, Xcode + 2 (automatic 2)");
}

TEST(SessionsNames, FromTheFirstWindowsFileElseFromTheApplications)
{
    SimEnvironment env(
        desk(QStringLiteral("Numbers"),
             QStringList{window("Numbers", "Budget.xlsx", 100, R"("document": "file:///Users/sam/Budget.xlsx")"),
                         window("Safari", "A"), window("Safari", "B"), window("Mail", "Inbox"),
                         window("Notes", "Notes", 100, R"("document": "file:///Users/sam/.hidden")")}
                 .join(QLatin1Char(','))));
    auto titled = [&](const QStringList& titles) {
        std::vector<AXWindow> out;
        for (const QString& title : titles) {
            const SimWindow* w = env.window(title);
            out.push_back(AXWindow{env.element(title), *Platform::current().workspace->application(w->pid)});
        }
        return out;
    };
    const Display display = Display::all().front();
    WindowManager manager;
    ActiveWorkspaceHolder active;
    const Sessions sessions(manager, Platform::current(), active);
    const std::vector<std::pair<QStringList, QString>> cases{
        {{"Budget.xlsx", "A", "B", "Inbox"}, "Budget + 3"},
        {{"A", "Budget.xlsx", "B", "Inbox", "Notes"}, "Safari, Numbers + 2"},
        {{"A", "B"}, "Safari"},
        {{"A", "Inbox"}, "Safari, Mail"},
        // A file name that only begins with a dot has no extension to drop.
        {{"Notes", "A"}, ".hidden + 1"},
    };
    for (const auto& [titles, name] : cases)
        EXPECT_EQ(sessions.sessionName(titled(titles), display), name) << titles.join(", ").toStdString();
}

TEST_F(SessionsOfFourWindows, AnAutomaticSaveKeepsTwelveOfTheUsersWorkspaces)
{
    // The store's rule for automatic saves: the user's workspaces beyond the
    // twelfth newest go.
    for (int i = 0; i < 15; ++i)
        SavedWorkspaceStore::save(userSaved(QStringLiteral("Mine %1").arg(i), env.clock.nowDate().addSecs(i - 100)));
    ASSERT_EQ(saved().size(), 15);
    sessionsUnderTest.save(false);
    EXPECT_EQ(saved().size(), 13);
    EXPECT_EQ(sessions().size(), 1);
    const QList<SavedWorkspace> kept = saved();
    EXPECT_FALSE(std::any_of(kept.cbegin(), kept.cend(), [](const SavedWorkspace& w) { return w.name == "Mine 2"; }));
}
