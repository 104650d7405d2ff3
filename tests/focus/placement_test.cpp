// Every way the program arranges windows goes through the window manager:
// a plan, meeting mode and a routine keep a window inside its display as the
// layout hot key does, and the arrow keys continue from the zone they gave.
#include "focus/routineactions.h"
#include "modes/meetingmode.h"
#include "modes/privacyprompt.h"
#include "modes/sharesafe.h"
#include "platform/sim/simaccessibility.h"
#include "support/simfixture.h"
#include "support/workspacefakes.h"
#include "windows/windowmanager.h"
#include "workspaces/savedworkspacestore.h"
#include "workspaces/workspacerunner.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

// One 1920 × 1080 display (visible 0, 24, 1920 × 1056). In front a call whose
// window is at least 1600 points wide, far wider than half the display or
// the middle a call takes; a browser window behind it.
const QByteArray kScenario = R"({
  "trusted": true,
  "frontmost": "FaceTime",
  "displays": [ { "name": "Studio", "frame": [0, 0, 1920, 1080] } ],
  "apps": [ { "name": "Tavrin", "policy": "accessory", "self": true }, { "name": "FaceTime" }, { "name": "Safari" } ],
  "windows": [
    { "app": "FaceTime", "title": "FaceTime", "frame": [200, 200, 1600, 600], "minSize": [1600, 300] },
    { "app": "Safari", "title": "News", "frame": [200, 100, 900, 700] }
  ]
})";

struct Placing : ::testing::Test {
    SimEnvironment env{kScenario};
    WindowManager windows;
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner{windows, Platform::current(), active};
    FakeAutoArrange autoArrange;
    MeetingMode meeting{windows, autoArrange, Platform::current()};
    PrivacyPrompt prompt{env.clock, windows};
    ShareSafe shareSafe{prompt, Platform::current()};
    RoutineActions routine{meeting, shareSafe, windows, runner, Platform::current()};

    AXWindow window(const QString& title) const
    {
        const SimWindow* w = env.window(title);
        return AXWindow{SimAccessibility::elementOf(*w), env.desktop.app(w->pid)->snapshot(false)};
    }
    PlannedWindow row(const QString& title) const
    {
        PlannedWindow r;
        r.existing = window(title);
        r.app = r.existing->app.localizedName;
        return r;
    }
    Display display() const { return Display::all().front(); }
    // Runs the clock until `done` or 10 s have passed.
    void settle(const std::function<bool()>& done)
    {
        for (double waited = 0; !done() && waited < 10; waited += 0.05)
            env.clock.advance(0.05);
    }
    // Arranges the rows in halves on the display, as the command bar does.
    void arrangePlan(std::vector<PlannedWindow> rows)
    {
        bool done = false;
        auto task = arrangeInHalves(runner, std::move(rows), display(), &done);
        settle([&] { return done; });
        ASSERT_TRUE(done);
    }
    static QCoro::Task<> arrangeInHalves(WorkspaceRunner& runner, std::vector<PlannedWindow> rows, Display on,
                                         bool* done)
    {
        co_await runner.arrange(std::move(rows), {}, LayoutKind::halves, std::move(on));
        *done = true;
    }
};

TEST_F(Placing, AWindowWiderThanItsZoneStaysOnItsDisplayHoweverItIsArranged)
{
    const std::vector<std::pair<const char*, std::function<void(Placing&)>>> ways{
        {"the layout hot key", [](Placing& t) { t.windows.applyLayout(LayoutKind::halves, false, t.display()); }},
        {"a plan",
         [](Placing& t) {
             t.arrangePlan({t.row("News"), t.row("FaceTime")});
         }},
        {"meeting mode", [](Placing& t) { t.meeting.enterCall(); }},
        {"a routine's workspace",
         [](Placing& t) {
             SavedWorkspace saved;
             saved.name = saved.request = QStringLiteral("Pair");
             saved.layout = LayoutKind::halves;
             saved.apps = {QStringLiteral("Safari"), QStringLiteral("FaceTime")};
             saved.savedAt = t.env.clock.nowDate();
             SavedWorkspaceStore::save(saved);
             FocusRoutine r;
             r.name = QStringLiteral("Pairing");
             r.actions.workspace = saved.name;
             t.routine.run(r, true);
             t.settle([&] { return !t.routine.arrangingWorkspace(); });
         }},
    };
    // The call goes to the right half, or the middle: at its size it would
    // run off the right edge.
    for (const auto& [way, arrange] : ways) {
        SCOPED_TRACE(way);
        const Rect start(200, 200, 1600, 600);
        env.desktop.setFrame(env.window("FaceTime")->token, start);
        arrange(*this);
        env.clock.advance(2); // any re-check
        const Rect frame = env.window("FaceTime")->frame;
        const Rect area = display().area;
        EXPECT_EQ(frame.width, 1600);
        EXPECT_GE(frame.minX(), area.minX());
        EXPECT_LE(frame.maxX(), area.maxX());
        EXPECT_GE(frame.minY(), area.minY());
        EXPECT_LE(frame.maxY(), area.maxY());
        EXPECT_NE(frame, start) << "not arranged at all";
    }
}

TEST_F(Placing, AnArrowAfterAPlanStepsOnFromTheZoneThePlanGave)
{
    arrangePlan({row("News"), row("FaceTime")});
    ASSERT_EQ(env.desktop.frontmostApp()->name, "Safari");
    // The left half with the gap, read back, would be a little narrower and
    // off the edge: ← would give the left half again, not the next step.
    ASSERT_EQ(windows.arrowContext()->unit, UnitRect(0, 0, 0.5, 1));
    env.clock.advance(1);
    EXPECT_EQ(windows.arrow(Arrow::left), UnitRect(0, 0, 1.0 / 3, 1).rect(display().area, windows.gap()));
}

} // namespace
} // namespace tavrin
