#include "designfixture.h"

#include "design/aiglow.h"
#include "design/glowrenderer.h"
#include "design/tglass.h"
#include "design/tween.h"
#include "design/visualeffect.h"

#include <QPainter>
#include <QSignalSpy>
#include <cmath>

using namespace tavrin;
using namespace tavrin::test;
using Intensity = AIGlow::Intensity;

TEST(AIGlow, TurnFollowsTheWallClock)
{
    const double degree = 0.017453292519943295;
    EXPECT_NEAR(AIGlow::angle(1.5, Intensity::idle, false), 90 * degree, 1e-9);
    EXPECT_NEAR(AIGlow::angle(6.0 * 1000 + 3, Intensity::idle, false), 180 * degree, 1e-6);
    EXPECT_NEAR(AIGlow::angle(2.4 * 1000 + 1.2, Intensity::working, false), 180 * degree, 1e-6);
    EXPECT_NEAR(AIGlow::angle(0.6, Intensity::working, false), 90 * degree, 1e-9);
    EXPECT_NEAR(AIGlow::angle(-0.6, Intensity::working, false), 270 * degree, 1e-9);
    EXPECT_EQ(AIGlow::angle(qInf(), Intensity::idle, false), 0);
    // Drawn, an idle turn goes in steps, to the nearest; a working one not.
    const double step = AIGlow::kIdleStepDegrees;
    EXPECT_NEAR(AIGlow::shownAngle(6 * (10 * step + 0.4) / 360, Intensity::idle, false), 10 * step * degree, 1e-9);
    EXPECT_NEAR(AIGlow::shownAngle(6 * (10 * step + 0.6 * step) / 360, Intensity::idle, false), 11 * step * degree,
                1e-9);
    EXPECT_EQ(AIGlow::shownAngle(6 - 0.001, Intensity::idle, false), 0);
    EXPECT_NEAR(AIGlow::shownAngle(0.61, Intensity::working, false), AIGlow::angle(0.61, Intensity::working, false),
                1e-12);
    // Reduce motion: unturned at either intensity.
    for (Intensity intensity : {Intensity::idle, Intensity::working}) {
        EXPECT_EQ(AIGlow::angle(1.5, intensity, true), 0);
        EXPECT_EQ(AIGlow::shownAngle(1.5, intensity, true), 0);
    }
}

TEST(AIGlow, IdleAndWorkingDifferInPeriodAndHalo)
{
    EXPECT_EQ(AIGlow::haloOpacity(Intensity::off), 0);
    EXPECT_DOUBLE_EQ(AIGlow::haloOpacity(Intensity::idle), 0.35);
    EXPECT_DOUBLE_EQ(AIGlow::haloOpacity(Intensity::working), 0.5);
}

TEST(GlowRenderer, RainbowRunsClockwiseFromTheAngle)
{
    const QList<QColor>& c = GlowRenderer::colours();
    ASSERT_EQ(c.size(), 6);
    EXPECT_EQ(c.first(), c.last());
    EXPECT_NEAR(c[3].blueF(), 1.0, 1e-6);

    // Sample the rainbow on a ring around the centre: at the start angle
    // orange, a quarter turn clockwise (downwards on screen) on towards violet.
    QImage image(201, 201, QImage::Format_ARGB32);
    {
        QPainter p(&image);
        p.fillRect(image.rect(), GlowRenderer::gradient(QPointF(100.5, 100.5), 0));
    }
    const QColor start = image.pixelColor(190, 100);
    EXPECT_GT(start.red(), 240);
    EXPECT_LT(start.blue(), 40);
    const QColor quarter = image.pixelColor(100, 190); // 90° clockwise: between pink and violet
    EXPECT_GT(quarter.blue(), 120);
    EXPECT_GT(quarter.red(), 150);
    const QColor threeQuarters = image.pixelColor(100, 10); // 270°: between blue and cyan
    EXPECT_GT(threeQuarters.blue(), 240);
    EXPECT_LT(threeQuarters.red(), 120);
    EXPECT_DOUBLE_EQ(GlowRenderer::reach(), 43);
}

