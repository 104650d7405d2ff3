// The real desktop: from a key pressed through the X server (XTEST) to the
// window in front standing at its new frame, for four ways of moving it
// between the two halves of its monitor, each started by a key press:
//
//   tavrin   Tavrin's own hot keys (⌃⌥← and ⌃⌥→), the built program running;
//   wmctrl   a key binding of the window manager running
//            `wmctrl -r :ACTIVE: -e …`, as Linux users bind such keys;
//   xdotool  the same binding running `xdotool getactivewindow windowmove …`;
//   wm_move  the window manager's own move-and-resize action on a key: the
//            floor, with no process of anyone's between key and move.
//
// The method of each press is drawn at random, so that all four meet the same
// load. The benchmark's main thread only presses keys and waits; a thread of
// its own, on a connection of its own, watches the window manager's frame
// around the window and stamps the moment it stands at the press's target.
// Reports the median and 90th percentile of each method, Tavrin's median
// against the others' and its 90th percentile against wmctrl's and the
// window manager's own move's; with 0, 10, 100 and 1,000 other windows. Also the backend's own move with read-back. Runs its
// own Xvfb with openbox; skips where there is none. TAVRIN_BENCH_SETTINGS
// may name a settings file for the program to start from (a large learned
// table, say).
#include "platform/accessibility.h"
#include "platform/linux/qtclock.h"
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/x11/x11connection.h"
#include "platform/x11/x11desktop.h"
#include "platform/x11/x11keyboard.h"
#include "support/x11/x11testclient.h"
#include "support/x11/xvfbsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <X11/keysym.h>
#include <algorithm>
#include <array>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <poll.h>
#include <random>
#include <thread>
#include <xcb/xtest.h>

using namespace tavrin;

namespace {

using SteadyClock = std::chrono::steady_clock;

// About 150 presses of each method: a 90th percentile of 50, the fifth
// slowest, moved by 0.03–0.05 of the ratio from run to run.
constexpr int kPressesPerMethod = 200;
constexpr double kWait = 2.0;
constexpr unsigned kModifiersHeldMs = 20;
constexpr double kHoldAtMost = 0.3;

enum Method { tavrin, wmctrl, xdotool, wmMove, kMethods };
const char* const kMethodNames[kMethods] = {"tavrin", "wmctrl", "xdotool", "wm_move"};

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

double seconds(SteadyClock::duration d) { return std::chrono::duration<double>(d).count(); }

// Watches one window's geometry from a thread and a connection of its own,
// blocked in the kernel between events, and stamps every change as it
// arrives.
class FrameWatcher {
public:
    ~FrameWatcher()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (c_)
            xcb_disconnect(c_);
    }

    bool start(const QString& display, xcb_window_t window)
    {
        c_ = xcb_connect(display.toLocal8Bit().constData(), nullptr);
        if (xcb_connection_has_error(c_))
            return false;
        window_ = window;
        const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
        // The geometry read after selecting, so that no change falls between.
        XcbReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr));
        if (!g)
            return false;
        current_ = {double(g->x), double(g->y), double(g->width + 2 * g->border_width),
                    double(g->height + 2 * g->border_width)};
        since_ = SteadyClock::now();
        thread_ = std::thread([this] { run(); });
        return true;
    }

    Rect current()
    {
        std::lock_guard lock(mutex_);
        return current_;
    }

    // The moment the window came to stand at `want`, once it has done so
    // after `after`; none when it has not within `seconds`.
    std::optional<SteadyClock::time_point> waitFor(const Rect& want, SteadyClock::time_point after, double seconds)
    {
        std::unique_lock lock(mutex_);
        const auto deadline =
            SteadyClock::now()
            + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
        if (!changed_.wait_until(lock, deadline, [&] { return current_ == want && since_ >= after; }))
            return std::nullopt;
        return since_;
    }

    // Whether the window moved after `after`, within `seconds`.
    bool movedAfter(SteadyClock::time_point after, double seconds)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return since_ > after; });
    }

    // Waits until the window has kept still for `still` seconds; where it stands.
    Rect settled(double still = 0.2)
    {
        std::unique_lock lock(mutex_);
        while (SteadyClock::now() - since_ < std::chrono::duration<double>(still))
            changed_.wait_for(lock, std::chrono::duration<double>(still));
        return current_;
    }

