// The integrations on a real X11 desktop: a browser installed through a
// desktop entry in the test's own data folder, whose profile holds a session
// file, has its tabs captured and brought back; an xterm's folder is read
// from its shell.

#include "integrations/browserurls.h"
#include "integrations/integrations.h"
#include "platform/linux/terminalfolder.h"
#include "platform/workspace.h"
#include "support/sessionfiles.h"
#include "support/x11/x11fixture.h"

#include <QDir>
#include <QFile>
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
        write("home/.config/chromium/Default/Sessions/Session_13300000000000001", session.bytes());

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
    // after "--", the front one last.
    EXPECT_TRUE(Integrations::restoreTabs(
        "Chromium", {"https://mail.example/", "--gpu-launcher=/bin/sh", "https://docs.example/"}));
    QFile arguments(dir_.filePath("arguments"));
    ASSERT_TRUE(waitUntil([&] { return arguments.exists(); }, 10));
    ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(arguments.readAll()).split('\n', Qt::SkipEmptyParts),
              (QStringList{"--new-window", "--", "https://docs.example/", "https://mail.example/"}));
}

TEST_F(X11Integrations, AFirefoxWindowShowsTheTabItsTitleNamesThoughTheFileIsOlder)
{
    write("data/applications/firefox-esr.desktop",
          "[Desktop Entry]\nType=Application\nName=Firefox ESR\nStartupWMClass=Firefox-esr\nExec="
              + dir_.filePath("browser").toUtf8() + " %u\n");
    write("home/.mozilla/firefox/profiles.ini",
          "[Profile0]\nName=default-esr\nIsRelative=1\nPath=abcd.default-esr\nDefault=1\n");
    // The file still names the first tab: a tab switch alone is not written.
    write("home/.mozilla/firefox/abcd.default-esr/sessionstore-backups/recovery.jsonlz4",
          sessionfiles::firefox(R"({"windows":[{"tabs":[
              {"entries":[{"url":"https://mail.example/","title":"Inbox"}],"index":1},
              {"entries":[{"url":"https://docs.example/","title":"Docs"}],"index":1}],"selected":1}]})"));
    X11TestClient* browser = startClient(ofClass("Docs \u2014 Mozilla Firefox", "Firefox-esr"));
    ASSERT_TRUE(browser);
    ASSERT_TRUE(waitUntil([&] { return !windowsOf(browser->pid()).empty(); }));

    const auto items = finish(Integrations::capture(windowsOf(browser->pid())));
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 1);
    EXPECT_EQ(items->front().app, "Firefox ESR");
    EXPECT_EQ(items->front().url, "https://docs.example/");
    EXPECT_EQ(items->front().tabs, (QStringList{"https://mail.example/", "https://docs.example/"}));
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
