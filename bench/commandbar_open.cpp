// Opening the command bar on a simulated desktop of two displays and twelve
// windows: the model's prepare step (capture, displays,
// window snapshots, saved workspaces), building the bar's view in the preview
// state, and the whole show of the controller (prepare, view, layout, place).
#include "commandbar/commandbarcontroller.h"
#include "commandbar/commandbarmodel.h"
#include "commandbar/commandbarview.h"
#include "design/themed.h"
#include "simbench.h"
#include "workspaces/screencapture.h"

using namespace tavrin;

namespace {

struct Desk : bench::SimDesk {
    Desk() { defaults.setValue(QStringLiteral("aiEngine"), QStringLiteral("tavrinAI")); }
};

// A plan of the first four captured windows in the focus-centre layout.
WorkspacePlan fourWindows(const ScreenCapture& capture)
{
    WorkspacePlan plan;
    plan.workspaceName = QStringLiteral("Review");
    plan.layout = LayoutKind::focusCentre;
    plan.why = QStringLiteral("The editor in the middle, the rest around it.");
    for (int i = 0; i < 4 && i < int(capture.windows.size()); ++i)
        plan.windows.append({ScreenCapture::appName(capture.windows[std::size_t(i)].app), i, std::nullopt,
                             QStringLiteral("work"), std::nullopt, std::nullopt});
    return plan;
}

void BM_Prepare(benchmark::State& state)
{
    Desk desk;
    CommandBarModel model;
    for (auto _ : state)
        model.prepare();
    state.counters["windows"] = double(model.capture()->windows.size());
}
BENCHMARK(BM_Prepare)->Unit(benchmark::kMicrosecond);

void BM_PreviewView(benchmark::State& state)
{
    Desk desk;
    CommandBarModel model;
    model.prepare();
    model.show(fourWindows(*model.capture()));
    desk.clock.advance(1); // every row revealed
    for (auto _ : state) {
        Themed themed(new CommandBarView(model));
        benchmark::DoNotOptimize(themed.sizeHint());
    }
}
BENCHMARK(BM_PreviewView)->Unit(benchmark::kMicrosecond);

void BM_ShowBar(benchmark::State& state)
{
    Desk desk;
    CommandBarController bar;
    for (auto _ : state) {
        bar.show();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        benchmark::DoNotOptimize(bar.panel()->size());
    }
}
BENCHMARK(BM_ShowBar)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
