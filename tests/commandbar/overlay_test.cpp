#include "barfixture.h"
#include "commandbar/adjustoverlaycontroller.h"
#include "commandbar/adjustview.h"
#include "commandbar/hintlabel.h"
#include "commandbar/planrow.h"
#include "design/elidedlabel.h"
#include "design/tbutton.h"

#include <QMouseEvent>

namespace tavrin {
namespace {

using namespace testing;

// ---- Zones and drops ----

const std::vector<UnitRect> kHalves = {UnitRect(0, 0, 0.5, 1), UnitRect(0.5, 0, 0.5, 1)};

TEST(AdjustZones, ZonesAreWhereTheWindowManagerPutsWindows)
{
    const auto frames = AdjustView::zoneFrames(kHalves, Size{1000, 600}, 8);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], Rect(8, 8, 488, 584));
    EXPECT_EQ(frames[1], Rect(504, 8, 488, 584));
    // No gap (or a negative one): the zones touch each other and the edges.
    for (double gap : {0.0, -4.0}) {
        const auto touching = AdjustView::zoneFrames(kHalves, Size{1000, 600}, gap);
        EXPECT_EQ(touching[0], Rect(0, 0, 500, 600));
        EXPECT_EQ(touching[1], Rect(500, 0, 500, 600));
        EXPECT_EQ(AdjustView::zoneAt(touching, {500, 300}), 1);
    }
}

TEST(AdjustZones, OnlyTheMovedCentreDecidesTheDrop)
{
    const auto frames = AdjustView::zoneFrames(kHalves, Size{1000, 600}, 8);
    // Outline 0's centre is (252, 300).
    auto dropAtX = [&](double x) { return AdjustView::dropTarget(frames, 0, QSizeF(x - 252, 0)); };
    EXPECT_FALSE(dropAtX(496)); // in the gap
    EXPECT_FALSE(dropAtX(503));
    EXPECT_EQ(dropAtX(504), 1);                                       // the left edge belongs to the zone
    EXPECT_FALSE(dropAtX(992));                                       // the right edge does not
    EXPECT_FALSE(dropAtX(400));                                       // its own zone
    EXPECT_FALSE(AdjustView::dropTarget(frames, 1, QSizeF(0, -292))); // y = 8: own zone's top edge
    EXPECT_EQ(AdjustView::dropTarget(frames, 1, QSizeF(-500, -292)), 0);
    EXPECT_FALSE(AdjustView::dropTarget(frames, 1, QSizeF(-500, 292))); // y = 592: the bottom edge
    // Out of range: nothing is dragged.
    EXPECT_FALSE(AdjustView::dropTarget(frames, 5, QSizeF()));
    EXPECT_EQ(AdjustView::movedCentre(frames, 5, QSizeF(10, 10)), (Point{0, 0}));

    // Where zones overlap, the lowest index takes the drop, even the dragged
    // outline's own.
    const std::vector<Rect> overlapping = {Rect(0, 0, 600, 600), Rect(400, 0, 600, 600), Rect(0, 600, 1000, 100)};
    EXPECT_EQ(AdjustView::dropTarget(overlapping, 2, QSizeF(0, -150)), 0); // centre (500, 500)
    EXPECT_FALSE(AdjustView::dropTarget(overlapping, 0, QSizeF(200, 0)));
}

// ---- The overlay on a 1000 × 600 display ----

class OverlayTest : public BarTest {
protected:
    OverlayTest() { env.desktop.setDisplays({{QStringLiteral("Studio"), Rect(0, 0, 1000, 624), 1, 1, 0, 0}}); }

