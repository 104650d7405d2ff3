#include "windows/arrow.h"
#include "windows/display.h"
#include "windows/layoutkind.h"
#include "windows/snaptarget.h"

#include "printers.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tavrin;

namespace {
constexpr double kEps = 1e-9;

bool inside(const UnitRect& u)
{
    return u.x >= -kEps && u.y >= -kEps && u.w > 0 && u.h > 0 && u.x + u.w <= 1 + kEps && u.y + u.h <= 1 + kEps;
}

bool overlap(const UnitRect& a, const UnitRect& b)
{
    return a.x + a.w > b.x + kEps && b.x + b.w > a.x + kEps && a.y + a.h > b.y + kEps && b.y + b.h > a.y + kEps;
}

void expectNear(const UnitRect& actual, const UnitRect& expected)
{
    EXPECT_TRUE(actual.near(expected, 1e-9)) << actual.x << "," << actual.y << "," << actual.w << "," << actual.h;
}
} // namespace

TEST(LayoutKind, EveryLayoutGivesCountDisjointRectanglesInsideTheArea)
{
    for (LayoutKind kind : kAllLayoutKinds)
        for (double aspect : {1.6, 2.4})
            for (int count = 1; count <= 8; ++count) {
                SCOPED_TRACE(::testing::Message()
                             << name(kind).toStdString() << " aspect " << aspect << " count " << count);
                const auto rs = rects(kind, count, aspect);
                ASSERT_EQ(int(rs.size()), count);
                for (std::size_t i = 0; i < rs.size(); ++i) {
                    EXPECT_TRUE(inside(rs[i])) << i;
                    for (std::size_t j = i + 1; j < rs.size(); ++j)
                        EXPECT_FALSE(overlap(rs[i], rs[j])) << i << " and " << j;
                }
            }
}

namespace {
bool meets(double a, double b) { return std::abs(a - b) < kEps; }
// [a, a + al) and [b, b + bl) share more than a point.
bool spansOverlap(double a, double al, double b, double bl) { return a < b + bl - kEps && b < a + al - kEps; }

// Every window whose unit rectangle touches the area's edge ends `gap` from
// it; every two that touch each other end `gap` apart.
void expectGaps(const std::vector<UnitRect>& units, const Rect& area, double gap)
{
    std::vector<Rect> frames;
    for (const UnitRect& u : units)
        frames.push_back(u.rect(area, gap));
    for (std::size_t i = 0; i < units.size(); ++i) {
        const UnitRect& a = units[i];
        const Rect& fa = frames[i];
        if (meets(a.x, 0)) {
            EXPECT_EQ(fa.minX() - area.minX(), gap) << i << " left";
        }
        if (meets(a.y, 0)) {
            EXPECT_EQ(fa.minY() - area.minY(), gap) << i << " top";
        }
        if (meets(a.x + a.w, 1)) {
            EXPECT_EQ(area.maxX() - fa.maxX(), gap) << i << " right";
        }
        if (meets(a.y + a.h, 1)) {
            EXPECT_EQ(area.maxY() - fa.maxY(), gap) << i << " bottom";
        }
        for (std::size_t j = 0; j < units.size(); ++j) {
            const UnitRect& b = units[j];
            if (meets(a.x + a.w, b.x) && spansOverlap(a.y, a.h, b.y, b.h)) {
                EXPECT_EQ(frames[j].minX() - fa.maxX(), gap) << i << " left of " << j;
            }
            if (meets(a.y + a.h, b.y) && spansOverlap(a.x, a.w, b.x, b.w)) {
                EXPECT_EQ(frames[j].minY() - fa.maxY(), gap) << i << " above " << j;
            }
        }
    }
}
} // namespace

TEST(LayoutKind, NeighbouringWindowsEndExactlyAGapApartAndAGapFromTheEdges)
{
    // Visible areas below a menu bar or beside a dock, left of the first
    // display, portrait; and even, odd and no gaps.
    const Rect areas[] = {{0, 25, 1920, 1055},    {0, 24, 3440, 1352}, {3440, 323, 1728, 1117}, {0, 0, 2560, 1080},
                          {-1280, 0, 1280, 1024}, {0, 25, 1366, 743},  {1920, 0, 1080, 1920},   {0, 38, 5120, 2122}};
    for (const Rect& area : areas)
        for (double gap : {8.0, 5.0, 12.0, 0.0})
            for (LayoutKind kind : kAllLayoutKinds)
                for (int count = 1; count <= 8; ++count) {
                    SCOPED_TRACE(::testing::Message()
                                 << name(kind).toStdString() << " × " << count << " in " << area.x << "," << area.y
                                 << " " << area.width << "×" << area.height << " gap " << gap);
                    expectGaps(rects(kind, count, aspectOf(area)), area, gap);
                }
}

