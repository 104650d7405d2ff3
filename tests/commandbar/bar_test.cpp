#include "barfixture.h"
#include "commandbar/adjustview.h"
#include "commandbar/clearrow.h"
#include "commandbar/keybutton.h"
#include "commandbar/notetext.h"
#include "commandbar/planrow.h"
#include "commandbar/rowbutton.h"
#include "commandbar/rowlabel.h"
#include "commandbar/spinner.h"
#include "design/elidedlabel.h"
#include "design/layoutglyph.h"
#include "design/windowtranslucency.h"
#include "heldkeychain.h"
#include "planning/keychainstore.h"
#include "support/drawntext.h"

#include <QClipboard>

namespace tavrin {
namespace {

using namespace testing;

// ---- Placing the panel ----

TEST(CommandBarPlacement, WidthAndTopLeftCornerForAVisibleArea)
{
    const Rect wide(0, 0, 1920, 1055);
    EXPECT_EQ(CommandBarController::panelWidth(wide), 916);
    const Point origin = CommandBarController::panelOrigin(wide);
    EXPECT_DOUBLE_EQ(origin.x, 502);
    EXPECT_NEAR(origin.y, 1055 * 0.22 - 48, 1e-9); // 870.9 from the bottom
    EXPECT_EQ(CommandBarController::panelWidth(Rect(0, 0, 600, 900)), 660);
    // Another display: relative to its own area.
    const Point second = CommandBarController::panelOrigin(Rect(3440, 323, 1728, 1117));
    EXPECT_DOUBLE_EQ(second.x, 3440 + 864 - 458);
    EXPECT_NEAR(second.y, 323 + 0.22 * 1117 - 48, 1e-9);
}

TEST_F(BarTest, TheBarOpensNearTheTopOfTheFocusedDisplayAndTakesTheKeyboard)
{
    open();
    ASSERT_TRUE(bar.panel());
    EXPECT_TRUE(bar.isShowing());
    const Rect area = Display::all().front().area;
    const Point origin = CommandBarController::panelOrigin(area);
    EXPECT_EQ(bar.panel()->pos(), QPoint(qRound(origin.x), qRound(origin.y)));
    EXPECT_EQ(bar.panel()->width(), 916);
    EXPECT_EQ(view()->cardWidth(), 820);
    EXPECT_TRUE(bar.panel()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(bar.panel()->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(bar.panel()->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_EQ(model().focusTick(), 1);
    EXPECT_TRUE(field()->hasFocus());

    // With Slack in front the bar follows it to the built-in display.
    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    open();
    const Point there = CommandBarController::panelOrigin(Display::all()[1].area);
    EXPECT_EQ(bar.panel()->pos(), QPoint(qRound(there.x), qRound(there.y)));
}

TEST_F(BarTest, OnASmallDrawingOfADisplayPanelsKeepTheirSizeAndCentreOnIt)
{
    // The simulated desktop draws its displays at a quarter size in a window
    // on a 1920 × 1080 screen: the built-in display becomes 432 × 279.
    const Rect screen(0, 0, 1920, 1080);
    auto drawn = [](const Rect& a) { return Rect(100 + a.x / 4, 200 + a.y / 4, a.width / 4, a.height / 4); };
    bar.setPlacement([&](const Rect& a) { return PanelRoom{drawn(a), screen}; });
    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    open();
    const Display builtIn = Display::all()[1];
    const Rect over = drawn(builtIn.area);
    ASSERT_LT(over.width, 500);
    // The bar as wide as the screen allows, centred on the drawing, its card
    // 22 % down it.
    EXPECT_EQ(bar.panel()->width(), 916);
    EXPECT_EQ(view()->cardWidth(), 820);
    const QRect placed = bar.panel()->geometry();
    EXPECT_NEAR(placed.center().x(), over.midX(), 1);
    EXPECT_NEAR(placed.y(), over.minY() + 0.22 * over.height - 48, 1);
    // Kept on the screen where the drawing is near its edge.
    bar.setPlacement([&](const Rect& a) { return PanelRoom{drawn(a), Rect(0, 0, 1500, 1080)}; });
    open();
    EXPECT_EQ(bar.panel()->geometry().right(), 1499);
    bar.setPlacement([&](const Rect& a) { return PanelRoom{drawn(a), screen}; });
    open();

    // The overlay covers the drawing, wide enough for its bar at full width.
    planner.answerWith(planFor(*model().capture(), {kEditor, kBrowser}));
    typeTask();
    pressInField(Qt::Key_Return);
    advance(planner.delay + 2);
    pressInField(Qt::Key_Tab);
    AdjustView* overlay = bar.adjust().view();
    ASSERT_TRUE(overlay);
    const QWidget* overlayBar = overlay->findChild<QWidget*>(QStringLiteral("adjustBar"));
    ASSERT_TRUE(overlayBar);
    EXPECT_EQ(overlayBar->width() - 2 * AdjustView::kBarOutset, 440);
    EXPECT_GE(bar.adjust().panel()->width(), 440 + 2 * AdjustView::kBarOutset);
    const QRectF area = overlay->drawnArea().translated(bar.adjust().panel()->pos());
    EXPECT_NEAR(area.left(), over.x, 1);
    EXPECT_NEAR(area.width(), over.width, 1);
    EXPECT_NEAR(overlayBar->geometry().center().x() + bar.adjust().panel()->x(), over.midX(), 1);

    // The toast: at the drawing's bottom centre, as wide as its message.
    WorkspaceRunner::Outcome outcome;
    outcome.arranged = 3;
    outcome.quit = {{QStringLiteral("Mail"), std::nullopt}};
    bar.toast().show(outcome, QStringLiteral("Deep work"), builtIn);
    settle();
    const QRect toast = bar.toast().panel()->geometry();
    EXPECT_GT(toast.width(), over.width);
    EXPECT_NEAR(toast.center().x(), over.midX(), 1);
    EXPECT_NEAR(toast.bottom() + 1, over.maxY() - 16 + 20, 1);
}

TEST_F(BarTest, ALongRequestPutInTheFieldShowsFromItsFirstLetter)
{
    const QString request =
        QStringLiteral("Jot down notes from the design review next to the call, with the design doc "
                       "open and the build logs in a terminal underneath it all");
    previewOf();
    model().setText(request);
    settle();
    ASSERT_EQ(field()->text(), request);
    EXPECT_EQ(field()->cursorPosition(), 0);
    EXPECT_LE(field()->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), 4);

    // Back from the overlay the fresh view shows it the same way.
    pressInField(Qt::Key_Tab);
    press(bar.adjust().view(), Qt::Key_Tab);
    EXPECT_EQ(field()->text(), request);
    EXPECT_LE(field()->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), 4);
}

TEST_F(BarTest, ALongRequestIsCutToItsLimitBeforeTheFieldHoldsIt)
{
    const int limit = TaskField::kMaxCharacters;
    const QString accented = QStringLiteral("e\u0301"); // two code units, one character
    const QString typed = QStringLiteral("Review the request");
    open();
    auto paste = [&](const QString& before, int at, const QString& clip) {
        field()->setText(before);
        field()->setCursorPosition(at);
        QApplication::clipboard()->setText(clip);
        field()->paste();
        settle();
    };
    // An intent's request.
    model().setText(QString(1'000'000, u'a'));
    settle();
    EXPECT_EQ(field()->text(), QString(limit, u'a'));
    // A paste into an empty field, counted in characters.
    paste({}, 0, accented.repeated(limit + 300));
    EXPECT_EQ(field()->text(), accented.repeated(limit));
    // A paste into the middle keeps what stood around it.
    paste(typed, 6, QString(1'000'000, u'z'));
    EXPECT_EQ(field()->text(), "Review" + QString(limit - typed.size(), u'z') + " the request");
    EXPECT_EQ(field()->cursorPosition(), 6 + limit - typed.size());
    EXPECT_EQ(model().text(), field()->text());
    // At the limit a typed letter changes nothing.
    field()->setCursorPosition(3);
    const QString full = field()->text();
    typeTask(QStringLiteral("x"));
    EXPECT_EQ(field()->text(), full);
    EXPECT_EQ(model().text(), full);
}

TEST_F(BarTest, TypingALongRequestNeverCutsALetterAtTheFieldsEdge)
{
    open();
    for (const QString& request : {QStringLiteral("Jot down notes from the design review next to the call, with the "
                                                  "spec open and the build logs underneath"),
                                   QStringLiteral("Put the editor and the browser side by side with the terminal "
                                                  "below them and chat out of the way")}) {
        field()->clear();
        typeTask(request);
        // Light text on black: no ink where the field's text area begins.
        QImage image(field()->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        field()->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        int firstInk = image.width();
        for (int x = 0; x < image.width() && firstInk == image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (qGray(image.pixel(x, y)) > 60) {
                    firstInk = x;
                    break;
                }
        EXPECT_GT(field()->textMargins().left(), 0);
        EXPECT_GE(firstInk, field()->textMargins().left()) << request.toStdString();
    }
    // A short request starts at the edge as before.
    field()->clear();
    typeTask(QStringLiteral("Review"));
    EXPECT_EQ(field()->textMargins().left(), 0);
}

TEST_F(BarTest, TheGlowsMarginTakesNoClicks)
{
    open();
    CommandPanel* panel = bar.panel();
    const QPoint start = panel->pos();
    auto dragFrom = [&](QPoint at) {
        QTest::mousePress(panel, Qt::LeftButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(30, 20)),
                         panel->mapToGlobal(QPointF(at + QPoint(30, 20))), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(panel, &move);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, at + QPoint(30, 20));
    };
    // In the margin around the card, where the glow is drawn: nothing.
    dragFrom(QPoint(10, panel->height() / 2));
    EXPECT_EQ(panel->pos(), start);
    EXPECT_EQ(WindowTranslucency::clickRegion(panel).boundingRect(),
              QRect(CommandBarView::kMargin, CommandBarView::kMargin, panel->width() - 2 * CommandBarView::kMargin,
                    panel->height() - 2 * CommandBarView::kMargin));
}

TEST_F(BarTest, OnANarrowDisplayTheCardNarrowsToFit)
{
    env.desktop.setDisplays({{QStringLiteral("Small"), Rect(0, 0, 700, 500), 1, 1, 0, 0}});
    open();
    ASSERT_TRUE(view());
    EXPECT_EQ(bar.panel()->width(), 700 - 36 + 96);
    EXPECT_EQ(view()->cardWidth(), 700 - 36);
}

TEST_F(BarTest, WithoutAScreenShowPreparesTheModelAndPresentsNothing)
{
    env.desktop.setDisplays({});
    open();
    EXPECT_FALSE(bar.panel());
    EXPECT_FALSE(bar.isShowing());
    EXPECT_EQ(model().phase(), CommandBarPhase::asking());
    EXPECT_FALSE(model().capture());
}

// ---- Keys ----

TEST_F(BarTest, TypingAndReturnPlanAndShowThePreview)
{
    open();
    planner.answerWith(planFor(*model().capture(), {kEditor, kBrowser}));
    typeTask();
    EXPECT_EQ(model().text(), kTask);
    pressInField(Qt::Key_Return);
    EXPECT_EQ(model().phase(), CommandBarPhase::thinking());
    EXPECT_TRUE(view()->findChild<Spinner*>()->isVisible());
    EXPECT_EQ(view()->findChildren<QWidget*>(QStringLiteral("planHeader")).size(), 1);

    advance(planner.delay);
    EXPECT_EQ(model().phase(), CommandBarPhase::preview());
    EXPECT_FALSE(view()->findChild<Spinner*>()->isVisible());
    const auto rows = view()->findChildren<PlanRow*>();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]->row().app, kEditor);
    EXPECT_TRUE(rows[0]->isMain());
    EXPECT_FALSE(rows[1]->isMain());
    EXPECT_EQ(rows[0]->zoneText(), QStringLiteral("Focus, left"));
    EXPECT_EQ(rows[1]->zoneText(), QStringLiteral("Right"));
    EXPECT_EQ(CommandBarView::previewSummary(model()), QStringLiteral("2 windows · Halves on UltraWide 34"));
    EXPECT_EQ(view()->findChild<KeyButton*>(QStringLiteral("saveButton"))->caption(),
              QStringLiteral("Save as “Side by side”"));

    // Rows appear one by one; so does the plan on the first miniature.
    EXPECT_EQ(rows[0]->presence(), 0);
    EXPECT_TRUE(view()->firstPreviewItems().isEmpty());
    advance(0.13);
    EXPECT_TRUE(rows[0]->isRevealed());
    EXPECT_FALSE(rows[1]->isRevealed());
    ASSERT_EQ(view()->firstPreviewItems().size(), 1);
    EXPECT_EQ(view()->firstPreviewItems()[0].app, kEditor);
    advance(1);
    EXPECT_EQ(rows[1]->presence(), 1);
    EXPECT_EQ(view()->firstPreviewItems().size(), 2);

    pressInField(Qt::Key_Return);
    EXPECT_EQ(model().phase(), CommandBarPhase::arranging());
    ASSERT_EQ(runner.calls.size(), 1u);
    advance(runner.delay);
    EXPECT_FALSE(bar.isShowing());
    EXPECT_TRUE(bar.toast().isShowing());
}

TEST_F(BarTest, HeldReturnNeverArrangesAPlanNotYetSeen)
{
    open();
    planner.answerWith(planFor(*model().capture(), {kEditor, kBrowser}));
    typeTask();
    // Held from the asking state: the first press plans, the repeats are
    // ignored while thinking, and go on being ignored in the preview.
    pressInField(Qt::Key_Return);
    pressInField(Qt::Key_Return, Qt::NoModifier, true);
    advance(planner.delay);
    ASSERT_EQ(model().phase(), CommandBarPhase::preview());
    for (int i = 0; i < 5; ++i)
        pressInField(Qt::Key_Return, Qt::NoModifier, true);
    pressInField(Qt::Key_Return, Qt::ControlModifier, true);
    EXPECT_EQ(model().phase(), CommandBarPhase::preview());
    EXPECT_TRUE(runner.calls.empty());
    // A fresh press arranges.
    pressInField(Qt::Key_Return);
    EXPECT_EQ(runner.calls.size(), 1u);

    // Elsewhere a repeat is a press: in the asking state it plans.
    open();
    typeTask();
    pressInField(Qt::Key_Return, Qt::NoModifier, true);
    EXPECT_EQ(model().phase(), CommandBarPhase::thinking());
}

TEST_F(BarTest, CommandReturnPlansWhileAskingAndSavesInThePreview)
{
    open();
    planner.answerWith(planFor(*model().capture(), {kEditor, kBrowser}));
    typeTask();
    pressInField(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(model().phase(), CommandBarPhase::thinking());
    advance(planner.delay);
    pressInField(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(model().phase(), CommandBarPhase::arranging());
    runner.outcome.windows = {model().rows()[0].existing.value()};
    advance(runner.delay);
    ASSERT_EQ(SavedWorkspaceStore::load().size(), 1);
    EXPECT_EQ(SavedWorkspaceStore::load()[0].name, QStringLiteral("Side by side"));
}

TEST_F(BarTest, TabOpensTheOverlayAndTabOrEscapeThereComesBack)
{
    open();
    typeTask(QStringLiteral("abc"));
    pressInField(Qt::Key_Tab);
    EXPECT_EQ(model().phase(), CommandBarPhase::asking()); // swallowed while asking
    EXPECT_TRUE(field()->hasFocus());
    EXPECT_FALSE(bar.adjust().panel());

    previewOf();
    pressInField(Qt::Key_Tab);
    EXPECT_EQ(model().phase(), CommandBarPhase::adjusting());
    EXPECT_FALSE(bar.isShowing());
    ASSERT_TRUE(bar.adjust().panel());
    EXPECT_TRUE(bar.adjust().panel()->isVisible());
    EXPECT_EQ(model().revealed(), 2);
    const QRect covered = bar.adjust().panel()->geometry();
    const Rect area = model().capture()->display.area;
    EXPECT_EQ(covered, QRect(int(area.x), int(area.y), int(area.width), int(area.height)));

    press(bar.adjust().view(), Qt::Key_Tab);
    EXPECT_EQ(model().phase(), CommandBarPhase::preview());
    EXPECT_TRUE(bar.isShowing());
    EXPECT_FALSE(bar.adjust().panel()->isVisible());

    pressInField(Qt::Key_Tab);
    press(bar.adjust().view(), Qt::Key_Escape);
    EXPECT_EQ(model().phase(), CommandBarPhase::preview());
    EXPECT_TRUE(bar.isShowing());
}

TEST_F(BarTest, BackFromTheOverlayPresentsTheBarOnceHoweverOftenItWasOpened)
{
    for (int i = 0; i < 3; ++i) {
        open();
        bar.hide();
    }
    previewOf();
    pressInField(Qt::Key_Tab);
    ASSERT_EQ(model().phase(), CommandBarPhase::adjusting());
    const int ticks = model().focusTick();
    press(bar.adjust().view(), Qt::Key_Escape);
    EXPECT_TRUE(bar.isShowing());
    EXPECT_EQ(model().focusTick(), ticks + 1); // each present() raises it once
}

TEST_F(BarTest, TheOverlaysKeysActOnlyWhileAdjusting)
{
    previewOf();
    runner.delay = 3;
    pressInField(Qt::Key_Tab);
    AdjustView* overlay = bar.adjust().view();
    press(overlay, Qt::Key_Return);
    EXPECT_EQ(model().phase(), CommandBarPhase::arranging());
    // Going back now would let a second Return arrange the same plan again.
    press(overlay, Qt::Key_Escape);
    press(overlay, Qt::Key_Tab);
    overlay->back();
    EXPECT_EQ(model().phase(), CommandBarPhase::arranging());
    EXPECT_FALSE(bar.isShowing());
    press(overlay, Qt::Key_Return);
    EXPECT_EQ(runner.calls.size(), 1u);
    advance(runner.delay);
    EXPECT_FALSE(bar.adjust().panel()->isVisible());
    EXPECT_TRUE(bar.toast().isShowing());
}

TEST_F(BarTest, EscapeClosesTheBarAndCancelsPlanning)
{
    open();
    planner.answerWith(planFor(*model().capture(), {kEditor, kBrowser}));
    typeTask();
    pressInField(Qt::Key_Return);
    pressInField(Qt::Key_Escape);
    EXPECT_FALSE(bar.isShowing());
    advance(planner.delay);
    EXPECT_EQ(planner.answered, 1);
    EXPECT_FALSE(model().plan());
    open();
    EXPECT_EQ(model().phase(), CommandBarPhase::asking());
    EXPECT_TRUE(field()->text().isEmpty());
}

TEST_F(BarTest, AnotherWindowTakingTheKeyboardClosesTheBar)
{
    open();
    ASSERT_EQ(QApplication::activeWindow(), bar.panel());
    QWidget other;
    other.show();
    other.activateWindow();
    settle();
    ASSERT_EQ(QApplication::activeWindow(), &other);
    EXPECT_FALSE(bar.isShowing());
}

TEST_F(BarTest, LosingTheKeyboardClosesTheBarOnlyWhenNothingIsUnderWay)
{
    open();
    bar.windowDidResignKey();
    EXPECT_FALSE(bar.isShowing());

    open();
    planner.answerWith(planFor(*model().capture(), {kEditor, kBrowser}));
    typeTask();
    pressInField(Qt::Key_Return);
    bar.windowDidResignKey(); // thinking
    EXPECT_TRUE(bar.isShowing());
    advance(planner.delay);
    bar.ignoreResign = true;
    bar.windowDidResignKey();
    EXPECT_TRUE(bar.isShowing());
    bar.ignoreResign = false;
    bar.windowDidResignKey(); // preview
    EXPECT_FALSE(bar.isShowing());
    EXPECT_EQ(model().phase(), CommandBarPhase::preview());

    // Arranging: stays until the arrangement closes it.
    previewOf();
    runner.delay = 2;
    pressInField(Qt::Key_Return);
    bar.windowDidResignKey();
    EXPECT_TRUE(bar.isShowing());
}

TEST_F(BarTest, ToggleHidesAVisibleBarAndShowsAHiddenOneAfresh)
{
    open();
    typeTask(QStringLiteral("half typed"));
    bar.toggle();
    EXPECT_FALSE(bar.isShowing());
    EXPECT_EQ(model().text(), QStringLiteral("half typed"));
    bar.toggle();
    settle();
    EXPECT_TRUE(bar.isShowing());
    EXPECT_TRUE(model().text().isEmpty());
    EXPECT_TRUE(field()->text().isEmpty());
}

TEST_F(BarTest, ShowingTheBarRemovesTheToast)
{
    previewOf();
    pressInField(Qt::Key_Return);
    advance(runner.delay);
    ASSERT_TRUE(bar.toast().isShowing());
    open();
    EXPECT_FALSE(bar.toast().isShowing());
    EXPECT_FALSE(bar.toast().hidePending());
}

// ---- The asking state's blocks ----

struct Blocks {
    bool card, saved, tryList;
};

Blocks blocksOf(const CommandBarView* v)
{
    return {v->findChild<QWidget*>(QStringLiteral("aiSetupCard")) != nullptr,
            v->findChild<QWidget*>(QStringLiteral("savedHeader")) != nullptr,
            v->findChild<QWidget*>(QStringLiteral("tryHeader")) != nullptr};
}

TEST_F(BarTest, EngineOffWithNothingSavedShowsOnlyTheSetupCardAndTheFooter)
{
    setEngine(QStringLiteral("off"));
    open();
    const Blocks b = blocksOf(view());
    EXPECT_TRUE(b.card);
    EXPECT_FALSE(b.saved);
    EXPECT_FALSE(b.tryList);
    EXPECT_TRUE(view()->findChildren<RowButton*>().isEmpty());
    EXPECT_EQ(view()->findChild<ElidedLabel*>(QStringLiteral("engineLabel"))->text(), QStringLiteral("AI is off"));
    typeTask();
    EXPECT_FALSE(view()->findChild<KeyButton*>(QStringLiteral("planButton"))->isEnabled());
}

TEST_F(BarTest, TheSetupCardFollowsTheEngineAndTheClaudeKey)
{
    struct Case {
        const char* engine;
        bool card, tryList;
    };
    for (const Case c : {Case{"onDevice", false, true}, Case{"tavrinAI", true, false}, Case{"claude", true, true},
                         Case{"bogus", true, false}}) {
        SCOPED_TRACE(c.engine);
        setEngine(QString::fromLatin1(c.engine));
        open();
        const Blocks b = blocksOf(view());
        EXPECT_EQ(b.card, c.card);
        EXPECT_EQ(b.tryList, c.tryList);
    }
    // With a key stored the card goes once the Keychain has answered.
    env.keychain.setItem(KeychainStore::kService, KeychainStore::kClaudeKeyAccount, "sk-test");
    setEngine(QStringLiteral("claude"));
    open();
    advance(0);
    EXPECT_FALSE(blocksOf(view()).card);
    EXPECT_TRUE(blocksOf(view()).tryList);
    env.keychain.remove(KeychainStore::kService, KeychainStore::kClaudeKeyAccount);
    open();
    advance(0);
    EXPECT_TRUE(blocksOf(view()).card);
}

TEST_F(BarTest, TheSetupCardWaitsForTheKeychainsFirstAnswer)
{
    HeldKeychain held(env.keychain);
    Platform services = Platform::current();
    services.keychain = &held;
    Platform::install(services);
    setEngine(QStringLiteral("claude"));
    for (const bool stored : {true, false}) {
        SCOPED_TRACE(stored ? "a key stored" : "no key");
        if (stored)
            env.keychain.setItem(KeychainStore::kService, KeychainStore::kClaudeKeyAccount, "sk-test");
        else
            env.keychain.remove(KeychainStore::kService, KeychainStore::kClaudeKeyAccount);
        Platform::install(services); // another start: nothing known yet
        CommandBarGraph fresh{windows};
        CommandBarController started(fresh.services(planner, runner));
        EXPECT_EQ(held.waiting(), 1); // read at start, not at the first show
        started.show();
        settle();
        auto* v = started.panel()->findChild<CommandBarView*>();
        EXPECT_FALSE(blocksOf(v).card);
        EXPECT_TRUE(blocksOf(v).tryList);
        held.answerAll();
        settle();
        EXPECT_EQ(blocksOf(v).card, !stored);
        started.hide();
    }
}

TEST_F(BarTest, AtMostFourSavedWorkspacesAreListedInStoredOrder)
{
    for (int i = 1; i <= 6; ++i)
        SavedWorkspaceStore::save(savedWorkspace(QStringLiteral("Workspace %1").arg(i), {kEditor, kBrowser}));
    SavedWorkspaceStore::save(savedWorkspace(QStringLiteral("Empty"), {}));
    open();
    EXPECT_TRUE(blocksOf(view()).saved);
    const auto rows = view()->findChildren<RowButton*>(QStringLiteral("savedRow"));
    ASSERT_EQ(rows.size(), 4);
    const auto label = [&](int i) { return static_cast<RowLabel*>(rows[i]->label()); };
    EXPECT_EQ(label(0)->title(), QStringLiteral("Empty"));
    EXPECT_TRUE(label(0)->subtitle().isEmpty());
    EXPECT_EQ(rows[0]->findChild<LayoutGlyph*>()->windows(), 1);
    EXPECT_EQ(label(1)->title(), QStringLiteral("Workspace 6"));
    EXPECT_EQ(label(1)->subtitle(), QStringLiteral("Visual Studio Code, Safari"));
    EXPECT_EQ(label(3)->title(), QStringLiteral("Workspace 4"));

    // A click opens the workspace as a plan.
    QTest::mouseClick(rows[1], Qt::LeftButton);
    settle();
    EXPECT_EQ(model().text(), QStringLiteral("Workspace 6"));
    EXPECT_EQ(model().phase(), CommandBarPhase::preview());
}

TEST_F(BarTest, AnExamplePromptReplacesTheTextAndPlansAtOnce)
{
    open();
    typeTask(QStringLiteral("something else"));
    const auto examples = view()->findChildren<RowButton*>(QStringLiteral("exampleRow"));
    ASSERT_EQ(examples.size(), 3);
    QTest::mouseClick(examples[1], Qt::LeftButton);
    settle();
    EXPECT_EQ(model().text(), QStringLiteral("Put these side by side"));
    EXPECT_EQ(field()->text(), QStringLiteral("Put these side by side"));
    EXPECT_EQ(model().phase(), CommandBarPhase::thinking());
    ASSERT_EQ(planner.requests.size(), 1);
    EXPECT_EQ(planner.requests[0].request, QStringLiteral("Put these side by side"));
}

TEST_F(BarTest, PlanIsEnabledOnlyWithTextAndAnEngine)
{
    open();
    auto plan = [&] { return view()->findChild<KeyButton*>(QStringLiteral("planButton")); };
    EXPECT_FALSE(plan()->isEnabled());
    typeTask(QStringLiteral(" \t "));
    EXPECT_FALSE(plan()->isEnabled());
    typeTask(QStringLiteral("x"));
    EXPECT_TRUE(plan()->isEnabled());
}

// A key in a locked keyring is not a missing key: the bar opens without
// reading it (no unlock prompt over the bar), offers to plan, and says it is
// unlocking the keyring once a plan needs the key. A keyring that can't be
// asked at all is said instead of the setup card.
TEST_F(BarTest, ALockedKeyringIsNotAskedToUnlockUntilAPlanNeedsTheKey)
{
    setEngine(QStringLiteral("claude"));
    env.keychain.setItem(KeychainStore::kService, KeychainStore::kClaudeKeyAccount, "sk-test");
    env.keychain.setFailure({}, KeychainStatus::locked);
    open();
    settle();
    EXPECT_FALSE(blocksOf(view()).card);
    EXPECT_FALSE(view()->findChild<NoteText*>());
    EXPECT_TRUE(blocksOf(view()).tryList);
    typeTask();
    pressInField(Qt::Key_Return);
    settle();
    QWidget* header = view()->findChild<QWidget*>(QStringLiteral("planHeader"));
    ASSERT_TRUE(header);
    EXPECT_TRUE(DrawnText::of(*header).join(' ').contains("Unlocking your keyring…"))
        << DrawnText::of(*header).join(' ').toStdString();
    advance(planner.delay);

    env.keychain.setFailure({}, KeychainStatus::noService);
    open();
    settle();
    EXPECT_FALSE(blocksOf(view()).card);
    const auto* note = view()->findChild<NoteText*>();
    ASSERT_TRUE(note);
    EXPECT_EQ(note->note(), KeychainStore::noKeyringMessage());

    env.keychain.clearFailure(); // unlocked
    open();
    settle();
    EXPECT_FALSE(blocksOf(view()).card);
    EXPECT_FALSE(view()->findChild<NoteText*>());
}

// ---- Failures ----

TEST_F(BarTest, APlannerFailureWithNoPlannerSetUpShowsTheSetupCard)
{
    setEngine(QStringLiteral("off"));
    open();
    planner.failWith(PlannerError::notSetUp(PlannerError::aiOffMessage()));
    typeTask();
    pressInField(Qt::Key_Return);
    advance(planner.delay);
    ASSERT_TRUE(model().phase().is(CommandBarPhase::Kind::failed));
    EXPECT_TRUE(view()->findChild<QWidget*>(QStringLiteral("aiSetupCard")));
    EXPECT_FALSE(view()->findChild<QWidget*>(QStringLiteral("noteBox")));
    EXPECT_TRUE(view()->findChild<QWidget*>(QStringLiteral("openSettingsButton")));
    EXPECT_TRUE(view()->findChild<QWidget*>(QStringLiteral("tryAgainButton")));
}

TEST_F(BarTest, OtherFailuresShowTheirOwnMessageEvenWithNoPlannerSetUp)
{
    setEngine(QStringLiteral("off"));
    env.desktop.setTrusted(false);
    open();
    typeTask();
    pressInField(Qt::Key_Return);
    ASSERT_EQ(model().phase(), CommandBarPhase::failed(CommandBarModel::kNeedsTrustMessage));
    EXPECT_FALSE(view()->findChild<QWidget*>(QStringLiteral("aiSetupCard")));
    const auto* note = view()->findChild<NoteText*>();
    ASSERT_TRUE(note);
    EXPECT_EQ(note->label(), QStringLiteral("Couldn't plan that."));
    EXPECT_EQ(note->note(), CommandBarModel::kNeedsTrustMessage);
    EXPECT_TRUE(note->isAlert());
}

TEST_F(BarTest, OpenSettingsIsOfferedWhenTheMessageMentionsSettingsOrTheEngineIsOff)
{
    int opened = 0;
    QObject::connect(&bar, &CommandBarController::settingsRequested, [&] { ++opened; });
    open();
    planner.failWith(PlannerError::unavailable(QStringLiteral("The service is busy.")));
    typeTask();
    pressInField(Qt::Key_Return);
    advance(planner.delay);
    EXPECT_FALSE(view()->findChild<QWidget*>(QStringLiteral("openSettingsButton")));
    EXPECT_TRUE(view()->findChild<NoteText*>());

    planner.failWith(PlannerError::rejected(PlannerError::claudeRejectedMessage()));
    QTest::mouseClick(view()->findChild<KeyButton*>(QStringLiteral("tryAgainButton")), Qt::LeftButton);
    advance(planner.delay);
    auto* settings = view()->findChild<QAbstractButton*>(QStringLiteral("openSettingsButton"));
    ASSERT_TRUE(settings);
    QTest::mouseClick(settings, Qt::LeftButton);
    settle();
    EXPECT_FALSE(bar.isShowing());
    EXPECT_EQ(opened, 1);
}

TEST_F(BarTest, UseMyClaudeKeyPicksClaudeClosesTheBarAndOpensTheAIPane)
{
    int opened = 0;
    QObject::connect(&bar, &CommandBarController::settingsRequested, [&] { ++opened; });
    setEngine(QStringLiteral("off"));
    open();
    QTest::mouseClick(view()->findChild<QAbstractButton*>(QStringLiteral("useClaudeKeyButton")), Qt::LeftButton);
    settle();
    EXPECT_EQ(env.defaults.string(QStringLiteral("aiEngine")), QStringLiteral("claude"));
    EXPECT_FALSE(bar.isShowing());
    EXPECT_EQ(opened, 1);
}

// ---- The preview's pieces ----

TEST_F(BarTest, PreviewSummaryAndRowTexts)
{
    previewOf([this] {
        WorkspacePlan plan = planFor(*model().capture(), {kEditor}, LayoutKind::focusCentre);
        plan.windows.append({kBrowser, std::nullopt, QStringLiteral("https://docs.example.com/guide"),
                             QStringLiteral("docs"), std::nullopt, std::nullopt});
        return plan;
    });
    EXPECT_EQ(CommandBarView::previewSummary(model()), QStringLiteral("2 windows · Focus centre on UltraWide 34"));
    const auto rows = view()->findChildren<PlanRow*>();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]->detailText(), QStringLiteral("main.cpp — tavrin"));
    EXPECT_EQ(rows[1]->detailText(), QStringLiteral("Opens · docs.example.com"));

    previewOf([this] {
        WorkspacePlan plan = planFor(*model().capture(), {});
        plan.clear =
            QList<WorkspacePlan::Clear>{{windowIndex(*model().capture(), QStringLiteral("Slack")), ClearAction::quit}};
        return plan;
    });
    EXPECT_EQ(CommandBarView::previewSummary(model()), QStringLiteral("1 app"));
    // Clear rows show at once; the miniature shows the snapshots' windows
    // only outside the plan phases.
    EXPECT_EQ(view()->findChildren<ClearRow*>().size(), 1);
    EXPECT_TRUE(view()->firstPreviewItems().isEmpty());
}

TEST_F(BarTest, TheDisplayColumnShowsEveryDisplayTheCapturedOneFirst)
{
    env.desktop.setFrontmost(env.pid(QStringLiteral("Slack")));
    open();
    const auto previews = view()->previews();
    ASSERT_EQ(previews.size(), 2);
    const auto names = view()->findChildren<ElidedLabel*>(QStringLiteral("displayName"));
    const auto sizes = view()->findChildren<ElidedLabel*>(QStringLiteral("displaySize"));
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names[0]->text(), QStringLiteral("Built-in Display"));
    EXPECT_EQ(sizes[0]->text(), QStringLiteral("built-in"));
    EXPECT_EQ(sizes[1]->text(), QStringLiteral("3440 × 1440"));
    const double inner = view()->columnWidth() - 32;
    EXPECT_EQ(previews[0]->width(), qRound(inner));
    EXPECT_EQ(previews[1]->width(), qRound(inner * 0.44));
    EXPECT_EQ(previews[0]->items().size(), qsizetype(model().snapshots().value(2).size()));
}

} // namespace
} // namespace tavrin