    // The editor, the browser and the terminal in thirds, in the overlay.
    void adjustThirds()
    {
        // Put the three on the one display so that they match.
        previewOf([this] {
            return planFor(*model().capture(), {kEditor, kBrowser, QStringLiteral("Terminal")}, LayoutKind::thirds);
        });
        pressInField(Qt::Key_Tab);
        overlay = bar.adjust().view();
        ASSERT_TRUE(overlay);
    }
    QPoint centreOf(int zone) const
    {
        const Rect f = overlay->zoneFrames()[std::size_t(zone)];
        return QPoint(int(f.midX()), int(f.midY()));
    }
    void drag(QPoint from, QPoint to, bool release = true)
    {
        QTest::mousePress(overlay, Qt::LeftButton, Qt::NoModifier, from);
        for (int step = 1; step <= 4; ++step) {
            const QPoint at = from + (to - from) * step / 4;
            QMouseEvent move(QEvent::MouseMove, QPointF(at), overlay->mapToGlobal(QPointF(at)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(overlay, &move);
        }
        if (release)
            QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, to);
        settle();
    }

    AdjustView* overlay = nullptr;
};

TEST_F(OverlayTest, DroppingOutlineTwoOnTheMainZoneSwapsThem)
{
    adjustThirds();
    ASSERT_EQ(model().rows().size(), 3u);
    const QUuid main = model().rows()[0].id;
    const QUuid third = model().rows()[2].id;

    drag(centreOf(2), centreOf(0) + QPoint(20, 40), false);
    EXPECT_EQ(overlay->dragging(), 2);
    EXPECT_TRUE(overlay->isTarget(0));
    EXPECT_FALSE(overlay->isTarget(1));
    EXPECT_FALSE(overlay->isTarget(2));
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, centreOf(0) + QPoint(20, 40));
    settle();

    EXPECT_FALSE(overlay->dragging());
    EXPECT_EQ(overlay->dragOffset(), QSizeF());
    EXPECT_EQ(model().rows()[0].id, third);
    EXPECT_EQ(model().rows()[2].id, main);
    EXPECT_EQ(model().rows()[0].app, QStringLiteral("Terminal"));
    const auto zones = model().adjustRects();
    EXPECT_TRUE(zones[0].zoneName(true).startsWith(QStringLiteral("Focus")));
    EXPECT_FALSE(zones[2].zoneName(false).startsWith(QStringLiteral("Focus")));

    // Back in the bar the swap shows in the list at once.
    press(overlay, Qt::Key_Tab);
    EXPECT_EQ(view()->findChildren<PlanRow*>()[0]->row().app, QStringLiteral("Terminal"));
}

