#include "modes/sharesafe.h"

#include "fakeveils.h"
#include "modes/privacyprompt.h"
#include "platform/linux/markfolder.h"
#include "platform/linux/qtclock.h"
#include "secondprocess.h"
#include "support/simfixture.h"
#include "windows/windowmanager.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace tavrin {
namespace {

const QByteArray kScenario = R"({
  "displays": [ { "name": "Main", "frame": [0, 0, 2560, 1440] } ],
  "frontmost": "Google Chrome",
  "apps": [
    { "name": "Tavrin", "policy": "accessory", "self": true },
    { "name": "Google Chrome" }, { "name": "Arc" }, { "name": "Slack" }, { "name": "Signal" }, { "name": "Mail" }
  ],
  "windows": [
    { "app": "Google Chrome", "title": "Inbox", "frame": [100, 100, 1000, 800] },
    { "app": "Arc", "title": "Docs", "frame": [200, 100, 1000, 800] },
    { "app": "Slack", "title": "general - Acme - Slack", "frame": [300, 100, 1000, 800] },
    { "app": "Signal", "title": "Signal", "frame": [400, 100, 800, 700] },
    { "app": "Mail", "title": "Inbox – Mail", "frame": [500, 100, 800, 700] }
  ]
})";

class ShareSafeTest : public ::testing::Test {
protected:
    ShareSafeTest()
    {
        veils.wanted = [this] { return share.active() || !share.handPids().isEmpty(); };
    }

    RunningApp app(const QString& name) const
    {
        RunningApp a;
        a.pid = name.isEmpty() ? 4242 : env.desktop.appNamed(name) ? env.desktop.appNamed(name)->pid : 4343;
        a.localizedName = name;
        return a;
    }
    // One check in which `name`'s windows read as `titles` (none: unreadable).
    void check(const QString& name, std::optional<QStringList> titles)
    {
        share.applyCheck({ShareSafe::TitleRead{app(name), std::move(titles)}});
    }
    void sharingTab() { check(QStringLiteral("Google Chrome"), QStringList{"meet.google.com IS SHARING THIS TAB"}); }
    void nothing() { check(QStringLiteral("Google Chrome"), QStringList{"Inbox"}); }

    SimEnvironment env{kScenario};
    WindowManager windows;
    PrivacyPrompt prompt{env.clock, windows};
    ShareSafe share{prompt, Platform::current()};
    FakeVeils veils;
    Registration veilsRegistration = share.setVeils(veils);
};

TEST_F(ShareSafeTest, WhatStartsAndWhatKeepsADetection)
{
    // The same title in Arc: not among its words.
    check(QStringLiteral("Arc"), QStringList{"meet.google.com is sharing this tab"});
    EXPECT_FALSE(share.sharingDetected());
    // A huddle alone starts nothing.
    check(QStringLiteral("Slack"), QStringList{"Design HUDDLE"});
    EXPECT_FALSE(share.sharingDetected());
    // An application outside the table, or without a name, takes no part.
    check(QStringLiteral("TextEdit"), QStringList{"is sharing your screen"});
    check(QString(), QStringList{"is sharing your screen"});
    EXPECT_FALSE(share.sharingDetected());

    QSignalSpy detected(&share, &ShareSafe::sharingDetectedChanged);
    sharingTab();
    EXPECT_TRUE(share.sharingDetected());
    EXPECT_TRUE(share.active());
    EXPECT_TRUE(share.coveringNow());
    EXPECT_FALSE(share.manual());
    // A huddle keeps it going: no miss is counted.
    for (int i = 0; i < 10; ++i)
        check(QStringLiteral("Slack"), QStringList{"general", "Huddle with Sam"});
    EXPECT_TRUE(share.sharingDetected());
    EXPECT_EQ(share.clearChecks(), 0);
    EXPECT_EQ(detected.count(), 1);
}

