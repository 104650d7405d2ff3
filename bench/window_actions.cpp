// Window actions on the simulated desktop (scenarios/default.json): a snap,
// an arrow step and a layout of six windows, each through the window
// manager as a hot key would call it. The simulated Accessibility calls are
// included; BM_AccessibilityFloor issues the calls one snap needs directly,
// so the difference is the window manager's own time.
#include "platform/accessibility.h"
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/sim/memorykeychain.h"
#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simscenario.h"
#include "platform/workspace.h"
#include "windows/axwindow.h"
#include "windows/windowmanager.h"

#include <QDir>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

using namespace tavrin;

namespace {

// scenarios/default.json of the source tree: from TAVRIN_SOURCE_DIR, else
// looked for upwards from the working folder and from this program's folder.
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

// One simulated desktop, installed as the platform, with a window manager.
struct Desk {
    SimClock clock;
    MemoryDefaults defaults;
    MemoryKeychain keychain;
    SimDesktop desktop{clock};
    WindowManager manager;

    Desk()
    {
        const SimScenario scenario = SimScenario::fromFile(scenarioPath());
        if (!scenario.applyTo(desktop)) {
            std::fprintf(stderr, "%s\n", qPrintable(scenario.error()));
            std::exit(1);
        }
        Platform::install(desktop.startServices({.defaults = &defaults, .keychain = &keychain}));
    }
    ~Desk() { Platform::uninstall(); }
};

void BM_Snap(benchmark::State& state)
{
    Desk desk;
    const SnapTarget targets[] = {SnapTarget::leftThird, SnapTarget::topRight};
    int i = 0;
    for (auto _ : state) {
        auto frame = desk.manager.snap(targets[i++ & 1]);
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(BM_Snap);

void BM_ArrowStep(benchmark::State& state)
{
    Desk desk;
    for (auto _ : state) {
        auto frame = desk.manager.arrow(Arrow::left); // ⅓ → ¼ → ½ → ⅓ …
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(BM_ArrowStep);

void BM_ApplyLayoutSixWindows(benchmark::State& state)
{
    Desk desk;
    const auto display = Display::all().front(); // the ultrawide: six windows
    const LayoutKind kinds[] = {LayoutKind::focusCentre, LayoutKind::columns};
    int i = 0;
    for (auto _ : state) {
        desk.manager.applyLayout(kinds[i++ & 1], false, display);
        desk.clock.advance(WindowManager::kRecheckDelay); // and its re-check
    }
}
BENCHMARK(BM_ApplyLayoutSixWindows);

// The Accessibility traffic of one snap, without the window manager.
void BM_AccessibilityFloor(benchmark::State& state)
{
    Desk desk;
    Accessibility& ax = *Platform::current().accessibility;
    Workspace& workspace = *Platform::current().workspace;
    const Size sizes[] = {{1000, 800}, {1100, 700}};
    int i = 0;
    for (auto _ : state) {
        ax.isTrusted(false);
        const int pid = workspace.frontmostApplication()->pid;
        const AXElement app = ax.applicationElement(pid);
        ax.setMessagingTimeout(app, 1.0);
        const AXElement window = *ax.attribute(app, ax::FocusedWindow).as<AXElement>();
        for (int read = 0; read < 2; ++read) {
            benchmark::DoNotOptimize(ax.attribute(window, ax::Position));
            benchmark::DoNotOptimize(ax.attribute(window, ax::Size));
        }
        ax.setMessagingTimeout(app, 1.0);
        benchmark::DoNotOptimize(ax.attribute(app, ax::EnhancedUserInterface));
        const Size size = sizes[i++ & 1];
        ax.setAttribute(window, ax::Size, size);
        ax.setAttribute(window, ax::Position, Point{8, 32});
        ax.setAttribute(window, ax::Size, size);
    }
}
BENCHMARK(BM_AccessibilityFloor);

} // namespace

BENCHMARK_MAIN();
