#include "settingsfixture.h"

#include "modes/privacypane.h"
#include "settings/integrationspane.h"
#include "settings/paneheader.h"
#include "settings/panepage.h"
#include "settings/settingssidebar.h"
#include "settings/workspacespane.h"
#include "workspaces/savedworkspacestore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSignalSpy>

namespace tavrin {
namespace {

using WindowTest = SettingsTest;

TEST_F(WindowTest, OneWindowOpensOnTheGivenPaneRaisedAndWithTheKeyboard)
{
    EXPECT_FALSE(window().view());
    SettingsOpener& route = window();
    route.show(SettingsPane::ai);
    settle();
    SettingsView* view = window().view();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(QApplication::activeWindow(), view);
    EXPECT_EQ(router.pane(), SettingsPane::ai);
    EXPECT_EQ(view->shownPane(), SettingsPane::ai);
    EXPECT_EQ(view->pane()->objectName(), "pane.ai");
    EXPECT_EQ(view->size(), SettingsView::kSize);

    // Again, on another pane: the same window.
    route.show(SettingsPane::layouts);
    settle();
    EXPECT_EQ(window().view(), view);
    EXPECT_EQ(view->pane()->objectName(), "pane.layouts");
    // No pane given: the one selected last.
    route.show(std::nullopt);
    settle();
    EXPECT_EQ(view->shownPane(), SettingsPane::layouts);

    // Closing keeps the window; it comes back.
    view->close();
    settle();
    EXPECT_FALSE(view->isVisible());
    route.show(SettingsPane::general);
    settle();
    EXPECT_EQ(window().view(), view);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->pane()->objectName(), "pane.general");
}

TEST_F(WindowTest, TheRouterAnnouncesOnlyChanges)
{
    QSignalSpy spy(&router, &SettingsRouter::paneChanged);
    EXPECT_EQ(router.pane(), SettingsPane::general);
    router.setPane(SettingsPane::general);
    router.setPane(SettingsPane::shortcuts);
    router.setPane(SettingsPane::shortcuts);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<SettingsPane>(), SettingsPane::shortcuts);
}

TEST_F(WindowTest, TheSidebarListsTheNinePanesInOrderAndSelectsByClick)
{
    window().show(SettingsPane::general);
    SettingsSidebar* sidebar = window().view()->sidebar();
    const QStringList titles = {"General",   "Layouts",      "Workspaces", "Modes", "Learning",
                                "Shortcuts", "Integrations", "Privacy",    "AI"};
    QStringList shown;
    for (SettingsPane pane : kAllSettingsPanes)
        shown << sidebar->row(pane)->text();
    EXPECT_EQ(shown, titles);

    sidebar->row(SettingsPane::modes)->click();
    settle();
    EXPECT_EQ(router.pane(), SettingsPane::modes);
    EXPECT_EQ(window().view()->pane()->objectName(), "pane.modes");
}

TEST_F(WindowTest, AWindowShownAgainShowsItsPaneAsItIsNow)
{
    auto* pane = open<WorkspacesPane>(SettingsPane::workspaces);
    ASSERT_TRUE(pane);
    EXPECT_FALSE(pane->findChild<QWidget*>("workspace.Writing"));
    window().view()->close();
    SavedWorkspaceStore::save({QStringLiteral("Writing"),
                               QString(),
                               LayoutKind::halves,
                               {QStringLiteral("Notes")},
                               env.clock.nowDate(),
                               std::nullopt,
                               std::nullopt});
    window().show(std::nullopt);
    settle();
    EXPECT_TRUE(window().view()->pane()->findChild<QWidget*>("workspace.Writing"));
}

TEST_F(WindowTest, TheLaterPanesShowUnderTheirHeaders)
{
    // The integrations entry hosts the integrations pane.
    auto* integrations = open<IntegrationsPane>(SettingsPane::integrations);
    ASSERT_TRUE(integrations);
    EXPECT_EQ(integrations->header()->title(), "App integrations");
    // The privacy entry, the private-applications pane under its header.
    auto* privacy = open<PanePage>(SettingsPane::privacy);
    ASSERT_TRUE(privacy);
    EXPECT_EQ(privacy->header()->title(), "Privacy");
    EXPECT_EQ(privacy->header()->sub(), "Apps Share-safe hides while you share your screen."); // no blur here
    EXPECT_TRUE(privacy->findChild<PrivacyPane*>());
}

} // namespace
} // namespace tavrin
