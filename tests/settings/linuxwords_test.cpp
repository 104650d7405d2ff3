// The windows a new user meets first say what a Linux desktop has: no Mac,
// no settings program of a Mac, no key symbols of a Mac keyboard. Pictures of
// them, in both colour schemes, go to artifacts/linuxwords/.
#include "settingsfixture.h"
#include "support/artifacts.h"
#include "support/drawntext.h"

#include "app/intents/intentclient.h"
#include "app/menubar/nowview.h"
#include "app/onboarding/onboardingview.h"
#include "design/floatingpanel.h"
#include "design/kbd.h"
#include "focus/views/macfocuseditor.h"
#include "modes/sharesafe.h"
#include "platform/hotkeys.h"
#include "platform/linuxwords.h"
#include "platform/sim/simappearance.h"
#include "settings/integrationspane.h"
#include "settings/recorderbutton.h"
#include "settings/settingsview.h"
#include "settings/shortcutspane.h"
#include "snapping/snaphudcontroller.h"
#include "windows/hotkeycenter.h"
#include "windows/shortcutstore.h"

#include "commandbar/commandbarmodel.h"
#include "modes/privacypane.h"
#include "modes/promptview.h"
#include "windows/windowmanager.h"

#include <QDir>
#include <QLabel>
#include <QRegularExpression>

namespace tavrin {
namespace {

// What no text shown here says but through the table: blur, where veils are
// opaque (the table says it where a compositor blurs), a permission this
// desktop never asks for, a Mac's points. The first one `text` says.
QString unsaidWordIn(const QString& text)
{
    static const QList<QRegularExpression> words{
        QRegularExpression(QStringLiteral("blur"), QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("Accessibility")), QRegularExpression(QStringLiteral("\\d ?pt\\b")),
        QRegularExpression(QStringLiteral("\\bpoints\\b"))};
    for (const QRegularExpression& word : words)
        if (const auto match = word.match(text); match.hasMatch())
            return match.captured();
    return {};
}

TEST(LinuxWordsTable, EverySubstitutionReplacesAMacWordWithLinuxOnes)
{
    for (const LinuxWords::Substitution& row : LinuxWords::table()) {
        SCOPED_TRACE(row.mac.toStdString());
        EXPECT_FALSE(row.where.isEmpty());
        EXPECT_NE(row.said, row.mac);
        EXPECT_EQ(LinuxWords::macWordIn(row.said), QString());
        EXPECT_EQ(unsaidWordIn(row.said), QString());
    }
    // "Mac" counts as a word; the stored key's spelling shows nowhere.
    EXPECT_EQ(LinuxWords::macWordIn(QStringLiteral("when your Mac sleeps")), "Mac");
    EXPECT_EQ(LinuxWords::macWordIn(QStringLiteral("Machines and macFocus")), QString());
    EXPECT_EQ(LinuxWords::macWordIn(QStringLiteral("Open System Settings")), "System Settings");
}

TEST(LinuxWordsTable, KeysAreNamedAsALinuxKeyboardNamesThem)
{
    using namespace modifier;
    EXPECT_EQ(LinuxWords::modifierNames(command | shift | option | control),
              (QStringList{"Ctrl", "Alt", "Shift", "Super"}));
    EXPECT_EQ(LinuxWords::modifierNames(0), QStringList());
    EXPECT_EQ(LinuxWords::commandInWindow(), "Ctrl");
    EXPECT_EQ(LinuxWords::runningText({"Ctrl", "Alt", "←"}), "Ctrl+Alt+←");
}

// A Mac's programs in a list give way to the Linux programs that do the
// same; names a Linux desktop has stay, in their places.
TEST(LinuxWordsTable, MacProgramsInAListAreTheLinuxProgramsThatDoTheSame)
{
    EXPECT_EQ(LinuxWords::programs({"Signal", "Mail", "1Password 7", "Banking", "Notes"}, LinuxWords::kPrivateApps),
              (QStringList{"Signal", "Thunderbird", "Evolution", "Geary", "KMail", "GnuCash", "KMyMoney", "HomeBank",
                           "Skrooge", "Notes"}));
    // Only in the list the row is for.
    EXPECT_EQ(LinuxWords::programs({"Mail", "Bear"}, LinuxWords::kNotesApps), (QStringList{"Mail", "Joplin"}));
    for (const QString& name : ShareSafe::defaultPrivateApps())
        EXPECT_EQ(LinuxWords::of(name), name);
    // A list stored by an earlier version still holds the Mac's names: they
    // were built in, and still count so.
    for (const char* earlier : {"Messages", "Mail", "Passwords", "1Password 7", "Keychain Access", "Banking"}) {
        EXPECT_FALSE(ShareSafe::defaultPrivateApps().contains(earlier)) << earlier;
        EXPECT_TRUE(ShareSafe::isBuiltIn(earlier)) << earlier;
    }
}

class LinuxWordsPromises : public SettingsTest {};

class LinuxWordsWindows : public SettingsTest, public ::testing::WithParamInterface<ColorScheme> {
protected:
    void SetUp() override { env.desktop.appearance().setColorScheme(GetParam()); }

