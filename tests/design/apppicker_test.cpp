#include "design/apppicker.h"

#include "design/apppickerrow.h"
#include "design/tbutton.h"
#include "design/tfield.h"
#include "support/simfixture.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace tavrin {
namespace {

// Application folders as a listing finds them, and what runs.
const QByteArray kScenario = R"({
  "displays": [ { "name": "Main", "frame": [0, 0, 2560, 1440] } ],
  "apps": [
    { "name": "Tavrin", "location": "/Applications/Tavrin.app", "policy": "accessory", "self": true },
    { "name": "Slack" },
    { "name": "Downloaded Tool", "location": "/Users/sam/Downloads/Downloaded Tool.app" },
    { "name": "Sync Helper", "location": "/Users/sam/Downloads/Sync Helper.app", "policy": "accessory" }
  ],
  "installed": [
    { "name": "Visual Studio Code" }, { "name": "Xcode" }, { "name": "Zoom" }, { "name": "Arc" }
  ],
  "applicationFiles": [
    "/Applications/Tools/A.app", "/Applications/Tools/B.app", "/Applications/Tools/Deeper/C.app",
    "/Applications/Tools/notes.txt", "/Applications/.hidden",
    "/Applications/Readme.txt", "/System/Applications/Utilities/Terminal.app", "~/Applications/iTerm.app",
    "/Applications/Utilities/Terminal.app", "/Library/Other.app"
  ]
})";

class AppPickerTest : public ::testing::Test {
protected:
    std::unique_ptr<AppPicker> picker(bool multiple, QSet<QString> exclude = {})
    {
        auto p = std::make_unique<AppPicker>(QStringLiteral("Pick"), exclude, multiple,
                                             [this](const QString& name) { picks << name; });
        dismissed = std::make_unique<QSignalSpy>(p.get(), &AppPicker::dismissed);
        return p;
    }

    SimEnvironment env{kScenario};
    QStringList picks;
    std::unique_ptr<QSignalSpy> dismissed;
};

TEST_F(AppPickerTest, TheScanFindsAppsInTheFoldersOneLevelDownAndThoseRunning)
{
    const QStringList expected{
        "A", "Arc", "B", "Downloaded Tool", "iTerm", "Slack", "Terminal", "Visual Studio Code", "Xcode", "Zoom"};
    EXPECT_EQ(AppPicker::installedApps(), expected);
    // Read once per desktop: applications started since are not added.
    SimApp later;
    later.name = QStringLiteral("Later");
    env.desktop.addApp(later);
    EXPECT_EQ(AppPicker::installedApps(), expected);
}

TEST_F(AppPickerTest, SearchIgnoresCaseAndExcludedNamesNeverShow)
{
    auto p = picker(false, {QStringLiteral("Xcode")});
    EXPECT_EQ(p->apps().size(), 9);
    p->setQuery(QStringLiteral("CODE"));
    EXPECT_EQ(p->apps(), QStringList{"Visual Studio Code"});
    EXPECT_TRUE(p->row(QStringLiteral("Visual Studio Code"))->isVisibleTo(p.get()));
    EXPECT_FALSE(p->row(QStringLiteral("Slack"))->isVisibleTo(p.get()));
    EXPECT_EQ(p->row(QStringLiteral("Xcode")), nullptr);
    p->setQuery(QStringLiteral("sla"));
    EXPECT_EQ(p->apps(), QStringList{"Slack"});
    p->setQuery(QStringLiteral(" sla")); // spaces count
    EXPECT_TRUE(p->apps().isEmpty());
    EXPECT_EQ(p->findChild<QLabel*>(QStringLiteral("noMatch"))->text(), "No apps match “ sla”.");

    QSet<QString> all;
    for (const QString& name : AppPicker::installedApps())
        all.insert(name);
    auto none = picker(false, all);
    EXPECT_TRUE(none->apps().isEmpty());
    EXPECT_TRUE(none->findChild<QLabel*>(QStringLiteral("noMatch"))->isVisibleTo(none.get()));
    EXPECT_EQ(none->findChild<QLabel*>(QStringLiteral("noMatch"))->text(), "No apps match “”.");
}

TEST_F(AppPickerTest, OneAtATimeAClickOrReturnPicksAndCloses)
{
    auto p = picker(false);
    EXPECT_EQ(p->addButton(), nullptr);
    p->setQuery(QStringLiteral("nothing like it"));
    QTest::keyClick(p->searchField(), Qt::Key_Return);
    EXPECT_TRUE(picks.isEmpty());
    EXPECT_EQ(dismissed->count(), 0);
    p->setQuery(QStringLiteral("t"));
    QTest::keyClick(p->searchField(), Qt::Key_Return);
    EXPECT_EQ(picks, QStringList{"Downloaded Tool"});
    EXPECT_EQ(dismissed->count(), 1);

    auto q = picker(false);
    q->row(QStringLiteral("Zoom"))->click();
    EXPECT_EQ(picks, (QStringList{"Downloaded Tool", "Zoom"}));
    EXPECT_EQ(dismissed->count(), 1);
}

TEST_F(AppPickerTest, SeveralAtATimeRowsToggleAndAddHandsThemOverInOrder)
{
    auto p = picker(true);
    ASSERT_TRUE(p->addButton());
    EXPECT_FALSE(p->addButton()->isEnabled());
    p->row(QStringLiteral("Zoom"))->click();
    p->row(QStringLiteral("Arc"))->click();
    EXPECT_TRUE(p->row(QStringLiteral("Zoom"))->isMarked());
    EXPECT_EQ(p->addButton()->text(), "Add 2");
    EXPECT_TRUE(p->addButton()->isEnabled());
    QTest::keyClick(p->searchField(), Qt::Key_Return); // nothing, several at a time
    EXPECT_TRUE(picks.isEmpty());

    p->row(QStringLiteral("Zoom"))->click();
    p->row(QStringLiteral("Arc"))->click();
    EXPECT_FALSE(p->addButton()->isEnabled());
    EXPECT_EQ(p->addButton()->text(), "Add 0");
    p->row(QStringLiteral("Zoom"))->click();
    p->row(QStringLiteral("Arc"))->click();
    p->addButton()->click();
    EXPECT_EQ(picks, (QStringList{"Arc", "Zoom"}));
    EXPECT_EQ(dismissed->count(), 1);
}

TEST_F(AppPickerTest, CancelClosesWithoutPicking)
{
    auto p = picker(true);
    p->row(QStringLiteral("Slack"))->click();
    p->findChild<TButton*>(QStringLiteral("cancel"))->click();
    EXPECT_TRUE(picks.isEmpty());
    EXPECT_EQ(dismissed->count(), 1);
}

} // namespace
} // namespace tavrin
