#include "modes/privacypane.h"

#include "design/apppicker.h"
#include "design/apppickerrow.h"
#include "design/kbd.h"
#include "design/tbutton.h"
#include "modes/privacyprompt.h"
#include "modes/promptview.h"
#include "modes/sharesafe.h"
#include "support/simfixture.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include <QApplication>
#include <QLabel>

namespace tavrin {
namespace {

const QByteArray kScenario = R"({
  "displays": [ { "name": "Main", "frame": [0, 0, 2560, 1440] } ],
  "frontmost": "Zoom",
  "apps": [ { "name": "Zoom" }, { "name": "Arc" }, { "name": "Slack" } ],
  "windows": [
    { "app": "Zoom", "title": "Zoom", "frame": [100, 100, 800, 600] },
    { "app": "Arc", "title": "Docs", "frame": [200, 100, 800, 600] },
    { "app": "Slack", "title": "general", "frame": [300, 100, 800, 600] }
  ]
})";

class PrivacyPaneTest : public ::testing::Test {
protected:
    QString originShown(const QString& name) const
    {
        QWidget* row = pane.findChild<QWidget*>(QStringLiteral("private.") + name);
        QLabel* origin = row ? row->findChild<QLabel*>(QStringLiteral("origin")) : nullptr;
        return origin ? origin->text() : QStringLiteral("(no row)");
    }
    void hideAndAnswer(const QString& app, bool yes)
    {
        env.desktop.setFrontmost(env.pid(app));
        share.hideFrontApp();
        ASSERT_TRUE(prompt.view());
        (yes ? prompt.view()->yesButton() : prompt.view()->noButton())->click();
    }
    // Lets the rows of an earlier fill go.
    static void settle()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    SimEnvironment env{kScenario};
    WindowManager windows;
    ShortcutStore shortcuts;
    PrivacyPrompt prompt{env.clock, windows};
    ShareSafe share{prompt, Platform::current()};
    PrivacyPane pane{share, shortcuts};
};

TEST_F(PrivacyPaneTest, OnFirstUseTheDefaultAppsAreListedInOrderAsBuiltIn)
{
    const QStringList listed = pane.listed();
    EXPECT_EQ(listed.size(), 24);
    EXPECT_EQ(listed.front(), "1Password");
    EXPECT_EQ(listed.back(), "WhatsApp");
    for (const QString& name : listed)
        EXPECT_EQ(originShown(name), "Built in") << name.toStdString();
}

// A list stored by an earlier version keeps the Mac's names it was given,
// still built in; names of programs the user added stay theirs.
TEST_F(PrivacyPaneTest, AStoredListKeepsTheEarlierBuiltInNames)
{
    env.defaults.setValue(QStringLiteral("privacy.apps"), QStringList{"Mail", "Passwords", "Signal", "Zoom"});
    ShareSafe earlier(prompt, Platform::current());
    PrivacyPane shown(earlier, shortcuts);
    EXPECT_EQ(shown.listed(), (QStringList{"Mail", "Passwords", "Signal", "Zoom"}));
    EXPECT_EQ(shown.origin(QStringLiteral("Mail")), "Built in");
    EXPECT_EQ(shown.origin(QStringLiteral("Passwords")), "Built in");
    EXPECT_EQ(shown.origin(QStringLiteral("Zoom")), "Added by you");
}

TEST_F(PrivacyPaneTest, AnAppMadePrivateFromThePromptSaysWithWhichKey)
{
    hideAndAnswer(QStringLiteral("Zoom"), true);
    settle();
    EXPECT_EQ(originShown(QStringLiteral("Zoom")), "Added with Ctrl+Alt+P");
    EXPECT_EQ(pane.findChild<Kbd*>()->text(), "Ctrl+Alt+P");
    // Without a key for the hide action nothing follows.
    shortcuts.set(std::nullopt, ShortcutAction::of(ShortcutAction::Kind::hideApp));
    settle();
    EXPECT_EQ(originShown(QStringLiteral("Zoom")), "Added with ");
    EXPECT_EQ(pane.findChild<Kbd*>()->text(), "");
    // Removed and added again, it keeps its origin.
    pane.remove(QStringLiteral("Zoom"));
    pane.add(QStringLiteral("Zoom"));
    settle();
    EXPECT_EQ(pane.origin(QStringLiteral("Zoom")), "Added with ");
}

TEST_F(PrivacyPaneTest, AddingThroughThePickerOffersOnlyAppsNotPrivate)
{
    pane.openPicker();
    ASSERT_TRUE(pane.picker());
    EXPECT_FALSE(pane.picker()->apps().contains(QStringLiteral("Mail")));
    ASSERT_TRUE(pane.picker()->row(QStringLiteral("Slack")));
    pane.picker()->row(QStringLiteral("Slack"))->click();
    settle();
    EXPECT_FALSE(pane.picker());
    EXPECT_TRUE(share.privateNames().contains(QStringLiteral("Slack")));
    EXPECT_EQ(originShown(QStringLiteral("Slack")), "Added by you");

    pane.remove(QStringLiteral("Slack"));
    pane.openPicker();
    ASSERT_TRUE(pane.picker());
    EXPECT_TRUE(pane.picker()->apps().contains(QStringLiteral("Slack")));
    pane.picker()->cancel();
}

TEST_F(PrivacyPaneTest, RemovingTheLastAppLeavesTheListEmptyForGood)
{
    for (const QString& name : pane.listed())
        pane.findChild<QWidget*>(QStringLiteral("private.") + name)
            ->findChild<TButton*>(QStringLiteral("remove"))
            ->click();
    settle();
    EXPECT_TRUE(share.privateNames().isEmpty());
    ASSERT_TRUE(pane.findChild<QLabel*>(QStringLiteral("noPrivateApps")));
    EXPECT_EQ(pane.findChild<QLabel*>(QStringLiteral("noPrivateApps"))->text(),
              "No private apps. Share-safe won't hide anything when you share.");
    EXPECT_EQ(env.defaults.value(QStringLiteral("privacy.apps")), QVariant(QVariantList{}));
    EXPECT_TRUE(ShareSafe(prompt, Platform::current()).privateNames().isEmpty());
}

TEST_F(PrivacyPaneTest, TheBlurredNowLineNamesTheAppsBlurredByHand)
{
    EXPECT_EQ(pane.blurredNowShown(), "");
    hideAndAnswer(QStringLiteral("Zoom"), false);
    hideAndAnswer(QStringLiteral("Arc"), false);
    settle();
    EXPECT_EQ(pane.blurredNowShown(), "Hidden now: Arc, Zoom"); // no compositor blurs here
    share.toggleNow();
    EXPECT_EQ(pane.blurredNowShown(), "");
    EXPECT_EQ(PrivacyPane::blurredNow({"b", "B", "a"}), "Hidden now: B, a, b");
}

} // namespace
} // namespace tavrin