TEST(GlowRenderer, HaloAndRingFollowTheRainbowAroundTheShape)
{
    EXPECT_EQ(GlowRenderer::colourAt(0), GlowRenderer::colours().first().rgb());
    EXPECT_EQ(GlowRenderer::colourAt(1), GlowRenderer::colourAt(0));
    EXPECT_EQ(GlowRenderer::colourAt(0.6), GlowRenderer::colours()[3].rgb());

    const QRectF shape(60, 60, 200, 100);
    const QList<QRectF> covered = {shape.adjusted(20, 20, -20, -20)};
    auto render = [&](qreal angle, qreal halo) {
        QImage image(320, 220, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        GlowRenderer renderer;
        QPainter p(&image);
        renderer.paint(p, shape, 12, angle, halo, 1, covered);
        p.end();
        return image;
    };
    const QImage glow = render(0, 0.5);
    // Right of the centre (the start angle) orange; below it (a quarter turn
    // clockwise) pink to violet; above (three quarters) blue to cyan.
    const QColor right = glow.pixelColor(262, 110);
    EXPECT_GT(right.red(), 200);
    EXPECT_LT(right.blue(), 80);
    const QColor below = glow.pixelColor(160, 162);
    EXPECT_GT(below.blue(), 120);
    EXPECT_GT(below.red(), 150);
    const QColor above = glow.pixelColor(160, 58);
    EXPECT_GT(above.blue(), 200);
    EXPECT_LT(above.red(), 120);
    // The ring is opaque, the halo beyond it soft and fading out.
    EXPECT_EQ(glow.pixelColor(160, 59).alpha(), 255);
    EXPECT_GT(glow.pixelColor(160, 50).alpha(), 30);
    EXPECT_LT(glow.pixelColor(160, 50).alpha(), 140);
    EXPECT_EQ(glow.pixelColor(160, 5).alpha(), 0);
    // Inside what the caller covers nothing is drawn.
    EXPECT_EQ(glow.pixelColor(160, 110).alpha(), 0);

    // Half a turn later the colours have swapped sides; without a halo only
    // the ring is left.
    const QImage turned = render(M_PI, 0.5);
    EXPECT_GT(turned.pixelColor(160, 58).red(), 200);
    const QImage ringOnly = render(0, 0);
    EXPECT_EQ(ringOnly.pixelColor(160, 50).alpha(), 0);
    EXPECT_EQ(ringOnly.pixelColor(160, 59).alpha(), 255);
}

TEST(GlowRenderer, KeptFramesDrawAsFilledOnesUntilTheLookChanges)
{
    const QRectF shape(60, 60, 200, 100);
    const QList<QRectF> covered = {shape.adjusted(20, 20, -20, -20)};
    GlowRenderer kept;
    kept.keepFrames(3);
    GlowRenderer fresh;
    auto draw = [&](GlowRenderer& renderer, qreal angle, qreal halo) {
        QImage image(320, 220, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        renderer.paint(p, shape, 12, angle, halo, 1, covered);
        return image;
    };
    for (qreal angle : {0.0, 1.0, 2.0, 3.0})
        draw(kept, angle, 0.35);
    EXPECT_EQ(kept.keptFrames(), 3); // no more than asked
    // Round again: each turn as drawn afresh, kept or not.
    for (qreal angle : {1.0, 0.0, 3.0, 2.0})
        EXPECT_EQ(draw(kept, angle, 0.35), draw(fresh, angle, 0.35)) << angle;

    // Another halo (a fade) or another cover (a new look of the content)
    // drops the frames kept.
    EXPECT_EQ(draw(kept, 1, 0.5), draw(fresh, 1, 0.5));
    EXPECT_EQ(kept.keptFrames(), 1);
    QImage cover(kept.imageRect(shape).size().toSize(), QImage::Format_ARGB32_Premultiplied);
    cover.fill(QColor(0, 0, 0, 60));
    kept.setCover(cover, 7);
    fresh.setCover(cover, 7);
    EXPECT_EQ(kept.keptFrames(), 0);
    EXPECT_EQ(draw(kept, 1, 0.5), draw(fresh, 1, 0.5));
    draw(kept, 2, 0.5);
    EXPECT_EQ(draw(kept, 1, 0.5), draw(fresh, 1, 0.5));
    kept.keepFrames(0);
    EXPECT_EQ(kept.keptFrames(), 0);
}

TEST(TGlass, LookBySchemeAndBlur)
{
    const TGlass::Look dark = TGlass::look(ColorScheme::dark, true);
    EXPECT_EQ(dark.tint.rgb(), QColor(38, 40, 47).rgb());
    EXPECT_NEAR(dark.tint.alphaF(), 0.62, 0.002);
    EXPECT_NEAR(dark.outline.alphaF(), 0.12, 0.002);
    EXPECT_TRUE(dark.topHighlight);
    EXPECT_NEAR(dark.shadow.alphaF(), 0.55, 0.002);
    EXPECT_EQ(dark.shadowBlur, 30);
    EXPECT_EQ(dark.shadowOffset, QPointF(0, 14));

    const TGlass::Look light = TGlass::look(ColorScheme::light, true);
    EXPECT_EQ(light.tint.rgb(), QColor(250, 251, 252).rgb());
    EXPECT_NEAR(light.tint.alphaF(), 0.7, 0.002);
    EXPECT_NEAR(light.outline.alphaF(), 0.75, 0.002);
    EXPECT_FALSE(light.topHighlight);
    EXPECT_NEAR(light.shadow.alphaF(), 0.3, 0.002);

    // Without blur nothing behind may show through.
    EXPECT_EQ(TGlass::look(ColorScheme::dark, false).tint.alpha(), 255);
    EXPECT_EQ(TGlass::look(ColorScheme::light, false).tint.alpha(), 255);
}

TEST(TGlass, OpaqueWithoutBlurTranslucentWithIt)
{
    auto centre = [](bool blur) {
        QImage image(200, 120, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        TGlass::paint(p, QRectF(40, 20, 120, 60), 18, ColorScheme::dark, blur);
        p.end();
        return image.pixelColor(100, 50);
    };
    EXPECT_EQ(centre(false).alpha(), 255);
    EXPECT_EQ(centre(false).rgb(), QColor(38, 40, 47).rgb());
    EXPECT_LT(centre(true).alpha(), 255);

    EXPECT_EQ(VisualEffect::solidColour(VisualEffect::Material::hudWindow, ColorScheme::dark).alpha(), 255);
    EXPECT_EQ(int(VisualEffect::Material::hudWindow), 13);
}

TEST(Tween, EasesBetweenValues)
{
    EXPECT_EQ(Tween::ease(Tween::Curve::easeInOut, 0), 0);
    EXPECT_EQ(Tween::ease(Tween::Curve::easeInOut, 1), 1);
    EXPECT_NEAR(Tween::ease(Tween::Curve::easeInOut, 0.5), 0.5, 1e-3);
    EXPECT_GT(Tween::ease(Tween::Curve::easeOut, 0.5), 0.6);

    Tween t(0);
    t.animate(1, 0.35, Tween::Curve::easeInOut, 10);
    EXPECT_EQ(t.value(10), 0);
    EXPECT_TRUE(t.running(10.2));
    EXPECT_EQ(t.value(10.35), 1);
    // Turning mid-way starts from where it is.
    const qreal mid = t.value(10.175);
    t.animate(0, 0.35, Tween::Curve::easeInOut, 10.175);
    EXPECT_DOUBLE_EQ(t.value(10.175), mid);
    t.animate(5, 0, Tween::Curve::easeOut, 11);
    EXPECT_EQ(t.value(11), 5);
}

class AIGlowTest : public DesignTest {};

TEST_F(AIGlowTest, FramesRunOnlyWhileVisibleAndMoving)
{
    for (Intensity intensity : {Intensity::idle, Intensity::working}) {
        SCOPED_TRACE(int(intensity));
        AIGlow glow(intensity, 18);
        glow.resize(200, 100);
        EXPECT_FALSE(glow.isAnimating()); // not shown yet
        glow.show();
        EXPECT_TRUE(glow.isAnimating());
        glow.hide();
        EXPECT_FALSE(glow.isAnimating());
        EXPECT_EQ(clock.pending(), 0u);
        glow.show();
        EXPECT_TRUE(glow.isAnimating());

        appearance.setReduceMotion(true);
        EXPECT_FALSE(glow.isAnimating());
        EXPECT_EQ(clock.pending(), 0u);
        appearance.setReduceMotion(false);
        EXPECT_TRUE(glow.isAnimating());
    }
}

TEST_F(AIGlowTest, AnIdleTurnDrawsAFrameAStepWorkAndFadesSixtyASecond)
{
    AIGlow glow(Intensity::idle, 18);
    glow.resize(200, 100);
    glow.show();
    auto framesIn = [&](double seconds) {
        const int before = clock.fired();
        clock.advance(seconds);
        return clock.fired() - before;
    };
    // An idle glow turns a step a frame, once every 6 seconds.
    const double idleRate = 360 / AIGlow::kIdleStepDegrees / 6.0;
    EXPECT_NEAR(framesIn(1.0), idleRate, 1);
    const QImage before = glow.grab().toImage();
    clock.advance(1.5);
    EXPECT_NE(glow.grab().toImage(), before);
    glow.setIntensity(Intensity::working); // fades its halo up
    EXPECT_NEAR(framesIn(0.3), 18, 1);
    EXPECT_NEAR(framesIn(1.0), 60, 1);
    glow.setIntensity(Intensity::idle);
    clock.advance(0.5); // the fade ends
    EXPECT_NEAR(framesIn(1.0), idleRate, 1);
}

TEST_F(AIGlowTest, OffFadesOutThenStops)
{
    AIGlow glow(Intensity::idle, 18);
    glow.resize(200, 100);
    glow.show();
    QSignalSpy changed(&glow, &AIGlow::intensityChanged);
    glow.setIntensity(Intensity::off);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(glow.isAnimating()); // fading out
    clock.advance(0.2);
    EXPECT_TRUE(glow.isAnimating());
    clock.advance(0.3);
    EXPECT_FALSE(glow.isAnimating());
    EXPECT_EQ(clock.pending(), 0u);

    glow.setIntensity(Intensity::off);
    EXPECT_EQ(changed.count(), 1);
    glow.setIntensity(Intensity::working);
    EXPECT_TRUE(glow.isAnimating());
}

TEST_F(AIGlowTest, OffDrawsNothingAndGlowShowsAroundTheContent)
{
    auto render = [](AIGlow& glow) {
        QImage image(glow.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        glow.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    auto* content = new QWidget;
    AIGlow glow(Intensity::off, 12, content);
    glow.setOutset(48);
    glow.resize(300, 200);
    glow.show();
    const QImage off = render(glow);
    EXPECT_EQ(off.pixelColor(30, 100).alpha(), 0);

    glow.setIntensity(Intensity::idle);
    clock.advance(1);
    const QImage idle = render(glow);
    // The halo just outside the content's edge, the ring right at it.
    EXPECT_GT(idle.pixelColor(40, 100).alpha(), 20);
    EXPECT_GT(idle.pixelColor(47, 100).alpha(), 200);
    EXPECT_EQ(idle.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(glow.shapeRect(), QRectF(48, 48, 204, 104));
}

TEST_F(AIGlowTest, AFrameRepaintsOnlyTheBandAroundOpaqueGlass)
{
    // A card inside opaque glass (no blur): each frame of the working glow
    // repaints the band around the glass, never what lies inside the card.
    class Counting : public QWidget {
    public:
        int paints = 0;

    protected:
        void paintEvent(QPaintEvent*) override { ++paints; }
    };
    auto* card = new QWidget;
    card->setFixedSize(400, 160);
    auto* inner = new Counting;
    inner->setParent(card);
    inner->setGeometry(30, 30, 340, 100);
    auto* glass = new TGlass(18, card);
    glass->setOutset(48);
    AIGlow glow(Intensity::working, 18, glass);
    glow.setAttribute(Qt::WA_TranslucentBackground);
    glow.show();
    clock.advance(0.1);
    const int before = inner->paints;
    clock.advance(1.0);
    EXPECT_TRUE(glow.isAnimating());
    EXPECT_EQ(inner->paints, before);

    const QRegion band = glow.frameRegion();
    const QRectF shape = glow.shapeRect();
    EXPECT_FALSE(band.contains(shape.center().toPoint()));
    EXPECT_FALSE(band.contains(QPoint(int(shape.left()) + 2, int(shape.center().y()))));
    EXPECT_TRUE(band.contains(QPoint(int(shape.left()) - 3, int(shape.center().y()))));
    // The band reaches no further than the glow is drawn.
    EXPECT_FALSE(band.contains(QPoint(1, 1)));
    EXPECT_TRUE(band.boundingRect().contains(shape.adjusted(-20, -20, 20, 20).toRect()));
}

TEST_F(AIGlowTest, TheBandAFrameRepaintsLooksAsAWholePaintDoes)
{
    // Glass around a card with something of its own along its edge: the band
    // drawn on its own (glow, glass shadow and rim, the card's edge) against
    // the same glow at the same turn drawn whole, as without frames.
    auto* card = new QWidget;
    card->setFixedSize(400, 160);
    auto* edge = new QWidget(card);
    edge->setAutoFillBackground(true);
    edge->setPalette(QPalette(QColor(200, 40, 40)));
    edge->setGeometry(0, 60, 400, 2);
    auto* glass = new TGlass(18, card);
    glass->setOutset(48);
    AIGlow glow(Intensity::working, 18, glass);
    glow.setAttribute(Qt::WA_TranslucentBackground);
    glow.setClearBehind(true);
    glow.show();
    // To a moment when the turn is at its start, as it always is without motion.
    clock.advance(1.0);
    const double period = AIGlow::period(Intensity::working);
    clock.advance(period - std::fmod(clock.now(), period));
    ASSERT_NEAR(AIGlow::angle(clock.now(), Intensity::working, false), 0, 1e-6);
    auto render = [&] {
        QImage image(glow.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        glow.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    ASSERT_TRUE(glow.isAnimating());
    const QImage banded = render();
    appearance.setReduceMotion(true);
    ASSERT_FALSE(glow.isAnimating());
    const QImage whole = render();
    int worst = 0;
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x) {
            const QRgb a = banded.pixel(x, y), b = whole.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
        }
    // Layers laid over each other in another grouping round differently,
    // by a few levels of 255 at most (more where the working halo is
    // brighter).
    EXPECT_LE(worst, 6);
    // The band did draw: the card's edge and the glow beside it.
    EXPECT_GT(qAlpha(banded.pixel(47, 100)), 200);
    EXPECT_EQ(banded.pixel(48, 108), whole.pixel(48, 108));
}

TEST_F(AIGlowTest, ReduceMotionStopsTheTurningButKeepsTheFade)
{
    appearance.setReduceMotion(true);
    AIGlow glow(Intensity::off, 18, new QWidget);
    glow.setOutset(48);
    glow.resize(300, 200);
    glow.show();
    EXPECT_FALSE(glow.isAnimating());

    // Turning on fades in over 0.35 s, and then no frames run.
    glow.setIntensity(Intensity::idle);
    EXPECT_TRUE(glow.isAnimating());
    auto haloAt = [&] {
        QImage image(glow.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        glow.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image.pixelColor(40, 100).alpha();
    };
    clock.advance(0.17);
    const int halfway = haloAt();
    clock.advance(0.3);
    EXPECT_FALSE(glow.isAnimating());
    EXPECT_EQ(clock.pending(), 0u);
    const int full = haloAt();
    EXPECT_GT(halfway, 0);
    EXPECT_LT(halfway, full);

    // Going to working cross-fades the halo too.
    glow.setIntensity(Intensity::working);
    EXPECT_TRUE(glow.isAnimating());
    clock.advance(0.5);
    EXPECT_FALSE(glow.isAnimating());
    EXPECT_GT(haloAt(), full);
}
