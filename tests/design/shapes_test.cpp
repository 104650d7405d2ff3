#include "design/blur.h"
#include "design/layoutglyph.h"
#include "design/markpaths.h"
#include "design/menubaricon.h"
#include "design/shadowcache.h"
#include "design/sparkshape.h"
#include "design/squircle.h"
#include "design/tavrinmark.h"
#include "design/zoneglyph.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {

void expectRect(const QRectF& actual, const QRectF& expected, qreal tolerance = 1e-6)
{
    EXPECT_NEAR(actual.left(), expected.left(), tolerance);
    EXPECT_NEAR(actual.top(), expected.top(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

int alphaAt(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)); }

} // namespace

TEST(Squircle, RadiusZeroIsAPlainRectangle)
{
    const QRectF r(10, 20, 100, 40);
    const QPainterPath p = Squircle::path(r, 0);
    expectRect(p.boundingRect(), r);
    EXPECT_TRUE(p.contains(QPointF(10.01, 20.01)));
    EXPECT_TRUE(Squircle::path(QRectF(0, 0, 0, 10), 4).isEmpty());
    EXPECT_EQ(Squircle::effectiveRadius(r, -3), 0);
    EXPECT_EQ(Squircle::effectiveRadius(r, qQNaN()), 0);
}

TEST(Squircle, ContinuousCornersReachFurtherThanACircle)
{
    const QRectF r(0, 0, 200, 100);
    const QPainterPath p = Squircle::path(r, 10);
    expectRect(p.boundingRect(), r);
    // A circular corner of radius 10 begins 10 points from the corner; a
    // continuous one begins about 15.3 points away.
    EXPECT_EQ(p.elementAt(0).type, QPainterPath::MoveToElement);
    EXPECT_NEAR(p.elementAt(0).x, 15.2866483, 1e-6);
    EXPECT_NEAR(p.elementAt(1).x, 200 - 15.2866483, 1e-6);
    EXPECT_EQ(p.elementAt(1).y, 0);
    EXPECT_TRUE(p.contains(QPointF(199.95, 16)));
    EXPECT_FALSE(p.contains(QPointF(8, 0.3))); // a circle would hold it
    // It cuts the corner less deeply than a circle: the diagonal point of
    // a circle of radius 10 lies inside.
    EXPECT_TRUE(p.contains(QPointF(10 - 10 / std::sqrt(2.0) + 0.3, 10 - 10 / std::sqrt(2.0) + 0.3)));
    EXPECT_FALSE(p.contains(QPointF(1, 1)));
}

TEST(Squircle, AHugeRadiusMakesACapsule)
{
    const QRectF r(0, 0, 916, 40);
    const QPainterPath p = Squircle::path(r, 999);
    expectRect(p.boundingRect(), r, 1e-3);
    EXPECT_EQ(Squircle::effectiveRadius(r, 999), 20);
    // The ends are half circles of radius 20 around (20, 20) and (896, 20).
    for (int deg = 95; deg < 265; deg += 10) {
        const qreal a = qDegreesToRadians(qreal(deg));
        EXPECT_TRUE(p.contains(QPointF(20 + 19.7 * std::cos(a), 20 + 19.7 * std::sin(a)))) << deg;
        EXPECT_FALSE(p.contains(QPointF(20 + 20.3 * std::cos(a), 20 + 20.3 * std::sin(a)))) << deg;
    }
    EXPECT_TRUE(p.contains(QPointF(458, 0.05)));
}

TEST(Squircle, InsetShrinksTheRadiusAlike)
{
    const QRectF r(0, 0, 100, 50);
    const QPainterPath inset = Squircle::inset(r, 8, 0.25);
    expectRect(inset.boundingRect(), QRectF(0.25, 0.25, 99.5, 49.5));
    // Same as the shape of the shrunk rectangle with radius 7.75.
    EXPECT_EQ(inset, Squircle::path(QRectF(0.25, 0.25, 99.5, 49.5), 7.75));
    // Radius 0 keeps square corners, the outline still a quarter point in.
    expectRect(Squircle::inset(r, 0, 0.25).boundingRect(), QRectF(0.25, 0.25, 99.5, 49.5));
    EXPECT_TRUE(Squircle::inset(QRectF(0, 0, 0.4, 10), 2, 0.25).isEmpty());
}

