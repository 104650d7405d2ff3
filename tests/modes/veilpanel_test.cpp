// The veil panel and its label: the two wordings, the shortcut they name,
// and a panel that draws opaque where nothing can blur behind it.

#include "modes/privacyprompt.h"
#include "modes/sharesafe.h"
#include "modes/veillabel.h"
#include "modes/veilpanel.h"
#include "platform/hotkeys.h"
#include "platform/sim/simveilsurfaces.h"
#include "support/simfixture.h"
#include "windows/shortcutaction.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include <QImage>

namespace tavrin {
namespace {

const QByteArray kScenario = R"({
  "displays": [ { "name": "Main", "frame": [0, 0, 2560, 1440] } ],
  "frontmost": "Mail",
  "apps": [ { "name": "Tavrin", "policy": "accessory", "self": true }, { "name": "Mail" } ],
  "windows": [ { "app": "Mail", "title": "Inbox", "frame": [100, 100, 800, 700] } ]
})";

class VeilPanelTest : public ::testing::Test {
protected:
    SimEnvironment env{kScenario};
    WindowManager windows;
    ShortcutStore shortcuts;
    PrivacyPrompt prompt{env.clock, windows};
    ShareSafe share{prompt, Platform::current()};
    const ShortcutAction shareSafe = ShortcutAction::of(ShortcutAction::Kind::shareSafe);
};

TEST_F(VeilPanelTest, TheLabelSaysWhyTheWindowIsHiddenAndHowToShowIt)
{
    VeilLabel label(QStringLiteral("Mail"), share, shortcuts);
    EXPECT_EQ(label.title(), "Mail is hidden while you share");
    EXPECT_EQ(label.hint(), "Press Ctrl+Alt+Shift+P to show it");

    shortcuts.set(KeyCombo{1, modifier::control | modifier::option, QStringLiteral("S")}, shareSafe);
    EXPECT_EQ(label.hint(), "Press Ctrl+Alt+S to show it");
    shortcuts.set(std::nullopt, shareSafe);
    EXPECT_EQ(label.hint(), "Press  to show it") << "nothing between the words";

    // Private and hidden by hand: the hand wording.
    share.hideFrontApp();
    ASSERT_TRUE(share.handNames().contains("Mail"));
    EXPECT_EQ(label.title(), "Mail is hidden");
    EXPECT_EQ(label.hint(), "Press Ctrl+Alt+P in Mail to show it");
}

TEST_F(VeilPanelTest, ANameIsInsertedAsPlainText)
{
    VeilLabel label(QStringLiteral("%2 Tool"), share, shortcuts);
    EXPECT_EQ(label.title(), "%2 Tool is hidden while you share");
}

TEST_F(VeilPanelTest, WhereNothingBlursTheVeilIsOpaqueToTheCorners)
{
    VeilPanel panel(QStringLiteral("Mail"), share, shortcuts, env.desktop.veilSurfaces());
    EXPECT_FALSE(panel.blursBehind());
    EXPECT_FALSE(panel.translucent());
    EXPECT_EQ(panel.focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(panel.testAttribute(Qt::WA_TransparentForMouseEvents));
    panel.surface().setFrame(Rect(-40, 20, 480, 300));
    EXPECT_EQ(panel.surface().frame(), Rect(-40, 20, 480, 300));
    EXPECT_EQ(panel.size(), QSize(480, 300));

    const QImage image = panel.grab().toImage();
    for (const QPoint at : {QPoint(0, 0), QPoint(479, 299), QPoint(240, 5), QPoint(5, 150)})
        EXPECT_EQ(qAlpha(image.pixel(at)), 255) << at.x() << "," << at.y();
    EXPECT_EQ(panel.label()->geometry(), panel.rect()) << "the label's stack is centred in the whole veil";
}

} // namespace
} // namespace tavrin
