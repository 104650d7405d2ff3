// The integrations on this system's own terms: helper programs run for real
// under their time limit, the editors' files in their Linux form, and the
// scripting stand-in of the Linux desktop.

#include "integrationsdesk.h"

#include "integrations/integrations.h"
#include "platform/linux/linuxprocesses.h"
#include "platform/linux/terminalfolder.h"
#include "platform/platform.h"
#include "platform/x11/desktopentries.h"
#include "platform/x11/x11automation.h"
#include "platform/x11/x11workspace.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <cerrno>
#include <csignal>
#include <memory>
#include <unistd.h>

using namespace tavrin;

namespace {

TEST(LinuxProcesses, RunsAProgramAndKillsOneThatHangsAtTheLimit)
{
    LinuxProcesses processes;
    EXPECT_EQ(processes.run("/bin/echo", {"hello"}, 5), QByteArray("hello\n"));
    // A path that is not there is looked for by name on the PATH.
    EXPECT_EQ(processes.run("/no/such/folder/echo", {"again"}, 5), QByteArray("again\n"));
    EXPECT_EQ(processes.run("/no/such/program-at-all", {}, 5), std::nullopt);
    EXPECT_EQ(processes.run("/bin/sh", {"-c", "echo out; echo err >&2"}, 5), QByteArray("out\n"));

    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    const auto hung = processes.run("/bin/sh", {"-c", "echo $$ > " + pidFile + "; echo partial; exec sleep 30"}, 0.5);
    EXPECT_EQ(hung, std::nullopt);
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pid_t pid = pid_t(file.readAll().trimmed().toInt());
    ASSERT_GT(pid, 0);
    // Killed and reaped: no such process any more.
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

class LinuxReads : public IntegrationsDesk {
protected:
    LinuxReads()
        : IntegrationsDesk(R"json({
  "displays": [ { "name": "Screen", "frame": [0, 0, 1920, 1080] } ],
  "apps": [ { "name": "Tavrin", "self": true, "policy": "accessory" },
            { "name": "Visual Studio Code" }, { "name": "IntelliJ IDEA" } ],
  "windows": [
    { "app": "Visual Studio Code", "frame": [0, 30, 900, 700], "title": "app - Visual Studio Code" },
    { "app": "Visual Studio Code", "frame": [0, 30, 900, 700], "title": "tool - Visual Studio Code" },
    { "app": "IntelliJ IDEA", "frame": [0, 30, 900, 700], "title": "service – Main.java" }
  ]
})json")
    {
        Platform::current().processes = &processes;
    }
    LinuxProcesses processes;
};

TEST_F(LinuxReads, EditorWindowsGetTheProjectFolderFromTheEditorsOwnFiles)
{
    const QString src = "file://" + home() + "/src/";
    write(".config/Code/User/globalStorage/storage.json", QStringLiteral(R"json({
    "telemetry.machineId": "5f2c",
    "backupWorkspaces": { "workspaces": [], "folders": [ { "folderUri": "%1app" } ], "emptyWindows": [] },
    "windowsState": {
        "lastActiveWindow": {
            "folder": "%1app",
            "backupPath": "%2/.config/Code/Backups/1700000000000",
            "uiState": { "mode": 1, "x": 0, "y": 27, "width": 1920, "height": 1053 }
        },
        "openedWindows": []
    },
    "theme": "vs-dark",
    "profileAssociations": { "workspaces": { "%1app": "__default__profile__" }, "emptyWindows": {} }
})json")
                                                              .arg(src, home())
                                                              .toUtf8());
    write(
        ".config/Code/Backups/workspaces.json",
        QStringLiteral(
            R"json({"rootURIWorkspaces":[],"folders":[{"folderUri":"%1tool"}],"emptyWindows":[{"backupFolder":"1700"}]})json")
            .arg(src)
            .toUtf8());
    write(".config/JetBrains/IdeaIC2023.3/options/recentProjects.xml", R"xml(<application>
  <component name="RecentProjectsManager">
    <option name="additionalInfo">
      <map>
        <entry key="$USER_HOME$/IdeaProjects/service">
          <value>
            <RecentProjectMetaInfo frameTitle="service – Main.java" opened="true" projectWorkspaceId="2aXb">
              <option name="activationTimestamp" value="1700000000000" />
              <option name="binFolder" value="$APPLICATION_HOME_DIR$/bin" />
              <option name="build" value="IC-233.11799.241" />
            </RecentProjectMetaInfo>
          </value>
        </entry>
      </map>
    </option>
    <option name="lastProjectLocation" value="$USER_HOME$/IdeaProjects" />
  </component>
</application>)xml");

    const auto items = finish(Integrations::capture(
        windowsTitled({"app - Visual Studio Code", "tool - Visual Studio Code", "service – Main.java"})));
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].url, src + "app");
    EXPECT_EQ(items[1].url, src + "tool");
    EXPECT_EQ(items[2].url, QUrl::fromLocalFile(home() + "/IdeaProjects/service").toString());
}

