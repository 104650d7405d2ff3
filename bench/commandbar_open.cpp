// Opening the command bar on the simulated desktop (scenarios/default.json,
// two displays, twelve windows): the model's prepare step (capture, displays,
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
#include "platform/sim/simscenario.h"
#include "workspaces/screencapture.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace tavrin;

namespace {

QString scenarioPath()
{
    const QString name = QStringLiteral("scenarios/default.json");
    const QString root = qEnvironmentVariable("TAVRIN_SOURCE_DIR");
    if (!root.isEmpty())
        return QDir(root).filePath(name);
    for (const QString& start : {QDir::currentPath(), QFileInfo("/proc/self/exe").canonicalPath()})
        for (QDir dir(start);;) {
            if (QFileInfo::exists(dir.filePath(name)))
                return dir.filePath(name);
            if (!dir.cdUp())
                break;
        }
    return name;
}

struct Desk {
    SimClock clock;
    MemoryDefaults defaults;
    MemoryKeychain keychain;
    SimDesktop desktop{clock};

    Desk()
    {
        const SimScenario scenario = SimScenario::fromFile(scenarioPath());
        if (!scenario.applyTo(desktop)) {
            std::fprintf(stderr, "%s\n", qPrintable(scenario.error()));
            std::exit(1);
        }
        Platform::install(desktop.services(&defaults, &keychain));
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
