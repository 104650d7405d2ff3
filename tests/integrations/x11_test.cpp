// The integrations on a real X11 desktop: a browser installed through a
// desktop entry in the test's own data folder, whose profile holds a session
// file, has its tabs captured and brought back; an xterm's folder is read
// from its shell.

#include "commandbar/planrow.h"
#include "design/environment.h"
#include "integrations/browserurls.h"
#include "integrations/integratedwindowcontent.h"
#include "integrations/integrations.h"
#include "integrations/sessions.h"
#include "platform/linux/terminalfolder.h"
#include "platform/workspace.h"
#include "support/artifacts.h"
#include "support/fakebrowser.h"
#include "support/sessionfiles.h"
#include "support/x11/x11fixture.h"
#include "windows/windowmanager.h"
#include "workspaces/savedworkspacestore.h"
#include "workspaces/workspacerunner.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <map>

using namespace tavrin;

namespace {

class X11Integrations : public X11Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        // The browser and its session are the test's: its own home and data folder.
        qputenv("HOME", dir_.filePath("home").toUtf8());
        // Browsers keep their profiles under the configuration folder.
        qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", dir_.filePath("data").toUtf8());
        write("data/applications/chromium.desktop",
              "[Desktop Entry]\nType=Application\nName=Chromium\nStartupWMClass=Chromium\nExec="
                  + dir_.filePath("browser").toUtf8() + " %U\n");
        // Writes the arguments it was started with, one a line.
        write("browser", "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + dir_.filePath("arguments").toUtf8() + ".part\nmv "
                             + dir_.filePath("arguments").toUtf8() + ".part " + dir_.filePath("arguments").toUtf8()
                             + "\n");
        QFile::setPermissions(dir_.filePath("browser"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        sessionfiles::Chromium session;
        session.tabWindow(1, 10).tabIndex(10, 0).navigation(10, 0, "https://mail.example/", "Inbox");
        session.tabWindow(1, 11).tabIndex(11, 1).navigation(11, 0, "https://docs.example/", "Docs");
        session.tabWindow(1, 12).tabIndex(12, 2).navigation(12, 0, "chrome://settings/", "Settings");
        session.tabWindow(2, 20).tabIndex(20, 0).navigation(20, 0, "https://plan.example/", "Plan");
        session.selectedTab(1, 0).selectedTab(2, 0);
        write("config/chromium/Default/Sessions/Session_13300000000000001", session.bytes());
        // The browser runs.
        ASSERT_TRUE(sessionfiles::lock(dir_.filePath("config/chromium/SingletonLock")));

        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Platform::install(platform_);
    }
    void TearDown() override
    {
        Platform::uninstall();
        X11Test::TearDown();
    }

    void write(const QString& path, const QByteArray& bytes)
    {
        QDir(dir_.path()).mkpath(QFileInfo(dir_.filePath(path)).path());
        QFile f(dir_.filePath(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    std::vector<AXWindow> windowsOf(int pid)
    {
        const auto app = Platform::current().workspace->application(pid);
        return app ? AXWindow::windows(*app) : std::vector<AXWindow>{};
    }

    template <class T>
    std::optional<T> finish(QCoro::Task<T> task, double seconds = 10)
    {
        std::optional<T> out;
        auto keep = [](QCoro::Task<T> t, std::optional<T>* into) -> QCoro::Task<> {
            into->emplace(co_await std::move(t));
        };
        auto running = keep(std::move(task), &out);
        waitUntil([&] { return out.has_value(); }, seconds);
        return out;
    }

    // A browser installed as `name` whose program, as the real ones do when
    // they run, hands each command to the running browser and ends: it
    // writes the title of the active window as the browser takes the command
    // (`handOver` seconds after it was given) and its arguments, one command
    // a line, to "<wmClass>.commands", and for "--new-window" shows a window
    // of class `wmClass` titled "<wmClass> <line>" `windowAfter` seconds
    // later (which, with `takesFocus`, makes itself the active window when
    // it maps, as Chromium's do).
    void installBrowser(const QString& name, const QString& instance, const QString& wmClass, bool takesFocus,
                        double handOver = 0, double windowAfter = 0)
    {
        const QString program = dir_.filePath(wmClass + ".browser"), log = dir_.filePath(wmClass + ".commands");
        write("data/applications/" + wmClass.toLower() + ".desktop",
              ("[Desktop Entry]\nType=Application\nName=" + name + "\nStartupWMClass=" + wmClass
               + "\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\nExec=" + program + " %U\n")
                  .toUtf8());
        X11TestClient::Options window = ofClass("@TITLE@", wmClass);
        window.instance = instance;
        window.takesFocus = takesFocus;
        QStringList client = X11TestClient::command(window);
        client[1] = "'" + client[1].replace("@TITLE@", "'\"$title\"'") + "'";
        write(QFileInfo(program).fileName(),
              ("#!/bin/sh\nlog='" + log + "'\nsleep " + QString::number(handOver)
               + "\nactive=$(xdotool getactivewindow getwindowname 2>/dev/null)\n"
                 "printf '%s\\037' \"$active\" \"$@\" >> \"$log\"\necho >> \"$log\"\n"
                 "if [ \"$1\" = --new-window ]; then\n  title=\""
               + wmClass + " $(wc -l < \"$log\")\"\n  (sleep " + QString::number(windowAfter) + "; " + client.join(' ')
               + ") > /dev/null 2>&1 < /dev/null &\nfi\n")
                  .toUtf8());
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // The commands a browser installed so was given: the active window's
    // title, then the arguments.
    QList<QStringList> browserCommands(const QString& wmClass)
    {
        QList<QStringList> out;
        QFile log(dir_.filePath(wmClass + ".commands"));
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray& line : log.readAll().split('\n'))
                if (!line.isEmpty())
                    out.append(QString::fromUtf8(line).chopped(1).split('\x1f'));
        return out;
    }

    QTemporaryDir dir_;
};

TEST_F(X11Integrations, ABrowsersTabsAreCapturedFromItsSessionAndComeBackInANewWindow)
{
    X11TestClient* browser = startClient(ofClass("Inbox - Chromium", "Chromium"));
    ASSERT_TRUE(browser);
    std::optional<RunningApp> app;
    ASSERT_TRUE(
        waitUntil([&] { return (app = Platform::current().workspace->application(browser->pid())).has_value(); }));
    ASSERT_EQ(app->localizedName, "Chromium");

    const auto items = finish(Integrations::capture(windowsOf(browser->pid())));
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 1);
    EXPECT_EQ(items->front().url, "https://mail.example/");
    EXPECT_EQ(items->front().tabs, (QStringList{"https://mail.example/", "https://docs.example/"}));

    // What a plan request carries of the window.
    const auto tabs = finish(BrowserURLs::tabs({"Chromium"}, true, 2.5));
    ASSERT_TRUE(tabs);
    EXPECT_EQ(tabs->value("Chromium"),
              (QList<BrowserWindowTabs>{{"Inbox", "https://mail.example/", {"Docs", "Settings"}}}));

    // Restoring starts the browser's desktop entry with only web addresses,
    // after "--", the front one first (where Chromium shows it).
    EXPECT_TRUE(Integrations::restoreTabs(
        "Chromium", {"https://mail.example/", "--gpu-launcher=/bin/sh", "https://docs.example/"}));
    QFile arguments(dir_.filePath("arguments"));
    ASSERT_TRUE(waitUntil([&] { return arguments.exists(); }, 10));
    ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(arguments.readAll()).split('\n', Qt::SkipEmptyParts),
              (QStringList{"--new-window", "--", "https://mail.example/", "https://docs.example/"}));
}

TEST_F(X11Integrations, AFirefoxWindowShowsTheTabItsTitleNamesThoughTheFileIsOlder)
{
    write("data/applications/firefox-esr.desktop",
          "[Desktop Entry]\nType=Application\nName=Firefox ESR\nStartupWMClass=Firefox-esr\nExec="
              + dir_.filePath("browser").toUtf8() + " %u\n");
    // Where a new account's Firefox keeps its profiles.
    write("config/mozilla/firefox/profiles.ini",
          "[Profile0]\nName=default-esr\nIsRelative=1\nPath=abcd.default-esr\nDefault=1\n");
    // The file still names the first tab: a tab switch alone is not written.
    write("config/mozilla/firefox/abcd.default-esr/sessionstore-backups/recovery.jsonlz4",
          sessionfiles::firefox(R"({"windows":[{"tabs":[
              {"entries":[{"url":"https://mail.example/","title":"Inbox"}],"index":1},
              {"entries":[{"url":"https://docs.example/","title":"Docs"}],"index":1}],"selected":1}]})"));
    ASSERT_TRUE(sessionfiles::lock(dir_.filePath("config/mozilla/firefox/abcd.default-esr/lock")));
    X11TestClient* browser = startClient(ofClass("Docs \u2014 Mozilla Firefox", "Firefox-esr"));
    ASSERT_TRUE(browser);
    ASSERT_TRUE(waitUntil([&] { return !windowsOf(browser->pid()).empty(); }));

    const auto items = finish(Integrations::capture(windowsOf(browser->pid())));
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 1);
    EXPECT_EQ(items->front().app, "Firefox ESR");
    EXPECT_EQ(items->front().url, "https://docs.example/");
    EXPECT_EQ(items->front().tabs, (QStringList{"https://mail.example/", "https://docs.example/"}));

    // A private window on the same page is in no file: it keeps no address.
    X11TestClient* secret = startClient(ofClass("Docs \u2014 Mozilla Firefox Private Browsing", "Firefox-esr"));
    ASSERT_TRUE(secret);
    ASSERT_TRUE(waitUntil([&] { return !windowsOf(secret->pid()).empty(); }));
    const auto hidden = finish(Integrations::capture(windowsOf(secret->pid())));
    ASSERT_TRUE(hidden);
    ASSERT_EQ(hidden->size(), 1);
    EXPECT_EQ(hidden->front(), (SavedItem{"Firefox ESR", std::nullopt, std::nullopt}));
}

