// The real desktop: from a hot key pressed through the X server (XTEST) to
// the window standing at its new frame, ⌃⌥← and ⌃⌥→ in turn, through the X11
// backend and the window manager; against moving the same window with
// `wmctrl -r :ACTIVE: -e …`, one process per press, as a Linux user binds it
// to keys today. Also the backend's own move with read-back. Runs its own
// Xvfb with openbox; skips where there is none.
#include "platform/accessibility.h"
#include "platform/hotkeys.h"
#include "platform/linux/qtclock.h"
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/workspace.h"
#include "platform/x11/x11connection.h"
#include "platform/x11/x11desktop.h"
#include "platform/x11/x11keyboard.h"
#include "support/x11/x11testclient.h"
#include "support/x11/xvfbsession.h"
#include "windows/hotkeycenter.h"
#include "windows/windowmanager.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <X11/keysym.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <xcb/xtest.h>

using namespace tavrin;

namespace {

constexpr int kPresses = 200;
constexpr double kWait = 2.0;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

// One desktop: Xvfb with openbox, the backend on it, one client window and a
// connection of the benchmark's own that presses keys and watches the frame.
struct Desk {
    std::unique_ptr<XvfbSession> session;
    std::unique_ptr<X11Desktop> desktop;
    std::unique_ptr<X11Connection> watcher;
    std::unique_ptr<X11TestClient> client;
    std::unique_ptr<X11Keyboard> keyboard;
    QtClock clock;
    MemoryDefaults defaults;
    xcb_window_t frame = 0;
    // The frame window's geometries as the server announced them since the
    // last press. The watcher reads its own events on the main loop, so they
    // are taken through a handler there, never polled off its connection.
    std::vector<Rect> frameEvents;
    QObject handlerOwner;
    QString error;

