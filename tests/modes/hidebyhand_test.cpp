#include "modes/privacyprompt.h"
#include "modes/promptview.h"
#include "modes/sharesafe.h"

#include "design/tbutton.h"
#include "fakeveils.h"
#include "secondprocess.h"
#include "support/simfixture.h"
#include "windows/axwindow.h"
#include "windows/display.h"
#include "windows/windowmanager.h"

namespace tavrin {
namespace {

const QByteArray kScenario = R"({
  "displays": [ { "name": "Main", "frame": [0, 0, 2560, 1440], "dock": 60 } ],
  "frontmost": "Slack",
  "apps": [
    { "name": "Tavrin", "policy": "accessory", "self": true },
    { "name": "Slack" }, { "name": "Thunderbird" }, { "name": "Arc" }
  ],
  "windows": [
    { "app": "Slack", "title": "general", "frame": [1000, 200, 1000, 800] },
    { "app": "Thunderbird", "title": "Inbox", "frame": [0, 100, 300, 700] },
    { "app": "Arc", "title": "Docs", "frame": [400, 100, 1000, 800] }
  ]
})";

class HideByHandTest : public ::testing::Test {
protected:
    HideByHandTest()
    {
        veils.wanted = [this] { return share.active() || !share.handPids().isEmpty(); };
    }

    QStringList stored(const QString& key) const { return share.storedNames(key).value_or(QStringList()); }
    void hide(const QString& app)
    {
        env.desktop.setFrontmost(env.pid(app));
        share.hideFrontApp();
    }

    SimEnvironment env{kScenario};
    WindowManager windows;
    PrivacyPrompt prompt{env.clock, windows};
    ShareSafe share{prompt, Platform::current()};
    FakeVeils veils;
    Registration veilsRegistration = share.setVeils(veils);
};

TEST_F(HideByHandTest, TheFirstHideOfAnAppBlursItAndAsksOnceTheSecondLiftsTheBlur)
{
    share.setEnabled(false);
    share.hideFrontApp();
    EXPECT_EQ(share.hiddenByHand(), QSet<QString>{"Slack"});
    EXPECT_EQ(share.handPids(), QSet<int>{env.pid("Slack")});
    EXPECT_EQ(veils.calls, (QStringList{"refresh", "update"}));
    EXPECT_EQ(stored("privacy.asked"), QStringList{"Slack"});
    ASSERT_TRUE(prompt.isShowing());
    EXPECT_EQ(prompt.view()->app(), "Slack");

    veils.calls.clear();
    share.hideFrontApp();
    EXPECT_TRUE(share.hiddenByHand().isEmpty());
    EXPECT_EQ(veils.calls, (QStringList{"refresh"}));
    EXPECT_EQ(stored("privacy.asked"), QStringList{"Slack"});
    // Asked once for good: hiding it again brings no prompt.
    prompt.hide(false);
    share.hideFrontApp();
    EXPECT_FALSE(prompt.isShowing());
    EXPECT_EQ(stored("privacy.asked"), QStringList{"Slack"});
}

TEST_F(HideByHandTest, APrivateAppIsBlurredWithoutAPrompt)
{
    hide("Thunderbird");
    EXPECT_EQ(share.hiddenByHand(), QSet<QString>{"Thunderbird"});
    EXPECT_FALSE(prompt.isShowing());
    EXPECT_FALSE(env.defaults.contains(QStringLiteral("privacy.asked")));
}

TEST_F(HideByHandTest, YesMakesTheAppPrivateAndKeepsItBlurred)
{
    share.hideFrontApp();
    prompt.view()->yesButton()->click();
    EXPECT_FALSE(prompt.isShowing());
    EXPECT_TRUE(share.privateNames().contains(QStringLiteral("Slack")));
    const QStringList apps = stored("privacy.apps");
    EXPECT_TRUE(apps.contains(QStringLiteral("Slack")));
    EXPECT_TRUE(std::is_sorted(apps.begin(), apps.end()));
    EXPECT_EQ(stored(ShareSafe::kAddedByHideKey), QStringList{"Slack"});
    EXPECT_EQ(share.hiddenByHand(), QSet<QString>{"Slack"});
}

