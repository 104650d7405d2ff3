#include "settingsfixture.h"

#include "app/menubar/nowcontent.h"
#include "design/displaypreview.h"
#include "design/keymsg.h"
#include "design/tbutton.h"
#include "design/themedlabel.h"
#include "design/tseg.h"
#include "settings/aipane.h"
#include "settings/gapslider.h"
#include "settings/generalpane.h"
#include "settings/layoutspane.h"
#include "settings/learningpane.h"
#include "settings/messageline.h"
#include "settings/modespane.h"
#include "settings/settingswitch.h"
#include "settings/shortcutspane.h"
#include "settings/switchrow.h"
#include "settings/updatescard.h"
#include "settings/workspacespane.h"
#include "support/workspacefakes.h"
#include "windows/windowmanager.h"
#include "workspaces/savedworkspacestore.h"

#include <QMap>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(tavrin::LearnedRule)

namespace tavrin {
namespace {

using PanesTest = SettingsTest;

QMap<QString, QVariant> everything(const Defaults& defaults)
{
    QMap<QString, QVariant> all;
    for (const QString& key : defaults.keys())
        all.insert(key, *defaults.value(key));
    return all;
}

void flip(TSwitch* toggle) { QTest::mouseClick(toggle, Qt::LeftButton, {}, toggle->switchRect().center().toPoint()); }

TEST_F(PanesTest, EachSwitchReadsItsDefaultAndWritesOnlyItsKey)
{
    const QString display = QStringLiteral("autoArrange.") + Display::all().front().settingsKey();
    struct Case {
        SettingsPane pane;
        std::function<SettingSwitch*(QWidget*)> find;
        QString key;
        bool fallback;
    };
    const auto pane = [](auto get) { return [get](QWidget* w) { return get(w); }; };
    const Case cases[] = {
        {SettingsPane::layouts, pane([](QWidget* w) { return qobject_cast<LayoutsPane*>(w)->overlaySwitch(); }),
         "showSnapOverlay", true},
        {SettingsPane::layouts,
         pane([](QWidget* w) { return qobject_cast<LayoutsPane*>(w)->displayCards().front().autoArrange; }), display,
         false},
        {SettingsPane::modes, pane([](QWidget* w) { return qobject_cast<ModesPane*>(w)->meetingSwitch(); }),
         "mode.meeting", true},
        {SettingsPane::modes, pane([](QWidget* w) { return qobject_cast<ModesPane*>(w)->shareSafeSwitch(); }),
         "mode.shareSafe", true},
        {SettingsPane::modes, pane([](QWidget* w) { return qobject_cast<ModesPane*>(w)->focusSwitch(); }), "mode.focus",
         false},
        {SettingsPane::learning, pane([](QWidget* w) { return qobject_cast<LearningPane*>(w)->autoSaveSwitch(); }),
         "sessions.autoSave", true},
        {SettingsPane::shortcuts, pane([](QWidget* w) { return qobject_cast<ShortcutsPane*>(w)->letterGridSwitch(); }),
         "snap.letterGrid", false},
        {SettingsPane::ai, pane([](QWidget* w) { return qobject_cast<AIPane*>(w)->onDeviceFirstSwitch(); }),
         "tryOnDeviceFirst", false},
        {SettingsPane::ai, pane([](QWidget* w) { return qobject_cast<AIPane*>(w)->urlsSwitch(); }), "sendBrowserURLs",
         true},
        {SettingsPane::ai, pane([](QWidget* w) { return qobject_cast<AIPane*>(w)->tabTitlesSwitch(); }),
         "sendBrowserTabTitles", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        env.defaults.clear();
        window().show(c.pane);
        settle();
        SettingSwitch* toggle = c.find(window().view()->pane());
        ASSERT_TRUE(toggle);
        EXPECT_EQ(toggle->isChecked(), c.fallback);
        flip(toggle);
        const QMap<QString, QVariant> written = everything(env.defaults);
        EXPECT_EQ(written, (QMap<QString, QVariant>{{c.key, !c.fallback}}));
        EXPECT_EQ(toggle->isChecked(), !c.fallback);
        // A change made elsewhere shows.
        env.defaults.setValue(c.key, c.fallback);
        EXPECT_EQ(toggle->isChecked(), c.fallback);
    }
}

TEST_F(PanesTest, FocusRoutinesReadTheOlderKeyOnlyWhenTheirOwnIsMissing)
{
    env.defaults.setValue(QStringLiteral("mode.deepWork"), true);
    auto* modes = open<ModesPane>(SettingsPane::modes);
    EXPECT_TRUE(modes->focusSwitch()->isChecked());
    env.defaults.setValue(QStringLiteral("mode.focus"), false);
    EXPECT_FALSE(modes->focusSwitch()->isChecked());
    flip(modes->focusSwitch());
    EXPECT_EQ(env.defaults.value(QStringLiteral("mode.focus")), QVariant(true));
    EXPECT_EQ(env.defaults.value(QStringLiteral("mode.deepWork")), QVariant(true)); // left as it was
    EXPECT_TRUE(modes->routinesSlot());
}

TEST_F(PanesTest, TheModeSwitchesDriveTheRegisteredModesAndACallShows)
{
    struct Meeting : MeetingControl {
        bool call = false;
        std::optional<bool> enabled;
        bool inCall() const override { return call; }
        void setEnabled(bool on) override { enabled = on; }
    } meeting;
    const Registration registration = state->setMeeting(meeting);
    auto* modes = open<ModesPane>(SettingsPane::modes);
    EXPECT_TRUE(modes->inCallLabel()->isHidden());
    flip(modes->meetingSwitch());
    EXPECT_EQ(meeting.enabled, false);
    EXPECT_FALSE(env.defaults.contains(QStringLiteral("mode.meeting"))); // the mode stores it itself
    meeting.call = true;
    state->announceEngineChange();
    EXPECT_FALSE(modes->inCallLabel()->isHidden());
    EXPECT_EQ(modes->inCallLabel()->text(), "On this call now");
}

TEST_F(PanesTest, TheFocusSwitchDrivesTheRegisteredRoutines)
{
    struct Routines : RoutineControl {
        std::optional<bool> enabled;
        QList<RoutineEntity> routines() const override { return {}; }
        void start(std::optional<QUuid>, int) override {}
        std::optional<RoutineEntity> running() const override { return std::nullopt; }
        QStringList hiddenApps() const override { return {}; }
        void stop() override {}
        void setEnabled(bool on) override { enabled = on; }
        void setFocusFilter(std::optional<QUuid>) override {}
    } routines;
    const Registration registration = state->setRoutines(routines);
    auto* modes = open<ModesPane>(SettingsPane::modes);
    ASSERT_FALSE(modes->focusSwitch()->isChecked());
    flip(modes->focusSwitch());
    EXPECT_EQ(routines.enabled, true);
    EXPECT_FALSE(env.defaults.contains(QStringLiteral("mode.focus"))); // the engine stores it itself
}

TEST_F(PanesTest, TabTitlesWaitForBrowserAddresses)
{
    auto* ai = open<AIPane>(SettingsPane::ai);
    EXPECT_TRUE(ai->tabTitlesSwitch()->isEnabled());
    flip(ai->urlsSwitch());
    EXPECT_FALSE(ai->tabTitlesSwitch()->isEnabled());
    flip(ai->tabTitlesSwitch());
    EXPECT_FALSE(env.defaults.contains(QStringLiteral("sendBrowserTabTitles")));
    flip(ai->urlsSwitch());
    EXPECT_TRUE(ai->tabTitlesSwitch()->isEnabled());
}

TEST_F(PanesTest, LayoutsWriteEachDisplaysUsualLayoutAndTheGap)
{
    auto* layouts = open<LayoutsPane>(SettingsPane::layouts);
    ASSERT_EQ(layouts->displayCards().size(), qsizetype(Display::all().size()));
    const LayoutsPane::DisplayCard& card = layouts->displayCards().front();
    EXPECT_EQ(card.layout->selection(), name(windows.usualLayout(card.display)));
    card.layout->setSelection(QStringLiteral("columns"));
    EXPECT_EQ(env.defaults.value("layout." + card.display.settingsKey()), QVariant("columns"));
    EXPECT_EQ(card.preview->items().size(), 4);

    EXPECT_EQ(layouts->gapSlider()->value(), 8); // the default
    layouts->gapSlider()->setValue(14);
    EXPECT_EQ(env.defaults.number("gap"), 14.0);
    // A stored gap out of range shows at the end of the slider.
    env.defaults.setValue("gap", 60.0);
    window().show(SettingsPane::general);
    layouts = open<LayoutsPane>(SettingsPane::layouts);
    EXPECT_EQ(layouts->gapSlider()->value(), LayoutsPane::kMaxGap);
}

TEST_F(PanesTest, TheAutoArrangeSwitchArrangesItsDisplayAtOnce)
{
    auto* layouts = open<LayoutsPane>(SettingsPane::layouts);
    const LayoutsPane::DisplayCard& card = layouts->displayCards().front();
    EXPECT_FALSE(autoArrange.arranged(card.display.id));
    flip(card.autoArrange);
    EXPECT_TRUE(autoArrange.isEnabled(card.display));
    ASSERT_TRUE(autoArrange.arranged(card.display.id));
    EXPECT_FALSE(autoArrange.arranged(card.display.id)->empty());
    flip(card.autoArrange);
    EXPECT_FALSE(autoArrange.arranged(card.display.id));
}

TEST_F(PanesTest, DeletingAWorkspaceWritesTheListWithoutRefreshingTheIntents)
{
    for (const char* name : {"Writing", "Code review"})
        SavedWorkspaceStore::save({QString::fromLatin1(name),
                                   QString(),
                                   LayoutKind::halves,
                                   {QStringLiteral("Notes")},
                                   env.clock.nowDate(),
                                   std::nullopt,
                                   std::nullopt});
    CountingShortcutParameters parameters;
    const Registration refreshing = ShortcutParameters::install(parameters);
    auto* pane = open<WorkspacesPane>(SettingsPane::workspaces);
    QWidget* row = pane->findChild<QWidget*>("workspace.Writing");
    ASSERT_TRUE(row);
    row->findChild<TButton*>("delete")->click();
    settle();
    ASSERT_EQ(SavedWorkspaceStore::load().size(), 1);
    EXPECT_EQ(SavedWorkspaceStore::load().front().name, "Code review");
    EXPECT_EQ(parameters.updates, 0);
    EXPECT_FALSE(pane->findChild<QWidget*>("workspace.Writing"));
    EXPECT_TRUE(pane->findChild<QWidget*>("workspace.Code review"));
}

TEST_F(PanesTest, TheGeneralPaneFollowsTrustAndEdgeTilingAndOpensWhatItNames)
{
    env.desktop.setTrusted(false);
    state->poll();
    auto* general = open<GeneralPane>(SettingsPane::general);
    EXPECT_EQ(general->trustStatus()->tone(), KeyMsg::Tone::err);
    env.desktop.setTrusted(true);
    state->poll();
    EXPECT_EQ(general->trustStatus()->tone(), KeyMsg::Tone::ok);
    EXPECT_EQ(general->edgeTilingStatus()->text().startsWith("On"), state->edgeTilingOn());

    general->setUpButton()->click();
    EXPECT_EQ(firstRunOpened, 1);
    general->desktopSettingsButton()->click();
    EXPECT_EQ(env.desktop.settingsOpened(), QStringList{Workspace::kDesktopSettingsPage});
    EXPECT_TRUE(general->desktopNote()->isHidden());
    // A program that opens on another tab than the setting's (Xfce's window
    // tweaks): the status line says which tab.
    env.desktop.setSettingsTab(Workspace::kDesktopSettingsPage, "Window Manager Tweaks", "Accessibility");
    general->desktopSettingsButton()->click();
    EXPECT_EQ(general->desktopNote()->text(),
              "Window Manager Tweaks opens on another tab: the setting is on its Accessibility tab.");
    env.desktop.setHasSettings(false);
    general->desktopSettingsButton()->click();
    EXPECT_FALSE(general->desktopNote()->isHidden());
    EXPECT_EQ(general->desktopNote()->tone(), KeyMsg::Tone::plain);
}

TEST_F(PanesTest, TheLoginSwitchWritesAndRemovesTheAutostartEntry)
{
    const QString entry = folder.filePath("autostart/tavrin.desktop");
    auto* general = open<GeneralPane>(SettingsPane::general);
    EXPECT_FALSE(general->loginSwitch()->isChecked());
    flip(general->loginSwitch());
    ASSERT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(general->loginSwitch()->isChecked());
    EXPECT_TRUE(general->loginProblem()->isHidden());
    flip(general->loginSwitch());
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(general->loginSwitch()->isChecked());

    // A folder that can't be made: the switch stays off and says why.
    ASSERT_TRUE(QDir(folder.filePath("autostart")).removeRecursively());
    QFile blocker(folder.filePath("autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    flip(general->loginSwitch());
    EXPECT_FALSE(general->loginSwitch()->isChecked());
    EXPECT_FALSE(general->loginProblem()->isHidden());
    EXPECT_EQ(general->loginProblem()->tone(), KeyMsg::Tone::err);
}

TEST_F(PanesTest, TheUpdatesCardChecksWhenItCanAndBindsTheUpdatersSwitches)
{
    auto* card = open<GeneralPane>(SettingsPane::general)->findChild<UpdatesCard*>();
    ASSERT_TRUE(card);
    EXPECT_EQ(card->versionLabel()->text(), Updater::versionString());
    EXPECT_FALSE(card->checkButton()->isEnabled());
    updater->start();
    env.clock.advance(0);
    EXPECT_TRUE(card->checkButton()->isEnabled());

    flip(card->automaticChecks());
    EXPECT_TRUE(updater->controller()->automaticallyChecksForUpdates());
    EXPECT_EQ(env.defaults.value(UpdateController::kAutomaticChecksKey), QVariant(true));
    flip(card->automaticDownloads());
    EXPECT_TRUE(updater->controller()->automaticallyDownloadsUpdates());
    updater->controller()->setAutomaticallyDownloadsUpdates(false);
    EXPECT_FALSE(card->automaticDownloads()->isChecked());
}

TEST_F(PanesTest, TheEngineAndModelAreStoredByName)
{
    auto* ai = open<AIPane>(SettingsPane::ai);
    EXPECT_EQ(ai->engineChoice()->selection(), "off");
    const QStringList engines = {"onDevice", "tavrinAI", "claude", "off"};
    for (const QString& engine : engines) {
        ai->engineChoice()->setSelection(engine);
        EXPECT_EQ(env.defaults.value("aiEngine"), QVariant(engine));
        EXPECT_FALSE(ai->engineNote()->text().isEmpty());
    }
    auto* model = ai->findChild<TSeg*>("claudeModel");
    ASSERT_TRUE(model);
    EXPECT_EQ(model->selection(), "haiku");
    model->setSelection(QStringLiteral("sonnet"));
    EXPECT_EQ(env.defaults.value("claudeModel"), QVariant("sonnet"));
}

TEST_F(PanesTest, LearningShowsWhatItIsGivenAndAsksForEachChange)
{
    LearningPane pane;
    auto* learning = &pane;
    EXPECT_TRUE(learning->forgetEverythingButton()->isHidden());
    EXPECT_EQ(learning->moveResult()->isHidden(), true);

    const LearnedRule open{"Safari", "right", "on the right", 7, 9, LearnedRule::State::open, {}};
    const LearnedRule kept{"Code", "main", "in the main spot", 5, 5, LearnedRule::State::kept, {}};
    learning->setRules({open, kept});
    learning->setMoves(14);
    QSignalSpy keep(learning, &LearningPane::keepRequested);
    QSignalSpy forget(learning, &LearningPane::forgetRequested);
    QSignalSpy undo(learning, &LearningPane::undoRequested);
    learning->findChild<QWidget*>("rule.Safari")->findChild<TButton*>("keep")->click();
    learning->findChild<QWidget*>("rule.Safari")->findChild<TButton*>("forget")->click();
    EXPECT_FALSE(learning->findChild<QWidget*>("rule.Code")->findChild<TButton*>("keep"));
    learning->findChild<QWidget*>("rule.Code")->findChild<TButton*>("undo")->click();
    ASSERT_EQ(keep.count(), 1);
    EXPECT_EQ(keep.at(0).at(0).value<LearnedRule>(), open);
    EXPECT_EQ(forget.count(), 1);
    ASSERT_EQ(undo.count(), 1);
    EXPECT_EQ(undo.at(0).at(0).value<LearnedRule>(), kept);
    EXPECT_EQ(LearningPane::ruleText(open), "Safari goes on the right, 7 of 9 times.");

    // Forgetting everything asks first.
    QSignalSpy all(learning, &LearningPane::forgetEverythingRequested);
    learning->forgetEverythingButton()->click();
    settle();
    EXPECT_EQ(all.count(), 0);
    learning->findChild<TButton*>("confirmForget")->click();
    EXPECT_EQ(all.count(), 1);

    learning->showImportFailed();
    EXPECT_EQ(learning->moveResult()->text(), "That file isn't a Tavrin export.");
    EXPECT_EQ(learning->moveResult()->tone(), KeyMsg::Tone::err);
}

} // namespace
} // namespace tavrin

namespace tavrin {
namespace {

TEST_F(PanesTest, TheLearningPaneShowsWhatWasLearntAndChangesIt)
{
    const Display wide = Display::all().front();
    for (int i = 0; i < 4; ++i)
        learning.record("Safari", wide, {0.6, 0, 0.4, 1}, false);
    QVariantMap days;
    for (int d = 1; d <= 4; ++d)
        days.insert(QStringLiteral("2026-12-0%1").arg(d), qint64(9 * 60));
    env.defaults.setValue(Habits::kOpensKey, QVariantMap{{"Calendar", days}});

    auto* pane = open<LearningPane>(SettingsPane::learning);
    ASSERT_EQ(pane->rules().size(), 1);
    EXPECT_EQ(pane->rules().front(),
              (LearnedRule{"Safari", "Right", "on the right", 4, 4, LearnedRule::State::open, wide.settingsKey()}));
    const auto labels = pane->findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(),
                            [](QLabel* l) { return l->text() == "Calendar, around " + NowContent::minuteText(540); }));

    auto press = [&](const char* button) {
        settle();
        TButton* b = pane->findChild<QWidget*>("rule.Safari")->findChild<TButton*>(button);
        ASSERT_TRUE(b) << button;
        b->click();
    };
    press("keep");
    EXPECT_TRUE(learning.rules().front().kept);
    EXPECT_EQ(pane->rules().front().state, LearnedRule::State::kept);
    press("undo");
    EXPECT_FALSE(learning.rules().front().kept);
    press("forget");
    EXPECT_TRUE(learning.rules().front().forgotten);
    EXPECT_EQ(pane->rules().front().state, LearnedRule::State::forgotten);
    press("undo");
    EXPECT_EQ(pane->rules().front().state, LearnedRule::State::open);

    settle();
    pane->forgetEverythingButton()->click();
    settle();
    pane->findChild<TButton*>("confirmForget")->click();
    EXPECT_FALSE(env.defaults.contains(Learning::kCountsKey));
    EXPECT_FALSE(env.defaults.contains(Habits::kOpensKey));
    EXPECT_TRUE(pane->rules().isEmpty());
}

} // namespace
} // namespace tavrin
