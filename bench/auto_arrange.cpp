// Automatic arrangement's tick while nothing changes: what runs four times a
// second for as long as the program runs, over two switched-on displays with
// 40 windows. On the simulated desktop, and on a real X11 desktop (its own
// Xvfb with openbox, two monitors, two client processes of 20 windows each;
// skipped where there is none). Then the whole program on that desktop,
// idle, with automatic arrangement off and on: the share of one core it
// takes while nothing changes.
#include "processcpu.h"
#include "simbench.h"

#include "platform/linux/plistdefaults.h"
#include "platform/linux/qtclock.h"
#include "platform/x11/x11desktop.h"
#include "snapping/arranging/autoarrange.h"
#include "support/x11/x11testclient.h"
#include "support/x11/xvfbsession.h"
#include "windows/display.h"
#include "windows/windowmanager.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <unistd.h>

using namespace tavrin;

namespace {

constexpr int kWindowsPerDisplay = 20;
constexpr double kIdleSeconds = 20;

// Switches every display on and lets the first tick take what stands.
bool switchOnAndSettle(AutoArrange& arrange, Defaults& defaults)
{
    const auto displays = tavrin::Display::all();
    for (const tavrin::Display& d : displays)
        defaults.setValue(AutoArrange::enabledKey(d), true);
    arrange.tick();
    for (const tavrin::Display& d : displays) {
        const auto known = arrange.arranged(d.id);
        if (!known || known->size() != std::size_t(kWindowsPerDisplay))
            return false;
    }
    return true;
}

// Starts two clients of 20 windows each, one on each monitor.
bool startClients(const XvfbSession& session, std::vector<std::unique_ptr<X11TestClient>>& clients, QString* error)
{
    for (int side = 0; side < 2; ++side) {
        X11TestClient::Options o;
        o.title = side ? QStringLiteral("Right") : QStringLiteral("Left");
        o.client = {40.0 + 1720 * side, 60, 900, 700};
        o.windows = kWindowsPerDisplay;
        clients.push_back(X11TestClient::start(session.environment(), o, error));
        if (!clients.back())
            return false;
    }
    return true;
}

void BM_AutoArrangeTickSimulated(benchmark::State& state)
{
    bench::SimDesk desk;
    SimState s = bench::twoDisplays();
    s.windows.clear();
    for (int i = 0; i < 2 * kWindowsPerDisplay; ++i) {
        SimWindow w;
        w.pid = 501 + i % 6;
        w.title = QStringLiteral("Window %1").arg(i);
        w.frame = i < kWindowsPerDisplay ? Rect(40.0 + 100 * i, 60, 1000, 900)
                                         : Rect(3480.0 + 20 * (i - kWindowsPerDisplay), 400, 1000, 700);
        s.windows.push_back(w);
    }
    desk.desktop.load(s);
    WindowManager windows;
    AutoArrange arrange(windows, Platform::current());
    if (!switchOnAndSettle(arrange, desk.defaults)) {
        state.SkipWithError("The displays did not hold 20 windows each.");
        return;
    }
    for (auto _ : state)
        arrange.tick();
    state.counters["windows"] = 2 * kWindowsPerDisplay;
}
BENCHMARK(BM_AutoArrangeTickSimulated)->Unit(benchmark::kMicrosecond);

void BM_AutoArrangeTickX11(benchmark::State& state)
{
    QString error;
    bool noServer = false;
    auto session = XvfbSession::start(&error, XvfbSession::Options{}, &noServer);
    auto desktop = session ? X11Desktop::connect(&error, session->display()) : nullptr;
    if (!desktop) {
        state.SkipWithError(("No desktop to measure on: " + error).toStdString().c_str());
        return;
    }
    QtClock clock;
    MemoryDefaults defaults;
    Platform::install(desktop->startServices({.defaults = &defaults, .clock = &clock}));
    std::vector<std::unique_ptr<X11TestClient>> clients;
    if (!startClients(*session, clients, &error)) {
        Platform::uninstall();
        state.SkipWithError(("A client did not start: " + error).toStdString().c_str());
        return;
    }
    // The window manager frames the last windows a moment after they map.
    QThread::msleep(300);
    QCoreApplication::processEvents();
    WindowManager windows;
    AutoArrange arrange(windows, Platform::current());
    if (!switchOnAndSettle(arrange, defaults)) {
        Platform::uninstall();
        state.SkipWithError("The monitors did not hold 20 windows each.");
        return;
    }
    for (auto _ : state) {
        arrange.tick();
        QCoreApplication::processEvents(); // as the main loop would between ticks
    }
    state.counters["windows"] = 2 * kWindowsPerDisplay;
    Platform::uninstall();
}
BENCHMARK(BM_AutoArrangeTickX11)->Unit(benchmark::kMicrosecond);

void BM_ProgramIdleCpuX11(benchmark::State& state)
{
    const bool arranging = state.range(0) != 0;
    QString error;
    bool noServer = false;
    auto session = XvfbSession::start(&error, XvfbSession::Options{}, &noServer);
    std::vector<std::unique_ptr<X11TestClient>> clients;
    if (!session || !startClients(*session, clients, &error)) {
        state.SkipWithError(("No desktop to measure on: " + error).toStdString().c_str());
        return;
    }
    QTemporaryDir config;
    {
        PlistDefaults defaults(QDir(config.path()).filePath(QStringLiteral("tavrin/defaults.plist")));
        for (const char* monitor : {"LEFT", "RIGHT"})
            defaults.setValue(QStringLiteral("autoArrange.") + QLatin1String(monitor), arranging);
    }
    QProcess tavrin;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), session->display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("TAVRIN_DEMO"), QStringLiteral("1"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    tavrin.setProcessEnvironment(env);
    tavrin.start(QStringLiteral(TAVRIN_BINARY), {QStringLiteral("--desktop"), QStringLiteral("x11")});
    QByteArray said;
    for (int i = 0; i < 200 && !said.contains("Tavrin is running"); ++i) {
        tavrin.waitForReadyRead(100);
        said += tavrin.readAllStandardOutput();
    }
    if (!said.contains("Tavrin is running")) {
        state.SkipWithError("The program did not start.");
        return;
    }
    QThread::sleep(3); // past start-up
    double used = 0;
    for (auto _ : state) {
        const bench::Threads before = bench::threads(tavrin.processId());
        QThread::usleep(unsigned(kIdleSeconds * 1e6));
        used = bench::cpuSince(tavrin.processId(), before);
        state.SetIterationTime(kIdleSeconds);
    }
    state.counters["cpu_percent"] = used / kIdleSeconds * 100;
    state.counters["windows"] = 2 * kWindowsPerDisplay;
    ::kill(pid_t(tavrin.processId()), SIGTERM);
    tavrin.waitForFinished(10000);
}
BENCHMARK(BM_ProgramIdleCpuX11)
    ->ArgName("arranging")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