TEST_F(HideByHandTest, NoAndTheTimeOutAddNothing)
{
    share.hideFrontApp();
    prompt.view()->noButton()->click();
    EXPECT_FALSE(prompt.isShowing());
    hide("Arc");
    ASSERT_TRUE(prompt.isShowing());
    env.clock.advance(PrivacyPrompt::kVisibleSeconds - 0.1);
    EXPECT_TRUE(prompt.isShowing());
    env.clock.advance(0.2);
    EXPECT_FALSE(prompt.isShowing());
    EXPECT_FALSE(share.privateNames().contains(QStringLiteral("Slack")));
    EXPECT_FALSE(share.privateNames().contains(QStringLiteral("Arc")));
    EXPECT_FALSE(env.defaults.contains(ShareSafe::kAddedByHideKey));
}

TEST_F(HideByHandTest, ASecondPromptAnswersTheFirstNoInTheSamePanel)
{
    std::vector<std::pair<QString, bool>> answers;
    prompt.show(QStringLiteral("Slack"), [&](bool yes) { answers.emplace_back("Slack", yes); });
    QWidget* panel = prompt.window();
    env.clock.advance(10);
    prompt.show(QStringLiteral("Arc"), [&](bool yes) { answers.emplace_back("Arc", yes); });
    EXPECT_EQ(prompt.window(), panel);
    EXPECT_EQ(prompt.view()->app(), "Arc");
    EXPECT_EQ(answers, (std::vector<std::pair<QString, bool>>{{"Slack", false}}));
    // The first prompt's time-out does not take the second one down.
    env.clock.advance(10);
    EXPECT_TRUE(prompt.isShowing());
    prompt.view()->yesButton()->click();
    prompt.hide(false); // a late hide answers nothing more
    EXPECT_EQ(answers, (std::vector<std::pair<QString, bool>>{{"Slack", false}, {"Arc", true}}));
}

TEST_F(HideByHandTest, ThePromptFadesInUnderTheFocusedWindow)
{
    share.hideFrontApp();
    ASSERT_TRUE(prompt.isShowing());
    EXPECT_EQ(prompt.opacity(), 0.0);
    env.clock.advance(PrivacyPrompt::kFadeInSeconds + 0.02);
    EXPECT_EQ(prompt.opacity(), 1.0);
    const QRect at = prompt.window()->geometry();
    const Rect visible = Display::all().at(0).area;
    EXPECT_NEAR(at.center().x(), 1500, 1); // the middle of Slack's window
    EXPECT_EQ(at.bottom() + 1, int(visible.maxY()) + 4);
    EXPECT_EQ(prompt.view()->sizeHint(), at.size());
}

TEST_F(HideByHandTest, ThePromptStaysInsideTheVisibleArea)
{
    struct Case {
        double centre;
        Rect visible;
        Size size;
        double x;
    };
    const Case cases[] = {
        {150, {0, 24, 2560, 1356}, {600, 80}, 0},       // near the left edge
        {2500, {0, 24, 2560, 1356}, {600, 80}, 1960},   // near the right edge
        {1280, {0, 24, 2560, 1356}, {600, 80}, 980},    // centred
        {500, {100, 0, 400, 1000}, {600, 80}, -100},    // wider: out on the left
        {3000, {2560, 0, 1920, 1080}, {600, 80}, 2700}, // a second display
    };
    for (const Case& c : cases) {
        const Rect frame = PrivacyPrompt::frameFor(c.centre, c.visible, c.size);
        EXPECT_EQ(frame.x, c.x) << c.centre;
        EXPECT_EQ(frame.maxY(), c.visible.maxY() + PrivacyPrompt::kBelowBottom) << c.centre;
        EXPECT_EQ(frame.width, c.size.width);
    }
}

TEST_F(HideByHandTest, WithTavrinInFrontTheShortcutActsOnTheLastOtherApp)
{
    AXWindow::trackFrontmostApp();
    env.desktop.activate(env.pid("Arc"));
    env.desktop.activate(env.desktop.selfPid());
    env.clock.runDue();
    share.hideFrontApp();
    EXPECT_EQ(share.hiddenByHand(), QSet<QString>{"Arc"});
}

TEST_F(HideByHandTest, LiftingOneOfTwoProcessesOfAnAppDropsItsName)
{
    const int first = env.pid("Arc");
    const int second = startSecondProcess(env, QStringLiteral("Arc"), QStringLiteral("Arc 2"));
    for (int pid : {first, second}) {
        env.desktop.setFrontmost(pid);
        share.hideFrontApp();
    }
    env.desktop.setFrontmost(first);
    share.hideFrontApp();
    EXPECT_TRUE(share.hiddenByHand().isEmpty());
    EXPECT_EQ(share.handPids(), QSet<int>{second});
}

} // namespace
} // namespace tavrin