private:
    void run()
    {
        pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
        while (!stop_ && !xcb_connection_has_error(c_)) {
            ::poll(&fd, 1, 50);
            while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
                const auto at = SteadyClock::now();
                if ((ev->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
                    const auto* c = reinterpret_cast<const xcb_configure_notify_event_t*>(ev);
                    if (c->window == window_) {
                        const Rect r(c->x, c->y, c->width + 2 * c->border_width, c->height + 2 * c->border_width);
                        std::lock_guard lock(mutex_);
                        if (r != current_) {
                            current_ = r;
                            since_ = at;
                        }
                        changed_.notify_all();
                    }
                }
                std::free(ev);
            }
        }
    }

    xcb_connection_t* c_ = nullptr;
    xcb_window_t window_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    Rect current_;
    SteadyClock::time_point since_;
};

// One desktop: Xvfb with openbox, one client window in front, and a
// connection of the benchmark's own that presses keys.
struct Desk {
    std::unique_ptr<XvfbSession> session;
    std::unique_ptr<X11Connection> presser;
    std::unique_ptr<X11Keyboard> keyboard;
    std::unique_ptr<X11TestClient> client;
    std::unique_ptr<X11Connection> crowd; // the windows of `addWindows`
    xcb_window_t frame = 0;
    QString error;

    bool start(bool qtClient)
    {
        bool noServer = false;
        session = XvfbSession::start(&error, XvfbSession::Options{}, &noServer);
        presser = session ? X11Connection::open(session->display(), &error) : nullptr;
        if (!presser)
            return false;
        keyboard = std::make_unique<X11Keyboard>(*presser);
        X11TestClient::Options o;
        o.title = QStringLiteral("Bench");
        o.qt = qtClient;
        o.client = {300, 200, 800, 600};
        client = X11TestClient::start(session->environment(), o, &error);
        if (!client)
            return false;
        // The window manager's frame around the client.
        const auto tree = xcb_query_tree(presser->xcb(), client->window());
        XcbReply<xcb_query_tree_reply_t> t(xcb_query_tree_reply(presser->xcb(), tree, nullptr));
        frame = t ? t->parent : 0;
        return frame != 0 && activate();
    }

