#include "snapping/arranging/handplacement.h"
#include "snapping/learning/learning.h"
#include "support/simfixture.h"
#include "windows/printers.h"
#include "windows/probe.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

// The default desktop: "UltraWide 34", visible 0,24 3440×1352, and a
// "Mover" window in front on it.
class HandPlacementTest : public SimTest {
protected:
    HandPlacementTest()
    {
        env.clock.advance(100);
        addProbe(env, "Mover", kMiddle);
        hand.start();
    }

    Display wide() const { return Display::all().at(0); }
    Rect area() const { return wide().area; }
    // A rectangle of the visible area's fractions as points.
    Rect part(double x, double y, double w, double h) const
    {
        const Rect a = area();
        return {a.x + x * a.width, a.y + y * a.height, w * a.width, h * a.height};
    }
    // Presses on the window's title bar, moves or resizes it to `to` while
    // the button is down, lets go `held` seconds later and lets the release
    // be read.
    void drag(const Rect& to, double held = 0.3)
    {
        const SimWindow* w = env.window("Mover");
        const Point grab{w->frame.x + 60, w->frame.y + 10};
        env.desktop.mouseDown(grab);
        env.clock.advance(held);
        env.desktop.setFrame(w->token, to);
        env.desktop.mouseUp(grab);
        env.clock.advance(HandPlacement::kReleaseDelay + 0.1);
    }
    void placeAt(const Rect& frame)
    {
        env.desktop.setFrame(env.window("Mover")->token, frame);
        env.clock.advance(2); // past the quiet time of any earlier record
    }
    // The counts learnt, once those waiting to be written are.
    QVariantMap counts()
    {
        learning.save();
        return env.defaults.value(Learning::kCountsKey)
            .value_or(QVariant())
            .toMap()
            .value(Learning::ruleKey("Mover app", wide().settingsKey()))
            .toMap();
    }

    static inline const Rect kMiddle{1000, 400, 800, 500};
    Learning learning{env.defaults, env.clock};
    HandPlacement hand{learning, Platform::current()};
};

TEST_F(HandPlacementTest, OnlyClearMovesIntoPlacesAgainstTwoEdgesAreLearnt)
{
    const Rect quarter = part(0, 0, 0.5, 0.5);
    const struct Case {
        const char* what;
        Rect from, to;
        const char* zone; // none: nothing learnt
    } cases[] = {
        {"moved 15 across and 18 down",
         quarter,
         {quarter.x + 15, quarter.y + 18, quarter.width, quarter.height},
         nullptr},
        {"widened by 21", quarter, {quarter.x, quarter.y, quarter.width + 21, quarter.height}, "Left, top"},
        {"into the top-left quarter", kMiddle, quarter, "Left, top"},
        {"full height, 0.1 wide, at the left edge", kMiddle, part(0, 0, 0.1, 1), nullptr},
        {"0.15 high across the whole width", kMiddle, part(0, 0, 1, 0.15), nullptr},
        {"against one edge only", kMiddle, part(0, 0.3, 0.4, 0.4), nullptr},
        {"in the middle", quarter, kMiddle, nullptr},
        {"the right half", kMiddle, part(0.5, 0, 0.5, 1), "Right"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        env.defaults.clear();
        learning.reload();
        placeAt(c.from);
        drag(c.to);
        if (c.zone)
            EXPECT_EQ(counts(), (QVariantMap{{c.zone, qint64(1)}}));
        else
            EXPECT_TRUE(counts().isEmpty());
    }
}

TEST_F(HandPlacementTest, ADraggedWindowIsLearntByTheZoneOfItsUnitRectangleOnItsDisplay)
{
    drag(part(0, 0, 0.5, 0.5));
    const Rect after = env.window("Mover")->frame;
    EXPECT_EQ(counts(), (QVariantMap{{UnitRect::fromFrame(after, area()).zoneName(false), qint64(1)}}));
    EXPECT_EQ(learning.totalMoves(), 1);
}

TEST_F(HandPlacementTest, NothingIsLearntWithinOneAndAHalfSecondsOfAnyRecord)
{
    // Even a record that counted nothing (its rule is forgotten) quiets it.
    env.defaults.setValue(Learning::kForgotKey, QVariantList{Learning::ruleKey("Other", wide().settingsKey())});
    learning.reload();
    learning.record("Other", wide(), {0, 0, 1, 1}, true);
    env.clock.advance(0.4);
    drag(part(0, 0, 0.5, 1));
    EXPECT_TRUE(counts().isEmpty());
    env.clock.advance(0.5);
    placeAt(kMiddle);
    drag(part(0, 0, 0.5, 1));
    EXPECT_EQ(counts().size(), 1);
}

TEST_F(HandPlacementTest, WithoutTrustNoPressIsRememberedAndAQuickReleaseFindsNone)
{
    env.desktop.setTrusted(false);
    const SimWindow* w = env.window("Mover");
    env.desktop.mouseDown({w->frame.x + 60, w->frame.y + 10});
    env.clock.advance(0.2);
    env.desktop.setTrusted(true); // back before the release: the press still counts for nothing
    env.desktop.setFrame(w->token, part(0, 0, 0.5, 1));
    env.desktop.mouseUp({w->frame.x + 60, w->frame.y + 10});
    env.clock.advance(1);
    EXPECT_TRUE(counts().isEmpty());

    // Let go sooner than the press was read.
    placeAt(kMiddle);
    drag(part(0, 0, 0.5, 1), 0.03);
    EXPECT_TRUE(counts().isEmpty());
}

TEST_F(HandPlacementTest, StartingTwiceWatchesOnce)
{
    hand.start();
    drag(part(0, 0, 0.5, 1));
    EXPECT_EQ(learning.totalMoves(), 1);
}

} // namespace
} // namespace tavrin
