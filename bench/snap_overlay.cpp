// The snap overlay on a simulated desktop of two displays and twelve windows:
// showing it (reading the focused window, previews, highlight, placing and
// painting the panel), the first show of all (the panel and its view made),
// one refresh of the arrow previews with the view following, and the same
// for the letter grid.
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/sim/memorykeychain.h"
#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"
#include "snapping/floatingpanel.h"
#include "snapping/snaphudcontroller.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace tavrin;

namespace {

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
    WindowManager windows;
    ShortcutStore store;

    explicit Desk(bool letters = false)
    {
        desktop.load(twoDisplays());
        Platform::install(desktop.services(&defaults, &keychain));
        defaults.setValue(SnapHUDController::kLettersKey, letters);
    }
    ~Desk() { Platform::uninstall(); }
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

void BM_ShowToFirstFrame(benchmark::State& state)
{
    Desk desk(state.range(0) != 0);
    SnapHUDController hud(desk.windows, desk.store);
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
        SnapHUDController hud(desk.windows, desk.store);
        showAndPaint(hud);
        desk.clock.advance(1);
    }
}
BENCHMARK(BM_FirstShow)->Arg(0)->Arg(1)->ArgName("letters")->Unit(benchmark::kMillisecond);

void BM_RefreshPreviews(benchmark::State& state)
{
    Desk desk;
    SnapHUDController hud(desk.windows, desk.store);
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
