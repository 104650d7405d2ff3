// Reading what each window shows into saved items: browsers, editors,
// terminals, file managers, title paths, notes; the switch, the consent and
// the time limits around them.

#include "integrationsdesk.h"

#include "integrations/integrations.h"
#include "platform/platform.h"

#include <QUrl>

using namespace tavrin;

namespace {

const QByteArray kDesk = R"json({
  "displays": [ { "name": "Studio", "frame": [0, 0, 2560, 1440] } ],
  "apps": [
    { "name": "Tavrin", "self": true, "policy": "accessory" },
    { "name": "Google Chrome", "bundleId": "com.google.Chrome" },
    { "name": "Safari", "bundleId": "com.apple.Safari" },
    { "name": "Terminal", "bundleId": "com.apple.Terminal" },
    { "name": "iTerm", "bundleId": "com.googlecode.iterm2" },
    { "name": "Finder", "bundleId": "com.apple.finder" },
    { "name": "Visual Studio Code" },
    { "name": "PyCharm" },
    { "name": "Ghostty" },
    { "name": "Obsidian" },
    { "name": "Preview" }
  ],
  "windows": [
    { "app": "Google Chrome", "frame": [0, 30, 900, 700], "title": "Docs",
      "tabs": [ { "title": "Docs", "url": "https://docs.example.com/" }, { "title": "Plan", "url": "https://plan.example.com/" } ] },
    { "app": "Google Chrome", "frame": [0, 30, 900, 700], "title": "Inbox - Mail",
      "tabs": [ { "title": "Inbox", "url": "https://mail.example.com/" } ] },
    { "app": "Google Chrome", "frame": [0, 30, 900, 700], "title": "Team · Calendar",
      "tabs": [ { "title": "Calendar", "url": "https://calendar.example.com/" },
                { "title": "Settings", "url": "chrome://settings/" } ] },
    { "app": "Google Chrome", "frame": [0, 30, 900, 700], "title": "Extensions", "document": "file:///tmp/x.html",
      "tabs": [ { "title": "Extensions", "url": "chrome://extensions/" } ] },
    { "app": "Safari", "frame": [0, 30, 900, 700], "title": "Report", "document": "file:///Users/sam/report.html",
      "tabs": [ { "title": "Report", "url": "file:///Users/sam/report.html" } ] },
    { "app": "Terminal", "frame": [0, 30, 900, 700], "title": "app — bash — 80×24", "tty": "/dev/ttys003" },
    { "app": "Terminal", "frame": [0, 30, 900, 700], "title": "stuck — zsh", "tty": "/dev/ttys009" },
    { "app": "iTerm", "frame": [0, 30, 900, 700], "title": "server (-zsh)", "folder": "/srv/app" },
    { "app": "iTerm", "frame": [0, 30, 900, 700], "title": "remote", "folder": "~unexpanded" },
    { "app": "Finder", "frame": [0, 30, 900, 700], "title": "Documents", "folder": "/Users/sam/Documents/" },
    { "app": "Visual Studio Code", "frame": [0, 30, 900, 700], "title": "main.c — app" },
    { "app": "Visual Studio Code", "frame": [0, 30, 900, 700], "title": "app2" },
    { "app": "Visual Studio Code", "frame": [0, 30, 900, 700], "title": "notes.md", "document": "file:///Users/sam/notes.md" },
    { "app": "PyCharm", "frame": [0, 30, 900, 700], "title": "tool – main.py" },
    { "app": "Ghostty", "frame": [0, 30, 900, 700], "title": "~/src/app — zsh" },
    { "app": "Ghostty", "frame": [0, 30, 900, 700], "title": "~/src/missing — zsh" },
    { "app": "Obsidian", "frame": [0, 30, 900, 700], "title": "Ideas - Work - Obsidian 1.6.7" },
    { "app": "Obsidian", "frame": [0, 30, 900, 700], "title": "Ideas - Obsidian" },
    { "app": "Preview", "frame": [0, 30, 900, 700], "title": "scan.pdf", "document": "file:///Users/sam/scan.pdf" }
  ],
  "processes": [
    { "pid": 700, "tty": "ttys003", "command": "login" },
    { "pid": 701, "tty": "ttys003", "command": "-zsh", "cwd": "/Users/sam" },
    { "pid": 702, "tty": "ttys003", "command": "/bin/bash", "cwd": "/Users/sam/src/app" },
    { "pid": 703, "tty": "ttys003", "command": "vim", "cwd": "/tmp" },
    { "pid": 900, "tty": "ttys009", "command": "-zsh", "cwd": "/Volumes/net", "hangs": true }
  ]
})json";