TEST_F(X11Integrations, BrowserWindowsAreSavedWithTheirOwnTabsWhateverTheirTitles)
{
    write("data/applications/firefox-esr.desktop",
          "[Desktop Entry]\nType=Application\nName=Firefox ESR\nStartupWMClass=firefox-esr\nExec="
              + dir_.filePath("browser").toUtf8() + " %u\n");
    using Family = FakeBrowser::Family;
    const auto window = [](const QString& front, const QString& page, bool loadedAgain = false) {
        return FakeBrowser::Window{
            {{front, "https://" + page + ".example/"}, {"Other", "https://" + page + ".example/other"}},
            0,
            loadedAgain};
    };
    const QString long1000(1000, 'L');
    const struct {
        const char* what;
        Family family;
        QList<FakeBrowser::Window> windows;
    } cases[] = {
        {"two Chromium windows, their tabs untitled", Family::chromium, {window("Mail", "a"), window("Docs", "b")}},
        {"three Chromium windows, their tabs untitled",
         Family::chromium,
         {window("Mail", "a"), window("Docs", "b"), window("Plan", "c")}},
        {"two Chromium windows with the same front title",
         Family::chromium,
         {window("Inbox", "a", true), window("Inbox", "b", true)}},
        {"a Chromium front tab titled with 1,000 characters",
         Family::chromium,
         {window(long1000, "a", true), window("Docs", "b", true)}},
        {"two Firefox windows with the same front title",
         Family::firefox,
         {window("Inbox", "a"), window("Inbox", "b")}},
        {"a Firefox front tab titled with 1,000 characters",
         Family::firefox,
         {window(long1000, "a"), window(long1000, "b")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        clients_.clear();
        FakeBrowser browser(c.family, dir_.filePath("config"));
        std::vector<AXWindow> windows;
        QList<Rect> frames;
        for (qsizetype i = 0; i < c.windows.size(); ++i) {
            // Of one size, as a browser opens its windows.
            X11TestClient::Options options = ofClass(browser.title(c.windows[i]), browser.windowClass());
            options.client = Rect(60 + 480 * double(i), 100 + 20 * double(i), 400, 300);
            X11TestClient* client = startClient(options);
            ASSERT_TRUE(client);
            ASSERT_TRUE(waitUntil([&] { return windowsOf(client->pid()).size() == 1; }));
            windows.push_back(windowsOf(client->pid()).front());
            frames.append(frameWindowGeometry(client->window()));
        }
        ASSERT_TRUE(browser.writeSession(c.windows, frames));

        const auto items = finish(Integrations::capture(windows));
        ASSERT_TRUE(items);
        ASSERT_EQ(items->size(), c.windows.size());
        for (qsizetype i = 0; i < c.windows.size(); ++i) {
            EXPECT_EQ((*items)[i].url, c.windows[i].tabs[0].url) << "window " << i;
            EXPECT_EQ((*items)[i].tabs, (QStringList{c.windows[i].tabs[0].url, c.windows[i].tabs[1].url}))
                << "window " << i;
        }
    }
}

TEST_F(X11Integrations, AnXtermIsInItsShellsFolder)
{
    const AXElement xterm = startXterm(300, 300);
    ASSERT_TRUE(xterm.isValid());
    ASSERT_TRUE(waitUntil([&] { return TerminalFolder::of(xterm.pid).has_value(); }, 10))
        << "the xterm's shell did not start";
    // Its window is listed once the window manager has taken it in.
    ASSERT_TRUE(waitUntil([&] { return !windowsOf(xterm.pid).empty(); }, 10)) << "the xterm's window is not listed";
    const auto items = finish(Integrations::capture(windowsOf(xterm.pid)));
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 1);
    EXPECT_EQ(items->front().url, QUrl::fromLocalFile(QDir::currentPath()).toString(QUrl::FullyEncoded));
}

} // namespace

