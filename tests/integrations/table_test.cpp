// The table of supported applications, the user's switch per application,
// which of them are installed, the consent to script them, and the one
// script runner.

#include "integrationsdesk.h"

#include "integrations/browserurls.h"
#include "integrations/integrations.h"
#include "platform/defaults.h"
#include "platform/platform.h"

#include <atomic>
#include <thread>

using namespace tavrin;

namespace {

using How = Integration::How;
using Permission = Integrations::Permission;

const QByteArray kDesk = R"json({
  "displays": [ { "name": "Studio", "frame": [0, 0, 2560, 1440] } ],
  "apps": [
    { "name": "Tavrin", "self": true, "policy": "accessory" },
    { "name": "Safari", "bundleId": "com.apple.Safari" },
    { "name": "Terminal", "bundleId": "com.apple.Terminal", "automation": "denied" },
    { "name": "Finder", "bundleId": "com.apple.finder", "automation": "notAsked" },
    { "name": "Slack" }
  ],
  "installed": [ { "name": "Code" }, { "name": "Ghostty" }, { "name": "Calendar" } ]
})json";

class Table : public IntegrationsDesk {
protected:
    Table() : IntegrationsDesk(kDesk) {}
    Defaults& defaults() const { return *Platform::current().defaults; }
    static const Integration& row(const QString& name) { return *Integrations::byName(name); }
};

TEST_F(Table, HoldsTheSupportedApplicationsInOrderAndFindsThemByEitherName)
{
    const auto& all = Integrations::all();
    ASSERT_EQ(all.size(), 46u);
    EXPECT_EQ(all.front().app, "Safari");
    EXPECT_EQ(all.back().app, "Microsoft Teams");
    int browsers = 0;
    for (const Integration& i : all) {
        browsers += i.how == How::browser;
        // Exactly the rows read by scripting carry a bundle identifier.
        EXPECT_EQ(i.bundleID.has_value(), i.needsAutomation()) << i.app.toStdString();
    }
    EXPECT_EQ(browsers, 7);
    EXPECT_EQ(all[7].bringsBack,
              QString::fromUtf8("Reopens Firefox. Firefox doesn't let other apps read its tabs, so it "
                                "brings them back itself with \u201cRestore previous session\u201d."));

    EXPECT_EQ(row("iTerm2").app, "iTerm");
    EXPECT_EQ(row("Code").app, "Visual Studio Code");
    EXPECT_EQ(row("Ghostty").how, How::titlePath);
    EXPECT_EQ(Integrations::byName("Chromium"), nullptr);
    EXPECT_EQ(Integrations::byName("safari"), nullptr);
    EXPECT_EQ(Integration::categoryFromRaw("Terminals"), Integration::Category::terminals);
    EXPECT_FALSE(Integration::categoryFromRaw("terminals"));
}

TEST_F(Table, TheSwitchListsNamesAsGivenAndAnswersForAnyOfARowsNames)
{
    EXPECT_FALSE(Integrations::isOff("Safari")); // nothing stored
    defaults().setValue(Integrations::kOffKey, QStringLiteral("Safari"));
    EXPECT_FALSE(Integrations::isOff("Safari")); // not a list
    defaults().setValue(Integrations::kOffKey, QVariantList{QStringLiteral("Safari"), 3});
    EXPECT_FALSE(Integrations::isOff("Safari")); // not a list of names

    defaults().remove(Integrations::kOffKey);
    Integrations::setOff("iTerm", true);
    Integrations::setOff("iTerm", true);
    EXPECT_EQ(defaults().value(Integrations::kOffKey)->toList(), QVariantList{QStringLiteral("iTerm")});
    EXPECT_TRUE(Integrations::isOff("iTerm2"));
    EXPECT_TRUE(Integrations::isOff("iTerm"));

    // Stored as given, without the lookup: "Code" does not switch the editor off.
    Integrations::setOff("Code", true);
    EXPECT_FALSE(Integrations::isOff("Visual Studio Code"));
    EXPECT_FALSE(Integrations::isOff("Warp"));
    Integrations::setOff("Some Tool", true);
    EXPECT_TRUE(Integrations::isOff("Some Tool"));

    Integrations::setOff("Never listed", false);
    Integrations::setOff("Code", false);
    Integrations::setOff("Some Tool", false);
    EXPECT_EQ(defaults().value(Integrations::kOffKey)->toList(), QVariantList{QStringLiteral("iTerm")});
}