class Reads : public IntegrationsDesk {
protected:
    Reads() : IntegrationsDesk(kDesk) {}

    // The item saved for the window with this title.
    SavedItem item(const QString& title)
    {
        const QList<SavedItem> items = finish(Integrations::capture(windowsTitled({title})));
        return items.isEmpty() ? SavedItem{} : items.front();
    }
    static std::optional<QString> file(const QString& path) { return QUrl::fromLocalFile(path).toString(); }
    // An item with the window's title and, for a browser, its front tab's.
    static SavedItem titled(SavedItem item, const QString& title, std::optional<QString> tab = std::nullopt)
    {
        item.title = title;
        item.tabTitle = std::move(tab);
        return item;
    }
};

TEST_F(Reads, BrowserWindowsGetTheirFrontTabAndTabsByTitle)
{
    const auto items = finish(Integrations::capture(windowsOf("Google Chrome")));
    ASSERT_EQ(items.size(), 4);
    // By exact title; by a title that begins with the front tab's; by one that holds it.
    EXPECT_EQ(items[0], titled({"Google Chrome", "https://docs.example.com/",
                                QStringList{"https://docs.example.com/", "https://plan.example.com/"}, 0},
                               "Docs", "Docs"));
    EXPECT_EQ(items[1], titled({"Google Chrome", "https://mail.example.com/", std::nullopt}, "Inbox - Mail", "Inbox"));
    // One web tab beside a settings page: no tabs.
    EXPECT_EQ(items[2],
              titled({"Google Chrome", "https://calendar.example.com/", std::nullopt}, "Team · Calendar", "Calendar"));
    // A front tab that is not a web page gives no read: the document is kept.
    EXPECT_EQ(items[3], titled({"Google Chrome", "file:///tmp/x.html", std::nullopt}, "Extensions"));
    // One script for all the browser's windows, in the browser's own form.
    EXPECT_EQ(
        scripts().filter("Google Chrome"),
        QStringList{"tell application \"Google Chrome\"\n"
                    "  set out to {}\n"
                    "  repeat with w in windows\n"
                    "    try\n"
                    "      set end of out to {title of active tab of w, URL of active tab of w, URL of tabs of w}\n"
                    "    end try\n"
                    "  end repeat\n"
                    "  return out\n"
                    "end tell"});
}

TEST_F(Reads, ABrowserWindowKeepsAtMostFortyTabs)
{
    std::vector<SimTab> tabs;
    for (int i = 0; i < 45; ++i)
        tabs.push_back({QStringLiteral("Tab %1").arg(i), QStringLiteral("https://example.com/%1").arg(i)});
    SimWindow w;
    w.pid = env.pid("Safari");
    w.frame = Rect(0, 30, 900, 700);
    w.tabs = tabs;
    w.title = "Tab 0";
    env.desktop.addWindow(w);
    const SavedItem safari = item("Tab 0");
    ASSERT_TRUE(safari.tabs);
    EXPECT_EQ(safari.tabs->size(), 40);
    EXPECT_EQ(safari.tabs->back(), "https://example.com/39");
    EXPECT_TRUE(scripts().last().contains("{name of current tab of w, URL of current tab of w, URL of tabs of w}"));
}

TEST_F(Reads, WithoutScriptingOrConsentOnlyDocumentsAreKept)
{
    const auto windows = windowsTitled({"Report", "Docs"});
    const QList<SavedItem> items = Integrations::captureWindow(windows);
    EXPECT_EQ(items, (QList<SavedItem>{titled({"Safari", "file:///Users/sam/report.html", std::nullopt}, "Report"),
                                       titled({"Google Chrome", std::nullopt, std::nullopt}, "Docs")}));
    EXPECT_TRUE(scripts().isEmpty());
    EXPECT_TRUE(Integrations::captureWindow({}).isEmpty());

    env.desktop.setAutomation(env.pid("Google Chrome"), SimAutomationAccess::denied);
    EXPECT_EQ(item("Docs"), titled({"Google Chrome", std::nullopt, std::nullopt}, "Docs"));
    EXPECT_TRUE(scripts().isEmpty());
}