TEST(Squircle, HairlineLiesInsideTheEdge)
{
    QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        Squircle::strokeInside(p, QRectF(0, 0, 20, 20), 0, 2, Qt::black);
    }
    EXPECT_EQ(alphaAt(image, 0, 10), 255);
    EXPECT_EQ(alphaAt(image, 1, 10), 255);
    EXPECT_EQ(alphaAt(image, 2, 10), 0);
    EXPECT_EQ(alphaAt(image, 19, 10), 255);
}

TEST(Blur, SpreadsWithoutLosingInk)
{
    QImage image(101, 101, QImage::Format_Alpha8);
    image.fill(0);
    for (int y = 40; y < 60; ++y)
        for (int x = 40; x < 60; ++x)
            image.scanLine(y)[x] = 255;
    Blur::alpha(image, 5);
    long sum = 0;
    for (int y = 0; y < 101; ++y)
        for (int x = 0; x < 101; ++x)
            sum += image.constScanLine(y)[x];
    // Integer rounding loses a little at each pass.
    EXPECT_NEAR(double(sum) / (400 * 255), 1.0, 0.01);
    const uchar* mid = image.constScanLine(50);
    EXPECT_NEAR(mid[35], image.constScanLine(35)[50], 1); // the same in both directions
    EXPECT_GT(mid[50], mid[40]);
    EXPECT_GT(mid[40], mid[33]);
    EXPECT_GT(mid[33], 0);
    EXPECT_EQ(mid[0], 0);

    int sizes[3];
    Blur::boxSizes(15, sizes);
    // Three boxes whose variances add up to the Gaussian's.
    const qreal variance = (sizes[0] * sizes[0] + sizes[1] * sizes[1] + sizes[2] * sizes[2] - 3) / 12.0;
    EXPECT_NEAR(std::sqrt(variance), 15, 0.5);
}

TEST(ShadowCache, AStretchedTemplateMatchesABlurOfTheWholeShape)
{
    ShadowCache::clear();
    const QSizeF shape(300, 160);
    const qreal radius = 18, blur = 30;
    const QImage stretched = ShadowCache::image(shape, radius, blur, Qt::black, 1);

    // The same shadow blurred in one piece.
    const int margin = int(ShadowCache::reach(blur));
    QImage whole(300 + 2 * margin, 160 + 2 * margin, QImage::Format_Alpha8);
    whole.fill(0);
    {
        QPainter p(&whole);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(Squircle::path(QRectF(margin, margin, 300, 160), radius), Qt::black);
    }
    Blur::alpha(whole, blur / 2);

    ASSERT_EQ(stretched.size(), whole.size());
    int worst = 0;
    for (int y = 0; y < whole.height(); y += 3)
        for (int x = 0; x < whole.width(); x += 3)
            worst = std::max(worst, std::abs(qAlpha(stretched.pixel(x, y)) - whole.constScanLine(y)[x]));
    EXPECT_LE(worst, 3);

    // A taller panel reuses the template instead of blurring again.
    const int templates = ShadowCache::templateCount();
    ShadowCache::image(QSizeF(300, 480), radius, blur, Qt::black, 1);
    ShadowCache::image(QSizeF(640, 480), radius, blur, Qt::black, 1);
    EXPECT_EQ(ShadowCache::templateCount(), templates);
}

