// How fast the simulated desktop answers the calls window work makes most:
// moving a window (position and size written, then read back) and listing
// the on-screen windows.
#include "platform/accessibility.h"
#include "platform/sim/simaccessibility.h"
#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simwindowserver.h"

#include <benchmark/benchmark.h>

using namespace tavrin;

namespace {
// One wide display and `count` windows of ten applications.
SimState desktopWith(int count)
{
    SimState state;
    state.displays.push_back(SimDisplay{QStringLiteral("Wide"), Rect(0, 0, 3440, 1440), 1, 1, 0, 0});
    for (int a = 0; a < 10; ++a) {
        SimApp app;
        app.pid = 501 + a;
        app.name = QStringLiteral("App %1").arg(a);
        state.apps.push_back(app);
    }
    for (int i = 0; i < count; ++i) {
        SimWindow w;
        w.pid = 501 + i % 10;
        w.title = QStringLiteral("Window %1").arg(i);
        w.frame = Rect(20.0 * i, 10.0 * i, 800, 600);
        w.minSize = Size{200, 150};
        state.windows.push_back(w);
    }
    state.frontmostPid = 501;
    return state;
}
} // namespace

static void BM_MoveAndReadBack1000(benchmark::State& run)
{
    SimClock clock;
    SimDesktop desktop(clock);
    desktop.load(desktopWith(40));
    Accessibility& ax = desktop.accessibility();
    const AXElement window = SimAccessibility::elementOf(desktop.windows()[20]);
    for (auto _ : run) {
        for (int i = 0; i < 1000; ++i) {
            const double d = i % 100;
            ax.setAttribute(window, ax::Position, Point{d, 24 + d});
            ax.setAttribute(window, ax::Size, Size{800 + d, 600 + d});
            benchmark::DoNotOptimize(ax.attribute(window, ax::Position));
            benchmark::DoNotOptimize(ax.attribute(window, ax::Size));
        }
    }
    run.SetItemsProcessed(run.iterations() * 1000);
}
BENCHMARK(BM_MoveAndReadBack1000)->Unit(benchmark::kMicrosecond);

static void BM_OnScreenList40(benchmark::State& run)
{
    SimClock clock;
    SimDesktop desktop(clock);
    desktop.load(desktopWith(40));
    WindowServer& server = desktop.windowServer();
    for (auto _ : run) {
        auto list = server.onScreenWindows();
        benchmark::DoNotOptimize(list.data());
        if (list.size() != 40)
            run.SkipWithError("expected 40 windows");
    }
}
BENCHMARK(BM_OnScreenList40)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