TEST_F(OverlayTest, TheDropTargetHighlightSpringsInAndOut)
{
    adjustThirds();
    drag(centreOf(2), centreOf(0) + QPoint(20, 40), false);
    ASSERT_TRUE(overlay->isTarget(0));
    // It is on its way, not there at once; a quarter second later it is.
    EXPECT_LT(overlay->targetEmphasis(0), 0.5);
    advance(0.1);
    const qreal partway = overlay->targetEmphasis(0);
    EXPECT_GT(partway, 0.3);
    EXPECT_LT(partway, 0.98);
    advance(0.2);
    EXPECT_GT(overlay->targetEmphasis(0), 0.97);
    EXPECT_EQ(overlay->targetEmphasis(1), 0);

    // Moving off the zone lets it go again the same way.
    QMouseEvent away(QEvent::MouseMove, QPointF(centreOf(2)), overlay->mapToGlobal(QPointF(centreOf(2))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(overlay, &away);
    EXPECT_FALSE(overlay->isTarget(0));
    EXPECT_GT(overlay->targetEmphasis(0), 0.5);
    advance(0.3);
    EXPECT_LT(overlay->targetEmphasis(0), 0.03);
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, centreOf(2));
}

TEST_F(OverlayTest, TheHintCarriesASoftShadow)
{
    adjustThirds();
    auto* hint = overlay->findChild<HintLabel*>(QStringLiteral("adjustHint"));
    ASSERT_TRUE(hint);
    EXPECT_EQ(hint->text(), QStringLiteral("Drag an outline onto another to swap them."));
    // Black at half opacity at most, spreading a few points beyond the glyphs.
    const QImage shadow = hint->shadow();
    int darkest = 0;
    for (int y = 0; y < shadow.height(); ++y)
        for (int x = 0; x < shadow.width(); ++x)
            darkest = std::max(darkest, qAlpha(shadow.pixel(x, y)));
    EXPECT_GT(darkest, 60);
    EXPECT_LE(darkest, 128);
    int aboveText = 0; // a row above the line's box
    for (int x = 0; x < shadow.width(); ++x)
        aboveText = std::max(aboveText, qAlpha(shadow.pixel(x, HintLabel::kPadding - 2)));
    EXPECT_GT(aboveText, 0);

    // Over a white desktop the text stands out from its shadow.
    QImage onWhite(hint->size(), QImage::Format_ARGB32_Premultiplied);
    onWhite.fill(Qt::white);
    hint->render(&onWhite);
    int darkPixels = 0;
    for (int y = 0; y < onWhite.height(); ++y)
        for (int x = 0; x < onWhite.width(); ++x)
            darkPixels += qGray(onWhite.pixel(x, y)) < 200;
    EXPECT_GT(darkPixels, 100);
}

TEST_F(OverlayTest, APressThatMovesLessThanTenPointsLiftsNothing)
{
    adjustThirds();
    const auto before = model().rows()[0].id;
    drag(centreOf(1), centreOf(1) + QPoint(6, 6), false);
    EXPECT_FALSE(overlay->dragging());
    QTest::mouseRelease(overlay, Qt::LeftButton, Qt::NoModifier, centreOf(1) + QPoint(6, 6));
    EXPECT_EQ(model().rows()[0].id, before);

    // A drop in the gap between zones, or back on its own zone, swaps nothing.
    const Rect z0 = overlay->zoneFrames()[0];
    drag(centreOf(1), QPoint(int(z0.maxX()) + 3, centreOf(1).y()));
    drag(centreOf(1), centreOf(1) + QPoint(0, 40));
    EXPECT_EQ(model().rows()[0].id, before);
    EXPECT_FALSE(overlay->dragging());
}

TEST_F(OverlayTest, TheBarRepeatsTheTaskAndIsAtMost440Wide)
{
    adjustThirds();
    auto* bar = overlay->findChild<QWidget*>(QStringLiteral("adjustBar"));
    ASSERT_TRUE(bar && bar->findChild<QWidget*>());
    // The glow and glass reach 48 beyond the bar on each side.
    EXPECT_EQ(bar->width() - 96, 440);
    // The width comes from the display's points, not from how large the
    // display is drawn.
    overlay->resize(500, 600);
    settle();
    EXPECT_EQ(bar->width() - 96, 440);
    AdjustView narrow(model(), Size{500, 600});
    narrow.setDrawnArea(QRectF(0, 0, 250, 300));
    EXPECT_EQ(narrow.findChild<QWidget*>(QStringLiteral("adjustBar"))->width() - 96, 430);
    EXPECT_EQ(overlay->findChild<ElidedLabel*>(QStringLiteral("adjustTask"))->text(), kTask);
}

TEST_F(OverlayTest, BackAndPlaceButtons)
{
    adjustThirds();
    QTest::mouseClick(overlay->findChild<TButton*>(QStringLiteral("adjustBack")), Qt::LeftButton);
    settle();
    EXPECT_EQ(model().phase(), CommandBarPhase::preview());
    EXPECT_TRUE(bar.isShowing());
    EXPECT_FALSE(bar.adjust().panel()->isVisible());

    pressInField(Qt::Key_Tab);
    overlay = bar.adjust().view();
    // A fresh view on every show: nothing lifted.
    EXPECT_FALSE(overlay->dragging());
    QTest::mouseClick(overlay->findChild<TButton*>(QStringLiteral("adjustPlace")), Qt::LeftButton);
    settle();
    EXPECT_EQ(model().phase(), CommandBarPhase::arranging());
    ASSERT_EQ(runner.calls.size(), 1u);
    advance(runner.delay);
    EXPECT_FALSE(bar.adjust().panel()->isVisible());
    EXPECT_TRUE(SavedWorkspaceStore::load().isEmpty()); // placing never saves
}

TEST_F(OverlayTest, BackSaysSoOnceAndLeavesThePanelToItsOwner)
{
    // Without the command-bar controller's handlers: the overlay alone.
    previewOf();
    CommandBarModel& m = model();
    int backs = 0;
    m.onAdjust = [] {};
    m.adjust();
    AdjustOverlayController overlayController;
    QObject::connect(&overlayController, &AdjustOverlayController::backToPreview, [&] { ++backs; });
    overlayController.show(m, m.capture()->display.area);
    settle();
    press(overlayController.view(), Qt::Key_Escape);
    EXPECT_EQ(backs, 1);
    EXPECT_EQ(m.phase(), CommandBarPhase::preview());
    EXPECT_TRUE(overlayController.panel()->isVisible());
    press(overlayController.view(), Qt::Key_Tab); // no longer adjusting
    EXPECT_EQ(backs, 1);
}

} // namespace
} // namespace tavrin
