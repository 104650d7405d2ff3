// The integrations on a real X11 desktop: a browser installed through a
// desktop entry in the test's own data folder, whose profile holds a session
// file, has its tabs captured and brought back; an xterm's folder is read
// from its shell.

#include "commandbar/planrow.h"
#include "design/environment.h"
#include "integrations/browserurls.h"
#include "integrations/integrations.h"
#include "integrations/sessions.h"
#include "platform/linux/terminalfolder.h"
#include "platform/workspace.h"
#include "support/artifacts.h"
#include "support/sessionfiles.h"
#include "support/x11/x11fixture.h"
#include "windows/windowmanager.h"
#include "workspaces/savedworkspacestore.h"
#include "workspaces/workspacerunner.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QUrl>

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
    std::optional<T> finish(QCoro::Task<T> task)
    {
        std::optional<T> out;
        auto keep = [](QCoro::Task<T> t, std::optional<T>* into) -> QCoro::Task<> {
            into->emplace(co_await std::move(t));
        };
        auto running = keep(std::move(task), &out);
        waitUntil([&] { return out.has_value(); }, 10);
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

TEST_F(X11Integrations, AnXtermIsInItsShellsFolder)
{
    const AXElement xterm = startXterm(300, 300);
    ASSERT_TRUE(xterm.isValid());
    ASSERT_TRUE(waitUntil([&] { return TerminalFolder::of(xterm.pid).has_value(); }, 10))
        << "the xterm's shell did not start";
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
        ASSERT_TRUE(waitUntil([&] { return TerminalFolder::of(xterms.back().pid).has_value(); }));
    }
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
    Sessions sessions(windows);
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
    // The browser records each command it is given, one a line.
    write("browser", "#!/bin/sh\nprintf '%s\\037' \"$@\" >> " + dir_.filePath("commands").toUtf8() + "\necho >> "
                         + dir_.filePath("commands").toUtf8() + "\n");
    QFile::setPermissions(dir_.filePath("browser"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
        ASSERT_TRUE(Integrations::restoreTabs(c.app, urls, c.front));
        QFile log(dir_.filePath("commands"));
        const qsizetype expected = c.commands;
        QList<QStringList> commands;
        ASSERT_TRUE(waitUntil([&] {
            commands.clear();
            if (log.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : log.readAll().split('\n'))
                    if (!line.isEmpty())
                        commands.append(QString::fromUtf8(line).split('\x1f', Qt::SkipEmptyParts));
                log.close();
            }
            return commands.size() == expected;
        }));
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
