// Surfaces of this process (veils) on the simulated desktop: listed among the
// windows where they stand, and left where they stand when the windows
// around them move in the order.

#include "platform/sim/siminputtaps.h"
#include "platform/sim/simveilsurfaces.h"
#include "support/simfixture.h"

#include <QWidget>

namespace tavrin {
namespace {

const QByteArray kScenario = R"({
  "displays": [ { "name": "Main", "frame": [0, 0, 2560, 1440] } ],
  "apps": [ { "name": "Tavrin", "policy": "accessory", "self": true }, { "name": "A" }, { "name": "B" } ],
  "windows": [
    { "app": "A", "title": "one", "frame": [0, 100, 500, 500] },
    { "app": "B", "title": "two", "frame": [100, 100, 500, 500] },
    { "app": "A", "title": "three", "frame": [200, 100, 500, 500] }
  ]
})";

class SimSurfacesTest : public ::testing::Test {
protected:
    std::unique_ptr<VeilSurface> make(QWidget& content) { return env.desktop.veilSurfaces().make(content, 0); }
    std::uint32_t number(const QString& title) const { return env.window(title)->number; }
    std::vector<std::uint32_t> listed() const
    {
        std::vector<std::uint32_t> out;
        for (const WindowInfo& w : env.desktop.windowServer().onScreenWindows())
            out.push_back(w.number);
        return out;
    }
    std::uint64_t token(const QString& title) const { return env.window(title)->token; }

    SimEnvironment env{kScenario};
    QWidget first, second;
};

TEST_F(SimSurfacesTest, ASurfaceIsListedAsThisProcesssWindowAtItsLevel)
{
    auto s = make(first);
    EXPECT_FALSE(s->isVisible());
    EXPECT_EQ(listed().size(), 3u) << "hidden until ordered in";
    s->setFrame(Rect(-50, 90, 700, 520));
    EXPECT_EQ(first.size(), QSize(700, 520)) << "its content is kept at its size";
    s->orderAbove(number("two"));
    const auto list = env.desktop.windowServer().onScreenWindows();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1].number, s->number());
    EXPECT_EQ(list[1].ownerPid, env.desktop.selfPid());
    EXPECT_EQ(list[1].layer, 0);
    EXPECT_EQ(list[1].bounds, Rect(-50, 90, 700, 520));

    s->setLevel(VeilSurface::kFloatingLevel);
    EXPECT_EQ(listed().front(), s->number());
    EXPECT_EQ(env.desktop.windowServer().onScreenWindows().front().layer, 3);
    s->orderOut();
    EXPECT_EQ(listed().size(), 3u);
    s.reset();
    EXPECT_TRUE(env.desktop.surfaces().empty());
}

TEST_F(SimSurfacesTest, SurfacesStayWhereTheyStandWhenTheWindowBelowThemMoves)
{
    auto s = make(first), t = make(second);
    s->orderAbove(number("two"));
    t->orderAbove(number("two")); // directly above "two", below s
    ASSERT_EQ(listed(),
              (std::vector<std::uint32_t>{number("one"), s->number(), t->number(), number("two"), number("three")}));
    // Raised, sent back or closed: the surfaces stay above "three".
    env.desktop.raiseWindow(token("two"));
    EXPECT_EQ(listed(),
              (std::vector<std::uint32_t>{number("two"), number("one"), s->number(), t->number(), number("three")}));
    env.desktop.setMinimised(token("three"), true);
    EXPECT_EQ(listed(), (std::vector<std::uint32_t>{number("two"), number("one"), s->number(), t->number()}))
        << "behind every window now";
    env.desktop.setMinimised(token("three"), false);
    EXPECT_EQ(listed().front(), number("three"));
    EXPECT_EQ(listed().back(), t->number());
    // Ordered above a window again: directly above it.
    s->orderAbove(number("one"));
    EXPECT_EQ(listed(),
              (std::vector<std::uint32_t>{number("three"), number("two"), s->number(), number("one"), t->number()}));
    env.desktop.removeWindow(token("one"));
    EXPECT_EQ(listed(), (std::vector<std::uint32_t>{number("three"), number("two"), s->number(), t->number()}));
}

TEST_F(SimSurfacesTest, ADoubleClickIsTwoPressesCloseInTimeAndPlace)
{
    std::vector<int> counts;
    auto& taps = env.desktop.inputTaps();
    ASSERT_TRUE(taps.start([](const TapEvent&) { return true; }, 1.0, nullptr));
    QObject::connect(&taps, &InputTaps::event, [&](const TapEvent& e) {
        if (e.type == TapEvent::Type::leftMouseDown)
            counts.push_back(e.clickCount);
    });
    const auto click = [&](double x, double after) {
        env.clock.advance(after);
        env.desktop.mouseDown({x, 300});
        env.desktop.mouseUp({x, 300});
    };
    click(1000, 1);
    click(1003, 0.3); // within 4 points and the interval
    click(1003, 0.3); // a third
    click(1010, 0.1); // too far
    click(1010, 0.6); // too late
    env.clock.runDue();
    EXPECT_EQ(counts, (std::vector<int>{1, 2, 3, 1, 1}));
    taps.stop();
}

} // namespace
} // namespace tavrin