namespace {

TEST_F(X11Integrations, ALockThenAQuitKeepEveryTabAndEveryTerminalsFolder)
{
    X11TestClient* browser = startClient(ofClass("Inbox - Chromium", "Chromium"));
    ASSERT_TRUE(browser);
    QStringList folders;
    std::vector<AXElement> xterms;
    for (const char* name : {"alpha", "beta"}) {
        folders.append(dir_.filePath(name));
        ASSERT_TRUE(QDir().mkpath(folders.back()));
        // A shell that reads no start-up file: its prompt leaves the title alone.
        xterms.push_back(
            startXterm(500 + 300 * int(xterms.size()), 400, folders.back(), {"-T", name, "-e", "bash", "--norc"}));
        ASSERT_TRUE(xterms.back().isValid());
        // Saved are the windows listed, with the folders their shells are in.
        ASSERT_TRUE(waitUntil([&] { return TerminalFolder::of(xterms.back().pid).has_value(); }));
        ASSERT_TRUE(waitUntil([&] { return !windowsOf(xterms.back().pid).empty(); }));
    }
    ASSERT_TRUE(waitUntil([&] { return !windowsOf(browser->pid()).empty(); }));
    const auto saved = [&](const QString& app) {
        QList<SavedItem> out;
        const QList<SavedWorkspace> all = SavedWorkspaceStore::load();
        if (all.size() == 1 && all.front().items)
            for (const SavedItem& item : *all.front().items)
                if (item.app == app)
                    out.append(item);
        return out;
    };
    const auto folderUrls = [&] {
        QStringList out;
        for (const SavedItem& item : saved("XTerm"))
            out.append(item.url.value_or(QString()));
        out.sort();
        return out;
    };
    const QStringList expected{QUrl::fromLocalFile(folders[0]).toString(QUrl::FullyEncoded),
                               QUrl::fromLocalFile(folders[1]).toString(QUrl::FullyEncoded)};

    WindowManager windows;
    ActiveWorkspaceHolder active;
    Sessions sessions(windows, Platform::current(), active);
    // A quit reads the folders and tabs by itself (nothing is asked of the
    // applications here).
    sessions.save(false);
    EXPECT_EQ(folderUrls(), expected);
    ASSERT_EQ(saved("Chromium").size(), 1);
    EXPECT_EQ(saved("Chromium").front().url, "https://mail.example/");

    sessions.save(true); // the screen locks
    ASSERT_TRUE(waitUntil([&] { return !sessions.isSaving(); }));
    ASSERT_EQ(saved("Chromium").size(), 1);
    EXPECT_EQ(saved("Chromium").front().tabs, (QStringList{"https://mail.example/", "https://docs.example/"}));
    EXPECT_EQ(folderUrls(), expected);

    // The quit reads the terminals again; the browser's file is being
    // rewritten and reads nothing, which takes away nothing.
    QFile::remove(dir_.filePath("config/chromium/Default/Sessions/Session_13300000000000001"));
    sessions.save(false);
    ASSERT_EQ(saved("Chromium").size(), 1);
    EXPECT_EQ(saved("Chromium").front().url, "https://mail.example/");
    EXPECT_EQ(saved("Chromium").front().tabs, (QStringList{"https://mail.example/", "https://docs.example/"}));
    EXPECT_EQ(folderUrls(), expected);
}

} // namespace

