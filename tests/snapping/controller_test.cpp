#include "hudfixture.h"

#include <QSignalSpy>

namespace tavrin {
namespace {

using Controller = SnapHUDController;

// ---- Holding ⌃⌥ ----

TEST_F(HUDTest, HoldingControlOptionShowsTheOverlayCentredOnTheFocusedDisplayAndFadesItIn)
{
    hold();
    env.clock.advance(0.34);
    EXPECT_FALSE(hud.isShowing());
    EXPECT_EQ(panels->hud, nullptr); // not even made yet
    env.clock.advance(0.02);
    ASSERT_TRUE(hud.isShowing());

    const Rect area = display(0).area;
    const Rect frame = panels->hud->frame();
    EXPECT_EQ(frame.size(), FakeHUDPanels::kHUDSize);
    EXPECT_NEAR(frame.midX(), area.midX(), 0.5);
    EXPECT_NEAR(frame.midY(), area.midY(), 0.5);
    EXPECT_EQ(hud.appName(), QStringLiteral("Visual Studio Code"));
    EXPECT_NEAR(hud.aspect(), 3440.0 / 1352, 1e-9);

    // Fading in over 0.12 s from when it showed.
    const double shown = panels->hud->opacity();
    EXPECT_LT(shown, 0.5);
    env.clock.advance(0.05);
    EXPECT_GT(panels->hud->opacity(), shown);
    EXPECT_LT(panels->hud->opacity(), 1);
    env.clock.advance(0.1);
    EXPECT_EQ(panels->hud->opacity(), 1);
}

TEST_F(HUDTest, TheOverlayShowsOnTheDisplayOfTheFocusedWindow)
{
    addProbe(env, QStringLiteral("Side"), {3600, 400, 600, 500});
    showHUD();
    const Rect area = display(1).area;
    EXPECT_NEAR(panels->hud->frame().midX(), area.midX(), 0.5);
    EXPECT_NEAR(panels->hud->frame().midY(), area.midY(), 0.5);
    EXPECT_EQ(hud.appName(), QStringLiteral("Side app"));
}

TEST_F(HUDTest, OnlyExactlyControlOptionHolds)
{
    const std::uint64_t capsLock = 1ull << 16, function = 1ull << 23;
    const struct {
        std::uint64_t flags;
        bool shows;
    } cases[] = {
        {modflag::control | modflag::option, true},
        {modflag::control | modflag::option | capsLock | function, true}, // not counted
        {modflag::control | modflag::option | modflag::shift, false},
        {modflag::control | modflag::option | modflag::command, false},
        {modflag::control, false},
        {modflag::option, false},
    };
    for (const auto& c : cases) {
        release();
        env.desktop.setModifierFlags(c.flags);
        env.clock.advance(1);
        EXPECT_EQ(hud.isShowing(), c.shows) << std::hex << c.flags;
    }
}

TEST_F(HUDTest, LettingGoBeforeTheHoldEndsShowsNothing)
{
    hold();
    env.clock.advance(0.2);
    release();
    env.clock.advance(0.2);
    hold();
    env.clock.advance(0.2); // a fresh hold, not the old one's remainder
    EXPECT_FALSE(hud.isShowing());
    env.clock.advance(0.15);
    EXPECT_TRUE(hud.isShowing());
}

TEST_F(HUDTest, AnyOtherModifierHidesBothPanelsAtOnce)
{
    const std::uint64_t changes[] = {modflag::control | modflag::option | modflag::shift,
                                     modflag::control | modflag::option | modflag::command, modflag::control,
                                     modflag::option, 0};
    for (std::uint64_t flags : changes) {
        showHUD();
        hud.setHovered(Arrow::left);
        hud.showPreview(Arrow::left);
        ASSERT_TRUE(outline());
        env.desktop.setModifierFlags(flags);
        EXPECT_FALSE(hud.isShowing()) << flags;
        EXPECT_FALSE(outline()) << flags;
        EXPECT_EQ(hud.hovered(), std::nullopt);
        release();
    }
}

TEST_F(HUDTest, HoldingAgainWhileShowingChangesNothing)
{
    showHUD();
    const Rect frame = panels->hud->frame();
    env.desktop.setFrame(focused().token, {200, 200, 800, 600});
    env.desktop.setModifierFlags(modflag::control | modflag::option | (1ull << 16));
    env.clock.advance(1);
    EXPECT_FALSE(hud.isHoldPending());
    EXPECT_EQ(panels->hud->frame(), frame);
    EXPECT_EQ(panels->made, 1);
}

TEST_F(HUDTest, WithoutAFocusedWindowTheHoldEndsQuietly)
{
    env.desktop.setTrusted(false);
    hold();
    env.clock.advance(1);
    EXPECT_FALSE(hud.isShowing());
    EXPECT_FALSE(hud.isHoldPending());
}

TEST_F(HUDTest, TheOverlaySwitchIsReadWhenTheKeysGoDown)
{
    const struct {
        std::optional<QVariant> stored;
        bool shows;
    } cases[] = {
        {std::nullopt, true},        {QVariant(true), true},
        {QVariant(false), false},    {QVariant(QStringLiteral("NO")), true}, // only a stored switch counts
        {QVariant(qint64(0)), true},
    };
    for (const auto& c : cases) {
        release();
        if (c.stored)
            env.defaults.setValue(Controller::kOverlayKey, *c.stored);
        else
            env.defaults.remove(Controller::kOverlayKey);
        hold();
        env.clock.advance(1);
        EXPECT_EQ(hud.isShowing(), c.shows) << (c.stored ? c.stored->toString().toStdString() : "missing");
    }
    // Switching it off while the overlay shows leaves it up.
    env.defaults.remove(Controller::kOverlayKey);
    release();
    showHUD();
    env.defaults.setValue(Controller::kOverlayKey, false);
    env.clock.advance(1);
    EXPECT_TRUE(hud.isShowing());
}

TEST_F(HUDTest, RemovingTheMonitorsForgetsAPendingHold)
{
    hold();
    env.clock.advance(0.2);
    hud.removeMonitors();
    env.clock.advance(1);
    EXPECT_FALSE(hud.isShowing());
    EXPECT_FALSE(hud.isHoldPending());
    // And nothing is heard of the keys any more.
    release();
    hold();
    env.clock.advance(1);
    EXPECT_FALSE(hud.isShowing());

    hud.installMonitors();
    hud.installMonitors();
    release();
    hold();
    env.clock.advance(1);
    EXPECT_TRUE(hud.isShowing());
    hud.removeMonitors();
    EXPECT_FALSE(hud.isShowing());
    EXPECT_FALSE(hud.hasMonitors());
}

// ---- What the overlay shows ----

TEST_F(HUDTest, AWindowExactlyOnASnapZoneHighlightsIt)
{
    const Rect area = display(0).area;
    const double aspect = display(0).aspect();
    const Rect topHalf = rect(SnapTarget::topHalf, aspect).rect(area, windows.gap());
    env.desktop.setFrame(focused().token, topHalf);
    showHUD();
    EXPECT_EQ(hud.highlighted(), SnapTarget::topHalf);

    release();
    env.desktop.setFrame(focused().token, {topHalf.x + 1, topHalf.y, topHalf.width, topHalf.height});
    showHUD();
    EXPECT_EQ(hud.highlighted(), std::nullopt);

    // With another gap, the zone's frame moves with it.
    release();
    env.defaults.setValue(QStringLiteral("gap"), 20.0);
    env.desktop.setFrame(focused().token, rect(SnapTarget::bottomRight, aspect).rect(area, 20));
    showHUD();
    EXPECT_EQ(hud.highlighted(), SnapTarget::bottomRight);
}

TEST_F(HUDTest, TheLetterGridSwitchIsReadAtEveryShow)
{
    showHUD();
    EXPECT_FALSE(hud.letters());
    release();
    env.defaults.setValue(Controller::kLettersKey, true);
    EXPECT_FALSE(hud.letters());
    showHUD();
    EXPECT_TRUE(hud.letters());
}

TEST_F(HUDTest, PreviewsSayWhatEachArrowWouldDo)
{
    showHUD();
    const auto context = windows.arrowContext();
    ASSERT_TRUE(context);
    EXPECT_EQ(hud.currentLabel(), label(std::optional<UnitRect>(context->unit)));
    ASSERT_EQ(hud.previews().size(), 4u);
    for (Arrow arrow : {Arrow::left, Arrow::right, Arrow::up}) {
        const auto next = nextUnit(arrow, context->unit, display(0).aspect());
        EXPECT_EQ(hud.previews().at(arrow), (ArrowPreview{next, label(next)})) << name(arrow).toStdString();
    }
    // ↓ on the ultrawide display puts back, and there is nothing yet.
    EXPECT_EQ(hud.previews().at(Arrow::down), (ArrowPreview{std::nullopt, QStringLiteral("nothing to undo")}));
}

TEST_F(HUDTest, DownOnAWideDisplayOffersToPutBackOnlyWhereThatMovesTheWindow)
{
    const Rect start = focused().frame;
    windows.arrow(Arrow::left);
    env.clock.advance(1);
    showHUD();
    const auto restore = UnitRect::fromFrame(start, display(0).area);
    EXPECT_EQ(hud.previews().at(Arrow::down), (ArrowPreview{restore, QStringLiteral("put back")}));

    // A place to go back to with the same label as where the window is:
    // nothing to undo.
    release();
    windows.arrow(Arrow::down); // back where it started, nothing recorded
    env.desktop.setFrame(focused().token, display(0).area);
    windows.fill(); // records the whole area, and fills it again
    env.clock.advance(1);
    showHUD();
    EXPECT_EQ(hud.currentLabel(), QStringLiteral("full"));
    EXPECT_EQ(hud.previews().at(Arrow::down), (ArrowPreview{std::nullopt, QStringLiteral("nothing to undo")}));
}

TEST_F(HUDTest, WithoutAFocusedWindowThePreviewsAreEmpty)
{
    showHUD();
    ASSERT_FALSE(hud.previews().empty());
    env.desktop.setTrusted(false);
    hud.refreshPreviews();
    EXPECT_TRUE(hud.previews().empty());
    EXPECT_TRUE(hud.currentLabel().isEmpty());
}

// ---- The outline after a shortcut ----

TEST_F(HUDTest, AnArrowWithTheOverlayHiddenFlashesTheNewFrameAndFadesIt)
{
    const auto frame = windows.arrow(Arrow::left);
    ASSERT_TRUE(frame);
    hud.flashArrow(Arrow::left, *frame);
    EXPECT_EQ(outline(), frame);
    EXPECT_EQ(panels->outline->frame(), frame->insetBy(-2, -2));
    EXPECT_EQ(panels->outline->opacity(), 1);
    EXPECT_FALSE(hud.isShowing());

    env.clock.advance(0.44);
    EXPECT_EQ(panels->outline->opacity(), 1);
    env.clock.advance(0.1);
    EXPECT_LT(panels->outline->opacity(), 1);
    EXPECT_GT(panels->outline->opacity(), 0);
    EXPECT_TRUE(outline());
    env.clock.advance(0.15);
    EXPECT_FALSE(outline());
    EXPECT_EQ(hud.pressed(), std::nullopt); // no overlay, no pressed key
}

TEST_F(HUDTest, LettingGoOfTheHotKeyKeepsItsFlashUntilItFadesButTheOverlaysOutlineGoesWithIt)
{
    // Ctrl+Alt+← pressed and let go at once: the overlay never showed.
    hold();
    const auto frame = windows.arrow(Arrow::left);
    hud.flashArrow(Arrow::left, *frame);
    release();
    EXPECT_EQ(outline(), frame);
    env.clock.advance(0.44);
    EXPECT_EQ(panels->outline->opacity(), 1);
    env.clock.advance(0.3);
    EXPECT_FALSE(outline());

    // With the overlay up, letting go takes both away at once.
    showHUD();
    hud.flashArrow(Arrow::right, *windows.arrow(Arrow::right));
    release();
    EXPECT_FALSE(hud.isShowing());
    EXPECT_FALSE(outline());
}

TEST_F(HUDTest, AnotherArrowWithinTheWaitRestartsIt)
{
    const auto first = windows.arrow(Arrow::left);
    hud.flashArrow(Arrow::left, *first);
    env.clock.advance(0.3);
    const auto second = windows.arrow(Arrow::left);
    ASSERT_NE(first, second);
    hud.flashArrow(Arrow::left, *second);
    env.clock.advance(0.3); // 0.6 s after the first
    EXPECT_EQ(outline(), second);
    EXPECT_EQ(panels->outline->opacity(), 1);
    env.clock.advance(0.4);
    EXPECT_FALSE(outline());
}

TEST_F(HUDTest, AFlashWhileTheLastOneFadesStaysItsFullTime)
{
    const auto first = windows.fill();
    hud.flashArrow(std::nullopt, *first);
    env.clock.advance(0.55); // fading
    ASSERT_LT(panels->outline->opacity(), 1);
    const auto second = windows.arrow(Arrow::right);
    hud.flashArrow(Arrow::right, *second);
    EXPECT_EQ(panels->outline->opacity(), 1);
    env.clock.advance(0.3); // the first fade would have ended by now
    EXPECT_EQ(outline(), second);
    EXPECT_EQ(panels->outline->opacity(), 1);
}

TEST_F(HUDTest, AFlashAfterTheOverlayHasGoneLeavesItHidden)
{
    showHUD();
    release();
    const auto frame = windows.arrow(Arrow::right);
    hud.flashArrow(Arrow::right, *frame);
    EXPECT_FALSE(hud.isShowing());
    EXPECT_EQ(outline(), frame);
    env.clock.advance(1);
    EXPECT_FALSE(outline());
    EXPECT_FALSE(hud.isShowing());
}

TEST_F(HUDTest, AnArrowWithTheOverlayShowingMarksTheKeyAndKeepsTheOutline)
{
    windows.snap(SnapTarget::topLeft);
    showHUD();
    ASSERT_EQ(hud.highlighted(), SnapTarget::topLeft);
    QSignalSpy previews(&hud, &Controller::previewsChanged);

    const auto frame = windows.arrow(Arrow::right);
    hud.flashArrow(Arrow::right, *frame);
    EXPECT_EQ(hud.pressed(), Arrow::right);
    EXPECT_EQ(hud.highlighted(), std::nullopt);
    EXPECT_EQ(previews.count(), 1); // at once: the press is the previous one now
    const auto context = windows.arrowContext();
    EXPECT_EQ(hud.previews().at(Arrow::right).unit,
              nextUnit(Arrow::right, context->unit, display(0).aspect(), context->previous));
    EXPECT_EQ(outline(), frame);
    EXPECT_EQ(panels->order->last(), QStringLiteral("front outline under hud"));

    env.clock.advance(0.15);
    EXPECT_EQ(hud.pressed(), Arrow::right);
    env.clock.advance(0.02);
    EXPECT_EQ(hud.pressed(), std::nullopt);
    env.clock.advance(0.8);
    EXPECT_EQ(previews.count(), 2); // the chord is over: the previews change again
    EXPECT_EQ(hud.previews().at(Arrow::right).unit,
              nextUnit(Arrow::right, windows.arrowContext()->unit, display(0).aspect()));

    env.clock.advance(3);
    EXPECT_EQ(outline(), frame); // up until the overlay hides
    release();
    EXPECT_FALSE(outline());
}

TEST_F(HUDTest, UnderTheHoveredKeyTheOutlineFollowsItsPreview)
{
    showHUD();
    hud.setHovered(Arrow::up);
    hud.showPreview(Arrow::up);
    const Rect area = display(0).area;
    EXPECT_EQ(outline(), hud.previews().at(Arrow::up).unit->rect(area, windows.gap()));

    const auto frame = windows.arrow(Arrow::left);
    hud.flashArrow(Arrow::left, *frame);
    // The up key's preview after the left press: a corner.
    const auto after = hud.previews().at(Arrow::up).unit;
    ASSERT_TRUE(after);
    EXPECT_EQ(outline(), after->rect(area, windows.gap()));
    EXPECT_NE(outline(), frame);
    env.clock.advance(2);
    EXPECT_TRUE(outline()); // no fade under the pointer
}

TEST_F(HUDTest, AHoveredArrowWithNothingToDoShowsNoOutline)
{
    showHUD();
    hud.setHovered(Arrow::left);
    hud.showPreview(Arrow::left);
    ASSERT_TRUE(outline());
    hud.setHovered(Arrow::down); // nothing to undo
    hud.showPreview(Arrow::down);
    EXPECT_FALSE(outline());
}

TEST_F(HUDTest, ASnapTargetIsShownOnlyOnTheOverlay)
{
    const auto hidden = windows.snap(SnapTarget::leftThird);
    hud.flashTarget(SnapTarget::leftThird, *hidden);
    EXPECT_EQ(hud.highlighted(), std::nullopt);
    EXPECT_EQ(panels->outline, nullptr);

    showHUD();
    const auto frame = windows.snap(SnapTarget::rightThird);
    hud.flashTarget(SnapTarget::rightThird, *frame);
    EXPECT_EQ(hud.highlighted(), SnapTarget::rightThird);
    EXPECT_EQ(outline(), frame);
    env.clock.advance(2);
    EXPECT_EQ(outline(), frame); // no fade
}

TEST_F(HUDTest, WithTheOverlayOffArrowsStillFlash)
{
    env.defaults.setValue(Controller::kOverlayKey, false);
    hold();
    env.clock.advance(1);
    EXPECT_FALSE(hud.isShowing());
    const auto frame = windows.arrow(Arrow::up);
    hud.flashArrow(Arrow::up, *frame);
    EXPECT_EQ(outline(), frame);
    hud.flashTarget(SnapTarget::topLeft, *windows.snap(SnapTarget::topLeft));
    EXPECT_EQ(outline(), frame);
}

TEST_F(HUDTest, ThePanelsAreMadeOnceAndReused)
{
    for (int i = 0; i < 3; ++i) {
        showHUD();
        hud.flashArrow(Arrow::left, *windows.arrow(Arrow::left));
        release();
        env.clock.advance(1);
    }
    EXPECT_EQ(panels->made, 2);
}

} // namespace
} // namespace tavrin
