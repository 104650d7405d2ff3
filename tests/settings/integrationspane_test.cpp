// The integrations pane on simulated desktops: the header's count, the chips,
// the tiles' check marks, the card's permission line and switch, and
// pictures of the pane in both colour schemes.

#include "design/environment.h"
#include "design/themed.h"
#include "integrations/integrations.h"
#include "platform/sim/simappearance.h"
#include "settings/integrationspane.h"
#include "settings/paneheader.h"
#include "support/artifacts.h"
#include "support/layoutcheck.h"
#include "support/simfixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace tavrin;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

using Category = Integration::Category;

QByteArray desk(const QString& apps, const QString& installed = {})
{
    return QStringLiteral(R"json({
  "displays": [ { "name": "Studio", "frame": [0, 0, 2560, 1440] } ],
  "apps": [ { "name": "Tavrin", "self": true, "policy": "accessory" } %1 ],
  "installed": [ %2 ]
})json")
        .arg(apps.isEmpty() ? QString() : QStringLiteral(", ") + apps, installed)
        .toUtf8();
}

// Safari never asked, Chrome allowed, Terminal refused, iTerm installed but
// not running, an editor, a chat application, and one with nothing to read.
const QByteArray kMixed = desk(
    R"({ "name": "Safari", "bundleId": "com.apple.Safari", "automation": "notAsked" },
       { "name": "Google Chrome", "bundleId": "com.google.Chrome", "automation": "allowed" },
       { "name": "Terminal", "bundleId": "com.apple.Terminal", "automation": "denied" },
       { "name": "Visual Studio Code" }, { "name": "Slack" }, { "name": "Figma" })",
    R"({ "name": "iTerm", "bundleId": "com.googlecode.iterm2" })");

class Pane : public ::testing::Test {
protected:
    explicit Pane(const QByteArray& scenario = kMixed) : env(scenario) {}

    // Shows the pane and lets its permission read land.
    IntegrationsPane& shown()
    {
        pane = std::make_unique<IntegrationsPane>();
        pane->resize(600, 700);
        pane->show();
        env.clock.advance(0);
        QApplication::processEvents();
        return *pane;
    }
    QStringList chips() const
    {
        QStringList labels;
        for (auto* chip : pane->findChild<QWidget*>("chips")->findChildren<QAbstractButton*>())
            if (chip->isVisible())
                labels.append(chip->text());
        return labels;
    }
    QAbstractButton* tile(const QString& app) const { return pane->findChild<QAbstractButton*>("tile." + app); }
    bool badge(const QString& app) const
    {
        QAbstractButton* t = tile(app);
        return t && t->findChild<QLabel*>("badge")->isVisibleTo(t);
    }
    // The texts of the card's row for `label`.
    QStringList row(const QString& label) const
    {
        QStringList texts;
        auto* r = pane->findChild<QWidget*>("row." + label);
        if (!r)
            return texts;
        // The content beside the row's own label.
        for (auto* l : r->findChildren<QLabel*>())
            if (l->text() != label)
                texts.append(l->text());
        for (auto* b : r->findChildren<QAbstractButton*>())
            texts.append(b->text());
        return texts;
    }

    SimEnvironment env;
    std::unique_ptr<IntegrationsPane> pane;
};

class EmptyPane : public Pane {
protected:
    EmptyPane() : Pane(desk({})) {}
};
class OneApp : public Pane {
protected:
    OneApp() : Pane(desk(R"({ "name": "Xcode" })")) {}
};

} // namespace

TEST_F(EmptyPane, NothingInstalledShowsZeroAppsOnlyAllAndNoCard)
{
    shown();
    EXPECT_TRUE(pane->header()->sub().startsWith("0 apps on this computer"));
    EXPECT_EQ(chips(), QStringList{"All"});
    EXPECT_TRUE(pane->findChildren<QAbstractButton*>(QRegularExpression("^tile\\.")).isEmpty());
    EXPECT_FALSE(pane->findChild<QWidget*>("integrationCard")->isVisibleTo(pane.get()));
}

TEST_F(OneApp, OneInstalledAppIsCountedWithoutAnS)
{
    shown();
    EXPECT_TRUE(pane->header()->sub().startsWith("1 app on this computer work with Tavrin."));
    EXPECT_EQ(chips(), (QStringList{"All", "Code"}));
}

