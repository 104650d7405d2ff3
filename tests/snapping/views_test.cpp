#include "viewfixture.h"

#include "design/designfont.h"
#include "design/elidedlabel.h"

#include <QEnterEvent>
#include <QTest>

namespace tavrin {
namespace {

// ---- Sizes ----

TEST(HUDViewSizes, FacesAreWideFromAnAspectOfTwo)
{
    const struct {
        double displayWidth;
        int grid, pad;
    } cases[] = {{2000, 420, 460}, {1990, 300, 350}, {3440, 420, 460}, {1000, 300, 350}};
    for (const auto& c : cases) {
        ViewDesk t(c.displayWidth);
        EXPECT_EQ(t.open(false).pad()->width(), c.pad) << c.displayWidth;
        EXPECT_EQ(t.open(true).grid()->width(), c.grid) << c.displayWidth;
    }
}

TEST(HUDViewSizes, MiniatureDisplaysKeepTheirAspectWithinBoundsAndZonesTheRealOne)
{
    const struct {
        double displayWidth;
        double drawn;
    } cases[] = {{1000, 1.2}, {4000, 3.6}, {1600, 1.6}, {2400, 2.4}};
    for (const auto& c : cases) {
        ViewDesk t(c.displayWidth);
        const double aspect = c.displayWidth / 1000;
        SnapCell* cell = t.open(true).grid()->cell(SnapTarget::topLeft);
        EXPECT_NEAR(double(cell->width()) / cell->height(), c.drawn, 0.05) << c.displayWidth;
        KeyDisplay* display = t.open(false).pad()->key(Arrow::left)->display();
        EXPECT_NEAR(double(display->width()) / display->height(), c.drawn, 0.05) << c.displayWidth;

        // The zone inside is the target's for the real aspect: a third across
        // on an ultrawide display, a half below it.
        const QSizeF size(300, 100);
        const QRectF zone = SnapCell::zoneRect(SnapTarget::topLeft, aspect, size);
        EXPECT_NEAR(zone.width(), (isUltrawide(aspect) ? 100 : 150) - 8, 1e-9) << c.displayWidth;
    }
}

TEST(HUDViewSizes, ZonesNeverShrinkBelowTwoPoints)
{
    const QRectF tiny = SnapCell::zoneRect(SnapTarget::topLeft, 1.6, QSizeF(6, 5));
    EXPECT_EQ(tiny.size(), QSizeF(2, 2));
    const QRectF zone = KeyDisplay::zoneRect(UnitRect(0.5, 0, 0.01, 1), QSizeF(100, 40));
    EXPECT_EQ(zone, QRectF(51.5, 1.5, 2, 37));
}

TEST(HUDViewSizes, ARowCutsTheLongerTextFirst)
{
    EXPECT_EQ(HUDRow::share(100, 50, 200), std::make_pair(100, 50));
    EXPECT_EQ(HUDRow::share(300, 50, 200), std::make_pair(150, 50));
    EXPECT_EQ(HUDRow::share(50, 300, 200), std::make_pair(50, 150));
    EXPECT_EQ(HUDRow::share(300, 300, 200), std::make_pair(100, 100));
    EXPECT_EQ(HUDRow::share(10, 10, -5), std::make_pair(0, 0));
}

TEST(HUDViewSizes, AWrappingRowTakesASecondLineOnlyWhenBothTextsDoNotFit)
{
    HUDRow row({DesignFont::system(11), TTheme::Colour::muted}, {DesignFont::system(11), TTheme::Colour::muted});
    row.setWrapping(true);
    row.setTexts(ArrowPadView::kResizeHint, QStringLiteral("Ctrl+Alt+Super ← → other display"));
    const int line = row.sizeHint().height();
    const int wide = row.sizeHint().width();
    EXPECT_EQ(row.heightForWidth(wide), line);
    EXPECT_GT(row.heightForWidth(wide - 1), line);
    row.resize(wide - 1, row.heightForWidth(wide - 1));
    row.show();
    for (const ElidedLabel* text : {row.leading(), row.trailing()})
        EXPECT_EQ(text->shownText(), text->text());
    EXPECT_EQ(row.trailing()->geometry().right(), row.width() - 1);
    EXPECT_GE(row.trailing()->y(), row.leading()->geometry().bottom());
    row.setTexts(ArrowPadView::kResizeHint, QString());
    EXPECT_EQ(row.heightForWidth(100), line);
}

// ---- The snap grid ----

class GridTest : public ::testing::Test, public ViewDesk {
protected:
    SnapGridView& grid() { return *open(true).grid(); }
};

TEST_F(GridTest, CellsShowTheirBindingsAndDashesForNone)
{
    QStringList chips;
    for (SnapTarget target : kAllSnapTargets)
        chips << grid().cell(target)->chipText();
    EXPECT_EQ(chips.join(QString()), QStringLiteral("QWEASDZXC"));

    store.set(std::nullopt, ShortcutAction::snap(SnapTarget::topLeft));
    store.set(KeyCombo{38, 0x1800, QStringLiteral("J")}, ShortcutAction::snap(SnapTarget::centreThird));
    EXPECT_EQ(grid().cell(SnapTarget::topLeft)->chipText(), QStringLiteral("–"));
    EXPECT_EQ(grid().cell(SnapTarget::centreThird)->chipText(), QStringLiteral("J"));
    // The accessibility label keeps the grid's own letter.
    EXPECT_EQ(grid().cell(SnapTarget::topLeft)->accessibleName(), QStringLiteral("Top left, Q"));
    EXPECT_EQ(grid().cell(SnapTarget::centreThird)->accessibleName(), QStringLiteral("Centre third, S"));
}

TEST_F(GridTest, TheHeaderNamesTheHighlightedZoneElsePicks)
{
    EXPECT_EQ(grid().header()->leading()->text(), QStringLiteral("Editor"));
    EXPECT_EQ(grid().header()->trailing()->text(), QStringLiteral("Pick a position"));
    EXPECT_FALSE(grid().cell(SnapTarget::topLeft)->isLit());

    // Hovering lights a cell but names nothing.
    SnapCell* cell = grid().cell(SnapTarget::bottomHalf);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(cell, &enter);
    EXPECT_TRUE(cell->isLit());
    EXPECT_EQ(grid().header()->trailing()->text(), QStringLiteral("Pick a position"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(cell, &leave);
    EXPECT_FALSE(cell->isLit());
}

TEST_F(GridTest, AClickSnapsTheWindowAndHighlightsTheZone)
{
    grid().cell(SnapTarget::rightThird)->click();
    const Rect area = display(0).area;
    EXPECT_EQ(focused().frame, rect(SnapTarget::rightThird, 1.6).rect(area, 8));
    EXPECT_EQ(hud.highlighted(), SnapTarget::rightThird);
    EXPECT_TRUE(grid().cell(SnapTarget::rightThird)->isOn());
    EXPECT_EQ(grid().header()->trailing()->text(), QStringLiteral("Right third"));
    EXPECT_EQ(outline(), focused().frame);
}

TEST_F(GridTest, AClickThatCannotSnapChangesNothing)
{
    grid().cell(SnapTarget::topLeft)->click();
    ASSERT_EQ(hud.highlighted(), SnapTarget::topLeft);
    const Rect before = focused().frame;
    const int beeps = env.desktop.beepCount();
    env.desktop.setTrusted(false);
    grid().cell(SnapTarget::bottomRight)->click();
    EXPECT_EQ(hud.highlighted(), SnapTarget::topLeft);
    EXPECT_EQ(focused().frame, before);
    EXPECT_EQ(env.desktop.beepCount(), beeps + 1);
}

TEST_F(GridTest, TheFaceFollowsTheSwitchAtTheNextShow)
{
    SnapHUDView& v = open(true);
    ASSERT_TRUE(v.grid());
    QPointer<SnapGridView> before = v.grid();
    open(false);
    EXPECT_FALSE(before);
    EXPECT_TRUE(v.pad());
}

// ---- The arrow pad ----

class PadTest : public ::testing::Test, public ViewDesk {
protected:
    PadTest() : ViewDesk(2400, {0, 24, 1200, 1000}) {} // an ultrawide display, its left half
    ArrowPadView& pad() { return *open(false).pad(); }
    void enter(QWidget* w)
    {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(w, &event);
    }
    void leave(QWidget* w)
    {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(w, &event);
    }
};

TEST_F(PadTest, KeysShowTheirSymbolsPreviewsAndLabels)
{
    ArrowKey* left = pad().key(Arrow::left);
    EXPECT_EQ(left->symbol(), QStringLiteral("←"));
    EXPECT_EQ(left->label(), hud.previews().at(Arrow::left).label);
    EXPECT_EQ(left->unit(), hud.previews().at(Arrow::left).unit);
    EXPECT_EQ(left->accessibleName(), QStringLiteral("←: ") + left->label());
    EXPECT_EQ(pad().key(Arrow::down)->label(), QStringLiteral("nothing to undo"));
    EXPECT_EQ(pad().key(Arrow::down)->unit(), std::nullopt);

    ArrowKey* fill = pad().fillKey();
    EXPECT_EQ(fill->symbol(), QStringLiteral("↩"));
    EXPECT_EQ(fill->label(), QStringLiteral("fill"));
    EXPECT_EQ(fill->unit(), UnitRect(0, 0, 1, 1));
    EXPECT_TRUE(fill->display()->isDim());
    EXPECT_EQ(fill->accessibleName(), QStringLiteral("Fill the screen"));

    EXPECT_EQ(pad().header()->trailing()->text(), QStringLiteral("Now: ") + hud.currentLabel());
    EXPECT_EQ(pad().footer()->leading()->text(), ArrowPadView::kResizeHint);
    EXPECT_EQ(pad().footer()->trailing()->text(), QString()); // one display
}

// The footer offers what works: pressing again with an arrow key that is
// free, a corner with a free key on each axis, the other display with its
// keys free and a second display there.
TEST(PadFooter, OffersOnlyWhatWorks)
{
    ViewDesk t(1600, {100, 100, 800, 600}, true);
    ArrowPadView& pad = *t.open(false).pad();
    const auto footer = [&] { return std::pair(pad.footer()->leading()->text(), pad.footer()->trailing()->text()); };
    const QString display = QStringLiteral("Ctrl+Alt+Super ← → other display");
    EXPECT_EQ(footer(), std::pair(ArrowPadView::kResizeHint, display));
    const auto taken = [&](std::initializer_list<ShortcutAction> actions) {
        QSet<QString> ids;
        for (const ShortcutAction& a : actions)
            ids << a.id();
        t.store.setUnavailable(ids);
    };
    using A = ShortcutAction;
    taken({A::arrow(Arrow::left), A::arrow(Arrow::right)});
    EXPECT_EQ(footer(), std::pair(ArrowPadView::kAgainHint, display));
    taken({A::arrow(Arrow::up), A::arrow(Arrow::down), A::moveDisplay(false)});
    EXPECT_EQ(footer(), std::pair(ArrowPadView::kAgainHint, QString()));
    taken({A::arrow(Arrow::left), A::arrow(Arrow::right), A::arrow(Arrow::up), A::arrow(Arrow::down)});
    EXPECT_EQ(footer(), std::pair(QString(), display));
    taken({A::arrow(Arrow::up)});
    EXPECT_EQ(footer(), std::pair(ArrowPadView::kResizeHint, display));
}

TEST_F(PadTest, RebindingAKeyShowsAtOnce)
{
    ArrowPadView& p = pad();
    store.set(KeyCombo{38, 0x1800, QStringLiteral("J")}, ShortcutAction::arrow(Arrow::left));
    EXPECT_EQ(p.key(Arrow::left)->symbol(), QStringLiteral("J"));
    EXPECT_TRUE(p.key(Arrow::left)->accessibleName().startsWith(QStringLiteral("J: ")));
    store.set(std::nullopt, ShortcutAction::arrow(Arrow::up));
    store.set(std::nullopt, ShortcutAction::of(ShortcutAction::Kind::fill));
    store.set(std::nullopt, ShortcutAction::moveDisplay(true));
    EXPECT_EQ(p.key(Arrow::up)->symbol(), QStringLiteral("–"));
    EXPECT_EQ(p.fillKey()->symbol(), QStringLiteral("↩"));
    EXPECT_TRUE(p.footer()->trailing()->text().isEmpty());
    EXPECT_EQ(p.footer()->leading()->text(), ArrowPadView::kResizeHint);
}

TEST_F(PadTest, WithoutAFocusedWindowOnlyTheSymbolsAndTheFillZoneShow)
{
    ArrowPadView& p = pad();
    env.desktop.setTrusted(false);
    hud.refreshPreviews();
    EXPECT_EQ(p.header()->trailing()->text(), QStringLiteral("Click a window first"));
    for (Arrow arrow : kAllArrows) {
        EXPECT_TRUE(p.key(arrow)->label().isEmpty());
        EXPECT_EQ(p.key(arrow)->unit(), std::nullopt);
        EXPECT_FALSE(p.key(arrow)->symbol().isEmpty());
    }
    EXPECT_EQ(p.fillKey()->unit(), UnitRect(0, 0, 1, 1));
}

TEST_F(PadTest, HoveringAnArrowKeyOutlinesItsPreview)
{
    ArrowPadView& p = pad();
    enter(p.key(Arrow::right));
    EXPECT_EQ(hud.hovered(), Arrow::right);
    EXPECT_EQ(outline(), hud.previews().at(Arrow::right).unit->rect(display(0).area, 8));
    leave(p.key(Arrow::right));
    EXPECT_EQ(hud.hovered(), std::nullopt);
    EXPECT_FALSE(outline());
    enter(p.key(Arrow::up));
    EXPECT_EQ(hud.hovered(), Arrow::up);
    EXPECT_EQ(outline(), hud.previews().at(Arrow::up).unit->rect(display(0).area, 8));
    leave(p.key(Arrow::up));

    // The fill key lights up but leaves the outline alone.
    enter(p.fillKey());
    EXPECT_TRUE(p.fillKey()->isHovered());
    EXPECT_EQ(hud.hovered(), std::nullopt);
    EXPECT_FALSE(outline());
}

TEST_F(PadTest, ClicksMoveTheWindowAndMarkTheKey)
{
    ArrowPadView& p = pad();
    const auto expected = hud.previews().at(Arrow::right).unit;
    p.key(Arrow::right)->click();
    EXPECT_EQ(focused().frame, expected->rect(display(0).area, 8));
    EXPECT_EQ(outline(), focused().frame);
    EXPECT_TRUE(p.key(Arrow::right)->isHit());
    env.clock.advance(0.2);
    EXPECT_FALSE(p.key(Arrow::right)->isHit());

    p.fillKey()->click();
    EXPECT_EQ(focused().frame, UnitRect().rect(display(0).area, 8));
    EXPECT_EQ(outline(), focused().frame);
    EXPECT_EQ(hud.pressed(), std::nullopt);
}

TEST_F(PadTest, TheZoneGlidesToItsNewPlace)
{
    ArrowPadView& p = pad();
    KeyDisplay* display = p.key(Arrow::right)->display();
    const QRectF before = *display->drawnZone();
    p.key(Arrow::right)->click(); // the right key's next step is another zone
    const QRectF target = KeyDisplay::zoneRect(*display->unit(), QSizeF(display->size()));
    ASSERT_NE(before, target);
    env.clock.advance(0.05);
    const QRectF between = *display->drawnZone();
    EXPECT_NE(between, before);
    EXPECT_NE(between, target);
    env.clock.advance(1);
    EXPECT_NEAR(display->drawnZone()->x(), target.x(), 0.05);
    EXPECT_NEAR(display->drawnZone()->width(), target.width(), 0.05);
}

} // namespace
} // namespace tavrin
