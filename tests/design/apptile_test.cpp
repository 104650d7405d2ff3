#include "designfixture.h"

#include "design/appicons.h"
#include "design/apptile.h"
#include "platform/workspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tavrin;
using namespace tavrin::test;

namespace {

class FakeWorkspace : public Workspace {
public:
    std::vector<RunningApp> apps;
    std::vector<RunningApp> runningApplications() override { return apps; }
    std::optional<RunningApp> frontmostApplication() override { return std::nullopt; }
    std::optional<RunningApp> application(int) override { return std::nullopt; }
    int currentPid() override { return 1; }
    bool launchApplication(const QString&) override { return false; }
    bool openUrl(const QUrl&, const QString&) override { return false; }
    QString applicationForUrl(const QUrl&) override { return {}; }
    QString applicationLocation(const QString&) override { return {}; }
    QStringList installedApplicationNames() override { return {}; }
    bool hide(int) override { return false; }
    bool unhide(int) override { return false; }
    bool terminate(int) override { return false; }
    bool activate(int) override { return false; }
    QStringList mountedDiskImageNames() override { return {}; }
    void beep() override {}
    void log(const QString&) override {}
};

class AppIconsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        apps = dir.filePath("applications");
        QDir().mkpath(apps);
        Platform services;
        services.workspace = &workspace;
        Platform::install(services);
    }
    void TearDown() override { Platform::uninstall(); }

    // An image file and a desktop entry showing it.
    QString image(const QString& name, QColor colour)
    {
        QImage img(16, 16, QImage::Format_ARGB32);
        img.fill(colour);
        const QString path = dir.filePath(name + ".png");
        img.save(path);
        return path;
    }
    QString entry(const QString& file, const QString& name, const QString& icon, const QString& folder = {})
    {
        const QString path = (folder.isEmpty() ? apps : folder) + "/" + file + ".desktop";
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[Desktop Action new]\nName=Other\nIcon=nothing\n[Desktop Entry]\nType=Application\n"
                               "Name=%1\nName[de]=Anders\nIcon=%2\n")
                    .arg(name, icon)
                    .toUtf8());
        return path;
    }
    static QRgb colourOf(const QIcon& icon) { return icon.pixmap(16, 16).toImage().pixel(8, 8); }

    QTemporaryDir dir;
    QString apps;
    FakeWorkspace workspace;
};

} // namespace

TEST(AppTile, LetterColourHash)
{
    EXPECT_EQ(AppTile::letterHash(""), 0);
    EXPECT_EQ(AppTile::letterColour(""), QColor(0x1B1C22));
    // 65 × 31 + 98 = 2113, entry 1.
    EXPECT_EQ(AppTile::letterHash("Ab"), 2113);
    EXPECT_EQ(AppTile::letterColour("Ab"), QColor(0xE5484D));
    // Kept below 65536 at every step.
    EXPECT_EQ(AppTile::letterHash("zzzz"), ((122 * 31 + 122) * 31 + 122) * 31 % 65536 + 122);
    // Scalars, not halves of a surrogate pair: 0x1F600 mod 65536.
    EXPECT_EQ(AppTile::letterHash(QString::fromUtf8("\xF0\x9F\x98\x80")), 0xF600);
    EXPECT_EQ(AppTile::letterColour("Safari"), AppTile::letterColour("Safari"));
    EXPECT_EQ(AppTile::palette().size(), 8);
}

TEST(AppTile, LetterIsTheFirstCharacterUpperCased)
{
    EXPECT_EQ(AppTile::letter("safari"), "S");
    EXPECT_EQ(AppTile::letter(QString::fromUtf8("éclair")), QString::fromUtf8("É"));
    EXPECT_EQ(AppTile::letter("1Password"), "1");
    EXPECT_EQ(AppTile::letter(""), "");
    // A letter with a combining accent stays whole.
    EXPECT_EQ(AppTile::letter(QString::fromUtf8("e\xCC\x81tude")), QString::fromUtf8("E\xCC\x81"));
}

