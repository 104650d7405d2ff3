// Pictures of every pane of the Settings window, in both colour schemes,
// written to artifacts/settings/ for a person to look at and checked for
// cut text, widgets on top of each other and blank space left to scroll to
// at the usual width and a wide one. Each picture is the whole pane (the
// window made as tall as the pane) at twice its size.
#include "settingsfixture.h"
#include "support/artifacts.h"
#include "support/layoutcheck.h"

#include "design/keymsg.h"
#include "design/tfield.h"
#include "platform/sim/simappearance.h"
#include "settings/aipane.h"
#include "settings/claudekeycard.h"
#include "settings/learningpane.h"
#include "settings/settingsview.h"
#include "settings/shortcutrecorder.h"
#include "settings/shortcutspane.h"
#include "windows/shortcutstore.h"
#include "workspaces/savedworkspacestore.h"

#include <QDir>
#include <QFileInfo>
#include <QScrollArea>

namespace tavrin {
namespace {

class Screenshots : public SettingsTest, public ::testing::WithParamInterface<ColorScheme> {
protected:
    void SetUp() override
    {
        env.desktop.appearance().setColorScheme(GetParam());
        SavedWorkspace review{QStringLiteral("Code review"),
                              QStringLiteral("review the pull request"),
                              LayoutKind::studio,
                              {QStringLiteral("Code"), QStringLiteral("Safari"), QStringLiteral("Terminal")},
                              env.clock.nowDate().addSecs(-3600),
                              std::nullopt,
                              std::nullopt};
        SavedWorkspace session{QStringLiteral("Session, Tuesday morning"),
                               QString(),
                               LayoutKind::halves,
                               {QStringLiteral("Mail"), QStringLiteral("Calendar")},
                               env.clock.nowDate().addDays(-1),
                               std::nullopt,
                               true};
        SavedWorkspaceStore::save(session);
        SavedWorkspaceStore::save(review);
        const QUuid first = log.record(QStringLiteral("Claude · your key"), QStringLiteral("set up for code review"),
                                       QStringLiteral("api.anthropic.com/v1/messages"),
                                       QStringLiteral("{\"request\": \"set up for code review\", …}"), 1843);
        log.setOutcome(first, RequestLog::Outcome::ok());
        const QUuid second = log.record(QStringLiteral("Tavrin AI"), QStringLiteral("writing time"),
                                        QStringLiteral("tavrin.app/v1/plan"), QStringLiteral("{…}"), 912);
        log.setOutcome(second, RequestLog::Outcome::failed(QStringLiteral("Tavrin AI couldn't be reached.")));
    }