namespace {

// What a browser shows after the commands it was given, as the two families
// were measured (or are documented) to behave: Chromium opens one window per
// "--new-window" command with every address after it ("--" ends its
// switches) and shows the first; a command without "--new-window" adds its
// addresses at the end of the newest window and shows the first of them.
// Firefox ignores "--", opens a window with the one address after
// "--new-window" and another with any further ones, adds each "--new-tab"
// address at the end of the newest window and shows it.
struct Shown {
    QList<QStringList> windows;
    QList<QString> front;
};
Shown replay(const QList<QStringList>& commands, bool firefox)
{
    Shown out;
    for (QStringList args : commands) {
        args.removeAll(firefox ? "--" : "\x01");
        if (!firefox) {
            const qsizetype end = args.indexOf("--");
            const QStringList addresses = end >= 0 ? args.mid(end + 1) : QStringList();
            if (addresses.isEmpty())
                continue;
            if (args.value(0) == "--new-window" || out.windows.isEmpty()) {
                out.windows.append(addresses);
                out.front.append(addresses[0]);
            } else {
                out.windows.back() += addresses;
                out.front.back() = addresses[0];
            }
            continue;
        }
        if (args.value(0) == "--new-tab" && args.size() == 2 && !out.windows.isEmpty()) {
            out.windows.back().append(args[1]);
            out.front.back() = args[1];
        } else if (args.value(0) == "--new-window" && args.size() >= 2) {
            out.windows.append({args[1]});
            out.front.append(args[1]);
            if (args.size() > 2) {
                out.windows.append(args.mid(2));
                out.front.append(args[2]);
            }
        }
    }
    return out;
}

TEST_F(X11Integrations, ABrowserComesBackAsOneWindowTheFrontTabInFrontTheOthersInOrder)
{
    write("data/applications/firefox-esr.desktop",
          "[Desktop Entry]\nType=Application\nName=Firefox ESR\nExec=" + dir_.filePath("browser").toUtf8() + " %u\n");
    const QByteArray log = dir_.filePath("commands").toUtf8();
    // The tabs in their order, the one in front among them.
    const QStringList urls{"https://a.example/", "file:///etc/passwd", "https://b.example/", "https://c.example/",
                           "https://d.example/"};
    const QStringList web{"https://a.example/", "https://b.example/", "https://c.example/", "https://d.example/"};
    // Chromium's window is the saved one, whichever tab was in front.
    // Firefox shows only the tab it opened last, at the end: its front tab
    // comes last when the saved one had tabs after it, the others in order.
    const struct {
        const char* app;
        int front;
        QStringList window;
        qsizetype commands;
    } cases[] = {
        {"Chromium", 2, web, 2},
        {"Chromium", 0, web, 1},
        {"Chromium", 4, web, 2},
        {"Firefox ESR", 2, {"https://a.example/", "https://c.example/", "https://d.example/", "https://b.example/"}, 4},
        {"Firefox ESR", 4, web, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString("%1 showing %2").arg(c.app, urls[c.front]).toStdString());
        QFile::remove(dir_.filePath("commands"));
        // The browser records the title of the active window and the command
        // it is given, one a line, and "--new-window" shows a window of its
        // own titled "new". Both browsers put a later command's tabs into the
        // window used last: an older window is the active one at the start.
        const QByteArray wmClass = QString(c.app) == "Chromium" ? "Chromium" : "firefox-esr";
        write("browser", "#!/bin/sh\nprintf '%s\\037' \"$(xdotool getactivewindow getwindowname)\" \"$@\" >> " + log
                             + "\necho >> " + log + "\n[ \"$1\" = --new-window ] && xterm -T new -class " + wmClass
                             + " &\n");
        QFile::setPermissions(dir_.filePath("browser"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const X11TestClient* older = startClient(ofClass("older", QString::fromLatin1(wmClass)));
        ASSERT_TRUE(older && activate(older->window()));
        ASSERT_TRUE(Integrations::restoreTabs(c.app, urls, c.front));
        QFile log(dir_.filePath("commands"));
        const qsizetype expected = c.commands;
        QList<QStringList> commands;
        ASSERT_TRUE(waitUntil([&] {
            commands.clear();
            if (log.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : log.readAll().split('\n'))
                    if (!line.isEmpty())
                        commands.append(QString::fromUtf8(line).chopped(1).split('\x1f'));
                log.close();
            }
            return commands.size() == expected;
        }));
        for (qsizetype i = 1; i < commands.size(); ++i)
            EXPECT_EQ(commands[i].value(0).toStdString(), "new") << "command " << i << " went to another window";
        for (QStringList& command : commands)
            command.removeFirst();
        const Shown shown = replay(commands, QString(c.app) != "Chromium");
        ASSERT_EQ(shown.windows.size(), 1);
        EXPECT_EQ(shown.windows[0], c.window);
        EXPECT_EQ(shown.front[0], urls[c.front]);
    }
}

TEST_F(X11Integrations, ThreeXtermsComeBackInTheirFolders)
{
    write("data/applications/xterm.desktop", "[Desktop Entry]\nType=Application\nName=XTerm\nExec=xterm\n");
    QStringList folders;
    for (const char* name : {"one", "two", "three"}) {
        folders.append(dir_.filePath(name));
        ASSERT_TRUE(QDir().mkpath(folders.back()));
    }
    Workspace& workspace = *Platform::current().workspace;
    const QString xterm = dir_.filePath("data/applications/xterm.desktop");
    for (const QString& folder : folders)
        ASSERT_TRUE(workspace.openUrl(QUrl::fromLocalFile(folder), xterm));
    // Each xterm's folder, as the process it started works in.
    QStringList found;
    ASSERT_TRUE(waitUntil([&] {
        found.clear();
        for (const RunningApp& app : workspace.runningApplications())
            if (app.localizedName == "XTerm")
                found.append(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(app.pid)).symLinkTarget());
        found.sort();
        return found.size() == 3;
    }));
    QStringList expected = folders;
    expected.sort();
    EXPECT_EQ(found, expected);
    for (const RunningApp& app : workspace.runningApplications())
        if (app.localizedName == "XTerm")
            workspace.terminate(app.pid);
}

TEST_F(X11Integrations, AnXtermsTitleInCompoundTextReadsAsText)
{
    qputenv("LC_ALL", "C.UTF-8");
    const AXElement xterm = startXterm(300, 300, {}, {"-T", "notes \u2014 xterm"});
    qunsetenv("LC_ALL");
    ASSERT_TRUE(xterm.isValid());
    std::optional<QString> title;
    EXPECT_TRUE(waitUntil([&] {
        title = ax().attribute(xterm, ax::Title).as<QString>();
        return title == "notes \u2014 xterm";
    })) << title.value_or("(none)").toStdString();

    // The plan preview's row for that window says so.
    RunningApp app;
    app.pid = xterm.pid;
    app.localizedName = "XTerm";
    ScreenCapture capture;
    capture.windows = {AXWindow{xterm, app}};
    WorkspacePlan plan;
    plan.windows = {WorkspacePlan::Window{"XTerm", 0, std::nullopt, "notes", std::nullopt, std::nullopt}};
    const std::vector<PlannedWindow> rows = WorkspaceRunner::rows(plan, capture);
    ASSERT_EQ(rows.size(), 1u);
    PlanRow row(rows[0], UnitRect{0, 0, 1, 1}, true, true);
    row.resize(row.sizeHint());
    EXPECT_EQ(row.detailText(), "notes \u2014 xterm");
    // On the bar's own surface over a desktop of the scheme's shade, as it shows.
    const TTheme theme = Environment::theme(&row);
    QImage picture(row.size(), QImage::Format_ARGB32);
    picture.fill(theme.ink.lightness() > 128 ? QColor(0x1e, 0x22, 0x2b) : QColor(0xe4, 0xe9, 0xf0));
    QPainter(&picture).fillRect(picture.rect(), theme.glassStrong);
    row.render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_TRUE(picture.save(QDir(Artifacts::folder("integrations")).filePath("xterm-title-in-plan-row.png")));
}

} // namespace