TEST_F(Pane, ChipsNameTheInstalledCategoriesAndChoosingOneClearsTheSelection)
{
    shown();
    EXPECT_TRUE(pane->header()->sub().startsWith("7 apps"));
    EXPECT_EQ(chips(), (QStringList{"All", "Browsers", "Code", "Terminals", "Docs", "Chat"}));
    pane->select("Slack");
    EXPECT_EQ(pane->shown()->app, "Slack");

    pane->setFilter(Category::terminals);
    EXPECT_FALSE(pane->selected());
    EXPECT_EQ(pane->shown()->app, "Terminal");
    EXPECT_TRUE(tile("Terminal"));
    EXPECT_FALSE(tile("Safari"));
    EXPECT_EQ(row("Brings back").value(0), pane->shown()->bringsBack);
}

TEST_F(Pane, BadgesMarkWhatWorksNow)
{
    shown();
    // Allowed browser, an editor read without scripting: marked. Never asked,
    // refused, not running, chat, nothing to read: not.
    const std::vector<std::pair<const char*, bool>> expected{{"Google Chrome", true}, {"Visual Studio Code", true},
                                                             {"Safari", false},       {"Terminal", false},
                                                             {"iTerm", false},        {"Slack", false},
                                                             {"Figma", false}};
    for (const auto& [app, marked] : expected)
        EXPECT_EQ(badge(app), marked) << app;

    // Switching the editor off takes its mark, not its tile; on again brings it back.
    pane->select("Visual Studio Code");
    auto* use = pane->findChild<QAbstractButton*>("useIt");
    ASSERT_TRUE(use);
    EXPECT_EQ(use->accessibleName(), "Use the Visual Studio Code integration");
    use->click();
    QApplication::processEvents();
    EXPECT_TRUE(Integrations::isOff("Visual Studio Code"));
    EXPECT_TRUE(tile("Visual Studio Code"));
    EXPECT_FALSE(badge("Visual Studio Code"));
    pane->findChild<QAbstractButton*>("useIt")->click();
    QApplication::processEvents();
    EXPECT_TRUE(badge("Visual Studio Code"));
    EXPECT_EQ(row("Permission"), QStringList{"Not needed"});
}

TEST_F(Pane, ThePermissionLineFollowsWhatTheSystemAnswers)
{
    shown();
    const std::vector<std::pair<const char*, QStringList>> lines{
        {"Google Chrome", {IntegrationsPane::kAllowedText}},
        {"Terminal", {"Turned off", "Open Desktop Settings"}},
        {"iTerm", {"Asks the first time a workspace needs iTerm"}},
        {"Safari", {"Not asked yet", "Allow now"}},
        {"Figma", {"Not needed"}},
    };
    for (const auto& [app, texts] : lines) {
        pane->select(app);
        EXPECT_EQ(row("Permission"), texts) << app;
        EXPECT_TRUE(pane->findChild<QWidget*>("row.Use it")) << app;
    }
    // A chat application: the Focus hint, and no switch.
    pane->select("Slack");
    EXPECT_EQ(row("Permission"),
              QStringList{"Not needed. Add “Turn on Do Not Disturb” to a Focus routine to silence it."});
    EXPECT_FALSE(pane->findChild<QAbstractButton*>("useIt"));
}

TEST_F(Pane, AllowNowAsksThenReadsAgainAndTheMarkAppears)
{
    shown();
    pane->select("Safari");
    QSignalSpy read(pane.get(), &IntegrationsPane::permissionsRead);
    const int before = pane->refreshCount();
    pane->findChild<QAbstractButton*>("allowNow")->click();
    env.clock.advance(0);
    env.clock.advance(0);
    EXPECT_EQ(read.count(), 1);
    EXPECT_EQ(pane->refreshCount(), before + 1);
    EXPECT_TRUE(badge("Safari"));
    EXPECT_EQ(row("Permission"), QStringList{IntegrationsPane::kAllowedText});
}

TEST_F(Pane, OpenSystemSettingsGoesToTheAutomationPage)
{
    shown();
    pane->select("Terminal");
    pane->findChild<QAbstractButton*>("openSystemSettings")->click();
    EXPECT_EQ(env.desktop.settingsOpened(), QStringList{"com.apple.preference.security?Privacy_Automation"});
}

