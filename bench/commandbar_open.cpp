// Opening the command bar on a simulated desktop of two displays and twelve
// windows: the model's prepare step (capture, displays,
// window snapshots, saved workspaces), building the bar's view in the preview
// state, and the whole show of the controller (prepare, view, layout, place);
// then a request put in the bar as the Ask intent puts it, timed on the main
// thread's own CPU clock until that thread has nothing left to do.
#include "commandbar/commandbarcontroller.h"
#include "commandbar/commandbarmodel.h"
#include "commandbar/commandbarplanner.h"
#include "commandbar/commandbarrunner.h"
#include "commandbar/commandbarview.h"
#include "design/themed.h"
#include "planning/keychainstore.h"
#include "planning/plannerrouter.h"
#include "planning/requestlog.h"
#include "simbench.h"
#include "windows/windowmanager.h"
#include "workspaces/screencapture.h"

#include <ctime>

using namespace tavrin;

namespace {

// The desktop, and the command bar's collaborators over it as the program
// makes them: the planners on its services and the workspace runner.
struct Desk : bench::SimDesk {
    Desk() { defaults.setValue(QStringLiteral("aiEngine"), QStringLiteral("tavrinAI")); }

    CommandBarServices services() { return services(*routed); }
    CommandBarServices services(CommandBarPlanner& planner)
    {
        const Platform& p = Platform::current();
        return {windows, planner, *runner, active, planners, keychainStore, *p.clock, *p.defaults, *p.accessibility};
    }

    KeychainStore keychainStore{*Platform::current().keychain, Platform::current().workspace};
    RequestLog log{*Platform::current().clock};
    PlannerRouter planners{{.defaults = *Platform::current().defaults,
                            .clock = *Platform::current().clock,
                            .languageModel = Platform::current().languageModel,
                            .keychain = keychainStore,
                            .log = log}};
    std::unique_ptr<CommandBarPlanner> routed = CommandBarPlanner::over(planners);
    WindowManager windows;
    ActiveWorkspaceHolder active;
    WorkspaceRunner workspaceRunner{windows, Platform::current(), active};
    std::unique_ptr<CommandBarRunner> runner = CommandBarRunner::over(workspaceRunner);
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
    CommandBarModel model{desk.services()};
    for (auto _ : state)
        model.prepare();
    state.counters["windows"] = double(model.capture()->windows.size());
}
BENCHMARK(BM_Prepare)->Unit(benchmark::kMicrosecond);

void BM_PreviewView(benchmark::State& state)
{
    Desk desk;
    CommandBarModel model{desk.services()};
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
    CommandBarController bar{desk.services()};
    for (auto _ : state) {
        bar.show();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        benchmark::DoNotOptimize(bar.panel()->size());
    }
}
BENCHMARK(BM_ShowBar)->Unit(benchmark::kMicrosecond);

// A planner that answers only long after the measurement: what is timed is
// the bar's own work.
class LatePlanner : public CommandBarPlanner {
public:
    QCoro::Task<PlannerResult<WorkspacePlan>> plan(PlanRequest) override
    {
        co_await Platform::current().clock->sleep(3600);
        co_return PlannerError::unavailable(QStringLiteral("late"));
    }
};

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A request put in the bar as the Ask intent puts it (the bar shown with
// the request entered): then whatever that left queued for the main thread
// (layout, painting, the next turn's focus, deferred deletions) until none
// is left.
void BM_AskUntilIdle(benchmark::State& state)
{
    Desk desk;
    LatePlanner planner;
    CommandBarController bar(desk.services(planner));
    const QString request = QStringLiteral("Put the editor beside the browser ")
                                .repeated(int(state.range(0)) / 34 + 1)
                                .left(int(state.range(0)));
    for (auto _ : state) {
        const double t0 = threadSeconds();
        bar.ask(request);
        for (int turn = 0; turn < 4; ++turn) {
            desk.clock.advance(0);
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
        state.SetIterationTime(threadSeconds() - t0);
        bar.hide();
    }
}
BENCHMARK(BM_AskUntilIdle)
    ->ArgName("characters")
    ->Arg(8000)
    ->Arg(32000)
    ->Iterations(40)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