namespace {

// The windows a Firefox was made to show by its commands (each with the
// active window's title first): a "--new-window" command opens a window
// with its address; a "--new-tab" one adds its address to the window in
// use, which is sure only while a window of Firefox's is the active one
// (else the tab is counted under "another window"). Windows are named as
// the installed browser names them.
QMap<QString, QStringList> firefoxWindows(const QList<QStringList>& commands)
{
    QMap<QString, QStringList> windows;
    for (qsizetype line = 0; line < commands.size(); ++line) {
        const QStringList& c = commands[line];
        if (c.value(1) == "--new-window")
            windows.insert(QStringLiteral("firefox-esr %1").arg(line + 1), {c.value(2)});
        else if (c.value(1) == "--new-tab")
            windows[c.value(0).startsWith("firefox-esr ") ? c.value(0) : QStringLiteral("another window")].append(
                c.value(2));
    }
    return windows;
}

SavedItem browserItem(const QString& app, const QStringList& tabs, int front)
{
    SavedItem item{app, tabs[front], tabs.size() > 1 ? std::optional(tabs) : std::nullopt};
    if (tabs.size() > 1)
        item.front = front;
    return item;
}

SavedWorkspace workspaceOf(const QList<SavedItem>& items, LayoutKind layout = LayoutKind::halves)
{
    SavedWorkspace saved;
    saved.name = QStringLiteral("Restored");
    saved.request = QStringLiteral("Resume Restored");
    saved.layout = layout;
    saved.savedAt = QDateTime::currentDateTime();
    saved.items = items;
    for (const SavedItem& item : items)
        saved.apps.append(item.app);
    return saved;
}

TEST_F(X11Integrations, FirefoxAndChromiumRestoredTogetherComeBackUnmixedEachWindowAsAWindow)
{
    // Firefox takes a while to take each command; Chromium's new windows
    // come a while after theirs, and take the focus.
    installBrowser("Firefox ESR", "Navigator", "firefox-esr", false, 0.3);
    installBrowser("Chromium", "chromium", "Chromium", true, 0, 1);
    // An older Firefox window is the one in use.
    const X11TestClient* older = startClient(ofClass("older", "firefox-esr"));
    ASSERT_TRUE(older && activate(older->window()));
    IntegratedWindowContent content{*Platform::current().clock};
    const Registration installed = WindowContent::install(content);

    // Firefox's windows between Chromium's, whose new windows take the
    // focus; two windows of one tab.
    const QStringList a{"https://a.example/1", "https://a.example/2", "https://a.example/3"},
        b{"https://b.example/1", "https://b.example/2", "https://b.example/3", "https://b.example/4",
          "https://b.example/5"},
        c{"https://c.example/1", "https://c.example/2"};
    const SavedWorkspace saved = workspaceOf(
        {browserItem("Firefox ESR", a, 1), browserItem("Chromium", c, 0), browserItem("Firefox ESR", b, 0),
         browserItem("Chromium", {"https://d.example/"}, 0), browserItem("Firefox ESR", {"https://e.example/"}, 0)},
        LayoutKind::columns);
    WindowManager manager;
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner(manager, Platform::current(), active);
    const auto outcome = finish(runner.arrangeSaved(saved), 120);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->arranged, 5);
    EXPECT_FALSE(outcome->problem) << outcome->problem->toStdString();

    // Each Firefox window holds its own tabs, the front one opened last;
    // the one-tab windows are windows of their own.
    const QList<QStringList> firefox = browserCommands("firefox-esr");
    const QMap<QString, QStringList> windows = firefoxWindows(firefox);
    EXPECT_EQ(windows.values(),
              (QList<QStringList>{{"https://a.example/1", "https://a.example/3", "https://a.example/2"},
                                  {"https://b.example/2", "https://b.example/3", "https://b.example/4",
                                   "https://b.example/5", "https://b.example/1"},
                                  {"https://e.example/"}}))
        << "windows: " << QStringList(windows.keys()).join(", ").toStdString();
    QList<QStringList> chromium = browserCommands("Chromium");
    for (QStringList& command : chromium)
        command.removeFirst();
    EXPECT_EQ(chromium, (QList<QStringList>{{"--new-window", "--", "https://c.example/1", "https://c.example/2"},
                                            {"--new-window", "--", "https://d.example/"}}));
}

TEST_F(X11Integrations, AWindowShowingPartOfASavedOneOrAnotherListedOneIsNotTakenForIt)
{
    installBrowser("Firefox ESR", "Navigator", "firefox-esr", false);
    IntegratedWindowContent content{*Platform::current().clock};
    const Registration installed = WindowContent::install(content);
    // Open: a window showing only the first of saved window A's three tabs,
    // and an unrelated one. Firefox's file lists both: neither is private.
    FakeBrowser firefox(FakeBrowser::Family::firefox, dir_.filePath("config"));
    const QList<FakeBrowser::Window> open{{{{"A1", "https://a.example/1"}}, 0}, {{{"Other", "https://o.example/"}}, 0}};
    QList<Rect> frames;
    for (qsizetype i = 0; i < open.size(); ++i) {
        X11TestClient::Options options = ofClass(firefox.title(open[i]), firefox.windowClass());
        options.client = Rect(60 + 480 * double(i), 100, 400, 300);
        X11TestClient* client = startClient(options);
        ASSERT_TRUE(client);
        ASSERT_TRUE(waitUntil([&] { return windowsOf(client->pid()).size() == 1; }));
        frames.append(frameWindowGeometry(client->window()));
    }
    ASSERT_TRUE(firefox.writeSession(open, frames));

    // A private window is saved with nothing but its application.
    const SavedWorkspace saved = workspaceOf(
        {browserItem("Firefox ESR", {"https://a.example/1", "https://a.example/2", "https://a.example/3"}, 0),
         SavedItem{"Firefox ESR", std::nullopt, std::nullopt}});
    WindowManager manager;
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner(manager, Platform::current(), active);
    const auto outcome = finish(runner.arrangeSaved(saved), 60);
    ASSERT_TRUE(outcome);
    // A comes back whole in a window of its own; the private one is named.
    EXPECT_EQ(outcome->arranged, 1);
    EXPECT_EQ(firefoxWindows(browserCommands("firefox-esr")).values(),
              (QList<QStringList>{{"https://a.example/2", "https://a.example/3", "https://a.example/1"}}));
    EXPECT_EQ(outcome->problem.value_or(""),
              "Couldn't open a Firefox ESR window: it kept no address (a private window keeps none).");
}