TEST_F(ShareSafeTest, SixCleanChecksEndADetectionAndAnyEvidenceStartsTheCountAgain)
{
    sharingTab();
    for (int i = 0; i < 5; ++i)
        nothing();
    EXPECT_EQ(share.clearChecks(), 5);
    EXPECT_TRUE(share.sharingDetected());
    // The microphone in use starts the count again.
    env.desktop.setMicrophoneInUse(true);
    nothing();
    EXPECT_EQ(share.clearChecks(), 0);
    env.desktop.setMicrophoneInUse(false);
    // So does a call application's title naming a call.
    for (int i = 0; i < 3; ++i)
        nothing();
    check(QStringLiteral("Slack"), QStringList{"Call with Sam"});
    EXPECT_EQ(share.clearChecks(), 0);
    // A browser's title naming a meeting does not.
    for (int i = 0; i < 5; ++i)
        check(QStringLiteral("Google Chrome"), QStringList{"Weekly meeting – Calendar"});
    EXPECT_TRUE(share.sharingDetected());
    EXPECT_TRUE(share.active());
    nothing();
    EXPECT_FALSE(share.sharingDetected());
    EXPECT_FALSE(share.active());
    EXPECT_EQ(share.clearChecks(), 0);
}

TEST_F(ShareSafeTest, WindowsThatCannotBeReadCountNoMiss)
{
    sharingTab();
    for (int i = 0; i < 10; ++i)
        share.applyCheck({{app("Google Chrome"), QStringList{"Inbox"}}, {app("Slack"), std::nullopt}});
    EXPECT_TRUE(share.sharingDetected());
    EXPECT_EQ(share.clearChecks(), 0);
    // Another application can still make it a hit.
    share.applyCheck({{app("Slack"), std::nullopt}, {app("Google Chrome"), QStringList{"x is sharing a window"}}});
    EXPECT_TRUE(share.sharingDetected());
    // With nothing running that could show sharing, a check is a miss.
    for (int i = 0; i < 6; ++i)
        share.applyCheck({});
    EXPECT_FALSE(share.sharingDetected());
}

TEST_F(ShareSafeTest, SwitchedOffCoveringEndsAtOnceAndComesBackOnlyWithANewDetection)
{
    sharingTab();
    ASSERT_TRUE(share.active());
    share.setEnabled(false);
    EXPECT_FALSE(share.active());
    EXPECT_TRUE(share.sharingDetected());
    EXPECT_EQ(env.defaults.value(QStringLiteral("mode.shareSafe")), QVariant(false));
    share.setEnabled(true);
    sharingTab();
    EXPECT_FALSE(share.active()); // the same detection
    for (int i = 0; i < 6; ++i)
        nothing();
    ASSERT_FALSE(share.sharingDetected());
    sharingTab();
    EXPECT_TRUE(share.active());
}

TEST_F(ShareSafeTest, WhileSwitchedOffDetectionsRunButCoverNothing)
{
    share.setEnabled(false);
    sharingTab();
    EXPECT_TRUE(share.sharingDetected());
    EXPECT_FALSE(share.active());
    EXPECT_TRUE(veils.calls.isEmpty());
}

TEST_F(ShareSafeTest, TheShortcutDuringAutomaticCoveringEndsItForTheRestOfTheDetection)
{
    sharingTab();
    share.toggleNow();
    EXPECT_FALSE(share.active());
    EXPECT_FALSE(share.manual());
    sharingTab();
    EXPECT_FALSE(share.active());
    // Once it is over, a new detection covers again.
    for (int i = 0; i < 6; ++i)
        nothing();
    sharingTab();
    EXPECT_TRUE(share.active());
}

