// One pass of the veil engine, as it runs on every screen refresh while
// private windows are veiled: 60 windows, 20 of them private and veiled.
// On the simulated desktop; and on the real X11 desktop (its own Xvfb with
// openbox; skipped where there is none), where the list comes from what the
// server's events kept, without a round trip. The program here runs on Qt's
// offscreen platform, so the X11 veils are not windows on that server: what
// is measured is the list and the engine, not the requests a veil's window
// sends on its way (they are asynchronous and wait for no answer).
#include "modes/privacyprompt.h"
#include "modes/sharesafe.h"
#include "modes/veilengine.h"
#include "platform/linux/qtclock.h"
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/windowserver.h"
#include "platform/x11/x11desktop.h"
#include "platform/x11/x11windowserver.h"
#include "simbench.h"
#include "support/x11/x11testclient.h"
#include "support/x11/xvfbsession.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

using namespace tavrin;

namespace {

constexpr int kApps = 12;
constexpr int kWindowsEach = 5;

// Twelve applications of five windows, spread over the wide display; the
// first four are private (their names are among the default private ones).
SimState sixtyWindows()
{
    SimState state = bench::twoDisplays();
    state.apps.clear();
    state.windows.clear();
    const QStringList names{"Mail",  "Messages", "Signal", "Telegram", "Notes", "Safari",
                            "Xcode", "Slack",    "Finder", "Music",    "Maps",  "Preview"};
    for (int a = 0; a < kApps; ++a) {
        SimApp app;
        app.pid = 701 + a;
        app.name = names[a];
        state.apps.push_back(app);
        for (int w = 0; w < kWindowsEach; ++w) {
            SimWindow window;
            window.pid = app.pid;
            window.title = QStringLiteral("%1 %2").arg(names[a]).arg(w);
            window.frame = Rect(40.0 + 260 * a + 30 * w, 60.0 + 150 * w, 700, 600);
            state.windows.push_back(window);
        }
    }
    state.frontmostPid = 701;
    return state;
}

void report(benchmark::State& state, VeilEngine& engine, std::size_t listed)
{
    state.counters["veils"] = double(engine.tracked().size());
    state.counters["windows"] = double(listed);
}

void BM_VeilUpdateOnTheSimulatedDesktop(benchmark::State& state)
{
    bench::SimDesk desk;
    desk.desktop.load(sixtyWindows());
    WindowManager windows;
    PrivacyPrompt prompt(*Platform::current().clock, windows);
    ShareSafe share(prompt, Platform::current());
    ShortcutStore store;
    VeilEngine engine(share, store, Platform::current());
    auto registration = share.setVeils(engine);
    share.setManual(true);
    for (auto _ : state)
        engine.update();
    report(state, engine, engine.lastList().size());
    share.setManual(false);
}
BENCHMARK(BM_VeilUpdateOnTheSimulatedDesktop)->Unit(benchmark::kMicrosecond);

void BM_VeilUpdateOnX11(benchmark::State& state)
{
    QString error;
    bool noServer = false;
    auto session = XvfbSession::start(&error, XvfbSession::Options{}, &noServer);
    auto desktop = session ? X11Desktop::connect(&error, session->display()) : nullptr;
    if (!desktop) {
        state.SkipWithError(("No X11 desktop to measure on: " + error).toStdString().c_str());
        return;
    }
    QtClock clock;
    MemoryDefaults defaults;
    Platform::install(desktop->startServices({.defaults = &defaults, .clock = &clock}));
    // Four private applications' windows and eight others', five each, in
    // processes of their own.
    std::vector<std::unique_ptr<X11TestClient>> clients;
    for (int a = 0; a < kApps && session; ++a) {
        X11TestClient::Options o;
        o.title = QStringLiteral("App %1").arg(a);
        o.wmClass = a < 4 ? QStringList{"Mail", "Messages", "Signal", "Telegram"}[a] : QStringLiteral("Other%1").arg(a);
        o.client = {40.0 + 260 * a, 60, 700, 600};
        o.windows = kWindowsEach;
        if (auto c = X11TestClient::start(session->environment(), o, &error))
            clients.push_back(std::move(c));
    }
    WindowManager windows;
    PrivacyPrompt prompt(*Platform::current().clock, windows);
    ShareSafe share(prompt, Platform::current());
    ShortcutStore store;
    VeilEngine engine(share, store, Platform::current());
    auto registration = share.setVeils(engine);
    share.setManual(true);
    QElapsedTimer waited;
    waited.start();
    while (engine.tracked().size() < 4 * kWindowsEach && waited.elapsed() < 10000) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    X11WindowServer* server = &desktop->windowServer();
    const int readsBefore = server->reads();
    // The list alone, as kept from the server's events.
    QElapsedTimer listTime;
    listTime.start();
    for (int i = 0; i < 1000; ++i)
        benchmark::DoNotOptimize(server->onScreenWindows());
    state.counters["list_us"] = double(listTime.nsecsElapsed()) / 1000.0 / 1000.0;
    for (auto _ : state)
        engine.update();
    report(state, engine, engine.lastList().size());
    state.counters["reads"] = double(server->reads() - readsBefore);
    share.setManual(false);
    Platform::uninstall();
}
BENCHMARK(BM_VeilUpdateOnX11)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
