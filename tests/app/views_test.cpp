#include "shellfixture.h"
#include "support/artifacts.h"
#include "support/layoutcheck.h"

#include "app/menubar/menubarextra.h"
#include "app/menubar/nowview.h"
#include "app/onboarding/onboardingview.h"
#include "app/onboarding/onboardingwindow.h"
#include "app/onboarding/steprow.h"
#include "app/updates/updatecontroller.h"
#include "app/updates/updatewindow.h"
#include "design/displaypreview.h"
#include "design/elidedlabel.h"
#include "design/kbd.h"
#include "design/tbutton.h"
#include "design/themedlabel.h"
#include "design/tswitch.h"
#include "platform/linux/plistdefaults.h"
#include "platform/sim/simappearance.h"
#include "platform/sim/simdesktopwindow.h"
#include "platform/workspace.h"
#include "snapping/arrowkey.h"
#include "snapping/arrowpadview.h"
#include "snapping/snaphudview.h"
#include "windows/hotkeycenter.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/savedworkspacestore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

namespace tavrin {
namespace {

// Views on the simulated desktop, in the scheme of a simulated appearance.
// `shoot` writes PNGs to artifacts/menubar/ under the source tree, or to the
// folder TAVRIN_SCREENSHOTS names.
class ViewsTest : public ShellTest {
protected:
    ViewsTest()
    {
        previousAppearance = Platform::current().appearance;
        Platform::current().appearance = &appearance;
    }
    ~ViewsTest() override { Platform::current().appearance = previousAppearance; }

    void settle() { QCoreApplication::processEvents(); }
    QString textOf(QWidget& root, const QString& name)
    {
        if (auto* label = root.findChild<QLabel*>(name))
            return label->text();
        if (auto* line = root.findChild<ElidedLabel*>(name))
            return line->text();
        return QStringLiteral("<none>");
    }
    void shoot(QWidget& widget, const QString& name)
    {
        QString dir = qEnvironmentVariable("TAVRIN_SCREENSHOTS");
        if (dir.isEmpty())
            dir = Artifacts::folder(QStringLiteral("menubar"));
        QDir().mkpath(dir);
        settle();
        LayoutCheck(name)
            .allowSpread(QStringLiteral("tavrin::AppTile"), "a saved workspace's app tiles overlap, each on its ring")
            .expectTidy(&widget);
        const QPixmap shot = widget.grab();
        EXPECT_TRUE(shot.save(QDir(dir).filePath(name + QStringLiteral(".png"))))
            << name.toStdString() << " " << shot.width() << "x" << shot.height();
    }
    void save(const QString& name, const QStringList& apps)
    {
        SavedWorkspace w;
        w.name = name;
        w.apps = apps;
        w.savedAt = env.clock.nowDate();
        SavedWorkspaceStore::save(w);
    }

