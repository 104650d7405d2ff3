#include "platform/accessibility.h"
#include "platform/workspace.h"
#include "platform/x11/x11workspace.h"
#include "support/x11/x11fixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <unistd.h>

namespace tavrin {
namespace {

// The workspace with desktop entries of its own: "Notes" for windows of
// class NotesClass, a launcher that starts a test client, and a handler of
// "tavrintest:" addresses that writes down what it was given; on a GNOME
// desktop whose settings program writes down where it was started.
class X11WorkspaceTest : public X11Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        const QString apps = dir_.filePath(QStringLiteral("data/applications"));
        QDir().mkpath(apps);
        QDir().mkpath(dir_.filePath(QStringLiteral("config")));
        write(apps + QStringLiteral("/tavrin-notes.desktop"),
              "[Desktop Entry]\nType=Application\nName=Notes\nExec=notes %F\nStartupWMClass=NotesClass\n");
        write(apps + QStringLiteral("/tavrin-tray.desktop"),
              "[Desktop Entry]\nType=Application\nName=Tray\nExec=tray\nStartupWMClass=TrayClass\nNoDisplay=true\n");

        const QStringList launched =
            X11TestClient::command(ofClass(QStringLiteral("Launched"), QStringLiteral("LaunchedClass")));
        const QString script = dir_.filePath(QStringLiteral("launch.sh"));
        write(script, QStringLiteral("#!/bin/sh\nexec '%1' '%2' > /dev/null\n").arg(launched[0], launched[1]).toUtf8());
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(apps + QStringLiteral("/tavrin-launched.desktop"),
              ("[Desktop Entry]\nType=Application\nName=Launched App\nStartupWMClass=LaunchedClass\nExec=" + script
               + "\n")
                  .toUtf8());