TEST(LayoutKind, SixStackedWindowsOnAFullHDDisplay)
{
    // 1920 × 1080 below a 25-point menu bar: the sixths fall on half points,
    // and every one rounds the same way from either side.
    const Rect area(0, 25, 1920, 1055);
    const auto units = rects(LayoutKind::stack, 6, aspectOf(area));
    const Rect expected[] = {{8, 33, 1904, 167},  {8, 208, 1904, 166}, {8, 382, 1904, 167},
                             {8, 557, 1904, 166}, {8, 731, 1904, 167}, {8, 906, 1904, 166}};
    ASSERT_EQ(units.size(), 6u);
    for (std::size_t i = 0; i < units.size(); ++i)
        EXPECT_EQ(units[i].rect(area, 8), expected[i]) << i;
}

TEST(LayoutKind, NoRectanglesForNoWindows)
{
    EXPECT_TRUE(rects(LayoutKind::halves, 0, 1.6).empty());
    EXPECT_TRUE(rects(LayoutKind::columns, -3, 1.6).empty());
}

TEST(LayoutKind, FocusCentreKeepsTheMainSlotAndAlternatesTheSides)
{
    // Side strips are a quarter wide on an ultrawide display, a fifth otherwise.
    expectNear(rects(LayoutKind::focusCentre, 1, 2.4)[0], {0.25, 0, 0.5, 1});
    expectNear(rects(LayoutKind::focusCentre, 1, 1.6)[0], {0.2, 0, 0.6, 1});
    const auto r = rects(LayoutKind::focusCentre, 5, 2.4);
    expectNear(r[1], {0, 0, 0.25, 0.5});    // odd: left, top row
    expectNear(r[2], {0.75, 0, 0.25, 0.5}); // even: right
    expectNear(r[3], {0, 0.5, 0.25, 0.5});
    expectNear(r[4], {0.75, 0.5, 0.25, 0.5});
    // An odd number of others: the left side holds one more.
    const auto four = rects(LayoutKind::focusCentre, 4, 1.6);
    expectNear(four[1], {0, 0, 0.2, 0.5});
    expectNear(four[2], {0.8, 0, 0.2, 1});
    expectNear(four[3], {0, 0.5, 0.2, 0.5});
}

TEST(LayoutKind, HalvesAndStudioFillWithOneWindowAndStackTheRest)
{
    expectNear(rects(LayoutKind::halves, 1, 1.6)[0], {0, 0, 1, 1});
    expectNear(rects(LayoutKind::studio, 1, 2.4)[0], {0, 0, 1, 1});
    const auto halves = rects(LayoutKind::halves, 3, 1.6);
    expectNear(halves[0], {0, 0, 0.5, 1});
    expectNear(halves[1], {0.5, 0, 0.5, 0.5});
    expectNear(halves[2], {0.5, 0.5, 0.5, 0.5});
    const auto studio = rects(LayoutKind::studio, 2, 1.6);
    expectNear(studio[0], {0, 0, 2.0 / 3, 1});
    expectNear(studio[1], {2.0 / 3, 0, 1.0 / 3, 1});
}

TEST(LayoutKind, ThirdsGiveTheCentreThenLeftAndRight)
{
    const auto r = rects(LayoutKind::thirds, 3, 1.6);
    EXPECT_EQ(r[0].zoneName(true), "Focus, centre");
    EXPECT_EQ(r[1].zoneName(false), "Left");
    EXPECT_EQ(r[2].zoneName(false), "Right");
}

TEST(LayoutKind, StackAndColumnsPutTheMainSlotFirst)
{
    const auto stack = rects(LayoutKind::stack, 4, 1.6);
    expectNear(stack[0], {0, 0, 1, 0.25});
    expectNear(stack[3], {0, 0.75, 1, 0.25});
    const auto columns = rects(LayoutKind::columns, 3, 2.4);
    expectNear(columns[0], {0, 0, 1.0 / 3, 1});
    expectNear(columns[2], {2.0 / 3, 0, 1.0 / 3, 1});
}