    SimAppearance appearance;
    Appearance* previousAppearance = nullptr;
    std::unique_ptr<AppState> state = makeState();
};

// ---- The menu-bar window ----

TEST_F(ViewsTest, TheMenuBarWindowShowsTheFocusedDisplayAndItsWindows)
{
    save(QStringLiteral("Launch"), {"Visual Studio Code", "Safari", "Terminal"});
    NowView view(menuBar(*state));
    view.show();
    settle();
    EXPECT_EQ(textOf(view, QStringLiteral("displayTitle")), "UltraWide 34");
    const auto count = view.content().snapshot().size();
    EXPECT_EQ(textOf(view, QStringLiteral("displaySubtitle")), QStringLiteral("%1 windows").arg(count));
    auto* preview = view.part<DisplayPreview>(QStringLiteral("preview"));
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->items().size(), qsizetype(count));
    EXPECT_EQ(preview->width(), 302);
    EXPECT_EQ(preview->height(), int(std::round(view.content().previewHeight())));
    EXPECT_FALSE(view.part(QStringLiteral("permissionBanner")));
    EXPECT_FALSE(view.part(QStringLiteral("previewOverlay")));
    EXPECT_EQ(textOf(view, QStringLiteral("savedName1")), "Launch");
    EXPECT_FALSE(view.part(QStringLiteral("savedEmpty")));
    EXPECT_EQ(textOf(view, QStringLiteral("captionName")), "Focus centre");
    EXPECT_EQ(view.width(), 330);
    shoot(view, QStringLiteral("menubar-window-dark"));
    appearance.setColorScheme(ColorScheme::light);
    settle();
    shoot(view, QStringLiteral("menubar-window-light"));
}

TEST_F(ViewsTest, WithoutTrustTheBannerComesFirstAndLayoutsAreOff)
{
    env.desktop.setTrusted(false);
    state = makeState();
    NowView view(menuBar(*state));
    view.show();
    settle();
    ASSERT_TRUE(view.part(QStringLiteral("permissionBanner")));
    EXPECT_EQ(textOf(view, QStringLiteral("displaySubtitle")), "3440 × 1440");
    EXPECT_EQ(textOf(view, QStringLiteral("previewOverlay")), "Set up Tavrin to see your windows");
    auto* halves = view.part<QAbstractButton>(QStringLiteral("layout.halves"));
    ASSERT_TRUE(halves);
    EXPECT_FALSE(halves->isEnabled());
    EXPECT_EQ(halves->toolTip(), "Halves · Ctrl+Alt+2");
    EXPECT_TRUE(view.part<QWidget>(QStringLiteral("ask"))->isEnabled());
    EXPECT_EQ(textOf(view, QStringLiteral("savedEmpty")), NowContent::emptySavedText());
    shoot(view, QStringLiteral("menubar-window-untrusted"));
}

TEST_F(ViewsTest, LongNamesEndInAnEllipsisAndNoSectionIsSqueezed)
{
    env.desktop.setTrusted(false); // the banner's wrapped text makes the window tallest
    env.desktop.setDisplays(
        {SimDisplay{QStringLiteral("Studio Display of the third floor meeting room, left"), Rect{0, 0, 3440, 1440}}});
    const QString longName = QStringLiteral("Quarterly planning with the whole design team");
    save(longName, {"Figma", "Slack", "Safari", "Notes"});
    state = makeState();
    FakeSuggestions suggestions;
    const Registration suggesting = state->setSuggestions(suggestions);
    suggestions.onPlacement = [&]() -> std::optional<SuggestionSource::Placement> {
        return SuggestionSource::Placement{QStringLiteral("Terminal"),
                                           QStringLiteral("Edge strip"),
                                           5,
                                           6,
                                           QStringLiteral("in the edge strip"),
                                           [] {},
                                           [] {}};
    };
    NowView view(menuBar(*state));
    view.show();
    settle();

    // Cut with an ellipsis, never mid-letter at the window's edge.
    for (const QString& id : {QStringLiteral("displayTitle"), QStringLiteral("savedName1")}) {
        auto* line = view.findChild<ElidedLabel*>(id);
        ASSERT_TRUE(line) << id.toStdString();
        EXPECT_TRUE(line->shownText().endsWith(QChar(0x2026))) << line->shownText().toStdString();
        EXPECT_LE(line->mapTo(&view, QPoint(line->width(), 0)).x(), view.width() - 14) << id.toStdString();
    }
    EXPECT_EQ(view.findChild<ElidedLabel*>(QStringLiteral("savedName1"))->text(), longName);

    // Every section gets the height it asks for, the banner's wrapped text
    // included: the preview ends above the layout buttons.
    auto* preview = view.part(QStringLiteral("preview"));
    auto* halves = view.part(QStringLiteral("layout.halves"));
    EXPECT_LE(preview->mapTo(&view, QPoint(0, preview->height())).y(), halves->mapTo(&view, QPoint(0, 0)).y());
    EXPECT_EQ(view.height(), view.layout()->totalHeightForWidth(view.width()));

    // The footer's links sit 9 points below its rule, as from the bottom.
    auto* rule = view.part(QStringLiteral("footerRule"));
    auto* quit = view.part(QStringLiteral("quit"));
    ASSERT_TRUE(rule && quit);
    const int ruleBottom = rule->mapTo(&view, QPoint(0, rule->height())).y();
    const int quitTop = quit->mapTo(&view, QPoint(0, 0)).y();
    EXPECT_GE(quitTop - ruleBottom, 9);
    EXPECT_EQ(quitTop - ruleBottom, view.height() - (quitTop + quit->height()));
    shoot(view, QStringLiteral("menubar-window-long-names"));
}

TEST_F(ViewsTest, ALayoutButtonArrangesTheDisplayAndTheCaptionFollowsThePointer)
{
    NowView view(menuBar(*state));
    view.show();
    settle();
    auto* thirds = view.part<QAbstractButton>(QStringLiteral("layout.thirds"));
    ASSERT_TRUE(thirds);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(thirds, &enter);
    EXPECT_EQ(textOf(view, QStringLiteral("captionName")), "Thirds");
    EXPECT_EQ(textOf(view, QStringLiteral("captionShortcut")), "Ctrl+Alt+3");
    thirds->click();
    const auto display = windows.focusedContext();
    EXPECT_EQ(env.defaults.string(WindowManager::usualLayoutKey(*display)), QStringLiteral("thirds"));
    env.clock.advance(0.2);
    settle();
    QEvent leave(QEvent::Leave);
    if (auto* again = view.part<QAbstractButton>(QStringLiteral("layout.thirds")))
        QApplication::sendEvent(again, &leave);
    EXPECT_EQ(textOf(view, QStringLiteral("captionName")), "Thirds"); // now the usual layout
}

TEST_F(ViewsTest, AKeyAnotherAppHoldsIsMarkedTakenUntilItIsLetGo)
{
    // The window manager holds ⌥Space and ⌃⌥1 (the usual layout's key here).
    const KeyCombo space = *ShortcutAction::of(ShortcutAction::Kind::commandBar).defaultCombo(false);
    const KeyCombo one = *ShortcutAction::layout(LayoutKind::focusCentre).defaultCombo(false);
    env.desktop.setRefusedHotKeys({SimKey{space.keyCode, space.modifiers}, SimKey{one.keyCode, one.modifiers}});
    state->registerHotKeys();
    NowView view(menuBar(*state));
    view.show();
    settle();
    auto* askKey = view.part<Kbd>(QStringLiteral("askShortcut"));
    ASSERT_TRUE(askKey);
    EXPECT_EQ(askKey->text(), "Alt+Space");
    EXPECT_TRUE(askKey->taken());
    EXPECT_EQ(askKey->toolTip(), "Taken by another app");
    auto* caption = view.part<QLabel>(QStringLiteral("captionShortcut"));
    EXPECT_EQ(caption->text(), "Ctrl+Alt+1");
    EXPECT_EQ(caption->toolTip(), "Taken by another app");
    EXPECT_TRUE(view.part(QStringLiteral("captionTaken"))->isVisible());
    // A layout whose key works says nothing of the kind.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(view.part<QAbstractButton>(QStringLiteral("layout.halves")), &enter);
    EXPECT_EQ(caption->text(), "Ctrl+Alt+2");
    EXPECT_TRUE(caption->toolTip().isEmpty());
    EXPECT_FALSE(view.part(QStringLiteral("captionTaken"))->isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(view.part<QAbstractButton>(QStringLiteral("layout.halves")), &leave);
    shoot(view, QStringLiteral("menubar-window-taken-key-dark"));
    appearance.setColorScheme(ColorScheme::light);
    settle();
    shoot(view, QStringLiteral("menubar-window-taken-key-light"));

    // Let go: at the next try the key cap is plain again.
    env.desktop.setRefusedHotKeys({});
    env.clock.advance(HotKeyCenter::kRetryInterval);
    settle();
    askKey = view.part<Kbd>(QStringLiteral("askShortcut"));
    ASSERT_TRUE(askKey);
    EXPECT_FALSE(askKey->taken());
    EXPECT_TRUE(askKey->toolTip().isEmpty());
}

TEST_F(ViewsTest, TheSnapPadMarksTheKeysTheWindowManagerKeepsAndOffersNothingForThem)
{
    // As xfwm4 keeps Ctrl+Alt+← for its workspaces.
    const KeyCombo left = *ShortcutAction::arrow(Arrow::left).defaultCombo(false);
    env.desktop.setRefusedHotKeys({SimKey{left.keyCode, left.modifiers}});
    state->registerHotKeys();
    state->hud().show();
    SnapHUDView face(state->hud(), 40);
    face.show();
    settle();
    face.adjustSize();
    ArrowPadView* pad = face.pad();
    ASSERT_TRUE(pad);
    ArrowKey* taken = pad->key(Arrow::left);
    EXPECT_TRUE(taken->isTaken());
    EXPECT_EQ(taken->label(), ArrowKey::kTakenLabel);
    EXPECT_EQ(taken->unit(), std::nullopt);
    EXPECT_EQ(taken->toolTip(), Kbd::takenToolTip());
    // Neither the pointer nor a click does what the key would.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(taken, &enter);
    EXPECT_EQ(state->hud().hovered(), std::nullopt);
    const Rect before = focused().frame;
    taken->click();
    EXPECT_EQ(focused().frame, before);
    // The keys this program holds are offered as before.
    EXPECT_FALSE(pad->key(Arrow::right)->isTaken());
    EXPECT_NE(pad->key(Arrow::right)->label(), ArrowKey::kTakenLabel);
    EXPECT_TRUE(pad->key(Arrow::right)->unit());
    shoot(face, QStringLiteral("snap-pad-taken-key"));

    // Let go: the key is offered again.
    env.desktop.setRefusedHotKeys({});
    env.clock.advance(HotKeyCenter::kRetryInterval);
    settle();
    EXPECT_FALSE(taken->isTaken());
    EXPECT_NE(taken->label(), ArrowKey::kTakenLabel);
    EXPECT_TRUE(taken->unit());
}

TEST_F(ViewsTest, RowsOpenTheCommandBarAndTheWindowCloses)
{
    save(QStringLiteral("One"), {"Mail"});
    save(QStringLiteral("Two"), {"Safari"});
    NowView view(menuBar(*state));
    int dismissed = 0;
    QObject::connect(&view, &NowView::dismissed, [&] { ++dismissed; });
    view.show();
    settle();
    view.part<QAbstractButton>(QStringLiteral("ask"))->click();
    EXPECT_EQ(*bar, QStringList{QStringLiteral("show")});
    view.part<QAbstractButton>(QStringLiteral("saved2"))->click();
    EXPECT_EQ(bar->last(), "open");
    EXPECT_EQ(dismissed, 2);
    // ⌘2 in the window does the same.
    QTest::keyClick(&view, Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(bar->size(), 5);
}

// A hot key changes the engines' state at every press: the window, hidden
// after its first showing, must not rebuild for nobody, yet never show what
// it held when it was hidden.
TEST_F(ViewsTest, AHiddenWindowRebuildsWhenShownAgainNotBefore)
{
    NowView view(menuBar(*state));
    view.show();
    settle();
    QPointer<TSwitch> before = view.part<TSwitch>(QStringLiteral("meetingSwitch"));
    ASSERT_TRUE(before && before->isChecked());
    view.hide();
    env.defaults.setValue(QStringLiteral("mode.meeting"), false);
    settle();
    EXPECT_TRUE(before) << "rebuilt while hidden";
    view.show();
    EXPECT_FALSE(before) << "shown with what it held when hidden";
    EXPECT_FALSE(view.part<TSwitch>(QStringLiteral("meetingSwitch"))->isChecked());
}

TEST_F(ViewsTest, ModeSwitchesWriteTheirSettings)
{
    NowView view(menuBar(*state));
    view.show();
    settle();
    auto* meeting = view.part<TSwitch>(QStringLiteral("meetingSwitch"));
    ASSERT_TRUE(meeting);
    EXPECT_TRUE(meeting->isChecked());
    EXPECT_EQ(meeting->accessibleName(), "Meeting mode");
    meeting->click();
    EXPECT_EQ(env.defaults.value(QStringLiteral("mode.meeting")), QVariant(false));
    settle();
    EXPECT_FALSE(view.part<TSwitch>(QStringLiteral("meetingSwitch"))->isChecked());
    EXPECT_EQ(textOf(view, QStringLiteral("shareSafeStatus")), "when you share");
    EXPECT_FALSE(view.part(QStringLiteral("shareSafeNotice")));

    // Share-safe's notice, under its row, wrapped to the window's width.
    shareSafe.isActive = true;
    shareSafe.noticeText = QStringLiteral("Share-safe was on when Tavrin stopped; it is on again");
    state->announceEngineChange();
    settle();
    EXPECT_EQ(textOf(view, QStringLiteral("shareSafeNotice")), shareSafe.noticeText);
    shoot(view, QStringLiteral("menubar-window-sharesafe-notice"));
}

TEST_F(ViewsTest, ASettingsWriteThatFailsShowsOneLineUntilAWriteSucceeds)
{
    // A file where the settings folder should be: every write fails.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("config")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PlistDefaults settings(dir.filePath(QStringLiteral("config/tavrin/defaults.plist")));
    Defaults* previous = Platform::current().defaults;
    Platform::current().defaults = &settings;
    {
        NowView view(menuBar(*state));
        view.show();
        settle();
        EXPECT_FALSE(view.part(QStringLiteral("settingsProblem")));
        view.part<TSwitch>(QStringLiteral("meetingSwitch"))->click();
        settings.flush(); // the write runs on a thread of its own
        settle();
        auto* line = view.part<QLabel>(QStringLiteral("settingsProblem"));
        ASSERT_TRUE(line);
        const QString problem = line->toolTip();
        EXPECT_EQ(problem, QStringLiteral("Settings not saved: Not a directory"));
        EXPECT_EQ(line->text(), problem);
        EXPECT_FALSE(line->wordWrap());
        shoot(view, QStringLiteral("menubar-window-settings-problem"));

        blocker.remove();
        view.part<TSwitch>(QStringLiteral("meetingSwitch"))->click();
        settings.flush();
        settle();
        EXPECT_FALSE(view.part(QStringLiteral("settingsProblem")));
    }
    Platform::current().defaults = previous;
}

TEST_F(ViewsTest, TheSuggestionCardActsOnWhatItShows)
{
    int kept = 0;
    FakeSuggestions suggestions;
    const Registration suggesting = state->setSuggestions(suggestions);
    suggestions.onPlacement = [&]() -> std::optional<SuggestionSource::Placement> {
        return SuggestionSource::Placement{QStringLiteral("Terminal"),
                                           QStringLiteral("Edge strip"),
                                           5,
                                           6,
                                           QStringLiteral("in the edge strip"),
                                           [&] { ++kept; },
                                           [] {}};
    };
    NowView view(menuBar(*state));
    view.show();
    settle();
    auto* card = view.part(QStringLiteral("suggestion"));
    ASSERT_TRUE(card);
    const QString words = textOf(view, QStringLiteral("suggestionText"));
    EXPECT_TRUE(words.contains("You usually put Terminal in the edge strip")) << words.toStdString();
    EXPECT_TRUE(words.contains(" (5 of 6 times). Make it a rule?")) << words.toStdString();
    for (auto* b : card->findChildren<TButton*>())
        if (b->text() == "Add")
            b->click();
    EXPECT_EQ(kept, 1);
    shoot(view, QStringLiteral("menubar-window-suggestion"));
}

TEST_F(ViewsTest, TheMenuBarIconOpensAndClosesTheWindow)
{
    SimDesktopWindow desktop(env.desktop);
    desktop.resize(1280, 560);
    desktop.show();
    MenuBarExtra extra(menuBar(*state),
                       [&](const QIcon& icon, auto clicked) { desktop.setMenuBarExtra(icon, std::move(clicked)); });
    EXPECT_FALSE(extra.inTray()); // no tray on the offscreen platform
    const QRect icon = desktop.menuBarExtraRect();
    ASSERT_FALSE(icon.isEmpty());
    QTest::mouseClick(&desktop, Qt::LeftButton, {}, icon.center());
    EXPECT_TRUE(extra.isOpen());
    settle();
    EXPECT_EQ(extra.view()->content().title(), "UltraWide 34");
    extra.toggle(icon);
    EXPECT_FALSE(extra.isOpen());

    // It takes the focus, and closes when another window becomes active;
    // when that came from a click on the icon, the icon's own toggle right
    // after leaves it closed.
    env.clock.advance(1);
    extra.toggle(icon);
    ASSERT_TRUE(extra.isOpen());
    ASSERT_TRUE(QTest::qWaitForWindowActive(extra.popup()));
    desktop.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&desktop));
    EXPECT_FALSE(extra.isOpen());
    extra.toggle(icon);
    EXPECT_FALSE(extra.isOpen());

    // Escape closes it.
    env.clock.advance(1);
    extra.toggle(icon);
    ASSERT_TRUE(extra.isOpen());
    settle();
    QTest::keyClick(extra.view(), Qt::Key_Escape);
    EXPECT_FALSE(extra.isOpen());
}

// While it is open, windows that come or move show a moment later, here
// where the window server does not tell of changes too.
TEST_F(ViewsTest, TheOpenMenuBarWindowShowsWindowsThatComeMeanwhile)
{
    MenuBarExtra extra(menuBar(*state));
    extra.open(QRect(1200, 0, 24, 24));
    settle();
    const std::size_t before = extra.view()->content().snapshot().size();
    SimApp terminal;
    terminal.name = QStringLiteral("Terminal");
    SimWindow window;
    window.title = QStringLiteral("notes");
    window.frame = Rect(100, 100, 600, 400);
    env.desktop.addApp(terminal, {window});
    env.clock.advance(NowView::kPollInterval);
    settle();
    EXPECT_EQ(extra.view()->content().snapshot().size(), before + 1);
    EXPECT_EQ(textOf(*extra.view(), QStringLiteral("displaySubtitle")), QStringLiteral("%1 windows").arg(before + 1));
    shoot(*extra.popup(), QStringLiteral("menubar-window-open"));
    extra.close();
}

// A window server that tells of every change; it lists what the simulated
// one does.
class AnnouncingServer : public WindowServer {
public:
    explicit AnnouncingServer(WindowServer& inner) : inner_(inner) {}
    std::vector<WindowInfo> onScreenWindows() override { return inner_.onScreenWindows(); }
    std::optional<Rect> windowBounds(std::uint32_t number) override { return inner_.windowBounds(number); }
    bool announcesChanges() const override { return true; }

private:
    WindowServer& inner_;
};

// Where the window server tells of changes, a window that opened without
// the displays (a read that timed out) looks again until it has them, as
// no news of windows would follow; and it opens showing what is current.
TEST_F(ViewsTest, TheMenuBarWindowOpensCurrentAndLooksAgainForDisplaysItCouldNotRead)
{
    AnnouncingServer server(*Platform::current().windowServer);
    MenuBarServices services = menuBar(*state);
    services.windowServer = &server;
    const std::vector<SimDisplay> displays = env.desktop.displays();
    env.desktop.setDisplays({});
    MenuBarExtra extra(services);
    extra.open(QRect(1200, 0, 24, 24));
    settle();
    EXPECT_EQ(textOf(*extra.view(), QStringLiteral("displayTitle")), QStringLiteral("No display"));
    env.desktop.setDisplays(displays);
    env.clock.advance(NowView::kPollInterval);
    settle();
    EXPECT_EQ(textOf(*extra.view(), QStringLiteral("displayTitle")), displays.front().name);

    // Opened again, it shows what is current from the moment it maps, not
    // a moment later.
    extra.close();
    env.clock.advance(1);
    env.desktop.setDisplays({});
    extra.open(QRect(1200, 0, 24, 24));
    EXPECT_EQ(textOf(*extra.view(), QStringLiteral("displayTitle")), QStringLiteral("No display"));
    extra.close();
}

TEST(MenuBarPlacement, BesideTheIconAndOnTheScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(330, 600);
    // Below a top-bar icon, right edges lined up.
    EXPECT_EQ(MenuBarExtra::placement(QRect(1500, 0, 24, 24), size, screen), QPoint(1194, 28));
    // Kept on the screen at the left edge.
    EXPECT_EQ(MenuBarExtra::placement(QRect(10, 0, 24, 24), size, screen), QPoint(0, 28));
    // Above a bottom-panel icon.
    EXPECT_EQ(MenuBarExtra::placement(QRect(1800, 1050, 24, 30), size, screen), QPoint(1494, 446));
}

// ---- The first-run window ----

TButton* stepButton(const StepRow* row) { return row->findChild<TButton*>(QStringLiteral("stepButton")); }
ThemedLabel* stepDone(const StepRow* row) { return row->findChild<ThemedLabel*>(QStringLiteral("stepDone")); }

TEST_F(ViewsTest, TheFirstRunWindowFollowsTheState)
{
    env.desktop.setTrusted(false);
    state = makeState();
    state->startEngines();
    int closed = 0;
    OnboardingView view(*state, [&] { ++closed; });
    view.show();
    ASSERT_EQ(view.rows().size(), 3);
    EXPECT_TRUE(view.rows()[0]->step().current);
    EXPECT_EQ(view.footerButton()->text(), "Finish later");
    EXPECT_EQ(view.footerButton()->kind(), TButtonStyle::Kind::normal);
    shoot(view, QStringLiteral("first-run-untrusted"));

    env.desktop.setTrusted(true);
    env.clock.advance(1);
    EXPECT_TRUE(view.rows()[0]->step().done);
    EXPECT_FALSE(stepButton(view.rows()[0])->isVisibleTo(&view));
    EXPECT_EQ(stepDone(view.rows()[0])->text(), "Nothing to allow");
    EXPECT_TRUE(view.rows()[1]->step().current);
    EXPECT_EQ(stepButton(view.rows()[1])->kind(), TButtonStyle::Kind::primary);
    EXPECT_EQ(view.footerButton()->text(), "Start using Tavrin");
    EXPECT_EQ(view.footerButton()->kind(), TButtonStyle::Kind::primary);
    shoot(view, QStringLiteral("first-run-trusted"));

    stepButton(view.rows()[2])->click(); // "Got it"
    EXPECT_TRUE(env.defaults.boolValue(OnboardingContent::kIntegrationsSeenKey));
    EXPECT_TRUE(view.rows()[2]->step().done);

    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(closed, 1);
}

TEST_F(ViewsTest, TheFirstRunButtonsOpenTheDesktopsSettings)
{
    env.desktop.setTrusted(false);
    state = makeState();
    state->startEngines();
    OnboardingView view(*state, [] {});
    view.show();
    settle();
    auto part = [&](int row, const char* name) {
        return view.rows()[row]->findChild<QWidget*>(QString::fromLatin1(name));
    };
    auto click = [&](int row) { static_cast<QAbstractButton*>(part(row, "stepButton"))->click(); };
    // On the simulated desktop, its Accessibility page is where the user
    // allows Tavrin: the step is done at the next poll.
    click(0);
    EXPECT_EQ(env.desktop.settingsOpened(),
              QStringList{QStringLiteral("com.apple.preference.security?Privacy_Accessibility")});
    env.clock.advance(1);
    EXPECT_TRUE(view.rows()[0]->step().done);

    click(1); // "Open Desktop Settings"
    EXPECT_EQ(env.desktop.settingsOpened().last(), Workspace::kDesktopSettingsPage);
    EXPECT_FALSE(part(1, "stepNote")->isVisibleTo(&view));
    // There the simulated edge tiling goes off, as a user would turn it off:
    // the step is done at the next poll.
    EXPECT_FALSE(view.rows()[1]->step().done);
    env.clock.advance(1);
    EXPECT_TRUE(view.rows()[1]->step().done);
    EXPECT_EQ(stepDone(view.rows()[1])->text(), "Off");
    env.desktop.setEdgeTiling(true);
    env.clock.advance(1);

    // A desktop without a settings app: the window says so instead of doing nothing.
    env.desktop.setHasSettings(false);
    click(1);
    settle();
    EXPECT_TRUE(part(1, "stepNote")->isVisibleTo(&view));
    EXPECT_EQ(static_cast<QLabel*>(part(1, "stepNote"))->text(), "No settings program for this desktop is installed.");
    shoot(view, QStringLiteral("first-run-no-settings"));
    env.desktop.setHasSettings(true);
    click(1);
    EXPECT_FALSE(part(1, "stepNote")->isVisibleTo(&view));
}

TEST_F(ViewsTest, OneFirstRunWindowAndFinishingRemembersIt)
{
    const std::unique_ptr<AppState> state = makeState();
    OnboardingWindow onboarding(*state, &env.defaults);
    onboarding.show();
    QWidget* first = onboarding.view();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowTitle(), "Welcome to Tavrin");
    onboarding.show();
    EXPECT_EQ(onboarding.view(), first);
    onboarding.finish();
    EXPECT_FALSE(first->isVisible());
    EXPECT_TRUE(env.defaults.boolValue(OnboardingView::kDoneKey));
    onboarding.show();
    EXPECT_TRUE(first->isVisible());
    first->close(); // the close button does not finish the first run
    env.defaults.remove(OnboardingView::kDoneKey);
    first->close();
    EXPECT_FALSE(env.defaults.contains(OnboardingView::kDoneKey));
}