TEST_F(X11Integrations, AFirefoxThatEndedUncleanlyBringsItsWindowsBackAndOnlyTheRestAreOpened)
{
    // Firefox was killed: its file lists two windows, its lock names a
    // process that is gone, and it wrote nothing on quitting. Started, it
    // shows those windows again by itself, as the real one does.
    const QString profile = dir_.filePath("config/mozilla/firefox/fake.default-esr");
    FakeBrowser firefox(FakeBrowser::Family::firefox, dir_.filePath("config"));
    const QList<FakeBrowser::Window> last{{{{"A1", "https://a.example/1"}, {"A2", "https://a.example/2"}}, 0},
                                          {{{"B1", "https://b.example/1"}}, 0}};
    ASSERT_TRUE(firefox.writeSession(last, {Rect(0, 0, 400, 300), Rect(480, 0, 400, 300)}));
    ASSERT_TRUE(QFile::remove(profile + "/lock") && sessionfiles::lock(profile + "/lock", true));
    const auto client = [&](const QString& title) {
        QStringList quoted;
        for (QString argument : X11TestClient::command(ofClass(title, "firefox-esr")))
            quoted.append("'" + argument.replace("'", "'\\''") + "'");
        return quoted.join(' ');
    };
    // Each start is logged, one a line; without arguments it takes the
    // profile's lock (as the process that shows the last window).
    const QString log = dir_.filePath("firefox.commands");
    write("firefox", ("#!/bin/sh\nprintf '%s\\037' \"$@\" >> '" + log + "'\necho >> '" + log
                      + "'\nif [ $# -eq 0 ]; then\n  ln -sfn \"127.0.0.1:+$$\" '" + profile + "/lock'\n  "
                      + client(firefox.title(last[0])) + " > /dev/null 2>&1 &\n  exec " + client(firefox.title(last[1]))
                      + " > /dev/null 2>&1\nfi\n[ \"$1\" = --new-window ] && " + client("firefox-esr new")
                      + " > /dev/null 2>&1 < /dev/null &\n")
                         .toUtf8());
    QFile::setPermissions(dir_.filePath("firefox"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    write("data/applications/firefox-esr.desktop",
          "[Desktop Entry]\nType=Application\nName=Firefox ESR\nStartupWMClass=firefox-esr\nExec="
              + dir_.filePath("firefox").toUtf8() + " %u\n");
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("home"))); // where applications start
    IntegratedWindowContent content{*Platform::current().clock};
    const Registration installed = WindowContent::install(content);

    const SavedWorkspace saved =
        workspaceOf({browserItem("Firefox ESR", {"https://a.example/1", "https://a.example/2"}, 0),
                     browserItem("Firefox ESR", {"https://b.example/1"}, 0),
                     browserItem("Firefox ESR", {"https://c.example/1"}, 0)},
                    LayoutKind::thirds);
    WindowManager manager;
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner(manager, Platform::current(), active);
    const auto outcome = finish(runner.arrangeSaved(saved), 90);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->arranged, 3);
    QStringList commands;
    QFile file(log);
    if (file.open(QIODevice::ReadOnly))
        commands = QString::fromUtf8(file.readAll()).replace('\x1f', ' ').split('\n', Qt::SkipEmptyParts);
    // Started once as it is, then only the window it did not bring back.
    EXPECT_EQ(commands, (QStringList{" ", "--new-window https://c.example/1 "}));
    EXPECT_EQ(outcome->problem.value_or(""),
              "Firefox ESR brought back 2 windows of its last session by itself; only what they lack was opened.");
}

TEST_F(X11Integrations, ARestoreTakesOnlyTheOpenWindowsThatShowWhatWasSavedAndOpensEveryOtherOnce)
{
    installBrowser("Chromium", "chromium", "Chromium", true);
    write("data/applications/xterm.desktop",
          "[Desktop Entry]\nType=Application\nName=XTerm\nStartupWMClass=XTerm\nExec=xterm\n");
    IntegratedWindowContent content{*Platform::current().clock};
    const Registration installed = WindowContent::install(content);
    // The session's window 1 (Inbox) is saved and still open; its window 2
    // (Plan) is open and was not saved; an xterm is open in the home folder.
    ASSERT_TRUE(startClient(ofClass("Inbox - Chromium", "Chromium")));
    ASSERT_TRUE(startClient(ofClass("Plan - Chromium", "Chromium")));
    const QString alpha = dir_.filePath("alpha folder");
    ASSERT_TRUE(QDir().mkpath(alpha) && QDir().mkpath(dir_.filePath("home")));
    const AXElement elsewhere = startXterm(600, 500, dir_.filePath("home"), {"-T", "sam@box: ~"});
    ASSERT_TRUE(elsewhere.isValid());
    ASSERT_TRUE(waitUntil([&] { return TerminalFolder::of(elsewhere.pid).has_value(); }));
    ASSERT_TRUE(waitUntil([&] { return !windowsOf(elsewhere.pid).empty(); }));

    SavedItem inAlpha{"XTerm", QUrl::fromLocalFile(alpha).toString(QUrl::FullyEncoded), std::nullopt};
    inAlpha.title = "sam@box: ~/alpha folder";
    const SavedWorkspace saved =
        workspaceOf({browserItem("Chromium", {"https://mail.example/", "https://docs.example/"}, 0),
                     browserItem("Chromium", {"https://news.example/", "https://sport.example/"}, 0), inAlpha},
                    LayoutKind::thirds);
    WindowManager manager;
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner(manager, Platform::current(), active);
    const auto outcome = finish(runner.arrangeSaved(saved), 60);
    ASSERT_TRUE(outcome);
    EXPECT_FALSE(outcome->problem) << outcome->problem->toStdString();
    ASSERT_EQ(outcome->arranged, 3);
    QStringList titles;
    for (const AXWindow& w : outcome->windows)
        titles.append(w.string(ax::Title).value_or(QString()));
    EXPECT_EQ(titles.value(0), "Inbox - Chromium"); // open already: not opened again
    EXPECT_EQ(titles.value(1), "Chromium 1");
    QList<QStringList> chromium = browserCommands("Chromium");
    for (QStringList& command : chromium)
        command.removeFirst();
    EXPECT_EQ(chromium,
              (QList<QStringList>{{"--new-window", "--", "https://news.example/", "https://sport.example/"}}));
    // The terminal came back in its own folder, not as the one open elsewhere.
    ASSERT_EQ(outcome->windows.size(), 3u);
    const int opened = outcome->windows[2].app.pid;
    EXPECT_NE(opened, elsewhere.pid);
    EXPECT_TRUE(waitUntil([&] { return TerminalFolder::of(opened) == alpha; }))
        << TerminalFolder::of(opened).value_or("(none)").toStdString();
}