TEST_F(Table, InstalledListsRowsOfInstalledOrRunningApplicationsInTableOrder)
{
    QStringList apps;
    for (const Integration& i : Integrations::installed())
        apps << i.app;
    EXPECT_EQ(apps, (QStringList{"Safari", "Visual Studio Code", "Terminal", "Ghostty", "Finder", "Slack"}));
}

TEST_F(Table, RowsReadWithoutScriptingNeedNoConsentAndNothingIsAsked)
{
    for (const Integration& i : Integrations::all()) {
        if (!i.needsAutomation()) {
            EXPECT_EQ(Integrations::permission(i, true), Permission::notNeeded) << i.app.toStdString();
        }
    }
    EXPECT_EQ(env.desktop.automation().prompts(), 0);
    EXPECT_TRUE(scripts().isEmpty());
}

TEST_F(Table, ConsentOfScriptedApplications)
{
    EXPECT_EQ(Integrations::permission(row("Safari"), false), Permission::allowed);
    EXPECT_EQ(Integrations::permission(row("Terminal"), false), Permission::denied);
    EXPECT_EQ(Integrations::permission(row("Google Chrome"), false), Permission::notRunning);
    EXPECT_EQ(Integrations::permission(row("Finder"), false), Permission::notAsked);
    EXPECT_EQ(env.desktop.automation().prompts(), 0);
    // Asking lets the user answer.
    EXPECT_EQ(Integrations::permission(row("Finder"), true), Permission::allowed);
    EXPECT_EQ(env.desktop.automation().prompts(), 1);
    env.desktop.removeApp(env.pid("Safari"));
    EXPECT_EQ(Integrations::permission(row("Safari"), false), Permission::notRunning);
}

// Counts the requests that run at the same time.
struct CountingAutomation : Automation {
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    bool scriptsApplications() const override { return true; }
    bool openWindow(const AutomationTarget&, const QStringList& urls, int, const QString&, double) override
    {
        most = std::max(most.load(), ++running);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        --running;
        return urls.first() != QLatin1String("https://fail/");
    }
    std::optional<QList<BrowserWindow>> browserWindows(const AutomationTarget&, const QString&, double) override
    {
        return std::nullopt;
    }
    bool selectTab(const AutomationTarget&, int, int, const QString&, double) override { return false; }
    std::optional<QList<FolderWindow>> windowFolders(const AutomationTarget&, const QString&, double) override
    {
        return std::nullopt;
    }
    int permission(const QString&, bool) override { return kAllowed; }
};

TEST_F(Table, OnLinuxRowsGoByTheNamesTheDesktopGivesAndNeedNoConsent)
{
    struct Unscripted final : CountingAutomation {
        bool scriptsApplications() const override { return false; }
    } unscripted;
    Platform::current().automation = &unscripted;
    // GNOME Terminal is "Terminal" there; Safari has no Linux version.
    EXPECT_EQ(row("Terminal").app, "GNOME Terminal");
    EXPECT_EQ(row("Firefox ESR").how, How::browser);
    EXPECT_EQ(row("Chromium").profiles, ".config/chromium");
    EXPECT_EQ(row("jetbrains-idea-ce").app, "IntelliJ IDEA");
    EXPECT_EQ(Integrations::byName("Safari"), nullptr);
    EXPECT_EQ(row("Sublime Text").how, How::appOnly); // its windows never tell their file
    for (const Integration& i : Integrations::all()) {
        EXPECT_FALSE(i.bundleID) << i.app.toStdString();
        EXPECT_EQ(Integrations::permission(i, true), Permission::notNeeded) << i.app.toStdString();
    }
    QStringList installed;
    for (const Integration& i : Integrations::installed())
        installed << i.app;
    EXPECT_EQ(installed, (QStringList{"Visual Studio Code", "GNOME Terminal", "Ghostty", "Slack"}));
    EXPECT_TRUE(BrowserURLs::isSupported("Firefox ESR"));
    EXPECT_FALSE(BrowserURLs::isSupported("Safari"));
}

TEST_F(Table, RequestsRunOneAtATimeAndAFailureReleasesTheTurn)
{
    CountingAutomation counting;
    Platform::current().automation = &counting;
    std::vector<std::thread> threads;
    std::atomic<int> answered{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i)
                answered += Integrations::restoreTabs(
                    "Safari", {t % 2 ? QStringLiteral("https://fail/") : QStringLiteral("https://ok/")});
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(counting.most.load(), 1);
    EXPECT_EQ(answered.load(), 10);
    EXPECT_TRUE(Integrations::restoreTabs("Safari", {"https://ok/"}));
}

} // namespace