TEST_F(ViewsTest, TheFirstRunWindowDrawsItsOwnTitleBarAndMovesByItsBackground)
{
    OnboardingWindow onboarding(*state, &env.defaults);
    onboarding.show();
    QWidget* w = onboarding.view();
    ASSERT_TRUE(w);
    settle();
    // No decorations asked of the window manager, yet a normal window that
    // takes focus and is listed with the others.
    EXPECT_EQ(w->windowType(), Qt::Window);
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(w->windowFlags() & (Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint));
    shoot(*w, QStringLiteral("first-run-window"));

    // Dragging the background moves it (here, with no window manager to ask,
    // it follows the pointer itself); a press on a control moves nothing.
    // The control is let go of away from it, so it is not clicked.
    auto drag = [&](QWidget* on, QPoint from) {
        const QPoint before = w->pos();
        QTest::mousePress(on, Qt::LeftButton, {}, from);
        QTest::mouseMove(on, from + QPoint(40, 60));
        QTest::mouseRelease(on, Qt::LeftButton, {}, from + QPoint(40, 60));
        settle();
        return w->pos() - before;
    };
    EXPECT_EQ(drag(w, QPoint(300, 12)), QPoint(40, 60));            // the title area
    EXPECT_EQ(drag(w, QPoint(w->width() / 2, 80)), QPoint(40, 60)); // beside the heading
    EXPECT_EQ(drag(static_cast<OnboardingView*>(w)->footerButton(), QPoint(5, 5)), QPoint(0, 0));
    EXPECT_TRUE(w->isVisible());

    // Escape and the close control only close: the first run is not over.
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    onboarding.show();
    auto* close = w->findChild<QAbstractButton*>(QStringLiteral("closeButton"));
    ASSERT_TRUE(close);
    EXPECT_TRUE(close->isVisibleTo(w));
    close->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(env.defaults.contains(OnboardingView::kDoneKey));
}