TEST_F(ShareSafeTest, CoveringByHandOutlivesTheSwitchAndEndsWithTheNextDetection)
{
    share.setManual(true);
    EXPECT_TRUE(share.active());
    EXPECT_TRUE(share.manual());
    // Switching off leaves covering that was turned on by hand.
    share.setEnabled(false);
    EXPECT_TRUE(share.active());
    share.setEnabled(true);
    // A detection takes it over, and its end ends covering...
    sharingTab();
    EXPECT_FALSE(share.manual());
    for (int i = 0; i < 6; ++i)
        nothing();
    EXPECT_FALSE(share.active());
    // ...which stays off when the routine that turned it on ends.
    share.setManual(false);
    EXPECT_FALSE(share.active());
}

TEST_F(ShareSafeTest, VeilsAreToldOfEveryChangeOfCovering)
{
    share.toggleNow();
    EXPECT_EQ(veils.calls, (QStringList{"refresh", "update"}));
    veils.calls.clear();
    share.toggleNow();
    EXPECT_EQ(veils.calls, (QStringList{"refresh"})); // stopped: nothing to update
    veils.calls.clear();
    share.setManual(false); // no change
    EXPECT_TRUE(veils.calls.isEmpty());
    // The private list takes effect at the veils' next pass.
    share.setPrivateApps({QStringLiteral("Slack")});
    EXPECT_TRUE(veils.calls.isEmpty());
}

TEST_F(ShareSafeTest, TheShortcutFirstLiftsBlursByHandThenCoversByHand)
{
    env.desktop.setFrontmost(env.pid("Slack"));
    share.hideFrontApp();
    prompt.hide(false);
    ASSERT_EQ(share.hiddenByHand(), QSet<QString>{"Slack"});
    veils.calls.clear();

    share.toggleNow();
    EXPECT_TRUE(share.hiddenByHand().isEmpty());
    EXPECT_TRUE(share.handPids().isEmpty());
    EXPECT_FALSE(share.active());
    EXPECT_EQ(veils.calls, (QStringList{"refresh"}));

    share.toggleNow();
    EXPECT_TRUE(share.active());
    EXPECT_TRUE(share.manual());
}

TEST_F(ShareSafeTest, AQuitAppStopsBeingHiddenByHandButItsNameStaysWhileAnotherProcessHasIt)
{
    const int first = env.pid("Signal");
    const int second = startSecondProcess(env, QStringLiteral("Signal"), QStringLiteral("Signal 2"));
    share.startDetecting();
    for (int pid : {first, second}) {
        env.desktop.setFrontmost(pid);
        share.hideFrontApp();
    }
    ASSERT_EQ(share.handPids(), (QSet<int>{first, second}));
    QSignalSpy published(&share, &ShareSafe::hiddenByHandChanged);
    env.desktop.removeApp(second);
    env.clock.runDue();
    EXPECT_EQ(share.handPids(), QSet<int>{first});
    EXPECT_EQ(share.hiddenByHand(), QSet<QString>{"Signal"});
    env.desktop.removeApp(first);
    env.clock.runDue();
    EXPECT_TRUE(share.handPids().isEmpty());
    EXPECT_TRUE(share.hiddenByHand().isEmpty());
    EXPECT_EQ(published.count(), 1);
    EXPECT_EQ(veils.calls.count(QStringLiteral("refresh")), 4); // two hides, two quits
}

TEST_F(ShareSafeTest, AppsThatQuitUnseenAreForgottenAtTheNextCheckAndANamelessOneNamesNothing)
{
    // No quit is heard before startDetecting(): the checks find them.
    const int slack = env.pid("Slack"), signal = env.pid("Signal"), mail = env.pid("Mail");
    for (int pid : {slack, signal, mail}) {
        env.desktop.setFrontmost(pid);
        share.hideFrontApp();
    }
    prompt.hide(false);
    // Slack quits; Signal's name cannot be had any more.
    env.desktop.removeApp(slack);
    veils.names = {{mail, QStringLiteral("Mail")}};
    share.tick();
    EXPECT_EQ(share.handPids(), (QSet<int>{signal, mail}));
    EXPECT_EQ(share.hiddenByHand(), QSet<QString>{"Mail"}); // not {"", "Mail"}
    EXPECT_EQ(veils.calls.count(QStringLiteral("refresh")), 4);
}