TEST_F(X11Integrations, OfThreeTerminalsInOneFolderTheTwoSavedComeBackByTheirTitles)
{
    const QString project = dir_.filePath("project");
    ASSERT_TRUE(QDir().mkpath(project));
    std::map<QString, AXElement> xterms;
    for (const char* name : {"build", "logs", "notes"}) {
        // A shell that reads no start-up file: its prompt leaves the title alone.
        xterms[name] = startXterm(100 + 200 * int(xterms.size()), 300, project, {"-T", name, "-e", "bash", "--norc"});
        ASSERT_TRUE(xterms[name].isValid());
        ASSERT_TRUE(waitUntil([&] { return TerminalFolder::of(xterms[name].pid).has_value(); }));
        ASSERT_TRUE(waitUntil([&] { return !windowsOf(xterms[name].pid).empty(); }));
    }
    const auto items =
        finish(Integrations::capture({windowsOf(xterms["build"].pid).front(), windowsOf(xterms["logs"].pid).front()}));
    ASSERT_TRUE(items && items->size() == 2);
    EXPECT_EQ(items->at(0).title, "build");
    EXPECT_EQ(items->at(1).url, QUrl::fromLocalFile(project).toString(QUrl::FullyEncoded));
    const Rect notesBefore = frameWindowGeometry(xcb_window_t(xterms["notes"].token));

    WindowManager manager;
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner(manager, Platform::current(), active);
    const auto outcome = finish(runner.arrangeSaved(workspaceOf(*items)), 30);
    ASSERT_TRUE(outcome);
    EXPECT_FALSE(outcome->problem) << outcome->problem->toStdString();
    ASSERT_EQ(outcome->windows.size(), 2u);
    EXPECT_EQ(outcome->windows[0].app.pid, xterms["build"].pid);
    EXPECT_EQ(outcome->windows[1].app.pid, xterms["logs"].pid);
    EXPECT_TRUE(outcome->openedWindows.empty());
    EXPECT_EQ(frameWindowGeometry(xcb_window_t(xterms["notes"].token)), notesBefore);
}

TEST_F(X11Integrations, ATerminalComesBackInItsFolderByItsOwnOptionAndWithoutOneInTheHomeFolder)
{
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("home")));
    const QString folder = dir_.filePath("saved folder");
    ASSERT_TRUE(QDir().mkpath(folder));
    const struct {
        const char* program;
        QStringList arguments; // what it is started with for the folder
    } cases[] = {
        {"xfce4-terminal", {"--working-directory=" + folder}},
        {"gnome-terminal", {"--working-directory=" + folder}},
        {"konsole", {"--workdir", folder}},
        {"xterm", {}}, // started in the folder
    };
    Workspace& workspace = *Platform::current().workspace;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        // The terminal writes the folder it was started in, then its arguments.
        const QString program = dir_.filePath(QStringLiteral("bin/") + c.program),
                      log = dir_.filePath(QStringLiteral("%1.started").arg(c.program));
        write(QStringLiteral("bin/") + c.program, ("#!/bin/sh\npwd > '" + log + ".part'\nprintf '%s\\n' \"$@\" >> '"
                                                   + log + ".part'\nmv '" + log + ".part' '" + log + "'\n")
                                                      .toUtf8());
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString entry = dir_.filePath(QStringLiteral("data/applications/%1.desktop").arg(c.program));
        write(
            QStringLiteral("data/applications/%1.desktop").arg(c.program),
            ("[Desktop Entry]\nType=Application\nName=T " + QString(c.program) + "\nExec=" + program + "\n").toUtf8());
        const auto started = [&] {
            QFile f(log);
            const bool done = waitUntil([&] { return f.exists(); });
            QStringList lines;
            if (done && f.open(QIODevice::ReadOnly))
                lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
            f.remove();
            return lines;
        };
        ASSERT_TRUE(workspace.openUrl(QUrl::fromLocalFile(folder), entry));
        EXPECT_EQ(started(), QStringList{folder} + c.arguments);
        ASSERT_TRUE(workspace.launchApplication(entry));
        EXPECT_EQ(started(), QStringList{dir_.filePath("home")});
    }
}

} // namespace