TEST(ShadowCache, ShadowFallsBelowWithItsOffset)
{
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        ShadowCache::draw(p, QRectF(60, 40, 80, 80), 8, 10, QColor(0, 0, 0, 128), QPointF(0, 14));
    }
    EXPECT_EQ(alphaAt(image, 100, 100), 128);
    // Below the shape more shadow than above it.
    EXPECT_GT(alphaAt(image, 100, 130), alphaAt(image, 100, 30));
    EXPECT_EQ(alphaAt(image, 100, 5), 0);
}

TEST(MarkPaths, LaidOutOnTheGridFromTheTopLeft)
{
    const MarkPaths m = markPaths(QRectF(0, 0, 24, 24));
    expectRect(m.frame.boundingRect(), QRectF(1.5, 1.5, 21, 21));
    expectRect(m.block.boundingRect(), QRectF(15.6, 13.6, 5.4, 7.4));
    expectRect(m.strokes.boundingRect(), QRectF(2.5, 2.5, 11, 19));
    EXPECT_EQ(m.strokes.elementCount(), 8); // three polylines: 3 + 3 + 2 points
    EXPECT_EQ(m.frame.elementAt(m.frame.elementCount() - 4).x, 14);

    // In a wide rectangle the mark keeps square, at the left.
    const MarkPaths wide = markPaths(QRectF(100, 50, 96, 48));
    expectRect(wide.frame.boundingRect(), QRectF(103, 53, 42, 42));
    expectRect(wide.block.boundingRect(), QRectF(100 + 31.2, 50 + 27.2, 10.8, 14.8));
}

TEST(TavrinMark, LineWidthScalesWithAFloor)
{
    EXPECT_DOUBLE_EQ(TavrinMark::lineWidth(24), 2);
    EXPECT_DOUBLE_EQ(TavrinMark::lineWidth(48), 4);
    EXPECT_DOUBLE_EQ(TavrinMark::lineWidth(14.4), 1.2);
    EXPECT_DOUBLE_EQ(TavrinMark::lineWidth(8), 1.2);
}

