// Opening the command bar on a simulated desktop of two displays and twelve
// windows: the model's prepare step (capture, displays,
// window snapshots, saved workspaces), building the bar's view in the preview
// state, and the whole show of the controller (prepare, view, layout, place).
#include "commandbar/commandbarcontroller.h"
#include "commandbar/commandbarmodel.h"
#include "commandbar/commandbarview.h"
#include "design/themed.h"
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/sim/memorykeychain.h"
#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"
#include "workspaces/screencapture.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace tavrin;

namespace {

// Two displays and twelve windows of six applications, most on the wide one.
SimState twoDisplays()
{
    SimState state;
    state.displays = {{QStringLiteral("Wide"), Rect(0, 0, 3440, 1440), 1, 1, 0, 64},
                      {QStringLiteral("Built-in Display"), Rect(3440, 323, 1728, 1117), 2, 2, 0, 0}};
    for (int a = 0; a < 6; ++a) {
        SimApp app;
        app.pid = 501 + a;
        app.name = QStringLiteral("App %1").arg(a);
        state.apps.push_back(app);
    }
    for (int i = 0; i < 12; ++i) {
        SimWindow w;
        w.pid = 501 + i % 6;
        w.title = QStringLiteral("Window %1").arg(i);
        w.frame = i < 9 ? Rect(40.0 + 300 * i, 60, 1000, 900) : Rect(3480.0 + 100 * (i - 9), 400, 1000, 700);
        state.windows.push_back(w);
    }
    state.frontmostPid = 501;
    state.trusted = true;
    return state;
}

struct Desk {
    SimClock clock;
    MemoryDefaults defaults;
    MemoryKeychain keychain;
    SimDesktop desktop{clock};

    Desk()
    {
        desktop.load(twoDisplays());
        Platform::install(desktop.services({.defaults = &defaults, .keychain = &keychain}));
        defaults.setValue(QStringLiteral("aiEngine"), QStringLiteral("tavrinAI"));
    }
    ~Desk() { Platform::uninstall(); }
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

// The offscreen platform says so whenever a panel is raised or sized.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    qt_message_output(type, context, message);
}

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietOffscreen);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