TEST_F(ShareSafeTest, ChecksReadTitlesOneAtATimeAndOnlyWhenTrusted)
{
    env.desktop.setTitle(env.window("Inbox")->token, QStringLiteral("meet.google.com is sharing your screen."));
    share.startDetecting();
    env.clock.advance(1.5);
    EXPECT_TRUE(share.sharingDetected());
    EXPECT_FALSE(share.isChecking());

    // A read still in flight: the next tick starts none.
    env.desktop.setTimesOut(env.pid("Arc"), true);
    share.tick();
    EXPECT_TRUE(share.isChecking());
    share.tick();
    env.clock.runDue();
    EXPECT_FALSE(share.isChecking());
    EXPECT_EQ(env.desktop.timeoutCount(env.pid("Arc")), 1);

    // Without trust no check runs.
    env.desktop.setTrusted(false);
    share.tick();
    EXPECT_FALSE(share.isChecking());
}

TEST_F(ShareSafeTest, ThePrivateListIsReadOnceAndStoredSorted)
{
    EXPECT_EQ(share.privateNames().size(), 24u);
    for (const char* mac : {"1Password 7", "Mail", "Messages", "Banking"})
        EXPECT_FALSE(share.privateNames().contains(QString::fromUtf8(mac))) << mac;
    for (const char* name : {"1Password", "Signal", "KeePassXC", "Passwords and Keys", "KWalletManager", "Thunderbird",
                             "GnuCash", "Element"})
        EXPECT_TRUE(share.privateNames().contains(QString::fromUtf8(name))) << name;
    QSignalSpy changed(&share, &ShareSafe::privateAppsChanged);
    share.setPrivateApps({QStringLiteral("Zoom"), QStringLiteral("Arc"), QStringLiteral("Mail")});
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(env.defaults.value(QStringLiteral("privacy.apps")), QVariant(QVariantList{"Arc", "Mail", "Zoom"}));

    struct Case {
        QVariant stored;
        qsizetype count;
    };
    const Case cases[] = {{QVariantList{}, 0},
                          {QVariantList{"Slack"}, 1},
                          {QVariant(QStringLiteral("Slack")), ShareSafe::defaultPrivateApps().size()},
                          {QVariantList{"Slack", qint64(3)}, ShareSafe::defaultPrivateApps().size()}};
    for (const Case& c : cases) {
        env.defaults.setValue(QStringLiteral("privacy.apps"), c.stored);
        EXPECT_EQ(ShareSafe(prompt, Platform::current()).privateNames().size(), c.count)
            << c.stored.toString().toStdString();
    }
    env.defaults.setValue(QStringLiteral("mode.shareSafe"), QStringLiteral("NO"));
    EXPECT_TRUE(ShareSafe(prompt, Platform::current()).enabled());
    env.defaults.setValue(QStringLiteral("mode.shareSafe"), false);
    EXPECT_FALSE(ShareSafe(prompt, Platform::current()).enabled());
}

// Accessibility whose every title takes a while to read, as a busy
// application's does; it says when a read has begun.
class SlowTitles : public Accessibility {
public:
    std::atomic<bool> reading{false};

    bool isTrusted(bool) override { return true; }
    AXElement applicationElement(int pid) override { return AXElement{pid, 0}; }
    AXElement systemWideElement() override { return AXElement{AXElement::kSystemWidePid, 0}; }
    AXResult attribute(const AXElement& element, const QString& name) override
    {
        reading = true;
        if (name == ax::Windows)
            return {AXError::success, std::vector<AXElement>(40, AXElement{element.pid, 1})};
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        return {AXError::success, title_};
    }
    AXError setAttribute(const AXElement&, const QString&, const AXValue&) override { return AXError::cannotComplete; }
    AXError performAction(const AXElement&, const QString&) override { return AXError::cannotComplete; }
    AXResult elementAtPosition(const AXElement&, Point) override { return {}; }
    void setMessagingTimeout(const AXElement&, double) override {}

private:
    QString title_ = QStringLiteral("Inbox");
};