    // Fails for every text of `widget` that names a Mac thing; writes its
    // picture. All its texts, one line.
    QString check(QWidget& widget, const QString& name)
    {
        settle();
        const QStringList texts = DrawnText::of(widget);
        for (const QString& text : texts) {
            EXPECT_EQ(LinuxWords::macWordIn(text), QString()) << name.toStdString() << ": " << text.toStdString();
            EXPECT_EQ(unsaidWordIn(text), QString()) << name.toStdString() << ": " << text.toStdString();
        }
        const QString scheme = GetParam() == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light");
        const QString file = name + QLatin1Char('-') + scheme + QStringLiteral(".png");
        EXPECT_TRUE(widget.grab().save(QDir(Artifacts::folder(QStringLiteral("linuxwords"))).filePath(file)));
        return texts.join(QLatin1Char(' '));
    }
    // Every key cap inside `widget` is as wide as its caps.
    static void capsFit(QWidget& widget)
    {
        for (const Kbd* kbd : widget.findChildren<Kbd*>())
            EXPECT_GE(kbd->width(), std::ceil(Kbd::size(kbd->keys(), kbd->taken()).width()))
                << kbd->text().toStdString();
        for (const RecorderButton* b : widget.findChildren<RecorderButton*>())
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->combo().toStdString();
    }
};

TEST_P(LinuxWordsWindows, NoWindowAUserMeetsFirstNamesAMacThing)
{
    env.desktop.setTrusted(false);
    OnboardingView firstRun(*state, [] {});
    firstRun.show();
    const QString firstRunTexts = check(firstRun, QStringLiteral("first-run"));
    EXPECT_TRUE(firstRunTexts.contains("Turn off the desktop's edge tiling")) << firstRunTexts.toStdString();
    EXPECT_TRUE(firstRunTexts.contains("Tavrin never records your screen."));

    // The menu-bar window with a key that takes all four modifiers.
    env.desktop.setTrusted(true);
    const ShortcutAction halves = ShortcutAction::layout(LayoutKind::halves);
    shortcutStore.set(
        KeyCombo{19, modifier::control | modifier::option | modifier::shift | modifier::command, QStringLiteral("2")},
        halves);
    NowView menuBar(MenuBarServices{*state, windows, shortcutStore, *updater, active, Platform::current().defaults,
                                    Platform::current().clock});
    menuBar.show();
    EXPECT_TRUE(check(menuBar, QStringLiteral("menu-bar")).contains("Super"));
    capsFit(menuBar);

    for (const bool letters : {false, true}) {
        env.defaults.setValue(SnapHUDController::kLettersKey, letters);
        SnapHUDController hud(windows, shortcutStore, Platform::current());
        hud.show();
        env.clock.advance(1); // the overlay has faded in
        auto* panel = dynamic_cast<FloatingPanel*>(hud.panel());
        ASSERT_TRUE(panel);
        check(*panel->window(), letters ? QStringLiteral("snap-grid") : QStringLiteral("snap-pad"));
    }

    auto* shortcuts = open<ShortcutsPane>(SettingsPane::shortcuts);
    ASSERT_TRUE(shortcuts);
    check(*window().view(), QStringLiteral("shortcuts"));
    capsFit(*shortcuts);
    auto* integrations = open<IntegrationsPane>(SettingsPane::integrations);
    ASSERT_TRUE(integrations);
    for (const QString& app : {QStringLiteral("Slack"), QStringLiteral("Safari")}) {
        integrations->select(app);
        check(*window().view(), QStringLiteral("integrations-") + app.toLower());
    }
    window().show(SettingsPane::privacy);
    check(*window().view(), QStringLiteral("privacy"));
}

// Every pane and the hide prompt, where no compositor blurs: the privacy
// pane with its hide card in sight and an application hidden by hand, whose
// line fits its card; the windows where moving windows is refused (only the
// simulated desktop refuses).
TEST_P(LinuxWordsWindows, NoTextSaysBlurAPermissionOrPoints)
{
    shareSafe.setPrivateApps({QStringLiteral("Signal")});
    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    shareSafe.hideFrontApp();
    ASSERT_TRUE(prompt.view());
    EXPECT_TRUE(check(*prompt.view(), QStringLiteral("hide-prompt"))
                    .contains("Slack is hidden. Hide it whenever you share your screen?"));
    for (const SettingsPane pane : kAllSettingsPanes) {
        window().show(pane);
        check(*window().view(), QStringLiteral("pane-") + settingsPaneName(pane));
    }
    window().show(SettingsPane::privacy);
    settle();
    auto* privacy = window().view()->findChild<PrivacyPane*>();
    ASSERT_TRUE(privacy);
    const auto* hidden = privacy->findChild<QLabel*>(QStringLiteral("blurredNow"));
    ASSERT_TRUE(hidden);
    EXPECT_EQ(privacy->blurredNowShown(), "Hidden now: Slack");
    // Long enough to take lines of its own, the line still fits its card.
    for (const char* app : {"Microsoft Teams", "Visual Studio Code", "Calculator", "Terminal", "Messages"}) {
        env.desktop.setFrontmost(env.pid(QString::fromUtf8(app)));
        shareSafe.hideFrontApp();
        prompt.hide(false);
    }
    settle();
    window().view()->grab().save(
        QDir(Artifacts::folder(QStringLiteral("linuxwords"))).filePath(QStringLiteral("pane-privacy-hidden-now.png")));
    EXPECT_TRUE(privacy->blurredNowShown().endsWith("Terminal, Visual Studio Code"));
    const QWidget* card = hidden->parentWidget();
    EXPECT_GE(hidden->height(), hidden->heightForWidth(hidden->width()));
    EXPECT_TRUE(card->rect().contains(hidden->geometry())) << card->height() << " " << hidden->geometry().bottom();
    shareSafe.setPrivateApps({});
    settle();
    EXPECT_TRUE(check(*window().view(), QStringLiteral("pane-privacy-empty"))
                    .contains("No private apps. Share-safe won't hide anything when you share."));

    env.desktop.setTrusted(false);
    state->poll();
    OnboardingView firstRun(*state, [] {});
    firstRun.show();
    check(firstRun, QStringLiteral("first-run-refused"));
    NowView menuBar(MenuBarServices{*state, windows, shortcutStore, *updater, active, Platform::current().defaults,
                                    Platform::current().clock});
    menuBar.show();
    EXPECT_TRUE(check(menuBar, QStringLiteral("menu-bar-refused")).contains("Tavrin isn't allowed to move windows"));
    for (const QString& message : {WindowManager::kNeedsTrustMessage, CommandBarModel::kNeedsTrustMessage})
        EXPECT_EQ(message, "Tavrin isn't allowed to move windows on this desktop.");
}

// What the texts promise happens on this desktop: veils that hide where no
// compositor blurs, the keyring programs there are, a step 1 with nothing to
// allow, Do Not Disturb as the user's own script, no error numbers of
// another system in the log, no voice-assistant phrases.
TEST_F(LinuxWordsPromises, NoTextPromisesWhatThisDesktopDoesNotDo)
{
    const QStringList promises{"blur", "Keychain Access", "status -", "Allow Accessibility", "every other app"};
    const auto shown = [&](QWidget& widget) {
        settle();
        return DrawnText::of(widget).join(QLatin1Char('\n'));
    };
    const auto promised = [&](const QString& texts, const QStringList& words) {
        QStringList found;
        for (const QString& word : words)
            if (texts.contains(word, Qt::CaseInsensitive))
                found << word;
        return found;
    };

    env.desktop.setTrusted(false);
    OnboardingView firstRun(*state, [] {});
    firstRun.show();
    QString texts = shown(firstRun);
    for (const SettingsPane pane : {SettingsPane::modes, SettingsPane::shortcuts, SettingsPane::privacy}) {
        window().show(pane);
        texts += shown(*window().view());
    }
    MacFocusEditor doNotDisturb(Platform::current(), {[] { return std::optional<QString>(); }, {}},
                                {[] { return std::optional<QString>(); }, {}}, [] { return QStringList(); });
    doNotDisturb.show();
    texts += shown(doNotDisturb);
    texts += ShareSafe::defaultPrivateApps().join(QLatin1Char('\n'));
    const KeyCombo left{123, modifier::control | modifier::option, QStringLiteral("←")};
    texts += HotKeyCenter::refusalLine(left, HotKeys::kStatusKeyInUse);
    texts += IntentClient::help();
    EXPECT_EQ(promised(texts, promises), QStringList()) << texts.toStdString();
    EXPECT_TRUE(texts.contains("hides while you share your screen"));
    EXPECT_TRUE(texts.contains("Hide the app in front"));

    // Where a compositor blurs, the texts say so.
    env.desktop.appearance().setBlurAvailable(true);
    window().show(SettingsPane::modes);
    window().show(SettingsPane::privacy);
    EXPECT_EQ(promised(shown(*window().view()), {"blur"}), QStringList{"blur"});
}

// Where a compositor blurs, blur is said as the table has it, and only so.
TEST_F(LinuxWordsPromises, BlurIsSaidOnlyAsTheTableHasIt)
{
    env.desktop.appearance().setBlurAvailable(true);
    shareSafe.setPrivateApps({QStringLiteral("Signal")});
    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    shareSafe.hideFrontApp();
    ASSERT_TRUE(prompt.view());
    settle();
    QStringList texts = DrawnText::of(*prompt.view());
    for (const SettingsPane pane : {SettingsPane::modes, SettingsPane::shortcuts, SettingsPane::privacy}) {
        window().show(pane);
        settle();
        texts += DrawnText::of(*window().view());
    }
    QStringList blurTexts;
    for (const QString& text : texts) {
        if (unsaidWordIn(text).isEmpty())
            continue;
        blurTexts << text;
        const bool tabled = std::any_of(LinuxWords::table().cbegin(), LinuxWords::table().cend(), [&](const auto& row) {
            // A text drawn on lines of its own comes line by line.
            return !unsaidWordIn(row.mac).isEmpty() && (text.contains(row.mac) || row.mac.contains(text));
        });
        EXPECT_TRUE(tabled) << text.toStdString();
    }
    EXPECT_TRUE(blurTexts.contains("Slack is blurred. Blur it whenever you share your screen?"))
        << blurTexts.join('\n').toStdString();
    EXPECT_TRUE(blurTexts.contains("Blurred now: Slack")) << blurTexts.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Schemes, LinuxWordsWindows, ::testing::Values(ColorScheme::light, ColorScheme::dark),
                         [](const auto& info) { return info.param == ColorScheme::dark ? "dark" : "light"; });

} // namespace
} // namespace tavrin