TEST(MenuBarIcon, DrawsOnlyWithAPainter)
{
    EXPECT_FALSE(MenuBarIcon::drawMark(nullptr, QRectF(0, 0, 18, 18)));
    QImage image(18, 18, QImage::Format_ARGB32_Premultiplied);
    QPainter inactive;
    EXPECT_FALSE(MenuBarIcon::drawMark(&inactive, QRectF(0, 0, 18, 18)));

    image.fill(Qt::transparent);
    QPainter p(&image);
    EXPECT_TRUE(MenuBarIcon::drawMark(&p, QRectF(0, 0, 18, 18)));
    p.end();
    // Black marks on clear, for the desktop to recolour.
    const QRgb frameLeft = image.pixel(1, 9);
    EXPECT_GT(qAlpha(frameLeft), 100);
    EXPECT_EQ(qRed(frameLeft), 0);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

TEST(MenuBarIcon, WithoutTheImageTheMarkIsDrawnAtEighteenPoints)
{
    const QIcon drawn = MenuBarIcon::make(QStringLiteral(":/no/such/image"));
    EXPECT_TRUE(drawn.isMask());
    EXPECT_EQ(drawn.actualSize(QSize(64, 64)), QSize(64, 64));
    EXPECT_EQ(drawn.actualSize(QSize(18, 36)), QSize(18, 18));
    const QImage at2x = drawn.pixmap(QSize(36, 36)).toImage();
    EXPECT_GT(qAlpha(at2x.pixel(2, 18)), 100);

    const QString file = QDir::temp().filePath("tavrin-menubaricon-test.png");
    QImage resource(42, 32, QImage::Format_ARGB32);
    resource.fill(Qt::black);
    ASSERT_TRUE(resource.save(file));
    const QIcon fromFile = MenuBarIcon::make(file);
    EXPECT_TRUE(fromFile.isMask());
    EXPECT_EQ(fromFile.availableSizes().value(0), QSize(42, 32));
    QFile::remove(file);
}

TEST(SparkShape, FourCurvesOnTheGrid)
{
    const QPainterPath p = SparkShape::path(QRectF(0, 0, 24, 24));
    expectRect(p.boundingRect(), QRectF(2.5, 2.5, 19, 19), 1e-3);
    ASSERT_EQ(p.elementCount(), 13);
    EXPECT_EQ(p.elementAt(0).type, QPainterPath::MoveToElement);
    EXPECT_EQ(QPointF(p.elementAt(0)), QPointF(12, 2.5));
    EXPECT_EQ(QPointF(p.elementAt(1)), QPointF(12.5, 7.1));
    EXPECT_EQ(QPointF(p.elementAt(2)), QPointF(14.9, 9.5));
    EXPECT_EQ(QPointF(p.elementAt(3)), QPointF(21.5, 12));
    EXPECT_EQ(QPointF(p.elementAt(6)), QPointF(12, 21.5));
    EXPECT_EQ(QPointF(p.elementAt(9)), QPointF(2.5, 12));
    // The edges curve inwards: the midpoint between two tips is outside.
    EXPECT_FALSE(p.contains(QPointF(16.75, 7.25)));
    EXPECT_TRUE(p.contains(QPointF(12, 12)));

    // A 48 by 24 rectangle: 24 across, at the left.
    expectRect(SparkShape::path(QRectF(0, 0, 48, 24)).boundingRect(), QRectF(2.5, 2.5, 19, 19), 1e-3);
}

TEST(ZoneGlyph, ZoneInsideAOnePointMargin)
{
    const qreal w = ZoneGlyph::kSize.width(), h = ZoneGlyph::kSize.height();
    expectRect(ZoneGlyph::zoneRect(UnitRect(0, 0, 1, 1), w, h), QRectF(1, 1, 32, 10));
    expectRect(ZoneGlyph::zoneRect(UnitRect(0.5, 0, 0.5, 1), w, h), QRectF(17, 1, 16, 10));
    expectRect(ZoneGlyph::zoneRect(UnitRect(0.25, 0.5, 0, 0), w, h), QRectF(9, 6, 1.5, 1.5));
}

TEST(LayoutGlyph, ZonesOfTheLayoutInTheFittedDisplay)
{
    // A wide frame: the display of aspect 1.6 fits its height, centred.
    const QRectF display = LayoutGlyph::displayRect(QRectF(0, 0, 40, 14), 1.6);
    EXPECT_EQ(display, QRectF(8.8, 0, 22.4, 14));
    EXPECT_EQ(LayoutGlyph::displayRect(QRectF(0, 0, 40, 14), -1), display);

    const QRectF area(0, 0, 100, 50);
    const QList<QRectF> halves = LayoutGlyph::zoneRects(LayoutKind::halves, 2, area, 2.0);
    ASSERT_EQ(halves.size(), 2);
    EXPECT_EQ(halves[0], QRectF(0, 0, 50, 50));
    EXPECT_EQ(halves[1], QRectF(50, 0, 50, 50));
    // One window at least, and exactly as many zones as the layout gives.
    EXPECT_EQ(LayoutGlyph::zoneRects(LayoutKind::stack, 0, area, 2.0).size(), 1);
    EXPECT_EQ(LayoutGlyph::zoneRects(LayoutKind::columns, 4, area, 3.2).size(), 4);
    const auto focus = LayoutGlyph::zoneRects(LayoutKind::focusCentre, 3, area, 3.2);
    EXPECT_EQ(focus[0], QRectF(25, 0, 50, 50)); // the main slot first, in the middle
}

TEST(LayoutGlyph, HighlightedZonesTakeTheAccent)
{
    auto centre = [](bool highlighted) {
        LayoutGlyph glyph(LayoutKind::halves, 1.6, 1, highlighted);
        glyph.setForeground(QColor(255, 0, 0));
        glyph.resize(40, 25);
        return glyph.grab().toImage().pixelColor(20, 12);
    };
    EXPECT_EQ(centre(false), QColor(255, 0, 0));
    EXPECT_EQ(centre(true), TTheme::dark().accent);
}