TEST_F(AppIconsTest, FindsAnEntryByFileOrNameAndKeepsIt)
{
    entry("firefox", "Firefox Web Browser", image("fox", Qt::red));
    entry("org.gnome.Calculator", "Calculator", image("calc", Qt::blue));
    AppIcons icons({apps});

    const QIcon byFile = icons.lookup("firefox");
    ASSERT_FALSE(byFile.isNull());
    EXPECT_EQ(colourOf(byFile), QColor(Qt::red).rgb());
    EXPECT_FALSE(icons.lookup("Firefox").isNull()); // the file name lower-cased
    EXPECT_EQ(colourOf(icons.lookup("Calculator")), QColor(Qt::blue).rgb());
    EXPECT_TRUE(icons.isCached("Calculator"));

    // Found once, kept even when the entry goes away.
    QFile::remove(apps + "/org.gnome.Calculator.desktop");
    EXPECT_FALSE(icons.lookup("Calculator").isNull());
}

TEST_F(AppIconsTest, ANameWithoutAnIconIsSearchedAgain)
{
    AppIcons icons({apps});
    EXPECT_TRUE(icons.lookup("Notes").isNull());
    EXPECT_FALSE(icons.isCached("Notes"));
    entry("notes", "Notes", image("notes", Qt::green));
    EXPECT_FALSE(icons.lookup("Notes").isNull());

    // An entry whose icon cannot be found gives no icon, and nothing is kept.
    entry("broken", "Broken", dir.filePath("missing.png"));
    EXPECT_TRUE(icons.lookup("Broken").isNull());
    EXPECT_FALSE(icons.isCached("Broken"));
}

TEST_F(AppIconsTest, NamesWithASlashNeverBecomePaths)
{
    // An entry outside the folders that "../elsewhere/evil" would reach.
    const QString elsewhere = dir.filePath("elsewhere");
    QDir().mkpath(elsewhere);
    entry("evil", "Evil", image("evil", Qt::red), elsewhere);
    AppIcons icons({apps});
    EXPECT_TRUE(icons.lookup("../elsewhere/evil").isNull());
    EXPECT_TRUE(icons.lookup(elsewhere + "/evil").isNull());
    EXPECT_TRUE(icons.lookup("..").isNull());
    EXPECT_TRUE(icons.lookup("").isNull());

    // Compared with running applications, such a name is fine.
    RunningApp app;
    app.pid = 42;
    app.localizedName = "AC/DC Player";
    app.bundleLocation = entry("acdc", "Something else", image("acdc", Qt::yellow), elsewhere);
    workspace.apps = {app};
    EXPECT_EQ(colourOf(icons.lookup("AC/DC Player")), QColor(Qt::yellow).rgb());
}

TEST_F(AppIconsTest, ARunningApplicationWinsAndTheFirstOfTwoIsTaken)
{
    const QString elsewhere = dir.filePath("opt");
    QDir().mkpath(elsewhere);
    entry("editor", "Editor", image("folder", Qt::red));
    RunningApp first;
    first.pid = 10;
    first.localizedName = "Editor";
    first.bundleLocation = entry("editor-one", "Editor One", image("one", Qt::blue), elsewhere);
    RunningApp second = first;
    second.pid = 11;
    second.bundleLocation = entry("editor-two", "Editor Two", image("two", Qt::green), elsewhere);
    workspace.apps = {first, second};

    AppIcons icons({apps});
    EXPECT_EQ(colourOf(icons.lookup("Editor")), QColor(Qt::blue).rgb());

    // A running application without an entry falls back to the folders,
    // or to an entry named after its identifier.
    RunningApp bare;
    bare.pid = 12;
    bare.localizedName = "Mail";
    bare.bundleIdentifier = "org.example.Mail";
    workspace.apps = {bare};
    entry("org.example.Mail", "Post", image("mail", Qt::cyan));
    EXPECT_EQ(colourOf(icons.lookup("Mail")), QColor(Qt::cyan).rgb());
}

TEST_F(AppIconsTest, ReadsOnlyTheMainGroupOfAnEntry)
{
    const auto e = AppIcons::readEntry(entry("x", "Main Name", "main-icon"));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->name, "Main Name");
    EXPECT_EQ(e->icon, "main-icon");
    EXPECT_FALSE(e->hidden);
    EXPECT_FALSE(AppIcons::readEntry(dir.filePath("none.desktop")));
}