    bool save(const QString& name)
    {
        SettingsView* view = window().view();
        env.clock.advance(1); // switches and fades come to rest
        settle();
        // At the usual width and a wide one the pane scrolls as far as its content goes and no further.
        for (const QSize size : {SettingsView::kSize, QSize(1280, SettingsView::kSize.height())}) {
            view->resize(size);
            settle();
            LayoutCheck::expectTidy(view, QStringLiteral("%1 at %2 wide").arg(name).arg(size.width()));
        }
        QWidget* pane = view->pane();
        const int whole = pane->hasHeightForWidth() ? pane->heightForWidth(SettingsView::kSize.width() - 184)
                                                    : pane->sizeHint().height();
        view->resize(SettingsView::kSize.width(), std::max(SettingsView::kSize.height(), whole + 4));
        settle();
        const QString scheme = GetParam() == ColorScheme::dark ? QStringLiteral("dark") : QStringLiteral("light");
        LayoutCheck::expectTidy(view, name + QLatin1Char('-') + scheme);
        return view->grab().toImage().save(
            QDir(Artifacts::folder(QStringLiteral("settings"))).filePath(name + QLatin1Char('-') + scheme + ".png"));
    }
};

TEST_P(Screenshots, EveryPane)
{
    env.keychain.setItem(KeychainStore::kService, KeychainStore::kClaudeKeyAccount, "sk-ant-test");
    shortcutStore.setUnavailable({QStringLiteral("hideApp")});
    for (SettingsPane pane : kAllSettingsPanes) {
        window().show(pane);
        if (pane == SettingsPane::learning) {
            auto* learning = qobject_cast<LearningPane*>(window().view()->pane());
            ASSERT_TRUE(learning);
            learning->setMoves(42);
            learning->setRules({{QStringLiteral("Safari"),
                                 QStringLiteral("right"),
                                 QStringLiteral("on the right"),
                                 7,
                                 9,
                                 LearnedRule::State::open,
                                 {}},
                                {QStringLiteral("Code"),
                                 QStringLiteral("main"),
                                 QStringLiteral("in the main spot, centre"),
                                 12,
                                 13,
                                 LearnedRule::State::kept,
                                 {}}});
            learning->setHabits({{QStringLiteral("Mail"), 9 * 60}, {QStringLiteral("Calendar"), 8 * 60 + 45}});
        }
        EXPECT_TRUE(save(QString::number(int(pane) + 1) + QLatin1Char('-') + settingsPaneName(pane)));
    }
    // The shortcuts pane while a key is refused.
    auto* shortcuts = open<ShortcutsPane>(SettingsPane::shortcuts);
    ASSERT_TRUE(shortcuts);
    shortcuts->recorder().start(ShortcutAction::of(ShortcutAction::Kind::fill), window().view());
    shortcuts->recorder().press(Qt::Key_1, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(save(QStringLiteral("6b-shortcuts-refused")));
    // The learning pane with nothing learned yet.
    open<LearningPane>(SettingsPane::learning);
    EXPECT_TRUE(save(QStringLiteral("5b-learning-empty")));
}

// The AI pane in each state of the Claude key: none (a key being typed),
// saved, a locked keyring, no keyring at all.
TEST_P(Screenshots, TheAIPaneInEachKeyState)
{
    const struct {
        const char* name;
        std::optional<KeychainStatus> failure;
        QByteArray stored;
    } states[] = {{"none", std::nullopt, {}},
                  {"saved", std::nullopt, "sk-ant-test"},
                  {"locked", KeychainStatus::locked, "sk-ant-test"},
                  {"no-keyring", KeychainStatus::noService, {}},
                  {"no-collection", KeychainStatus::noCollection, {}}};
    for (const auto& state : states) {
        if (!state.stored.isEmpty())
            env.keychain.setItem(KeychainStore::kService, KeychainStore::kClaudeKeyAccount, state.stored);
        if (state.failure)
            env.keychain.setFailure({}, *state.failure);
        else
            env.keychain.clearFailure();
        env.defaults.setValue(QStringLiteral("aiEngine"), QStringLiteral("claude"));
        if (window().view())
            window().view()->hide(); // the pane is made afresh
        auto* pane = open<AIPane>(SettingsPane::ai);
        ASSERT_TRUE(pane);
        if (state.stored.isEmpty())
            pane->keyCard()->field()->setText(QStringLiteral("sk-ant-api03-typed"));
        settle();
        EXPECT_TRUE(save(QStringLiteral("7b-ai-key-") + QLatin1String(state.name)));
        // The key field is drawn in the field style of the scheme: dark in
        // the dark scheme, its dots light on it.
        const QImage field = pane->keyCard()->field()->grab().toImage();
        const QColor inside = field.pixelColor(field.width() - 6, field.height() / 2);
        EXPECT_EQ(inside.lightness() < 128, GetParam() == ColorScheme::dark) << state.name;
    }
}

// Tavrin AI chosen: offered as unavailable, with the reason, as the
// on-device planner is without a model server.
TEST_P(Screenshots, TheAIPaneWithTavrinAIUnavailable)
{
    env.defaults.setValue(QStringLiteral("aiEngine"), QStringLiteral("tavrinAI"));
    auto* pane = open<AIPane>(SettingsPane::ai);
    ASSERT_TRUE(pane);
    settle();
    EXPECT_EQ(pane->engineNote()->text(), "Tavrin AI isn't available, so the command bar can't plan with it. "
                                          "Its planning service and accounts are not part of this version of Tavrin: "
                                          "use your Claude key or a model on this computer.");
    EXPECT_TRUE(save(QStringLiteral("7c-ai-tavrin-unavailable")));
}

INSTANTIATE_TEST_SUITE_P(Schemes, Screenshots, ::testing::Values(ColorScheme::light, ColorScheme::dark),
                         [](const auto& info) { return info.param == ColorScheme::dark ? "dark" : "light"; });

} // namespace
} // namespace tavrin