        const QString recorder = dir_.filePath(QStringLiteral("record.sh"));
        write(recorder, QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\n").arg(recorded()).toUtf8());
        QFile::setPermissions(recorder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(apps + QStringLiteral("/tavrin-recorder.desktop"),
              ("[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + recorder + " %u\n").toUtf8());
        write(dir_.filePath(QStringLiteral("config/mimeapps.list")),
              "[Default Applications]\nx-scheme-handler/tavrintest=tavrin-recorder.desktop\n");

        const QString bin = dir_.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        const QString settings = bin + QStringLiteral("/gnome-control-center");
        write(
            settings,
            QStringLiteral("#!/bin/sh\nprintf '%s %s' \"$DISPLAY\" \"$*\" > '%1'\n").arg(recordedSettings()).toUtf8());
        QFile::setPermissions(settings, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        for (int i = 0; i < kVariableCount; ++i)
            saved_[i] = qgetenv(kVariables[i]);
        qputenv("PATH", (bin + u':').toUtf8() + saved_[4]);
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_DATA_DIRS", dir_.filePath(QStringLiteral("none")).toUtf8());
        qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_CONFIG_DIRS", dir_.filePath(QStringLiteral("none")).toUtf8());
        X11Test::SetUp();
    }
    void TearDown() override
    {
        X11Test::TearDown();
        for (int i = 0; i < kVariableCount; ++i)
            saved_[i].isEmpty() ? qunsetenv(kVariables[i]) : qputenv(kVariables[i], saved_[i]);
    }
    static void write(const QString& path, const QByteArray& text)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QString recorded() const { return dir_.filePath(QStringLiteral("recorded.txt")); }
    QString recordedSettings() const { return dir_.filePath(QStringLiteral("settings.txt")); }
    QByteArray readWhenWritten(const QString& path)
    {
        // The writer makes the file, then fills it: one opening, read once filled.
        QFile f(path);
        if (!waitUntil([&] { return (f.isOpen() || f.open(QIODevice::ReadOnly)) && f.size() > 0; }))
            return {};
        return f.readAll();
    }
    Workspace& ws() { return *platform_.workspace; }
    X11Workspace& x11ws() { return *desktop_->workspace(); }
    std::optional<RunningApp> app(int pid) { return ws().application(pid); }

    static constexpr int kVariableCount = 6;
    static constexpr const char* kVariables[kVariableCount] = {
        "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "PATH", "XDG_CURRENT_DESKTOP"};
    QTemporaryDir dir_;
    QByteArray saved_[kVariableCount];
};

TEST_F(X11WorkspaceTest, RunningApplicationsAreTheOwnersOfWindows)
{
    X11TestClient* a = startClient(ofClass(QStringLiteral("Shopping list"), QStringLiteral("NotesClass")));
    X11TestClient* b = startClient(QStringLiteral("Plain"), {800, 100, 400, 300});
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(activate(b->window()));

    const auto apps = ws().runningApplications();
    ASSERT_EQ(apps.size(), 2u);
    EXPECT_EQ(apps[0].pid, a->pid()); // in the order they first showed a window
    EXPECT_EQ(apps[0].localizedName, QStringLiteral("Notes"));
    EXPECT_EQ(apps[0].bundleIdentifier, QStringLiteral("tavrin-notes"));
    EXPECT_TRUE(apps[0].bundleLocation.endsWith(QLatin1String("applications/tavrin-notes.desktop")));
    EXPECT_FALSE(apps[0].active);
    EXPECT_EQ(apps[1].localizedName, QStringLiteral("TavrinTest"));
    EXPECT_TRUE(apps[1].bundleIdentifier.isEmpty());
    EXPECT_TRUE(apps[1].active);
    EXPECT_EQ(apps[1].activationPolicy, ActivationPolicy::regular);
    EXPECT_EQ(ws().frontmostApplication()->pid, b->pid());
    EXPECT_EQ(app(a->pid())->localizedName, QStringLiteral("Notes"));
    EXPECT_FALSE(app(::getpid()));
    EXPECT_EQ(ws().currentPid(), int(::getpid()));
    EXPECT_EQ(ws().applicationLocation(QStringLiteral("notes")), apps[0].bundleLocation);
    EXPECT_TRUE(ws().applicationLocation(QStringLiteral("No such app")).isEmpty());
}

TEST_F(X11WorkspaceTest, ApplicationsAreRegularWithAnOrdinaryWindowOrAnEntryInTheMenus)
{
    auto start = [&](const QString& wmClass, const QString& type, double x) {
        X11TestClient::Options o;
        o.title = wmClass;
        o.wmClass = wmClass;
        o.type = type;
        o.client = {x, 200, 300, 40};
        return startClient(o);
    };
    const struct {
        const char* what;
        X11TestClient* client;
        ActivationPolicy policy;
    } cases[] = {
        {"a panel of no listed application", start(QStringLiteral("PanelClass"), QStringLiteral("dock"), 100),
         ActivationPolicy::accessory},
        {"a notification", start(QStringLiteral("ToastClass"), QStringLiteral("notification"), 500),
         ActivationPolicy::accessory},
        {"a panel of an entry kept out of the menus", start(QStringLiteral("TrayClass"), QStringLiteral("dock"), 900),
         ActivationPolicy::accessory},
        {"a panel of a listed application", start(QStringLiteral("NotesClass"), QStringLiteral("dock"), 1300),
         ActivationPolicy::regular},
        {"a dialog", start(QStringLiteral("AskClass"), QStringLiteral("dialog"), 1700), ActivationPolicy::regular},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.client);
        // Listed once the window manager manages the window.
        std::optional<RunningApp> running;
        ASSERT_TRUE(waitUntil([&] { return (running = app(c.client->pid())).has_value(); }, 2.0));
        EXPECT_EQ(running->activationPolicy, c.policy);
    }
}

TEST_F(X11WorkspaceTest, LaunchesActivationsAndTerminationsAreAnnounced)
{
    QSignalSpy launched(&ws(), &Workspace::applicationLaunched);
    QSignalSpy activated(&ws(), &Workspace::applicationActivated);
    QSignalSpy terminated(&ws(), &Workspace::applicationTerminated);
    X11TestClient* a = startClient(QStringLiteral("A"), {100, 100, 400, 300});
    X11TestClient* b = startClient(QStringLiteral("B"), {800, 100, 400, 300});
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(waitUntil([&] { return launched.count() == 2; }));
    EXPECT_EQ(launched[0].at(0).value<RunningApp>().pid, a->pid());
    EXPECT_EQ(launched[1].at(0).value<RunningApp>().pid, b->pid());

    ASSERT_TRUE(activate(a->window()));
    ASSERT_TRUE(
        waitUntil([&] { return !activated.isEmpty() && activated.last().at(0).value<RunningApp>().pid == a->pid(); }));
    const int pid = b->pid();
    clients_.pop_back(); // b ends
    ASSERT_TRUE(waitUntil([&] { return terminated.count() == 1; }));
    EXPECT_EQ(terminated[0].at(0).value<RunningApp>().pid, pid);
    EXPECT_EQ(terminated[0].at(0).value<RunningApp>().localizedName, QStringLiteral("TavrinTest"));
}

// What a hot key reads first, the front application and its focused window,
// is kept while nothing it comes from changes (a window moving changes none
// of it) and so asks the server nothing; yet it is never older than the
// server: a change another client makes is seen at once, before the program
// has handled an event (its main loop does not run in between).
TEST_F(X11WorkspaceTest, TheFrontApplicationIsKeptYetNeverOlderThanTheServer)
{
    X11TestClient* a = startClient(ofClass(QStringLiteral("Shopping list"), QStringLiteral("NotesClass")));
    X11TestClient* b = startClient(QStringLiteral("Plain"), {800, 100, 400, 300});
    ASSERT_TRUE(a && b && activate(a->window()));
    X11Connection& conn = desktop_->connection();
    // The front application's pid and the window it has focused.
    auto front = [&] {
        const auto app = ws().frontmostApplication();
        const auto window =
            app ? ax().attribute(ax().applicationElement(app->pid), ax::FocusedWindow).as<AXElement>() : std::nullopt;
        return std::pair<int, std::uint64_t>(app ? app->pid : 0, window ? window->token : 0);
    };
    const auto& ewmh = *probe_->ewmh();
    auto moveByWindowManager = [&](xcb_window_t w, int x) {
        probe_->sendRootMessage(w, ewmh._NET_MOVERESIZE_WINDOW,
                                XCB_GRAVITY_NORTH_WEST | (1u << 8) | (1u << 9) | (2u << 12), x, 300);
        probe_->flush();
        return holdUntil([&] {
                   return frameWindowGeometry(w).origin() == Point{double(x), 300};
               })
               && windowManagerCaughtUp();
    };
    const std::pair<int, std::uint64_t> inFrontA{a->pid(), a->window()}, inFrontB{b->pid(), b->window()};
    ASSERT_EQ(front(), inFrontA);
    ASSERT_TRUE(moveByWindowManager(a->window(), 150));
    EXPECT_EQ(requestsDuring(conn, [&] { EXPECT_EQ(front(), inFrontA); }), 0u);

    const struct {
        const char* change;
        std::function<bool()> make;
        std::pair<int, std::uint64_t> inFront;
    } cases[] = {
        {"another application activated",
         [&] {
             probe_->sendRootMessage(b->window(), ewmh._NET_ACTIVE_WINDOW, 2, XCB_CURRENT_TIME, 0);
             probe_->flush();
             return holdUntil([&] { return activeWindow() == b->window(); });
         },
         inFrontB},
        {"the front window moved", [&] { return moveByWindowManager(b->window(), 900); }, inFrontB},
        {"the first one activated again",
         [&] {
             probe_->sendRootMessage(a->window(), ewmh._NET_ACTIVE_WINDOW, 2, XCB_CURRENT_TIME, 0);
             probe_->flush();
             return holdUntil([&] { return activeWindow() == a->window(); });
         },
         inFrontA},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.make()) << c.change;
        EXPECT_EQ(front(), c.inFront) << c.change;
        EXPECT_EQ(requestsDuring(conn, [&] { front(); }), 0u) << c.change;
    }
}

TEST_F(X11WorkspaceTest, HideAndUnhideLeaveTheUsersOwnMinimisedWindowAlone)
{
    X11TestClient* c = startClient(manyWindows(QStringLiteral("Doc"), 3));
    X11TestClient* other = startClient(QStringLiteral("Other"), {1800, 100, 400, 300});
    ASSERT_TRUE(c && other);
    const auto ids = c->windows();
    const AXElement userMinimised{c->pid(), ids[2]};
    ASSERT_EQ(ax().setAttribute(userMinimised, ax::Minimized, true), AXError::success);

    EXPECT_TRUE(ws().hide(c->pid()));
    const xcb_atom_t hidden = probe_->ewmh()->_NET_WM_STATE_HIDDEN;
    ASSERT_TRUE(waitUntil([&] { return hasState(ids[0], hidden) && hasState(ids[1], hidden); }));
    EXPECT_TRUE(app(c->pid())->hidden);
    EXPECT_FALSE(app(other->pid())->hidden);

    EXPECT_TRUE(ws().unhide(c->pid()));
    ASSERT_TRUE(waitUntil([&] { return !hasState(ids[0], hidden) && !hasState(ids[1], hidden); }));
    EXPECT_TRUE(hasState(ids[2], hidden));
    EXPECT_FALSE(app(c->pid())->hidden);

    // Bringing back one window by hand ends the hiding too.
    EXPECT_TRUE(ws().hide(c->pid()));
    ASSERT_TRUE(waitUntil([&] { return app(c->pid())->hidden && hasState(ids[0], hidden); }));
    ASSERT_EQ(ax().setAttribute({c->pid(), ids[0]}, ax::Minimized, false), AXError::success);
    EXPECT_FALSE(app(c->pid())->hidden);
    EXPECT_FALSE(ws().hide(0x3fffffff));
    EXPECT_FALSE(ws().unhide(0x3fffffff));
}

TEST_F(X11WorkspaceTest, ActivateBringsTheApplicationsFrontWindow)
{
    X11TestClient* a = startClient(QStringLiteral("A"), {100, 100, 400, 300});
    X11TestClient* b = startClient(QStringLiteral("B"), {800, 100, 400, 300});
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(activate(b->window()));
    EXPECT_TRUE(ws().activate(a->pid()));
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == a->window(); }));
    EXPECT_FALSE(ws().activate(0x3fffffff));
}

TEST_F(X11WorkspaceTest, TerminateClosesWindowsThenEndsWhatLingers)
{
    x11ws().setTerminateGrace(0.3);
    X11TestClient* closes = startClient(QStringLiteral("Closes"), {100, 100, 400, 300});
    X11TestClient::Options lingerOptions;
    lingerOptions.title = QStringLiteral("Lingers");
    lingerOptions.lingers = true;
    X11TestClient* lingers = startClient(lingerOptions);
    X11TestClient::Options askOptions;
    askOptions.title = QStringLiteral("Unsaved work");
    askOptions.closes = false;
    X11TestClient* asks = startClient(askOptions);
    ASSERT_TRUE(closes && lingers && asks);

    EXPECT_TRUE(ws().terminate(closes->pid()));
    EXPECT_TRUE(ws().terminate(lingers->pid()));
    EXPECT_TRUE(ws().terminate(asks->pid()));
    EXPECT_TRUE(closes->waitForExit(5));
    // Its windows are gone but the process runs on: it gets SIGTERM.
    EXPECT_TRUE(waitUntil([&] { return !lingers->isRunning(); }, 5));
    // A process that still shows its window may be asking about unsaved
    // work: it is not killed.
    waitUntil([] { return false; }, 0.6);
    EXPECT_TRUE(asks->isRunning());
    EXPECT_FALSE(ws().terminate(::getpid())); // no window of this process
    EXPECT_FALSE(ws().terminate(1));
}

TEST_F(X11WorkspaceTest, LaunchingFromADesktopEntry)
{
    QSignalSpy launched(&ws(), &Workspace::applicationLaunched);
    const QString location = ws().applicationLocation(QStringLiteral("Launched App"));
    ASSERT_FALSE(location.isEmpty());
    EXPECT_TRUE(ws().launchApplication(location));
    ASSERT_TRUE(waitUntil([&] { return launched.count() == 1; }, 10));
    const auto app = launched[0].at(0).value<RunningApp>();
    EXPECT_EQ(app.localizedName, QStringLiteral("Launched App"));
    EXPECT_EQ(app.bundleLocation, location);
    EXPECT_TRUE(ws().terminate(app.pid));
    EXPECT_FALSE(ws().launchApplication(dir_.filePath(QStringLiteral("missing.desktop"))));
    EXPECT_FALSE(ws().launchApplication(QString()));
}

TEST_F(X11WorkspaceTest, AddressesOpenWithTheirHandler)
{
    const QUrl url(QStringLiteral("tavrintest://open/this?x=1"));
    const QString handler = ws().applicationForUrl(url);
    EXPECT_TRUE(handler.endsWith(QLatin1String("tavrin-recorder.desktop")));
    EXPECT_TRUE(ws().applicationForUrl(QUrl(QStringLiteral("nosuchscheme://x"))).isEmpty());
    EXPECT_TRUE(ws().openUrl(url, handler));
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(recorded()); }));
    EXPECT_EQ(readWhenWritten(recorded()), url.toString().toUtf8());
    EXPECT_FALSE(ws().openUrl(QUrl(), handler));
    EXPECT_FALSE(ws().openUrl(url, dir_.filePath(QStringLiteral("missing.desktop"))));
}

TEST_F(X11WorkspaceTest, SettingsAddressesOpenTheDesktopsOwnSettingsOnThisDisplay)
{
    struct Case {
        const char* address;
        QByteArray started; // after the display
    };
    for (const Case& c : {Case{"x-apple.systempreferences:com.apple.Desktop-Settings.extension", "multitasking"},
                          Case{"x-apple.systempreferences:com.apple.preference.security?Privacy_Automation", ""}}) {
        SCOPED_TRACE(c.address);
        QFile::remove(recordedSettings());
        EXPECT_TRUE(ws().openUrl(QUrl(QString::fromLatin1(c.address))));
        EXPECT_EQ(readWhenWritten(recordedSettings()), session_->display().toUtf8() + ' ' + c.started);
    }
    // Without a settings program nothing opens, and the caller hears so.
    qputenv("PATH", dir_.filePath(QStringLiteral("none")).toUtf8());
    EXPECT_FALSE(ws().openUrl(QUrl(QStringLiteral("x-apple.systempreferences:com.apple.Desktop-Settings.extension"))));
}

} // namespace
} // namespace tavrin