namespace {
class Pictures : public Pane, public ::testing::WithParamInterface<ColorScheme> {};

// The pane in a themed window, with `select`'s card, kept under the test
// artifacts as `name`.
void savePicture(SimEnvironment& env, ColorScheme scheme, const QString& select, const QString& name)
{
    env.desktop.appearance().setColorScheme(scheme);
    auto* host = new Themed(new IntegrationsPane);
    QWidget frame;
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(host);
    frame.resize(600, 560);
    frame.show();
    env.clock.advance(0);
    QApplication::processEvents();
    auto* integrations = host->findChild<IntegrationsPane*>();
    integrations->select(select);
    QApplication::processEvents();
    QImage image(frame.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    // Twice: labels moved into the themed window take its colours as they paint.
    for (int pass = 0; pass < 2; ++pass) {
        image.fill(Environment::theme(integrations).winBG);
        frame.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        QApplication::processEvents();
    }
    LayoutCheck::expectTidy(&frame, name);
    EXPECT_TRUE(image.save(QDir(Artifacts::folder(QStringLiteral("settings"))).filePath(name)));
}
} // namespace

TEST_P(Pictures, ThePaneInEachScheme)
{
    const QString name = GetParam() == ColorScheme::dark ? "integrations-dark.png" : "integrations-light.png";
    savePicture(env, GetParam(), "Terminal", name);
}

INSTANTIATE_TEST_SUITE_P(Schemes, Pictures, ::testing::Values(ColorScheme::light, ColorScheme::dark),
                         [](const auto& info) { return info.param == ColorScheme::dark ? "dark" : "light"; });

namespace {

// Stands in for the Linux desktop's Automation: nothing is scripted, and so
// nothing is asked for consent.
struct UnscriptedDesktop final : Automation {
    bool scriptsApplications() const override { return false; }
    std::optional<QList<BrowserWindow>> browserWindows(const AutomationTarget&, const QString&, double) override
    {
        return std::nullopt;
    }
    bool openWindow(const AutomationTarget&, const QStringList&, int, const QString&, double) override { return false; }
    bool selectTab(const AutomationTarget&, int, int, const QString&, double) override { return false; }
    std::optional<QList<FolderWindow>> windowFolders(const AutomationTarget&, const QString&, double) override
    {
        return std::nullopt;
    }
    int permission(const QString&, bool) override { return kNotPermitted; }
};

// The applications as a Linux desktop names them: GNOME Terminal is called
// "Terminal" there.
class LinuxPane : public Pane {
protected:
    LinuxPane()
        : Pane(desk(R"({ "name": "Firefox ESR" }, { "name": "Terminal" }, { "name": "Slack" })",
                    R"({ "name": "Chromium" }, { "name": "Visual Studio Code" }, { "name": "XTerm" },
                       { "name": "Sublime Text" }, { "name": "Safari" })"))
    {
        Platform::current().automation = &unscripted;
    }
    UnscriptedDesktop unscripted;
};

} // namespace

TEST_F(LinuxPane, RowsSayWhatLinuxBringsBackAndAskNoPermission)
{
    shown();
    EXPECT_FALSE(tile("Safari")); // no Linux version
    EXPECT_TRUE(tile("GNOME Terminal"));
    EXPECT_EQ(chips(), (QStringList{"All", "Browsers", "Code", "Terminals", "Chat"}));
    // Browsers and terminals are read without consent; an editor whose
    // windows never tell their file, and a chat, bring nothing back.
    const std::vector<std::pair<const char*, bool>> expected{
        {"Firefox", true}, {"Chromium", true}, {"Visual Studio Code", true}, {"GNOME Terminal", true},
        {"XTerm", true},   {"Slack", false},   {"Sublime Text", false}};
    for (const auto& [app, marked] : expected)
        EXPECT_EQ(badge(app), marked) << app;

    pane->select("Firefox");
    QApplication::processEvents();
    EXPECT_EQ(row("Brings back"), QStringList{"Every tab in every window, and which tab was in front"});
    EXPECT_EQ(row("Permission"), QStringList{"Not needed"});
    pane->select("Sublime Text");
    QApplication::processEvents();
    EXPECT_EQ(row("Brings back").value(0),
              "Reopens Sublime Text. Its windows don't tell other apps which file they show on Linux.");
    EXPECT_EQ(row("Permission"), QStringList{"Not needed"});
}

namespace {
class LinuxPictures : public LinuxPane, public ::testing::WithParamInterface<ColorScheme> {};
} // namespace

TEST_P(LinuxPictures, ThePaneOnLinuxInEachScheme)
{
    const QString name =
        GetParam() == ColorScheme::dark ? "integrations-linux-dark.png" : "integrations-linux-light.png";
    savePicture(env, GetParam(), "Sublime Text", name);
}

INSTANTIATE_TEST_SUITE_P(Schemes, LinuxPictures, ::testing::Values(ColorScheme::light, ColorScheme::dark),
                         [](const auto& info) { return info.param == ColorScheme::dark ? "dark" : "light"; });