// ---- Updates ----

TEST_F(ViewsTest, TheUpdateWindowSaysWhatWasFound)
{
    UpdateWindow window;
    AppcastItem item;
    item.displayVersion = QStringLiteral("1.3");
    item.version = QStringLiteral("13");
    item.downloadURL = QUrl(QStringLiteral("https://tavrin.app/Tavrin-1.3.tar.gz"));
    window.showFound(item, QStringLiteral("1.2"), true);
    EXPECT_EQ(window.heading(), "A new version of Tavrin is available");
    EXPECT_EQ(window.message(), "Tavrin 1.3 is available; you have 1.2.");
    EXPECT_EQ(window.address(), item.downloadURL);
    EXPECT_EQ(window.primaryButton()->text(), "Download");
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
    shoot(window, QStringLiteral("update-found"));

    window.showDownloaded(item, QStringLiteral("/home/ann/Downloads/Tavrin-1.3.tar.gz"), QStringLiteral("1.2"), true);
    EXPECT_EQ(window.heading(), "A new version of Tavrin is downloaded");
    EXPECT_EQ(window.message(), "Tavrin 1.3 is in /home/ann/Downloads as Tavrin-1.3.tar.gz; you have 1.2.");
    EXPECT_EQ(window.address(), QUrl::fromLocalFile(QStringLiteral("/home/ann/Downloads")));
    EXPECT_EQ(window.primaryButton()->text(), "Show in Folder");

    window.showUpToDate(QStringLiteral("1.2"));
    EXPECT_EQ(window.heading(), "You're up to date");
    EXPECT_TRUE(window.address().isEmpty());
    window.showFailed(QStringLiteral("The update server answered with status 404."));
    EXPECT_EQ(window.message(), "The update server answered with status 404.");
}

TEST_F(ViewsTest, TheUpdateWindowOpensOverTheWindowThatAsked)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(420, 180);
    struct Case {
        const char* name;
        QRect asker;
        QRect expected;
    } cases[] = {
        {"centred over Settings", QRect(800, 200, 700, 600), QRect(940, 410, 420, 180)},
        {"nobody asked: the middle of the screen", QRect(), QRect(750, 450, 420, 180)},
        {"Settings at the bottom left: kept on the screen", QRect(-200, 900, 400, 400), QRect(0, 900, 420, 180)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UpdateWindow::placement(size, c.asker, screen), c.expected);
    }
}

} // namespace
} // namespace tavrin