// Quitting while a sharing check reads titles on the pool, 200 times (and
// under AddressSanitizer by scripts/sanitize.sh): quitting stops the clock
// and waits for its pool before the services go, and the check reads only
// the service it took before it started. Taking the services first, as
// quitting once did, is a use after free here.
// How the last run ended decides whether a start covers. Covering that was on
// when the program quit in order (a quit, a SIGTERM) stays off; covering that
// was on when it ended without quitting (a crash, a kill) comes back at once,
// by hand, with a notice; covering turned off before the end stays off.
TEST(ShareSafeRestartTest, OnlyARunThatEndedWhileCoveringWithoutQuittingCoversTheNextStart)
{
    struct Row {
        const char* ending;
        int presses;      // of the Share-safe shortcut: 1 on, 2 on and off
        bool quitInOrder; // else the process just ends
        bool coversAgain;
    };
    const Row rows[] = {
        {"quit while covering", 1, true, false},
        {"killed while covering", 1, false, true},
        {"killed after covering went off", 2, false, false},
        {"killed while covering, then a quit of the next run", 1, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ending);
        QTemporaryDir settings;
        // One run of the program: its marks, its Share-safe.
        struct Run {
            explicit Run(const QString& folder) : marks(folder)
            {
                Platform::current().runMarks = &marks;
                veils.wanted = [this] { return share.active(); };
                share.startDetecting();
            }
            SimEnvironment env{kScenario};
            MarkFolder marks;
            WindowManager windows;
            PrivacyPrompt prompt{env.clock, windows};
            ShareSafe share{prompt, Platform::current()};
            FakeVeils veils;
            Registration veilsRegistration = share.setVeils(veils);
        };
        {
            Run first(settings.path());
            EXPECT_FALSE(first.share.active());
            for (int i = 0; i < row.presses; ++i)
                first.share.toggleNow();
            if (row.quitInOrder)
                first.env.desktop.fireWillTerminate();
        }
        auto next = std::make_unique<Run>(settings.path());
        EXPECT_EQ(next->share.active(), row.coversAgain);
        EXPECT_EQ(next->share.manual(), row.coversAgain);
        EXPECT_EQ(next->share.notice(), row.coversAgain
                                            ? QStringLiteral("Share-safe was on when Tavrin stopped; it is on again")
                                            : QString());
        // The veils are told at once.
        EXPECT_EQ(next->veils.running, row.coversAgain);
        if (QString::fromLatin1(row.ending).endsWith(QLatin1String("next run"))) {
            next->env.desktop.fireWillTerminate();
            next = std::make_unique<Run>(settings.path());
            EXPECT_FALSE(next->share.active());
        }
    }
}

TEST(ShareSafeQuitTest, QuittingWhileACheckReadsTitlesOnThePool)
{
    SimEnvironment env(kScenario);
    const Platform simulated = Platform::current();
    WindowManager windows;
    PrivacyPrompt prompt{env.clock, windows};
    for (int round = 0; round < 200; ++round) {
        auto clock = std::make_unique<QtClock>();
        auto accessibility = std::make_unique<SlowTitles>();
        Platform services = simulated;
        services.clock = clock.get();
        services.accessibility = accessibility.get();
        Platform::install(services);
        {
            ShareSafe share(prompt, Platform::current());
            share.startCheck();
            while (!accessibility->reading)
                std::this_thread::yield();
        }
        // The quit, in its order: the clock stops and its pool is waited for
        // (a bound no loaded machine misses: the read takes milliseconds),
        // then the services go.
        ASSERT_TRUE(clock->stop(60.0)) << "round " << round;
        Platform::install(simulated);
        accessibility.reset();
        clock.reset();
    }
}

} // namespace
} // namespace tavrin