TEST_F(LinuxReads, TheFolderReadAsksTheRealOpenFileListing)
{
    // This process's own working folder, in the listing's field form.
    const auto listing =
        Integrations::runProcess("/usr/sbin/lsof", {"-a", "-p", QString::number(::getpid()), "-d", "cwd", "-Fn"});
    ASSERT_TRUE(listing) << "lsof is missing";
    EXPECT_TRUE(listing->split('\n').contains("n" + QDir::currentPath())) << listing->toStdString();
    // No terminal device of that name: no folder.
    EXPECT_EQ(Integrations::folderForTTY("/dev/ttys999"), std::nullopt);
}

TEST(TerminalFolder, OneProcessServingSeveralWindowsGivesEachTheFolderOfItsOwnShells)
{
    // This process plays Xfce Terminal: its shells name their window in
    // WINDOWID, as it starts them. Window 7 has two tabs in one folder,
    // window 8 one tab, window 9 two tabs in different folders.
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const struct {
        const char* folder;
        quint32 window;
    } shells[] = {{"a", 7}, {"a", 7}, {"b", 8}, {"c", 9}, {"d", 9}};
    std::vector<std::unique_ptr<QProcess>> running;
    for (const auto& shell : shells) {
        ASSERT_TRUE(QDir(root.path()).mkpath(shell.folder));
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("WINDOWID", QString::number(shell.window));
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(root.filePath(shell.folder));
        process->start("bash", {"--norc", "-c", "read line"}); // waits on its input, as bash
        ASSERT_TRUE(process->waitForStarted());
        running.push_back(std::move(process));
    }
    const int self = int(QCoreApplication::applicationPid());
    EXPECT_EQ(TerminalFolder::ofWindow(self, 7), root.filePath("a"));
    EXPECT_EQ(TerminalFolder::ofWindow(self, 8), root.filePath("b"));
    EXPECT_FALSE(TerminalFolder::ofWindow(self, 9)); // which tab is in front cannot be told
    EXPECT_FALSE(TerminalFolder::ofWindow(self, 10));
    for (const auto& process : running) {
        process->closeWriteChannel();
        process->waitForFinished();
    }
}

TEST(X11Workspace, ATerminalIsToldItsFolderByItsOwnOptionWhereItHasOne)
{
    const struct {
        const char* program;
        QStringList arguments;
    } cases[] = {
        {"gnome-terminal", {"--working-directory=/home/sam/src"}},
        {"xfce4-terminal", {"--working-directory=/home/sam/src"}},
        {"konsole", {"--workdir", "/home/sam/src"}},
        {"alacritty", {"--working-directory", "/home/sam/src"}},
        {"kitty", {"--directory", "/home/sam/src"}},
        {"xterm", {}}, // only the working directory it is started in
    };
    for (const auto& c : cases)
        EXPECT_EQ(X11Workspace::folderArguments(c.program, "/home/sam/src"), c.arguments) << c.program;
}

TEST(X11Automation, ABrowserWindowWithTabsOpensThroughItsDesktopEntry)
{
    // Only web addresses: none can pass for a switch of the browser's, nor
    // reach it as a file to open. The first is to be in front.
    const QStringList urls{"https://a/",   "--gpu-launcher=/bin/sh", "file:///etc/passwd", "http://b/",
                           "https://c/ d", "https://e/\x01",         "http://f/"};
    const QStringList chrome{"/usr/bin/google-chrome-stable"}, firefox{"/usr/bin/firefox-esr"};
    // Chromium shows the first address of one command ("--" ends its switches).
    EXPECT_EQ(X11Automation::newWindowCommands(chrome, urls, 0, false),
              (QList<QStringList>{chrome + QStringList{"--new-window", "--", "https://a/", "http://b/", "http://f/"}}));
    // Firefox shows the tab opened last, and takes "--" for nothing.
    EXPECT_EQ(X11Automation::newWindowCommands(firefox, urls, 0, true),
              (QList<QStringList>{firefox + QStringList{"--new-window", "http://b/"},
                                  firefox + QStringList{"--new-tab", "http://f/"},
                                  firefox + QStringList{"--new-tab", "https://a/"}}));
    EXPECT_TRUE(X11Automation::newWindowCommands({"/usr/bin/browser"}, {"javascript:alert(1)"}, 0, false).isEmpty());
    EXPECT_TRUE(X11Automation::newWindowCommands({}, {"https://a/"}, 0, false).isEmpty());
    EXPECT_TRUE(X11Automation::newWindowCommands({"/usr/bin/browser"}, {}, 0, true).isEmpty());

    QTemporaryDir dir;
    QFile hidden(dir.filePath("helper.desktop"));
    ASSERT_TRUE(hidden.open(QIODevice::WriteOnly));
    hidden.write("[Desktop Entry]\nType=Application\nName=Helper\nExec=helper\nNoDisplay=true\n");
    hidden.close();
    const auto entry = DesktopEntries::parse(hidden.fileName(), "helper");
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->noDisplay);
}

} // namespace