TEST(LayoutKind, NamesAndTitles)
{
    const char* titles[] = {"Focus centre", "Halves", "Thirds", "Studio", "Stack", "Columns"};
    for (LayoutKind k : kAllLayoutKinds) {
        EXPECT_EQ(layoutKindFromName(name(k)), k);
        EXPECT_EQ(title(k), titles[static_cast<int>(k)]);
    }
    EXPECT_EQ(name(LayoutKind::focusCentre), "focusCentre");
    EXPECT_EQ(layoutKindFromName("Halves"), std::nullopt);
    EXPECT_EQ(layoutKindFromName("bogus"), std::nullopt);
}

TEST(SnapTarget, ZonesBelowAndFromUltrawide)
{
    const struct {
        SnapTarget target;
        UnitRect normal;
        const char* normalLabel;
        UnitRect ultrawide;
        const char* ultrawideLabel;
    } cases[] = {
        {SnapTarget::topLeft, {0, 0, 0.5, 0.5}, "Top left", {0, 0, 1.0 / 3, 0.5}, "Top left third"},
        {SnapTarget::topHalf, {0, 0, 1, 0.5}, "Top half", {1.0 / 3, 0, 1.0 / 3, 0.5}, "Top centre third"},
        {SnapTarget::topRight, {0.5, 0, 0.5, 0.5}, "Top right", {2.0 / 3, 0, 1.0 / 3, 0.5}, "Top right third"},
        {SnapTarget::leftThird, {0, 0, 1.0 / 3, 1}, "Left third", {0, 0, 1.0 / 3, 1}, "Left third"},
        {SnapTarget::centreThird, {1.0 / 3, 0, 1.0 / 3, 1}, "Centre third", {1.0 / 3, 0, 1.0 / 3, 1}, "Centre third"},
        {SnapTarget::rightThird, {2.0 / 3, 0, 1.0 / 3, 1}, "Right third", {2.0 / 3, 0, 1.0 / 3, 1}, "Right third"},
        {SnapTarget::bottomLeft, {0, 0.5, 0.5, 0.5}, "Bottom left", {0, 0.5, 1.0 / 3, 0.5}, "Bottom left third"},
        {SnapTarget::bottomHalf, {0, 0.5, 1, 0.5}, "Bottom half", {1.0 / 3, 0.5, 1.0 / 3, 0.5}, "Bottom centre third"},
        {SnapTarget::bottomRight,
         {0.5, 0.5, 0.5, 0.5},
         "Bottom right",
         {2.0 / 3, 0.5, 1.0 / 3, 0.5},
         "Bottom right third"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(name(c.target).toStdString());
        expectNear(rect(c.target, 1.6), c.normal);
        expectNear(rect(c.target, 1.99), c.normal);
        expectNear(rect(c.target, 2.0), c.ultrawide);
        EXPECT_EQ(label(c.target, 1.6), c.normalLabel);
        EXPECT_EQ(label(c.target, 2.4), c.ultrawideLabel);
        EXPECT_EQ(snapTargetFromName(name(c.target)), c.target);
    }
}

namespace {
// Presses arrows one after another, each following the last within the chord
// time when `quick`, and returns where the last one put the window.
std::optional<UnitRect> press(std::initializer_list<Arrow> arrows, double aspect, bool quick,
                              UnitRect from = {0.3, 0.3, 0.2, 0.2})
{
    std::optional<ArrowPress> previous;
    std::optional<UnitRect> at = from;
    for (Arrow a : arrows) {
        at = nextUnit(a, *at, aspect, quick ? previous : std::nullopt);
        if (!at)
            return at;
        previous = ArrowPress{a, *at};
    }
    return at;
}
} // namespace

TEST(Arrow, RepeatedPressesStepTheSizeAndWrap)
{
    using A = Arrow;
    const struct {
        std::initializer_list<Arrow> arrows;
        double aspect;
        UnitRect expected;
    } cases[] = {
        {{A::left}, 1.6, {0, 0, 0.5, 1}},
        {{A::left, A::left}, 1.6, {0, 0, 1.0 / 3, 1}},
        {{A::left, A::left, A::left}, 1.6, {0, 0, 2.0 / 3, 1}},
        {{A::left, A::left, A::left, A::left}, 1.6, {0, 0, 0.5, 1}},
        {{A::right, A::right}, 1.6, {2.0 / 3, 0, 1.0 / 3, 1}},
        {{A::left, A::right}, 1.6, {0.5, 0, 0.5, 1}}, // the other side starts over
        {{A::left}, 2.4, {0, 0, 1.0 / 3, 1}},
        {{A::right, A::right}, 2.4, {0.75, 0, 0.25, 1}},
        {{A::right, A::right, A::right}, 2.4, {0.5, 0, 0.5, 1}},
        {{A::up}, 1.6, {0, 0, 1, 0.5}},
        {{A::up, A::up}, 1.6, {0, 0, 1, 1.0 / 3}},
        {{A::down, A::down, A::down}, 1.6, {0, 1.0 / 3, 1, 2.0 / 3}},
        {{A::up}, 2.4, {0.25, 0, 0.5, 1}}, // centred column
        {{A::up, A::up}, 2.4, {1.0 / 3, 0, 1.0 / 3, 1}},
        {{A::up, A::up, A::up, A::up}, 2.4, {0.25, 0, 0.5, 1}},
    };
    for (const auto& c : cases) {
        // Slow presses step by where the window is; quick ones on one axis too.
        for (bool quick : {false, true}) {
            const auto at = press(c.arrows, c.aspect, quick);
            ASSERT_TRUE(at);
            expectNear(*at, c.expected);
        }
    }
}

TEST(Arrow, TwoQuickArrowsMakeACorner)
{
    using A = Arrow;
    const struct {
        std::initializer_list<Arrow> arrows;
        double aspect;
        UnitRect expected;
    } cases[] = {
        {{A::left, A::up}, 1.6, {0, 0, 0.5, 0.5}},
        {{A::right, A::down}, 1.6, {0.5, 0.5, 0.5, 0.5}},
        {{A::left, A::left, A::down}, 1.6, {0, 0.5, 1.0 / 3, 0.5}}, // keeps the stepped width
        {{A::up, A::right}, 1.6, {0.5, 0, 0.5, 0.5}},
        {{A::down, A::down, A::left}, 1.6, {0, 2.0 / 3, 0.5, 1.0 / 3}}, // keeps the stepped height
        {{A::left, A::up}, 2.4, {0, 0, 1.0 / 3, 0.5}},                  // top half of the column
        {{A::up, A::right}, 2.4, {2.0 / 3, 0, 1.0 / 3, 1}},             // ↑ is full height there
    };
    for (const auto& c : cases) {
        const auto at = press(c.arrows, c.aspect, true);
        ASSERT_TRUE(at);
        expectNear(*at, c.expected);
    }
    // The same presses slowly: no corner, the last arrow alone.
    expectNear(*press({A::left, A::up}, 1.6, false), {0, 0, 1, 0.5});
}

TEST(Arrow, DownOnAnUltrawideDisplayPutsBack)
{
    EXPECT_EQ(nextUnit(Arrow::down, UnitRect(0, 0, 0.5, 1), 2.4), std::nullopt);
    EXPECT_EQ(nextUnit(Arrow::down, UnitRect(0, 0, 0.5, 1), 2.4, ArrowPress{Arrow::left, {0, 0, 0.5, 1}}),
              std::nullopt);
    EXPECT_TRUE(nextUnit(Arrow::down, UnitRect(0, 0, 0.5, 1), 1.99));
}

TEST(Arrow, StepsAreRecognisedWithinTolerance)
{
    // A window a little off the half (rounding, a gap) still counts as there.
    expectNear(*nextUnit(Arrow::left, {0.005, 0.004, 0.494, 0.992}, 1.6), {0, 0, 1.0 / 3, 1});
    // Further off: it starts over.
    expectNear(*nextUnit(Arrow::left, {0.02, 0, 0.48, 1}, 1.6), {0, 0, 0.5, 1});
    // At the side but not full height: starts over.
    expectNear(*nextUnit(Arrow::left, {0, 0, 0.5, 0.5}, 1.6), {0, 0, 0.5, 1});
}