    // Maps `count` more windows of an application of their own, in a grid
    // over the screen, and waits until the window manager lists them all.
    bool addWindows(int count)
    {
        if (count == 0)
            return true;
        crowd = X11Connection::open(session->display(), &error);
        if (!crowd)
            return false;
        xcb_connection_t* c = crowd->xcb();
        const std::uint32_t pid = std::uint32_t(QCoreApplication::applicationPid());
        const char wmClass[] = "crowd\0Crowd";
        for (int i = 0; i < count; ++i) {
            const xcb_window_t w = xcb_generate_id(c);
            const std::uint32_t values[] = {0xFFFFFF};
            xcb_create_window(c, XCB_COPY_FROM_PARENT, w, crowd->root(), int16_t(40 + (i % 40) * 80),
                              int16_t(40 + (i / 40 % 25) * 50), 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                              XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
            const QByteArray title = "Crowd " + QByteArray::number(i);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                                std::uint32_t(title.size()), title.constData());
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof(wmClass),
                                wmClass);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, crowd->ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 32, 1,
                                &pid);
            xcb_map_window(c, w);
        }
        crowd->sync();
        const double deadline = X11Connection::steadyNow() + 120;
        while (X11Connection::steadyNow() < deadline && clientCount() < count + 1)
            QThread::msleep(50);
        if (clientCount() < count + 1) {
            error = QStringLiteral("The window manager did not take in %1 windows.").arg(count);
            return false;
        }
        return true;
    }

    int clientCount()
    {
        auto cookie =
            presser->requestProperty(presser->root(), presser->ewmh()->_NET_CLIENT_LIST, XCB_ATOM_WINDOW, 100000);
        presser->sync();
        return int(X11Connection::cardinals(presser->takeProperty(cookie).get()).size());
    }

    // Brings the client to the front (a program started after it may have
    // taken the front).
    bool activate(double wait = kWait)
    {
        // Asked again now and then: a window the program maps as it starts
        // may take the front after the first ask.
        const double deadline = X11Connection::steadyNow() + wait;
        double askAgain = 0;
        while (X11Connection::steadyNow() < deadline && activeWindow() != client->window()) {
            if (X11Connection::steadyNow() >= askAgain) {
                presser->sendRootMessage(client->window(), presser->ewmh()->_NET_ACTIVE_WINDOW, 2, XCB_CURRENT_TIME, 0);
                presser->sync();
                askAgain = X11Connection::steadyNow() + 0.5;
            }
            QThread::msleep(5);
        }
        if (activeWindow() != client->window()) {
            error = QStringLiteral("The window did not come to the front.");
            return false;
        }
        return true;
    }

    // Waits until the window manager has handled what came before: it sets
    // the frame extents of a window it is asked about only then (openbox
    // takes seconds over a new configuration with a thousand windows).
    bool caughtUp(double wait)
    {
        auto* c = presser->xcb();
        const xcb_window_t asking = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, asking, presser->root(), 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        presser->sendRootMessage(asking, presser->ewmh()->_NET_REQUEST_FRAME_EXTENTS, 0);
        const double deadline = X11Connection::steadyNow() + wait;
        bool answered = false;
        while (!answered && X11Connection::steadyNow() < deadline) {
            auto cookie = presser->requestProperty(asking, presser->ewmh()->_NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4);
            presser->sync();
            answered = X11Connection::cardinals(presser->takeProperty(cookie).get()).size() == 4;
            if (!answered)
                QThread::msleep(20);
        }
        xcb_destroy_window(c, asking);
        presser->sync();
        return answered;
    }

    xcb_window_t activeWindow()
    {
        auto cookie =
            presser->requestProperty(presser->root(), presser->ewmh()->_NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW, 1);
        presser->sync();
        const auto v = X11Connection::cardinals(presser->takeProperty(cookie).get());
        return v.empty() ? 0 : v[0];
    }

    Rect geometry(xcb_window_t window)
    {
        XcbReply<xcb_get_geometry_reply_t> g(
            xcb_get_geometry_reply(presser->xcb(), xcb_get_geometry(presser->xcb(), window), nullptr));
        return g ? Rect(g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width) : Rect();
    }

    // Holds the modifiers down, then presses the last key, through XTEST,
    // as a hand does; the moment the last key went down. (Sent in one burst,
    // the whole combination reached no one's grab: the modifiers are held a
    // moment first, and the time runs from the key.) The keys stay down
    // until `release`: a hand lets go long after the window has moved, and
    // releases sent with the press would have the program handle them
    // first, which no hand makes it do.
    SteadyClock::time_point press(const std::vector<std::uint32_t>& keysyms)
    {
        std::vector<xcb_keycode_t> keys;
        for (std::uint32_t k : keysyms)
            keys.push_back(keyboard->keycodeFor(k));
        auto* c = presser->xcb();
        for (std::size_t i = 0; i + 1 < keys.size(); ++i)
            xcb_test_fake_input(c, XCB_KEY_PRESS, keys[i], XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
        presser->sync();
        QThread::msleep(kModifiersHeldMs);
        const auto pressed = SteadyClock::now();
        xcb_test_fake_input(c, XCB_KEY_PRESS, keys.back(), XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
        xcb_flush(c);
        held = std::move(keys);
        return pressed;
    }

    // Lets go of the keys the last press holds, the last key first.
    void release()
    {
        auto* c = presser->xcb();
        for (auto k = held.rbegin(); k != held.rend(); ++k)
            xcb_test_fake_input(c, XCB_KEY_RELEASE, *k, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
        presser->sync();
        held.clear();
    }

    std::vector<xcb_keycode_t> held;
};

// The keys of each method, for the left half and the right half.
std::vector<std::uint32_t> keysFor(Method m, int side)
{
    if (m == tavrin)
        return {XK_Control_L, XK_Alt_L, side == 0 ? std::uint32_t(XK_Left) : std::uint32_t(XK_Right)};
    return {XK_Super_L, std::uint32_t(XK_1 + 2 * (int(m) - 1) + side)};
}

// How each of the window manager's bindings is told a frame: the numbers it
// is given for the left half and the right half (x, y, width, height).
using Numbers = std::array<std::array<int, 4>, 2>;

// Openbox's key bindings: Super with 1 to 6, two keys for each method
// other than Tavrin's.
QString bindings(const std::array<Numbers, kMethods>& n)
{
    QString out;
    for (int side = 0; side < 2; ++side) {
        const auto& c = n[wmctrl][side];
        const auto& d = n[xdotool][side];
        const auto& w = n[wmMove][side];
        out += QStringLiteral("<keybind key=\"W-%1\"><action name=\"Execute\"><command>wmctrl -r :ACTIVE: -e "
                              "1,%2,%3,%4,%5</command></action></keybind>")
                   .arg(1 + side)
                   .arg(c[0])
                   .arg(c[1])
                   .arg(c[2])
                   .arg(c[3]);
        out += QStringLiteral("<keybind key=\"W-%1\"><action name=\"Execute\"><command>xdotool getactivewindow "
                              "windowsize %4 %5 windowmove %2 %3</command></action></keybind>")
                   .arg(3 + side)
                   .arg(d[0])
                   .arg(d[1])
                   .arg(d[2])
                   .arg(d[3]);
        out += QStringLiteral("<keybind key=\"W-%1\"><action name=\"MoveResizeTo\"><x>%2</x><y>%3</y>"
                              "<width>%4</width><height>%5</height></action></keybind>")
                   .arg(5 + side)
                   .arg(w[0])
                   .arg(w[1])
                   .arg(w[2])
                   .arg(w[3]);
    }
    return out;
}

// The built program on the desk's display, started and running.
std::unique_ptr<QProcess> startTavrin(const Desk& desk, QTemporaryDir& config, QString* error)
{
    auto tavrinProcess = XvfbSession::childProcess();
    QProcessEnvironment env = desk.session->environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("TAVRIN_DEMO"), QStringLiteral("1"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    // Settings to start from (a large learned table, say) may be given.
    if (const QString settings = qEnvironmentVariable("TAVRIN_BENCH_SETTINGS"); !settings.isEmpty()) {
        QDir().mkpath(config.filePath(QStringLiteral("tavrin")));
        QFile::copy(settings, config.filePath(QStringLiteral("tavrin/defaults.plist")));
    }
    tavrinProcess->setProcessEnvironment(env);
    tavrinProcess->setProcessChannelMode(QProcess::MergedChannels);
    // Another build's program may be timed on the same desktop (old and new in turn).
    const QString binary = qEnvironmentVariable("TAVRIN_UNDER_TEST", QStringLiteral(TAVRIN_BINARY));
    tavrinProcess->start(binary, {QStringLiteral("--desktop"), QStringLiteral("x11")});
    QByteArray said;
    for (int i = 0; i < 300 && !said.contains("Tavrin is running"); ++i) {
        tavrinProcess->waitForReadyRead(100);
        said += tavrinProcess->readAll();
    }
    if (!said.contains("Tavrin is running")) {
        *error = QStringLiteral("The program did not start: ") + QString::fromLocal8Bit(said.right(300));
        return nullptr;
    }
    return tavrinProcess;
}

// Presses a method's key for `side` until the window moves (a program's keys
// are grabbed a moment after it starts); where it then stands. Each press is
// awaited: a second press of Tavrin's key would step on to another size.
Rect firstMove(Desk& desk, FrameWatcher& watcher, Method m, int side)
{
    const Rect before = watcher.settled();
    for (int attempt = 0; attempt < 20; ++attempt) {
        const auto pressed = desk.press(keysFor(m, side));
        const bool moved = watcher.movedAfter(pressed, 0.5);
        desk.release();
        if (moved)
            return watcher.settled();
    }
    return before;
}

// Finds the numbers each binding must be given to reach Tavrin's two frames:
// first the frames themselves with the client's size, then corrected by
// what the window manager made of them.
bool calibrate(Desk& desk, FrameWatcher& watcher, const Rect target[2], std::array<Numbers, kMethods>& n)
{
    const Rect client = desk.geometry(desk.client->window());
    const Rect outer = watcher.current();
    const int decoW = int(outer.width - client.width), decoH = int(outer.height - client.height);
    for (Method m : {wmctrl, xdotool, wmMove})
        for (int side = 0; side < 2; ++side)
            n[m][side] = {int(target[side].x), int(target[side].y), int(target[side].width) - decoW,
                          int(target[side].height) - decoH};
    for (int round = 0; round < 3; ++round) {
        if (!desk.session->setWindowManagerKeys(bindings(n), &desk.error))
            return false;
        QThread::msleep(400); // openbox reads its new keys a moment later
        desk.caughtUp(60);
        bool all = true;
        for (Method m : {wmctrl, xdotool, wmMove})
            for (int side = 0; side < 2; ++side) {
                // From the other half, by Tavrin's key.
                if (watcher.settled() != target[1 - side])
                    firstMove(desk, watcher, tavrin, 1 - side);
                const Rect got = firstMove(desk, watcher, m, side);
                const Rect& want = target[side];
                if (got == want)
                    continue;
                all = false;
                auto& v = n[m][side];
                v = {v[0] + int(want.x - got.x), v[1] + int(want.y - got.y), v[2] + int(want.width - got.width),
                     v[3] + int(want.height - got.height)};
            }
        if (all)
            return true;
    }
    desk.error = QStringLiteral("A window-manager binding did not reach Tavrin's frames.");
    return false;
}

void BM_HotKeyMethodsToFrame(benchmark::State& state)
{
    Desk desk;
    QTemporaryDir config;
    if (!desk.start(state.range(0) != 0)) {
        state.SkipWithError(("No desktop to measure on: " + desk.error).toStdString().c_str());
        return;
    }
    if (desk.keyboard->keycodeFor(XK_Super_L) == 0) {
        state.SkipWithError("The X server's keyboard has no Super key.");
        return;
    }
    // The window manager takes a while over a thousand new windows.
    if (!desk.addWindows(int(state.range(1))) || !desk.activate(60)) {
        state.SkipWithError(desk.error.toStdString().c_str());
        return;
    }
    FrameWatcher watcher;
    if (!watcher.start(desk.session->display(), desk.frame)) {
        state.SkipWithError("The frame could not be watched.");
        return;
    }
    QString error;
    auto program = startTavrin(desk, config, &error);
    // The program ends with the benchmark, as it ends.
    struct Stop {
        QProcess* process;
        ~Stop()
        {
            if (process && process->state() != QProcess::NotRunning) {
                process->terminate();
                process->waitForFinished(10000);
            }
        }
    } stop{program.get()};
    if (!program || !desk.activate(10)) {
        state.SkipWithError((error + desk.error).toStdString().c_str());
        return;
    }
    // Tavrin's two frames: the halves of the monitor.
    Rect target[2];
    for (int side = 0; side < 2; ++side)
        target[side] = firstMove(desk, watcher, tavrin, side);
    std::array<Numbers, kMethods> numbers{};
    if (target[0] == target[1]) {
        state.SkipWithError("Tavrin's hot keys did not move the window.");
        return;
    }
    // The window must stay where the key put it, or no method can be timed
    // to that frame.
    if (const Rect after = watcher.settled(1.0); after != target[1]) {
        const QString moved = QStringLiteral("The window did not stay where Tavrin's key put it: %1,%2 %3x%4, then "
                                             "%5,%6 %7x%8.")
                                  .arg(target[1].x)
                                  .arg(target[1].y)
                                  .arg(target[1].width)
                                  .arg(target[1].height)
                                  .arg(after.x)
                                  .arg(after.y)
                                  .arg(after.width)
                                  .arg(after.height);
        state.SkipWithError(moved.toStdString().c_str());
        return;
    }
    if (!calibrate(desk, watcher, target, numbers)) {
        state.SkipWithError(("The methods did not reach the same frames. " + desk.error).toStdString().c_str());
        return;
    }

    std::array<std::vector<double>, kMethods> times;
    int misses = 0;
    std::mt19937 random(33);
    std::uniform_int_distribution<int> method(0, kMethods - 1);
    std::uniform_int_distribution<int> pause(20, 80);
    for (auto _ : state) {
        for (int n = 0; n < kPressesPerMethod * kMethods; ++n) {
            const auto m = Method(method(random));
            const int side = watcher.current() == target[0] ? 1 : 0;
            const auto t0 = desk.press(keysFor(m, side));
            // Let go once the window stands there, and before the server's
            // key repeat would start.
            auto reached = watcher.waitFor(target[side], t0, kHoldAtMost);
            desk.release();
            if (!reached)
                reached = watcher.waitFor(target[side], t0, kWait - kHoldAtMost);
            if (reached)
                times[m].push_back(seconds(*reached - t0));
            else
                ++misses;
            // Whatever the press started (a process, a flash) comes to rest.
            QThread::msleep(unsigned(pause(random)));
            watcher.settled(0.02);
        }
        state.SetIterationTime(median(times[tavrin]));
    }
    for (int m = 0; m < kMethods; ++m) {
        const std::string name = kMethodNames[m];
        state.counters[name + "_median_ms"] = median(times[m]) * 1000;
        state.counters[name + "_p90_ms"] = percentile(times[m], 0.9) * 1000;
        state.counters[name + "_presses"] = double(times[m].size());
    }
    const double ours = median(times[tavrin]);
    state.counters["ratio_to_wmctrl"] = median(times[wmctrl]) > 0 ? ours / median(times[wmctrl]) : 0;
    // The tail against the binding's: each method's 90th percentile.
    const double wmctrlP90 = percentile(times[wmctrl], 0.9);
    state.counters["p90_ratio_to_wmctrl"] = wmctrlP90 > 0 ? percentile(times[tavrin], 0.9) / wmctrlP90 : 0;
    state.counters["ratio_to_xdotool"] = median(times[xdotool]) > 0 ? ours / median(times[xdotool]) : 0;
    state.counters["over_wm_move_ms"] = (ours - median(times[wmMove])) * 1000;
    const double wmMoveP90 = percentile(times[wmMove], 0.9);
    state.counters["p90_ratio_to_wm_move"] = wmMoveP90 > 0 ? percentile(times[tavrin], 0.9) / wmMoveP90 : 0;
    state.counters["misses"] = misses;
}
// With more windows on the server (10, 100, 1,000 of another application,
// behind the one moved): what a hot key's cost does as their number grows.
BENCHMARK(BM_HotKeyMethodsToFrame)
    ->ArgNames({"qt_client", "windows"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 10})
    ->Args({0, 100})
    ->Args({0, 1000})
    ->Iterations(1)
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
    auto desktop = X11Desktop::connect(&desk.error, desk.session->display());
    if (!desktop) {
        state.SkipWithError(desk.error.toStdString().c_str());
        return;
    }
    QtClock clock;
    MemoryDefaults defaults;
    Platform::install(desktop->startServices({.defaults = &defaults, .clock = &clock}));
    Accessibility& ax = *Platform::current().accessibility;
    const AXElement window{desk.client->pid(), desk.client->window()};
    const Rect frames[2] = {{8, 8, 852, 1424}, {868, 8, 844, 1424}};
    int i = 0;
    for (auto _ : state) {
        const Rect& r = frames[i++ & 1];
        ax.setFrame(window, r);
        benchmark::DoNotOptimize(ax.attribute(window, ax::Position));
    }
    Platform::uninstall();
    if (desk.geometry(desk.frame) != frames[(i - 1) & 1])
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
