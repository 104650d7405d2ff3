#include "platform/x11/desktopentries.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tavrin {
namespace {

class DesktopEntriesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const QString& relative) const { return dir_.filePath(relative); }
    void write(const QString& relative, const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile f(path(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    DesktopEntries entries()
    {
        return DesktopEntries({path(QStringLiteral("home")), path(QStringLiteral("system"))},
                              {path(QStringLiteral("config"))});
    }
    static DesktopEntry entry(const QString& exec)
    {
        DesktopEntry e;
        e.id = QStringLiteral("org.example.Editor");
        e.path = QStringLiteral("/apps/org.example.Editor.desktop");
        e.name = QStringLiteral("Editor");
        e.icon = QStringLiteral("editor");
        e.exec = exec;
        return e;
    }
    QTemporaryDir dir_;
};

TEST_F(DesktopEntriesTest, ParsesApplicationsOnly)
{
    write(QStringLiteral("a.desktop"),
          "# comment\n[Desktop Entry]\nType=Application\nName=Café\nName[de]=Kaffee\n"
          "Exec=cafe --title=A\\sB %u\nStartupWMClass=Cafe\nMimeType=text/plain;image/png;\n"
          "[Desktop Action New]\nName=Other\nExec=other\n");
    write(QStringLiteral("link.desktop"), "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.com\n");
    write(QStringLiteral("hidden.desktop"), "[Desktop Entry]\nType=Application\nName=Gone\nExec=gone\nHidden=true\n");
    write(QStringLiteral("noexec.desktop"), "[Desktop Entry]\nType=Application\nName=Nothing\n");
    write(QStringLiteral("tray.desktop"), "[Desktop Entry]\nType=Application\nName=Tray\nExec=tray\nNoDisplay=true\n");
    const auto a = DesktopEntries::parse(path(QStringLiteral("a.desktop")), QStringLiteral("a"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->name, QStringLiteral("Café"));
    EXPECT_EQ(a->exec, QStringLiteral("cafe --title=A B %u"));
    EXPECT_EQ(a->startupWMClass, QStringLiteral("Cafe"));
    EXPECT_EQ(a->mimeTypes, (QStringList{QStringLiteral("text/plain"), QStringLiteral("image/png")}));
    EXPECT_FALSE(a->noDisplay);
    const auto tray = DesktopEntries::parse(path(QStringLiteral("tray.desktop")), QStringLiteral("tray"));
    ASSERT_TRUE(tray); // installed, only kept out of the menus
    EXPECT_TRUE(tray->noDisplay);
    EXPECT_FALSE(DesktopEntries::parse(path(QStringLiteral("link.desktop")), QStringLiteral("link")));
    EXPECT_FALSE(DesktopEntries::parse(path(QStringLiteral("hidden.desktop")), QStringLiteral("hidden")));
    EXPECT_FALSE(DesktopEntries::parse(path(QStringLiteral("noexec.desktop")), QStringLiteral("noexec")));
    EXPECT_FALSE(DesktopEntries::parse(path(QStringLiteral("missing.desktop")), QStringLiteral("missing")));
}

TEST_F(DesktopEntriesTest, CommandLinesFromExec)
{
    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/home/me/a b.txt"));
    const QUrl web(QStringLiteral("https://example.com/x?y=1"));
    auto line = [](const QString& exec, const QList<QUrl>& urls) {
        return DesktopEntries::commandLine(entry(exec), urls);
    };
    EXPECT_EQ(line(QStringLiteral("editor --new-window %U"), {file, web}),
              (QStringList{"editor", "--new-window", file.toString(), web.toString()}));
    EXPECT_EQ(line(QStringLiteral("editor %f"), {file}), (QStringList{"editor", "/home/me/a b.txt"}));
    EXPECT_EQ(line(QStringLiteral("editor %F"), {file}), (QStringList{"editor", "/home/me/a b.txt"}));
    EXPECT_EQ(line(QStringLiteral("editor --open=%u"), {web}), (QStringList{"editor", "--open=" + web.toString()}));
    EXPECT_EQ(line(QStringLiteral("editor %u"), {}), (QStringList{"editor"}));
    EXPECT_EQ(line(QStringLiteral("\"/opt/My Editor/run\" \"quoted \\\"arg\\\"\" 100%%"), {}),
              (QStringList{"/opt/My Editor/run", "quoted \"arg\"", "100%"}));
    EXPECT_EQ(line(QStringLiteral("editor %i %c %k"), {}),
              (QStringList{"editor", "--icon", "editor", "Editor", "/apps/org.example.Editor.desktop"}));
    EXPECT_EQ(line(QStringLiteral("editor %d %D %n %N %v %m"), {}), (QStringList{"editor"}));
    // No field code: the address goes last, as launchers do.
    EXPECT_EQ(line(QStringLiteral("viewer"), {web}), (QStringList{"viewer", web.toString()}));
    EXPECT_EQ(line(QStringLiteral("editor \"unclosed"), {}), QStringList{});
    EXPECT_EQ(line(QString(), {}), QStringList{});
}

TEST_F(DesktopEntriesTest, FindsEntriesByWindowClassNameAndLocation)
{
    write(QStringLiteral("home/applications/org.example.Editor.desktop"),
          "[Desktop Entry]\nType=Application\nName=My Editor\nExec=my-editor\n");
    write(QStringLiteral("system/applications/org.example.Editor.desktop"),
          "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor\n");
    write(QStringLiteral("system/applications/term.desktop"),
          "[Desktop Entry]\nType=Application\nName=Terminal\nExec=term\nStartupWMClass=XTerm-Like\n");
    write(QStringLiteral("system/applications/kde/viewer.desktop"),
          "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer\n");
    DesktopEntries e = entries();
    // An entry in an earlier folder hides the same id in later ones.
    const DesktopEntry* editor = e.forWindowClass(QStringLiteral("editor"), QStringLiteral("org.example.editor"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->name, QStringLiteral("My Editor"));
    EXPECT_EQ(e.forWindowClass(QStringLiteral("xterm-like"), QStringLiteral("Whatever"))->name,
              QStringLiteral("Terminal"));
    EXPECT_FALSE(e.forWindowClass(QStringLiteral("term"), QStringLiteral("Term"))); // has its own WM class
    EXPECT_EQ(e.forWindowClass(QString(), QStringLiteral("kde-viewer"))->name, QStringLiteral("Viewer"));
    EXPECT_FALSE(e.forWindowClass(QString(), QString()));
    EXPECT_EQ(e.forName(QStringLiteral("terminal"))->id, QStringLiteral("term"));
    EXPECT_EQ(e.forName(QStringLiteral("kde-viewer"))->name, QStringLiteral("Viewer"));
    EXPECT_EQ(e.forLocation(path(QStringLiteral("system/applications/term.desktop")))->name,
              QStringLiteral("Terminal"));
    EXPECT_EQ(e.forLocation(QStringLiteral("term.desktop"))->name, QStringLiteral("Terminal"));

    // Installed later, and a desktop file of the user's own outside the folders.
    write(QStringLiteral("home/applications/new.desktop"), "[Desktop Entry]\nType=Application\nName=New\nExec=new\n");
    EXPECT_EQ(e.forLocation(path(QStringLiteral("home/applications/new.desktop")))->name, QStringLiteral("New"));
    write(QStringLiteral("elsewhere/mine.desktop"), "[Desktop Entry]\nType=Application\nName=Mine\nExec=mine\n");
    EXPECT_EQ(e.forLocation(path(QStringLiteral("elsewhere/mine.desktop")))->name, QStringLiteral("Mine"));
    EXPECT_FALSE(e.forLocation(path(QStringLiteral("elsewhere/none.desktop"))));
}

TEST_F(DesktopEntriesTest, DefaultApplicationsFromMimeappsList)
{
    write(QStringLiteral("system/applications/browser.desktop"),
          "[Desktop Entry]\nType=Application\nName=Browser\nExec=browser "
          "%u\nMimeType=x-scheme-handler/https;text/html;\n");
    write(QStringLiteral("system/applications/other.desktop"),
          "[Desktop Entry]\nType=Application\nName=Other\nExec=other %u\nMimeType=x-scheme-handler/https;\n");
    write(QStringLiteral("config/mimeapps.list"),
          "[Added Associations]\ntext/html=other.desktop;\n"
          "[Default Applications]\nx-scheme-handler/https=gone.desktop;other.desktop;\n");
    DesktopEntries e = entries();
    // The first installed default wins; without one, an entry that takes the type.
    EXPECT_EQ(e.defaultFor(QStringLiteral("x-scheme-handler/https"))->name, QStringLiteral("Other"));
    EXPECT_EQ(e.defaultFor(QStringLiteral("text/html"))->name, QStringLiteral("Browser"));
    EXPECT_FALSE(e.defaultFor(QStringLiteral("application/x-nothing")));
}

} // namespace
} // namespace tavrin
