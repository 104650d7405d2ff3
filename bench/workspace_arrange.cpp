// Matching a six-window plan to a captured display and carrying it out on the
// simulated desktop, with the desktop's launch delay at zero: the time is the
// system's own (matching, Accessibility traffic, frames, bookkeeping). Each
// iteration is undone, untimed, so that every one starts from the same desktop.

#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/sim/memorykeychain.h"
#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"
#include "windows/display.h"
#include "windows/windowmanager.h"
#include "workspaces/screencapture.h"
#include "workspaces/workspaceplan.h"
#include "workspaces/workspacerunner.h"

#include <benchmark/benchmark.h>
#include <optional>

using namespace tavrin;

namespace {

struct Desk {
    SimClock clock;
    MemoryDefaults defaults;
    MemoryKeychain keychain;
    SimDesktop desktop{clock};

    Desk()
    {
        SimState s;
        s.displays = {SimDisplay{QStringLiteral("Wide"), Rect(0, 0, 3440, 1440), 1, 1, 0, 64}};
        const QStringList names{"Tavrin", "Safari", "Code", "Terminal", "Mail", "Slack", "Notes", "Music", "Figma"};
        for (int i = 0; i < names.size(); ++i) {
            SimApp a;
            a.pid = 200 + i;
            a.name = names[i];
            a.location = QStringLiteral("/Applications/") + names[i] + QStringLiteral(".app");
            a.isSelf = i == 0;
            a.policy = i == 0 ? ActivationPolicy::accessory : ActivationPolicy::regular;
            s.apps.push_back(a);
            if (i == 0)
                continue;
            for (int k = 0; k < 2; ++k) {
                SimWindow w;
                w.pid = a.pid;
                w.title = names[i] + QString::number(k);
                w.frame = Rect(60 + 90 * i + 20 * k, 60 + 40 * i, 1100, 800);
                s.windows.push_back(w);
            }
        }
        SimWindow calendar;
        calendar.title = QStringLiteral("Calendar");
        calendar.frame = Rect(400, 150, 1300, 900);
        s.installed = {SimInstalledApp{QStringLiteral("Calendar"),
                                       QStringLiteral("com.example.calendar"),
                                       QStringLiteral("/Applications/Calendar.app"),
                                       ActivationPolicy::regular,
                                       {calendar}}};
        s.defaultApps = {{QStringLiteral("https"), QStringLiteral("/Applications/Safari.app")}};
        s.launchDelay = 0;
        desktop.load(s);
        Platform::install(desktop.startServices({.defaults = &defaults, .keychain = &keychain}));
    }
};

WorkspacePlan::Window existing(int index)
{
    WorkspacePlan::Window w;
    w.existingWindow = index;
    return w;
}

WorkspacePlan sixWindows(bool opening)
{
    WorkspacePlan plan;
    plan.workspaceName = QStringLiteral("Bench");
    plan.layout = LayoutKind::focusCentre;
    for (int i = 0; i < (opening ? 4 : 6); ++i)
        plan.windows << existing(i * 2);
    if (opening) {
        WorkspacePlan::Window page;
        page.app = QStringLiteral("Safari");
        page.openURL = QStringLiteral("https://docs.example.com/guide");
        WorkspacePlan::Window launch;
        launch.app = QStringLiteral("Calendar");
        plan.windows << page << launch;
    }
    return plan;
}

QCoro::Task<> keep(QCoro::Task<WorkspaceRunner::Outcome> task, std::optional<WorkspaceRunner::Outcome>* out)
{
    out->emplace(co_await std::move(task));
}

void arrangeSix(benchmark::State& state, bool opening)
{
    Desk desk;
    const Display display = Display::all().front();
    const WorkspacePlan plan = sixWindows(opening);
    WindowManager windows;
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner(windows, Platform::current(), active);
    for (auto _ : state) {
        state.PauseTiming();
        const ScreenCapture capture = ScreenCapture::of(display);
        state.ResumeTiming();

        std::optional<WorkspaceRunner::Outcome> outcome;
        auto running = keep(runner.arrange(WorkspaceRunner::rows(plan, capture), {}, plan.layout, display), &outcome);
        while (!outcome)
            desk.clock.advance(WorkspaceRunner::kOpenPollInterval); // virtual time: the polls cost no waiting
        if (outcome->arranged != 6) {
            state.SkipWithError(
                ("not every window was arranged: " + outcome->problem.value_or(QString())).toStdString().c_str());
            break;
        }

        state.PauseTiming();
        runner.undo(*outcome);
        desk.clock.advance(3);
        state.ResumeTiming();
    }
}

void BM_ArrangeSixOpenWindows(benchmark::State& state) { arrangeSix(state, false); }
void BM_ArrangeFourOpenWindowsAndOpenTwo(benchmark::State& state) { arrangeSix(state, true); }

void BM_CaptureDisplay(benchmark::State& state)
{
    Desk desk;
    const Display display = Display::all().front();
    for (auto _ : state)
        benchmark::DoNotOptimize(ScreenCapture::of(display));
}

} // namespace

BENCHMARK(BM_ArrangeSixOpenWindows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ArrangeFourOpenWindowsAndOpenTwo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CaptureDisplay)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
