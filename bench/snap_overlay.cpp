// The snap overlay on a simulated desktop of two displays and twelve windows:
// showing it (reading the focused window, previews, highlight, placing and
// painting the panel), the first show of a new overlay (the panel and its
// view made), the very first show in a process, one refresh of the arrow
// previews with the view following, and the same for the letter grid.
#include "design/floatingpanel.h"
#include "simbench.h"
#include "snapping/snaphudcontroller.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include <chrono>

using namespace tavrin;

namespace {

struct Desk : bench::SimDesk {
    WindowManager windows;
    ShortcutStore store;

    explicit Desk(bool letters = false) { defaults.setValue(SnapHUDController::kLettersKey, letters); }
};

// Shows the overlay and renders its whole panel once: the first frame. (The
// offscreen platform exposes no window, so the panel is drawn into an image
// of its own, as the window system's backing store would be.)
void showAndPaint(SnapHUDController& hud)
{
    hud.show();
    QCoreApplication::sendPostedEvents();
    if (auto* panel = dynamic_cast<FloatingPanel*>(hud.panel()))
        benchmark::DoNotOptimize(panel->window()->grab());
}

// The very first show in a process: the fonts loaded, their glyphs drawn and
// the face's pictures made for the first time, unless the overlay prepared
// them when it began to watch the keys (prepared:1), as the program has it
// do at start or when Accessibility is allowed. Only a process's first show
// is one: run each in a process of its own, e.g.
// --benchmark_filter='VeryFirstShow/prepared:1', and take the median of runs.
void BM_VeryFirstShow(benchmark::State& state)
{
    Desk desk;
    SnapHUDController hud(desk.windows, desk.store, Platform::current());
    if (state.range(0) != 0)
        hud.installMonitors();
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        showAndPaint(hud);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    desk.clock.advance(1);
}
BENCHMARK(BM_VeryFirstShow)
    ->ArgName("prepared")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_ShowToFirstFrame(benchmark::State& state)
{
    Desk desk(state.range(0) != 0);
    SnapHUDController hud(desk.windows, desk.store, Platform::current());
    showAndPaint(hud);
    for (auto _ : state) {
        hud.panel()->orderOut();
        showAndPaint(hud);
    }
    desk.clock.advance(1);
}
BENCHMARK(BM_ShowToFirstFrame)->Arg(0)->Arg(1)->ArgName("letters")->Unit(benchmark::kMillisecond);

void BM_FirstShow(benchmark::State& state)
{
    Desk desk(state.range(0) != 0);
    for (auto _ : state) {
        SnapHUDController hud(desk.windows, desk.store, Platform::current());
        showAndPaint(hud);
        desk.clock.advance(1);
    }
}
BENCHMARK(BM_FirstShow)->Arg(0)->Arg(1)->ArgName("letters")->Unit(benchmark::kMillisecond);

void BM_RefreshPreviews(benchmark::State& state)
{
    Desk desk;
    SnapHUDController hud(desk.windows, desk.store, Platform::current());
    showAndPaint(hud);
    // Alternate the window between two places so that every refresh
    // publishes new previews and the pad redraws its keys.
    const std::uint64_t token = desk.desktop.focusedWindow()->token;
    int i = 0;
    for (auto _ : state) {
        desk.desktop.setFrame(token, (i++ % 2) ? Rect(40, 60, 1000, 900) : Rect(1200, 300, 1400, 900));
        hud.refreshPreviews();
    }
}
BENCHMARK(BM_RefreshPreviews)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