TEST_F(Reads, ASwitchedOffApplicationKeepsNoAddressEvenWithADocument)
{
    Integrations::setOff("Preview", true);
    Integrations::setOff("Google Chrome", true);
    EXPECT_EQ(item("scan.pdf"), (SavedItem{"Preview", std::nullopt, std::nullopt}));
    EXPECT_EQ(item("Extensions"), (SavedItem{"Google Chrome", std::nullopt, std::nullopt}));
    EXPECT_TRUE(scripts().isEmpty());
    Integrations::setOff("Preview", false);
    EXPECT_EQ(item("scan.pdf").url, "file:///Users/sam/scan.pdf");
}

TEST_F(Reads, EditorWindowsMatchRecentFoldersByName)
{
    write(".config/Code/Backups/workspaces.json",
          R"({"folders":[{"folderUri":"file:///Users/sam/app"},{"folderUri":"file:///Users/sam/my%20app2"}]})");
    write(
        ".config/Code/User/globalStorage/storage.json",
        R"({"windowsState":{"lastActiveWindow":{"folder" : "file:///Users/sam/app2"}},"x":"file:///Users/sam/ignored"})");
    const auto items = finish(Integrations::capture(windowsOf("Visual Studio Code")));
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].url, "file:///Users/sam/app");      // " — app"
    EXPECT_EQ(items[1].url, "file:///Users/sam/app2");     // equal
    EXPECT_EQ(items[2].url, "file:///Users/sam/notes.md"); // no folder: the document

    // When several folders fit a title, the longer name wins.
    const QSet<QString> folders{"file:///a/app", "file:///b/my-app", "file:///c/my%20app"};
    EXPECT_EQ(Integrations::matchFolders(folders, {"index.ts — my-app"}),
              (QList<Integrations::Read>{{"index.ts — my-app", "file:///b/my-app", std::nullopt}}));
    EXPECT_EQ(Integrations::matchFolders(folders, {"[my app] notes"}).value(0).url, "file:///c/my%20app");
    EXPECT_TRUE(Integrations::matchFolders(folders, {"nothing here"}).isEmpty());
    // The Linux form: "file - folder - Visual Studio Code".
    EXPECT_EQ(Integrations::matchFolders(folders, {"main.c - my-app - Visual Studio Code"}).value(0).url,
              "file:///b/my-app");

    // Only the table's own editor names become folder names: a name from
    // elsewhere (a plan's) never reaches a path.
    EXPECT_EQ(Integrations::editorFolder("Visual Studio Code"), "Code");
    EXPECT_EQ(Integrations::editorFolder("VSCodium"), "VSCodium");
    EXPECT_EQ(Integrations::editorFolder("Cursor"), "Cursor");
    for (const char* name : {"Code", "../Code", "Code/../..", "Xcode", ""})
        EXPECT_TRUE(Integrations::editorFolder(name).isEmpty()) << name;
    EXPECT_TRUE(Integrations::readEditor("../.config/Code", {"main.c — app"}).isEmpty());
}

TEST_F(Reads, JetBrainsProjectsComeFromEveryProductsRecentProjects)
{
    write(".config/JetBrains/PyCharm2024.1/options/recentProjects.xml",
          R"(<application><component name="RecentProjectsManager"><option name="additionalInfo"><map>
               <entry key="$USER_HOME$/PycharmProjects/tool"><value/></entry>
             </map></option></component></application>)");
    write(".config/JetBrains/IdeaIC2023.3/options/recentProjects.xml", "<entry key=\"/work/other\">");
    const SavedItem pycharm = item("tool – main.py");
    EXPECT_EQ(pycharm.url, QUrl::fromLocalFile(home() + "/PycharmProjects/tool").toString());
}