namespace {

// The automatic sessions' items of `app`, as stored.
QList<SavedItem> sessionItems(const QString& app)
{
    QList<SavedItem> out;
    for (const SavedWorkspace& w : SavedWorkspaceStore::load())
        if (w.isAutomatic() && w.items)
            for (const SavedItem& item : *w.items)
                if (item.app == app)
                    out.append(item);
    return out;
}

TEST_F(X11Integrations, ASaveWaitsForTheBrowsersLateWriteAndAQuitKeepsWhatTheLastSaveHeld)
{
    write("data/applications/firefox-esr.desktop",
          "[Desktop Entry]\nType=Application\nName=Firefox ESR\nStartupWMClass=firefox-esr\nExec="
              + dir_.filePath("browser").toUtf8() + " %u\n");
    FakeBrowser firefox(FakeBrowser::Family::firefox, dir_.filePath("config"));
    const FakeBrowser::Window mail{{{"Mail", "https://a.example/1"}, {"Other", "https://a.example/2"}}};
    FakeBrowser::Window plan{{{"Plan", "https://b.example/1"}, {"Notes", "https://b.example/2"}}};
    QList<Rect> frames;
    for (const FakeBrowser::Window& w : {mail, plan}) {
        X11TestClient::Options options = ofClass(firefox.title(w), firefox.windowClass());
        options.client = Rect(60 + 600 * double(frames.size()), 100, 400, 300);
        X11TestClient* client = startClient(options);
        ASSERT_TRUE(client);
        ASSERT_TRUE(waitUntil([&] { return !windowsOf(client->pid()).empty(); }));
        frames.append(frameWindowGeometry(client->window()));
    }
    // Firefox came back with both windows; its file of this run holds only
    // the first so far. The last save held both.
    ASSERT_TRUE(firefox.writeSession({mail}, frames.mid(0, 1)));
    SavedWorkspace last;
    last.name = "Firefox ESR";
    last.request = "Resume Firefox ESR";
    last.apps = {"Firefox ESR", "Firefox ESR"};
    last.savedAt = QDateTime::currentDateTime().addSecs(-600);
    last.automatic = true;
    SavedItem lastPlan{"Firefox ESR", plan.tabs[0].url, QStringList{plan.tabs[0].url, plan.tabs[1].url}, 0,
                       firefox.title(plan)};
    last.items = QList<SavedItem>{SavedItem{"Firefox ESR", mail.tabs[0].url, std::nullopt}, lastPlan};
    SavedWorkspaceStore::update(last);

    WindowManager windows;
    ActiveWorkspaceHolder active;
    Sessions sessions(windows, Platform::current(), active);
    // A quit has no time to wait: the window the file does not hold yet
    // keeps what the last save held.
    sessions.save(false);
    QList<SavedItem> items = sessionItems("Firefox ESR");
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items.contains(lastPlan));

    // A lock waits for the browser's next write, which comes a while later
    // with a tab opened since.
    plan.tabs.append(BrowserTab{"Draft", "https://b.example/3"});
    sessions.save(true);
    ASSERT_TRUE(sessions.isSaving());
    QTimer::singleShot(1000, [&] { firefox.writeSession({mail, plan}, frames); });
    ASSERT_TRUE(waitUntil([&] { return !sessions.isSaving(); }, 60));
    items = sessionItems("Firefox ESR");
    ASSERT_EQ(items.size(), 2);
    const auto planItem =
        std::find_if(items.cbegin(), items.cend(), [](const SavedItem& i) { return i.url == "https://b.example/1"; });
    ASSERT_NE(planItem, items.cend());
    EXPECT_EQ(planItem->tabs, (QStringList{"https://b.example/1", "https://b.example/2", "https://b.example/3"}));

    // Firefox marks its private windows: a window its newer file still does
    // not list is later than that write (a first write after it starts
    // again is), never private; the save waits on for the next one.
    plan.tabs.append(BrowserTab{"Sketch", "https://b.example/4"});
    ASSERT_TRUE(firefox.writeSession({mail}, frames.mid(0, 1)));
    sessions.save(true);
    QTimer::singleShot(1000, [&] { firefox.writeSession({mail}, frames.mid(0, 1)); });
    QTimer::singleShot(2000, [&] { firefox.writeSession({mail, plan}, frames); });
    ASSERT_TRUE(waitUntil([&] { return !sessions.isSaving(); }, 60));
    items = sessionItems("Firefox ESR");
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(std::any_of(items.cbegin(), items.cend(), [](const SavedItem& i) {
        return i.tabs && i.tabs->size() == 4 && i.tabs->back() == "https://b.example/4";
    }));
}

TEST_F(X11Integrations, AnIncognitoWindowTheSessionFileDoesNotListIsSavedWithoutTitleOrTabs)
{
    FakeBrowser chromium(FakeBrowser::Family::chromium, dir_.filePath("config"));
    const FakeBrowser::Window mail{{{"Mail", "https://a.example/1"}, {"Other", "https://a.example/2"}}};
    const FakeBrowser::Window secret{{{"Page PRIV1", "https://private.example/"}}};
    QList<Rect> frames;
    for (const FakeBrowser::Window& w : {mail, secret}) {
        X11TestClient::Options options = ofClass(chromium.title(w), chromium.windowClass());
        options.client = Rect(60 + 600 * double(frames.size()), 100, 400, 300);
        X11TestClient* client = startClient(options);
        ASSERT_TRUE(client);
        ASSERT_TRUE(waitUntil([&] { return !windowsOf(client->pid()).empty(); }));
        frames.append(frameWindowGeometry(client->window()));
    }
    // Chromium never writes its incognito windows; it writes the other
    // window again a while after the save began.
    ASSERT_TRUE(chromium.writeSession({mail}, frames.mid(0, 1)));
    WindowManager windows;
    ActiveWorkspaceHolder active;
    Sessions sessions(windows, Platform::current(), active);
    sessions.save(true);
    QTimer::singleShot(1000, [&] { chromium.writeSession({mail}, frames.mid(0, 1)); });
    ASSERT_TRUE(waitUntil([&] { return !sessions.isSaving(); }, 60));
    const QList<SavedItem> items = sessionItems("Chromium");
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items.contains(SavedItem{"Chromium", std::nullopt, std::nullopt})) << "the incognito window";
    EXPECT_EQ(
        std::count_if(items.cbegin(), items.cend(), [](const SavedItem& i) { return i.url == "https://a.example/1"; }),
        1);
    const QByteArray stored = Platform::current().defaults->value(SavedWorkspaceStore::kKey)->toByteArray();
    EXPECT_FALSE(stored.contains("PRIV1")) << stored.toStdString();
}

} // namespace
