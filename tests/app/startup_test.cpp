#include "shellfixture.h"

#include "app/onboarding/onboardingcontent.h"
#include "app/tavrinapp.h"
#include "app/updates/updater.h"
#include "windows/edgetiling.h"
#include "windows/windowmanager.h"

#include <QSignalSpy>

namespace tavrin {
namespace {

class StartUpTest : public ShellTest {
protected:
    ~StartUpTest() override { qunsetenv(TavrinApp::kDemoVariable); }
};

TEST_F(StartUpTest, TheFirstRunWindowOpensUnlessDoneAndTrustedOrInDemo)
{
    for (const bool done : {false, true})
        for (const bool trusted : {false, true})
            for (const bool demo : {false, true}) {
                env.desktop.setTrusted(trusted);
                env.defaults.setValue(QStringLiteral("onboardingDone"), done);
                if (demo)
                    qputenv(TavrinApp::kDemoVariable, ""); // set, even empty
                else
                    qunsetenv(TavrinApp::kDemoVariable);
                const auto owned = makeState();
                AppState& state = *owned;
                Updater updater{Platform::current()};
                int shown = 0;
                TavrinApp app(state, windows, updater, Platform::current(), [&] { ++shown; });
                const bool expected = !(done && trusted) && !demo;
                EXPECT_EQ(app.startUp(), expected) << done << trusted << demo;
                EXPECT_EQ(shown, expected ? 1 : 0);
                EXPECT_TRUE(state.enginesStarted());
                EXPECT_TRUE(updater.isStarted());
            }
}

TEST_F(StartUpTest, EnginesAndUpdaterStartBeforeTheFirstRunWindowOnce)
{
    const auto owned = makeState();
    AppState& state = *owned;
    Updater updater{Platform::current()};
    int shown = 0;
    TavrinApp app(state, windows, updater, Platform::current(), [&] {
        EXPECT_TRUE(state.enginesStarted());
        EXPECT_TRUE(updater.isStarted());
        ++shown;
    });
    int announced = 0;
    app.launch([&] {
        // Whoever is told the program runs can use its hot keys at once.
        EXPECT_TRUE(state.enginesStarted());
        EXPECT_EQ(shown, 1);
        ++announced;
    });
    EXPECT_FALSE(state.enginesStarted()); // not before the main loop runs
    env.clock.runDue();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(announced, 1);
    EXPECT_FALSE(app.startUp());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(log->size(), 7);
}

TEST_F(StartUpTest, TrustIsAskedAfreshAtStartUp)
{
    env.defaults.setValue(QStringLiteral("onboardingDone"), true);
    env.desktop.setTrusted(false);
    const auto owned = makeState(); // read while untrusted
    AppState& state = *owned;
    env.desktop.setTrusted(true);
    Updater updater{Platform::current()};
    int shown = 0;
    TavrinApp app(state, windows, updater, Platform::current(), [&] { ++shown; });
    app.startUp();
    EXPECT_EQ(shown, 0);
}

// ---- The first-run window's steps ----

using Step = OnboardingContent::Step;
using Kind = OnboardingContent::ButtonKind;

QList<bool> currents(const QList<Step>& steps)
{
    QList<bool> out;
    for (const Step& s : steps)
        out << s.current;
    return out;
}

QList<bool> dones(const QList<Step>& steps)
{
    QList<bool> out;
    for (const Step& s : steps)
        out << s.done;
    return out;
}

TEST(OnboardingSteps, TheStepsAndTheirWords)
{
    const auto steps = OnboardingContent::steps(false, true, false);
    ASSERT_EQ(steps.size(), 3);
    EXPECT_EQ(steps[0].number, 1);
    EXPECT_EQ(steps[0].title, "Move your windows");
    EXPECT_FALSE(steps[0].badge);
    EXPECT_EQ(steps[0].detail, "Tavrin moves and resizes windows through the X server and your window manager, "
                               "which answer any program: there is nothing to allow.");
    EXPECT_EQ(steps[0].doneText, "Nothing to allow");
    EXPECT_EQ(steps[0].buttonTitle, "Open Desktop Settings");
    EXPECT_EQ(steps[1].title, "Turn off the desktop's edge tiling");
    EXPECT_FALSE(steps[1].badge);
    EXPECT_EQ(steps[1].detail, "Your desktop may tile windows you drag to a screen edge, which would fight Tavrin. "
                               "Turn that off in its window settings.");
    EXPECT_EQ(steps[1].doneText, "Off");
    EXPECT_EQ(steps[1].buttonTitle, "Open Desktop Settings");
    EXPECT_EQ(steps[2].title, "App integrations");
    EXPECT_EQ(steps[2].detail, "Browsers, editors and terminals open their windows and tabs for Tavrin without "
                               "asking: this desktop has no permission for them to give.");
    EXPECT_EQ(steps[2].doneText, "Nothing to allow");
    EXPECT_EQ(steps[2].buttonTitle, "Got it");
}

TEST(OnboardingSteps, UntrustedWithTilingOn)
{
    const auto steps = OnboardingContent::steps(false, true, false);
    EXPECT_EQ(currents(steps), (QList<bool>{true, false, false}));
    EXPECT_EQ(steps[0].buttonKind, Kind::primary);
    EXPECT_EQ(steps[1].buttonKind, Kind::normal);
    EXPECT_EQ(steps[2].buttonKind, Kind::normal);
    EXPECT_EQ(OnboardingContent::footer(false).buttonTitle, "Finish later");
    EXPECT_EQ(OnboardingContent::footer(false).buttonKind, Kind::normal);
}

TEST(OnboardingSteps, TrustedWithTilingOn)
{
    const auto steps = OnboardingContent::steps(true, true, false);
    EXPECT_EQ(dones(steps), (QList<bool>{true, false, false}));
    EXPECT_EQ(currents(steps), (QList<bool>{false, true, false}));
    EXPECT_EQ(steps[1].buttonKind, Kind::primary);
    EXPECT_EQ(OnboardingContent::footer(true).buttonTitle, "Start using Tavrin");
    EXPECT_EQ(OnboardingContent::footer(true).buttonKind, Kind::primary);
}

TEST(OnboardingSteps, TrustedTilingOffThenSeen)
{
    auto steps = OnboardingContent::steps(true, false, false);
    EXPECT_EQ(currents(steps), (QList<bool>{false, false, true}));
    EXPECT_EQ(steps[2].buttonKind, Kind::primary);
    steps = OnboardingContent::steps(true, false, true);
    EXPECT_EQ(dones(steps), (QList<bool>{true, true, true}));
    EXPECT_EQ(currents(steps), (QList<bool>{false, false, false}));
}

TEST(OnboardingSteps, UntrustedButTheRestDone)
{
    const auto steps = OnboardingContent::steps(false, false, true);
    EXPECT_EQ(dones(steps), (QList<bool>{false, true, true}));
    EXPECT_EQ(currents(steps), (QList<bool>{true, false, false}));
}

TEST(OnboardingSteps, AtMostOneStepIsCurrent)
{
    for (const bool trusted : {false, true})
        for (const bool tiling : {false, true})
            for (const bool seen : {false, true}) {
                const auto c = currents(OnboardingContent::steps(trusted, tiling, seen));
                EXPECT_LE(c.count(true), 1);
                // A current step is never a done one.
                const auto d = dones(OnboardingContent::steps(trusted, tiling, seen));
                for (int i = 0; i < 3; ++i)
                    EXPECT_FALSE(c[i] && d[i]);
            }
}

TEST_F(StartUpTest, TheContentFollowsTheStateAndGotItIsRemembered)
{
    env.desktop.setTrusted(false);
    const auto owned = makeState();
    AppState& state = *owned;
    state.startEngines();
    OnboardingContent content(state);
    QSignalSpy changed(&content, &OnboardingContent::changed);
    // Without the tiling keys the desktop's tiling counts as on.
    EXPECT_EQ(currents(content.steps()), (QList<bool>{true, false, false}));

    env.desktop.setTrusted(true);
    env.clock.advance(1);
    EXPECT_EQ(currents(content.steps()), (QList<bool>{false, true, false}));

    env.defaults.setForeignValue(EdgeTiling::kDomain, EdgeTiling::kEdgeKey, false);
    env.defaults.setForeignValue(EdgeTiling::kDomain, EdgeTiling::kTopEdgeKey, false);
    env.clock.advance(1);
    EXPECT_EQ(currents(content.steps()), (QList<bool>{false, false, true}));

    content.perform(OnboardingContent::Action::gotIt);
    EXPECT_TRUE(env.defaults.boolValue(OnboardingContent::kIntegrationsSeenKey));
    EXPECT_EQ(dones(content.steps()), (QList<bool>{true, true, true}));
    EXPECT_EQ(changed.count(), 3);
}

TEST_F(StartUpTest, AskingForAccessibilityPromptsOnce)
{
    env.desktop.setTrusted(false);
    const auto owned = makeState();
    AppState& state = *owned;
    OnboardingContent content(state);
    content.perform(OnboardingContent::Action::requestAccessibility);
    EXPECT_EQ(env.desktop.trustPrompts(), 1);
    EXPECT_FALSE(OnboardingContent::open(QStringLiteral("not an address")));
    EXPECT_FALSE(OnboardingContent::open(QString()));
}

} // namespace
} // namespace tavrin