TEST_F(Reads, TerminalWindowsAreInTheFolderOfTheirLastShell)
{
    const SavedItem terminal = item("app — bash — 80×24");
    EXPECT_EQ(terminal.url, file("/Users/sam/src/app"));
    EXPECT_EQ(scripts().first(), "tell application \"Terminal\"\n"
                                 "  set out to {}\n"
                                 "  repeat with w in windows\n"
                                 "    try\n"
                                 "      set end of out to {name of w, tty of selected tab of w}\n"
                                 "    end try\n"
                                 "  end repeat\n"
                                 "  return out\n"
                                 "end tell");
    EXPECT_TRUE(processRuns().contains("ps -t ttys003 -o pid=,comm="));
    EXPECT_TRUE(processRuns().contains("lsof -a -p 702 -d cwd -Fn"));
}

TEST_F(Reads, AFolderReadThatHangsIsGivenUpAtTheLimit)
{
    // Asking where the stuck shell works never ends: it is killed at 10 s
    // and the capture goes on.
    const double before = env.clock.monotonic();
    const auto items = finish(Integrations::capture(windowsOf("Terminal")));
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].url, file("/Users/sam/src/app"));
    EXPECT_EQ(items[1], titled({"Terminal", std::nullopt, std::nullopt}, "stuck — zsh"));
    EXPECT_GE(env.clock.monotonic() - before, Integrations::kProcessTimeLimit);
    EXPECT_LT(env.clock.monotonic() - before, Integrations::kProcessTimeLimit + 1);
}

TEST_F(Reads, ItermAndFinderReportTheirFolders)
{
    const auto iterm = finish(Integrations::capture(windowsOf("iTerm")));
    EXPECT_EQ(iterm.value(0).url, file("/srv/app"));
    EXPECT_FALSE(iterm.value(1).url); // not a path
    EXPECT_EQ(item("Documents").url, file("/Users/sam/Documents/"));
    EXPECT_EQ(scripts().filter("iTerm").value(0),
              "tell application \"iTerm\"\n"
              "  set out to {}\n"
              "  repeat with w in windows\n"
              "    try\n"
              "      tell current session of w to set p to variable named \"session.path\"\n"
              "      set end of out to {name of w, p}\n"
              "    end try\n"
              "  end repeat\n"
              "  return out\n"
              "end tell");
    EXPECT_EQ(scripts().filter("Finder").value(0),
              "tell application \"Finder\"\n"
              "  set out to {}\n"
              "  repeat with w in Finder windows\n"
              "    try\n"
              "      set end of out to {name of w, POSIX path of (target of w as alias)}\n"
              "    end try\n"
              "  end repeat\n"
              "  return out\n"
              "end tell");
}

TEST_F(Reads, TitlePathsAndNotes)
{
    const QString app = folder("src/app");
    EXPECT_EQ(item("~/src/app — zsh").url, file(app));
    EXPECT_FALSE(item("~/src/missing — zsh").url);
    write("src/file.txt", "x");
    EXPECT_EQ(Integrations::pathFromTitle("/no/such/folder - fish"), std::nullopt);
    EXPECT_EQ(Integrations::pathFromTitle(home() + "/src/file.txt"), std::nullopt);
    EXPECT_EQ(Integrations::pathFromTitle("\t" + app + " - vim — 80×24"), app);
    // Linux terminals' titles: a shell prompt's, and a folder before " : ".
    EXPECT_EQ(Integrations::pathFromTitle("sam@box: ~/src/app"), app);
    EXPECT_EQ(Integrations::pathFromTitle("~/src/app : bash"), app);
    EXPECT_EQ(Integrations::pathFromTitle("sam@box: ~/src/missing"), std::nullopt);
    EXPECT_EQ(Integrations::pathFromTitle("app : bash"), std::nullopt); // a name, not a path: no guess

    EXPECT_EQ(item("Ideas - Work - Obsidian 1.6.7").url, "obsidian://open?vault=Work&file=Ideas");
    EXPECT_FALSE(item("Ideas - Obsidian").url);
    EXPECT_EQ(Integrations::readObsidian({"A&B=c d - My Vault - Obsidian"}).value(0).url,
              "obsidian://open?vault=My%20Vault&file=A%26B%3Dc%20d");
}

} // namespace
