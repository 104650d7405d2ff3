#include "windows/unitrect.h"

#include "printers.h"

#include <gtest/gtest.h>

using namespace tavrin;

namespace {
struct RectCase {
    UnitRect unit;
    double gap;
    Rect expected;
};
} // namespace

TEST(UnitRect, RectPlacesEdgesAFullGapApart)
{
    const Rect area(0, 0, 1000, 600);
    const RectCase cases[] = {
        {{0, 0, 0.5, 1}, 8, {8, 8, 488, 584}},
        {{0.5, 0, 0.5, 1}, 8, {504, 8, 488, 584}},
        {{0, 0, 1, 1}, 8, {8, 8, 984, 584}},
        {{0, 0, 0.5, 1}, 0, {0, 0, 500, 600}},
        {{0.5, 0.5, 0.5, 0.5}, 0, {500, 300, 500, 300}},
        {{0, 0, 0.5, 1}, -20, {0, 0, 500, 600}}, // a negative gap counts as none
        {{1.0 / 3, 0, 1.0 / 3, 1}, 0, {333, 0, 334, 600}},
        {{0, 0, 0.001, 0.001}, 8, {8, 8, 1, 1}}, // never smaller than a point
    };
    for (const RectCase& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.unit.x << "," << c.unit.y << "," << c.unit.w << "," << c.unit.h << " gap " << c.gap);
        EXPECT_EQ(c.unit.rect(area, c.gap), c.expected);
    }
}

TEST(UnitRect, RectIsRelativeToTheAreaOrigin)
{
    // A second display to the right, below a menu bar.
    EXPECT_EQ(UnitRect(0.5, 0, 0.5, 1).rect(Rect(1920, 25, 1000, 600), 8), Rect(2424, 33, 488, 584));
    // Negative origins (a display left of the first one) round the same way.
    EXPECT_EQ(UnitRect(0, 0, 0.5, 1).rect(Rect(-1000, 0, 1000, 600), 8), Rect(-992, 8, 488, 584));
}

TEST(UnitRect, FromFrameClipsToTheArea)
{
    const Rect area(100, 50, 1000, 500);
    EXPECT_EQ(UnitRect::fromFrame(Rect(100, 50, 500, 250), area), UnitRect(0, 0, 0.5, 0.5));
    // Partly outside: only the part inside counts.
    EXPECT_EQ(UnitRect::fromFrame(Rect(-400, 50, 1000, 500), area), UnitRect(0, 0, 0.5, 1));
    // Not meeting the area at all: the whole frame, relative to the area.
    EXPECT_EQ(UnitRect::fromFrame(Rect(1100, 50, 500, 500), area), UnitRect(1, 0, 0.5, 1));
}

TEST(UnitRect, BestScreenIndexTakesTheLargestOverlap)
{
    const std::vector<Rect> areas = {Rect(0, 0, 1000, 600), Rect(1000, 0, 1000, 600)};
    EXPECT_EQ(UnitRect::bestScreenIndex(Rect(900, 0, 300, 100), areas), 1u);
    EXPECT_EQ(UnitRect::bestScreenIndex(Rect(800, 0, 300, 100), areas), 0u);
    EXPECT_EQ(UnitRect::bestScreenIndex(Rect(900, 0, 200, 100), areas), 0u); // a tie: the first
    EXPECT_EQ(UnitRect::bestScreenIndex(Rect(0, 700, 100, 100), areas), std::nullopt);
    EXPECT_EQ(UnitRect::bestScreenIndex(Rect(0, 0, 100, 100), {}), std::nullopt);
}

TEST(UnitRect, ZoneNames)
{
    const struct {
        UnitRect unit;
        bool focus;
        const char* name;
    } cases[] = {
        {{0, 0, 1, 1}, true, "Focus, full"},          {{0, 0, 0.5, 1}, true, "Focus, left"},
        {{0.5, 0, 0.5, 1}, true, "Focus, right"},     {{0.2, 0, 0.6, 1}, true, "Focus, centre"},
        {{0, 0, 0.2, 1}, false, "Edge strip"},        {{0.8, 0, 0.2, 1}, false, "Edge strip"},
        {{0, 0, 1.0 / 3, 1}, false, "Left"}, // wider than a strip
        {{2.0 / 3, 0, 1.0 / 3, 1}, false, "Right"},   {{1.0 / 3, 0, 1.0 / 3, 1}, false, "Centre"},
        {{0.4, 0, 0.2, 1}, false, "Centre"}, // narrow but away from the edges
        {{0, 0, 0.5, 0.5}, false, "Left, top"},       {{0.5, 0.5, 0.5, 0.5}, false, "Right, bottom"},
        {{0, 0.25, 1, 0.5}, false, "Centre, middle"}, {{0.5, 0, 0.5, 0.25}, false, "Right, top"},
        {{0, 0, 0.2, 0.9}, false, "Left, middle"}, // not full height: no strip
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.unit.zoneName(c.focus), QString::fromUtf8(c.name)) << c.name;
}

TEST(UnitRect, Labels)
{
    const struct {
        std::optional<UnitRect> unit;
        const char* label;
    } cases[] = {
        {std::nullopt, "put back"},
        {UnitRect(0, 0, 1, 1), "full"},
        {UnitRect(0.02, 0.01, 0.975, 0.98), "full"},
        {UnitRect(0, 0, 0.5, 1), "left ½"},
        {UnitRect(2.0 / 3, 0, 1.0 / 3, 1), "right ⅓"},
        {UnitRect(1.0 / 3, 0, 1.0 / 3, 1), "centre ⅓"},
        {UnitRect(0.125, 0, 0.75, 1), "centre ¾"},
        {UnitRect(0, 0, 0.25, 1), "left ¼"},
        {UnitRect(0.1, 0, 0.4, 1), "custom"}, // full height, no known width
        {UnitRect(0, 0, 1, 1.0 / 3), "top ⅓"},
        {UnitRect(0, 1.0 / 3, 1, 2.0 / 3), "bottom ⅔"},
        {UnitRect(0, 0.25, 1, 0.5), "middle ½"},
        {UnitRect(0, 0.1, 1, 0.4), "full width"},
        {UnitRect(0, 0, 0.5, 0.5), "custom"}, // a corner
    };
    for (const auto& c : cases)
        EXPECT_EQ(label(c.unit), QString::fromUtf8(c.label)) << c.label;
}

TEST(UnitRect, JsonRoundTripAndRejects)
{
    const UnitRect u(0.25, 0, 0.5, 1);
    EXPECT_EQ(UnitRect::fromJson(u.toJson()), u);
    EXPECT_EQ(u.toJson().keys(), QStringList({"h", "w", "x", "y"}));
    EXPECT_EQ(UnitRect::fromJson(QJsonObject{{"x", 0}, {"y", 0}, {"w", "1"}, {"h", 1}}), std::nullopt);
    EXPECT_EQ(UnitRect::fromJson(QJsonObject{{"x", 0}, {"y", 0}, {"w", 1}}), std::nullopt);
}