    bool start(bool qtClient)
    {
        bool noServer = false;
        session = XvfbSession::start(&error, XvfbSession::Options{}, &noServer);
        if (!session)
            return false;
        desktop = X11Desktop::connect(&error, session->display());
        watcher = desktop ? X11Connection::open(session->display(), &error) : nullptr;
        if (!watcher)
            return false;
        Platform::install(desktop->services({.defaults = &defaults, .clock = &clock}));
        X11TestClient::Options o;
        o.title = QStringLiteral("Bench");
        o.qt = qtClient;
        o.client = {300, 200, 800, 600};
        client = X11TestClient::start(session->environment(), o, &error);
        if (!client)
            return false;
        keyboard = std::make_unique<X11Keyboard>(*watcher);
        // Watch the window manager's frame around the client.
        const auto tree = xcb_query_tree(watcher->xcb(), client->window());
        watcher->sync();
        XcbReply<xcb_query_tree_reply_t> t(xcb_query_tree_reply(watcher->xcb(), tree, nullptr));
        frame = t ? t->parent : 0;
        watcher->selectInput(frame, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
        watcher->addEventHandler(&handlerOwner, [this](const xcb_generic_event_t& ev) {
            if ((ev.response_type & 0x7f) != XCB_CONFIGURE_NOTIFY)
                return;
            const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(ev);
            if (c.window == frame)
                frameEvents.push_back(Rect(c.x, c.y, c.width + 2 * c.border_width, c.height + 2 * c.border_width));
        });
        watcher->sendRootMessage(client->window(), watcher->ewmh()->_NET_ACTIVE_WINDOW, 2, XCB_CURRENT_TIME, 0);
        watcher->sync();
        return frame != 0 && waitFor([&] { return activeWindow() == client->window(); });
    }
    ~Desk()
    {
        if (Platform::isInstalled())
            Platform::uninstall();
    }

    template <class F>
    bool waitFor(F done, double seconds = kWait)
    {
        const double deadline = X11Connection::steadyNow() + seconds;
        while (X11Connection::steadyNow() < deadline) {
            QCoreApplication::processEvents();
            if (done())
                return true;
            QThread::usleep(200);
        }
        return false;
    }
    xcb_window_t activeWindow()
    {
        auto cookie =
            watcher->requestProperty(watcher->root(), watcher->ewmh()->_NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW, 1);
        watcher->sync();
        const auto v = X11Connection::cardinals(watcher->takeProperty(cookie).get());
        return v.empty() ? 0 : v[0];
    }
    Rect frameGeometry()
    {
        const auto cookie = xcb_get_geometry(watcher->xcb(), frame);
        watcher->sync();
        XcbReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(watcher->xcb(), cookie, nullptr));
        if (!g)
            return {};
        return {double(g->x), double(g->y), double(g->width + 2 * g->border_width),
                double(g->height + 2 * g->border_width)};
    }
    // Waits, turning the main loop meanwhile, for the frame window to be
    // configured to `want` (since the last `frameEvents.clear()`).
    bool waitForFrame(const Rect& want, double seconds = kWait)
    {
        const double deadline = X11Connection::steadyNow() + seconds;
        while (X11Connection::steadyNow() < deadline) {
            QCoreApplication::processEvents();
            if (std::find(frameEvents.begin(), frameEvents.end(), want) != frameEvents.end())
                return true;
        }
        return false;
    }
    // Waits until the frame has stopped changing and answers where it stands.
    Rect settledFrame()
    {
        Rect last = frameGeometry();
        double since = X11Connection::steadyNow();
        while (X11Connection::steadyNow() - since < 0.15) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
            const Rect now = frameGeometry();
            if (now != last) {
                last = now;
                since = X11Connection::steadyNow();
            }
        }
        return last;
    }
    void pressCtrlAlt(std::uint32_t keysym)
    {
        const xcb_keycode_t keys[] = {keyboard->keycodeFor(XK_Control_L), keyboard->keycodeFor(XK_Alt_L),
                                      keyboard->keycodeFor(keysym)};
        for (xcb_keycode_t k : keys)
            xcb_test_fake_input(watcher->xcb(), XCB_KEY_PRESS, k, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
        for (int i = 2; i >= 0; --i)
            xcb_test_fake_input(watcher->xcb(), XCB_KEY_RELEASE, keys[i], XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
        watcher->flush();
    }
};

// Presses ⌃⌥← and ⌃⌥→ in turn; each press's time runs from sending it to
// the frame standing where that key puts the window.
void BM_HotKeyToFrameAgainstWmctrl(benchmark::State& state)
{
    Desk desk;
    if (!desk.start(state.range(0) != 0)) {
        state.SkipWithError(("No desktop to measure on: " + desk.error).toStdString().c_str());
        return;
    }
    HotKeyCenter center;
    WindowManager manager;
    center.registerKey({123, modifier::control | modifier::option, QStringLiteral("←")},
                       [&] { manager.arrow(Arrow::left); });
    center.registerKey({124, modifier::control | modifier::option, QStringLiteral("→")},
                       [&] { manager.arrow(Arrow::right); });

    // Where each key puts the window (after a first press of each).
    Rect target[2];
    const std::uint32_t keysyms[2] = {XK_Left, XK_Right};
    for (int k = 0; k < 2; ++k) {
        desk.pressCtrlAlt(keysyms[k]);
        target[k] = desk.settledFrame();
    }
    if (target[0] == target[1] || target[0].isEmpty()) {
        state.SkipWithError("The hot keys did not move the window.");
        return;
    }

    std::vector<double> ours;
    int i = 0;
    for (auto _ : state) {
        const int k = i++ & 1;
        desk.frameEvents.clear();
        const double t0 = X11Connection::steadyNow();
        desk.pressCtrlAlt(keysyms[k]);
        if (!desk.waitForFrame(target[k])) {
            state.SkipWithError("A press did not reach its frame.");
            return;
        }
        const double t = X11Connection::steadyNow() - t0;
        ours.push_back(t);
        state.SetIterationTime(t);
    }
    center.unregisterAll();

    // The same two frames by wmctrl, one process per press.
    const QString wmctrl = QStringLiteral("wmctrl");
    // wmctrl is given the same frames: NorthWest gravity places the outer
    // corner, and the size is the client's (the frame less its decoration).
    const auto clientCookie = xcb_get_geometry(desk.watcher->xcb(), desk.client->window());
    desk.watcher->sync();
    XcbReply<xcb_get_geometry_reply_t> clientGeometry(
        xcb_get_geometry_reply(desk.watcher->xcb(), clientCookie, nullptr));
    const Rect now = desk.frameGeometry();
    const double decoW = now.width - clientGeometry->width, decoH = now.height - clientGeometry->height;
    // Starts wmctrl; the caller waits for the process to end.
    auto runWmctrl = [&](const Rect& r) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(desk.session->environment());
        p->start(wmctrl,
                 {QStringLiteral("-r"), QStringLiteral(":ACTIVE:"), QStringLiteral("-e"),
                  QStringLiteral("1,%1,%2,%3,%4").arg(r.x).arg(r.y).arg(r.width - decoW).arg(r.height - decoH)});
        return p->waitForStarted(2000) ? std::move(p) : nullptr;
    };
    for (int k = 0; k < 2; ++k) {
        auto p = runWmctrl(target[k]);
        if (!p) {
            state.SkipWithError("wmctrl is not installed.");
            return;
        }
        p->waitForFinished(2000);
        if (desk.settledFrame() != target[k]) {
            state.SkipWithError("wmctrl did not move the window where the hot key does.");
            return;
        }
    }
    std::vector<double> theirs;
    for (int n = 0; n < kPresses; ++n) {
        const int k = n & 1;
        desk.frameEvents.clear();
        const double t0 = X11Connection::steadyNow();
        auto p = runWmctrl(target[k]);
        const bool reached = p && desk.waitForFrame(target[k], 0.5);
        const double t = X11Connection::steadyNow() - t0;
        if (p)
            p->waitForFinished(2000);
        if (reached)
            theirs.push_back(t);
    }

    state.counters["median_ms"] = median(ours) * 1000;
    state.counters["p90_ms"] = percentile(ours, 0.9) * 1000;
    state.counters["wmctrl_median_ms"] = median(theirs) * 1000;
    state.counters["wmctrl_moves"] = double(theirs.size());
    state.counters["ratio_to_wmctrl"] = median(theirs) > 0 ? median(ours) / median(theirs) : 0;
}
BENCHMARK(BM_HotKeyToFrameAgainstWmctrl)
    ->ArgName("qt_client")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(kPresses)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The backend alone: a window's frame set through Accessibility (as the
// window mover does), awaited until it stands.
void BM_BackendMoveWithReadBack(benchmark::State& state)
{
    Desk desk;
    if (!desk.start(state.range(0) != 0)) {
        state.SkipWithError(("No desktop to measure on: " + desk.error).toStdString().c_str());
        return;
    }
    Accessibility& ax = *Platform::current().accessibility;
    const AXElement window{desk.client->pid(), desk.client->window()};
    const Rect frames[2] = {{8, 8, 852, 1424}, {868, 8, 844, 1424}};
    int i = 0;
    for (auto _ : state) {
        const Rect& r = frames[i++ & 1];
        ax.setFrame(window, r);
        benchmark::DoNotOptimize(ax.attribute(window, ax::Position));
    }
    if (desk.frameGeometry() != frames[(i - 1) & 1])
        state.SkipWithError("The window did not stand at its frame.");
}
BENCHMARK(BM_BackendMoveWithReadBack)->ArgName("qt_client")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
