// The built program's share of one core while Share-safe covers a private
// xterm on the X11 desktop (its own Xvfb with openbox and no compositor,
// with xfwm4 and its compositor, or with openbox and xcompmgr; neither
// compositor offers blur; skipped where one is missing): with nothing
// moving, and while the xterm is dragged by its title bar at 2,000 points a
// second (8 points every 4 ms, back and forth), each with covering on and,
// for comparison, off. The counter cpu_percent is the program's user and
// system time over the wall time measured, from every thread's scheduler
// clock; cpu_percent_ticks is the same from the process's clock ticks, which
// also count threads that ended meanwhile (in steps of 10 ms), and
// main_thread_percent the main thread's part; wakes_per_s and
// main_thread_wakes_per_s count how often the program's threads, and its
// main thread, were put on a CPU, each wake-up at least once. `moves`
// counts the window manager's moves of the frames seen meanwhile: a drag
// that moved nothing measured nothing. A second benchmark gives the
// program's peak memory with thirty private windows through twenty layouts,
// and its idle share with them covered; a third watches a plain window in
// front of a covered one, which must never show a cover, while the covered
// one moves below it and covering goes off and on. TAVRIN_BENCH_PROGRAM
// names another build of the program to measure the same way.
#include "platform/linux/plistdefaults.h"
#include "platform/x11/x11connection.h"
#include "processcpu.h"
#include "simbench.h"
#include "support/x11/xvfbsession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <csignal>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace tavrin;

namespace {

constexpr double kIdleSeconds = 10;
constexpr int kDragSteps = 2400; // about 10 s at 4 ms a step, ending where it began

// A press on the title bar raises the window and a drag moves it.
const char kMouse[] = R"(<dragThreshold>1</dragThreshold>
  <context name="Titlebar">
    <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    <mousebind button="Left" action="Drag"><action name="Move"/></mousebind>
  </context>)";

// The compositors measured under (the benchmarks' argument "compositor").
enum Compositor { kNone = 0, kXfwm4 = 1, kXcompmgr = 2 };

bool run(const XvfbSession& session, const QString& program, const QStringList& arguments, int timeoutMs = 30000,
         QByteArray* output = nullptr)
{
    QProcess p;
    p.setProcessEnvironment(session.environment());
    p.start(program, arguments);
    const bool ok = p.waitForFinished(timeoutMs) && p.exitCode() == 0;
    if (output)
        *output = p.readAllStandardOutput();
    return ok;
}

// Counts the moves and resizes of the root's children (frames), on a
// connection of its own, from its making to each `take`.
class MoveCounter {
public:
    explicit MoveCounter(const QString& display) : conn_(xcb_connect(display.toLocal8Bit().constData(), nullptr))
    {
        if (xcb_connection_has_error(conn_))
            return;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(conn_, xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root,
                                     XCB_CW_EVENT_MASK, &mask);
        std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
        // Read as they come, so that the server never holds them back.
        thread_ = std::thread([this] {
            while (xcb_generic_event_t* e = xcb_wait_for_event(conn_)) {
                moves_ += (e->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY;
                std::free(e);
            }
        });
    }
    ~MoveCounter()
    {
        if (thread_.joinable()) {
            ::shutdown(xcb_get_file_descriptor(conn_), SHUT_RDWR); // ends the wait
            thread_.join();
        }
        xcb_disconnect(conn_);
    }
    int take() { return moves_.exchange(0); }

private:
    xcb_connection_t* conn_;
    std::thread thread_;
    std::atomic<int> moves_{0};
};

// A process's user and system time from its clock ticks, threads that ended included.
double tickSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // Fields after the command's closing parenthesis: state is the 3rd field, utime the 14th.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(::sysconf(_SC_CLK_TCK));
}

// Whether a mapped override-redirect child of another client stands on top
// of the root's child at `at`: the program's cover over the xterm's frame.
bool coveredAt(X11Connection& conn, Point at)
{
    xcb_connection_t* c = conn.xcb();
    const auto tree = xcb_query_tree(c, conn.root());
    if (!conn.sync())
        return false;
    XcbReply<xcb_query_tree_reply_t> top(xcb_query_tree_reply(c, tree, nullptr));
    for (int i = top ? xcb_query_tree_children_length(top.get()) - 1 : -1; i >= 0; --i) {
        const xcb_window_t frame = xcb_query_tree_children(top.get())[i];
        const auto g = xcb_get_geometry(c, frame);
        const auto inner = xcb_query_tree(c, frame);
        if (!conn.sync())
            return false;
        XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, g, nullptr));
        XcbReply<xcb_query_tree_reply_t> children(xcb_query_tree_reply(c, inner, nullptr));
        if (!geometry || !children || !Rect(geometry->x, geometry->y, geometry->width, geometry->height).contains(at))
            continue;
        const int n = xcb_query_tree_children_length(children.get());
        if (n == 0)
            return false;
        const auto a = xcb_get_window_attributes(c, xcb_query_tree_children(children.get())[n - 1]);
        if (!conn.sync())
            return false;
        XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(c, a, nullptr));
        return attributes && attributes->override_redirect;
    }
    return false;
}

// The xterm's title bar dragged right and back at 2,000 points a second.
QStringList dragSteps(Point grip)
{
    QStringList steps{QStringLiteral("mousemove"), QString::number(grip.x), QString::number(grip.y),
                      QStringLiteral("mousedown"), QStringLiteral("1")};
    for (int i = 1; i <= kDragSteps; ++i) {
        const int leg = (i / 100) % 2 ? 100 - i % 100 : i % 100; // 0 to 100 and back
        steps << QStringLiteral("mousemove") << QString::number(grip.x + 8 * leg) << QString::number(grip.y)
              << QStringLiteral("sleep") << QStringLiteral("0.004");
    }
    return steps << QStringLiteral("mouseup") << QStringLiteral("1");
}

// The desktop with `compositor`; null (the benchmark skipped) where it cannot run.
std::unique_ptr<XvfbSession> desktop(benchmark::State& state, int compositor)
{
    XvfbSession::Options options;
    options.monitors = {{QStringLiteral("LEFT"), Rect(0, 0, 3440, 1440)}};
    options.windowManagerMouse = QString::fromLatin1(kMouse);
    if (compositor == kXfwm4) {
        options.windowManagerProgram = QStringLiteral("xfwm4");
        options.compositor = true;
    }
    QString error;
    auto session = XvfbSession::start(&error, options);
    if (session && compositor == kXcompmgr && !session->startCompositor(&error))
        session.reset();
    if (!session)
        state.SkipWithError(("No X11 desktop to measure on: " + error).toStdString().c_str());
    return session;
}

// The program on `session`, with the xterms private and its settings in `config`.
void startTavrin(QProcess& tavrin, const XvfbSession& session, const QTemporaryDir& config)
{
    PlistDefaults(QDir(config.path()).filePath(QStringLiteral("tavrin/defaults.plist")))
        .setValue(QStringLiteral("privacy.apps"), QStringList{QStringLiteral("XTerm")});
    QProcessEnvironment env = session.environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("TAVRIN_DEMO"), QStringLiteral("1"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    tavrin.setProcessEnvironment(env);
    tavrin.setStandardOutputFile(QProcess::nullDevice());
    const QString program = qEnvironmentVariable("TAVRIN_BENCH_PROGRAM", QStringLiteral(TAVRIN_BINARY));
    tavrin.start(program, {QStringLiteral("--desktop"), QStringLiteral("x11")});
    QThread::sleep(3); // started, its hot keys held
}

// Ends the program as the session ends it (a process that ended already has
// no id: a signal to 0 would go to this benchmark's whole group).
void endTavrin(QProcess& tavrin)
{
    if (const qint64 pid = tavrin.processId(); pid > 0)
        ::kill(pid_t(pid), SIGTERM);
    tavrin.waitForFinished(10000);
}

// A line of /proc/<pid>/status in megabytes ("VmRSS", "VmHWM").
double statusMegabytes(qint64 pid, const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

// Covering turned on with its shortcut until `grip` stands under a cover;
// false (the benchmark skipped, the program ended) when it never does.
bool coverAt(benchmark::State& state, const XvfbSession& session, X11Connection& conn, QProcess& tavrin, Point grip)
{
    for (int attempt = 0; attempt < 20 && !coveredAt(conn, grip); ++attempt) {
        run(session, QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+shift+p")});
        QThread::msleep(500);
    }
    if (coveredAt(conn, grip))
        return true;
    state.SkipWithError("The private windows were not covered.");
    endTavrin(tavrin);
    return false;
}

void BM_ProgramCoveringCpuX11(benchmark::State& state)
{
    const bool covering = state.range(0) != 0, dragging = state.range(1) != 0;
    QString error;
    auto session = desktop(state, int(state.range(2)));
    auto conn = session ? X11Connection::open(session->display(), &error, X11Connection::Events::dropped) : nullptr;
    if (!conn)
        return;
    auto xterm = XvfbSession::childProcess();
    xterm->setProcessEnvironment(session->environment());
    xterm->start(QStringLiteral("xterm"), {QStringLiteral("-geometry"), QStringLiteral("70x20+100+100"),
                                           QStringLiteral("-e"), QStringLiteral("sleep 600")});
    QTemporaryDir config;
    QProcess tavrin;
    startTavrin(tavrin, *session, config);
    const Point grip{100 + 120, 100 + 10};
    if (covering && !coverAt(state, *session, *conn, tavrin, grip))
        return;
    if (!covering && coveredAt(*conn, grip)) {
        state.SkipWithError("The xterm was covered.");
        endTavrin(tavrin);
        return;
    }
    QThread::sleep(2); // past the switch's animations
    MoveCounter moves(session->display());
    double used = 0, main = 0, ticks = 0, seconds = 0, mainRuns = 0, allRuns = 0;
    const QString mainThread = QString::number(tavrin.processId());
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        const bench::Threads before = bench::threads(tavrin.processId());
        const double ticksBefore = tickSeconds(tavrin.processId());
        const double mainBefore = bench::threadCpuSeconds(tavrin.processId(), mainThread);
        const double mainRunsBefore = bench::threadRuns(tavrin.processId(), mainThread);
        if (dragging)
            run(*session, QStringLiteral("xdotool"), dragSteps(grip), 120000);
        else
            QThread::usleep(unsigned(kIdleSeconds * 1e6));
        used = bench::cpuSince(tavrin.processId(), before);
        main = bench::threadCpuSeconds(tavrin.processId(), mainThread) - mainBefore;
        ticks = tickSeconds(tavrin.processId()) - ticksBefore;
        mainRuns = bench::threadRuns(tavrin.processId(), mainThread) - mainRunsBefore;
        allRuns = bench::runsSince(tavrin.processId(), before);
        seconds = double(wall.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
    }
    state.counters["cpu_percent"] = used / seconds * 100;
    state.counters["cpu_percent_ticks"] = ticks / seconds * 100;
    state.counters["main_thread_percent"] = main / seconds * 100;
    state.counters["main_thread_wakes_per_s"] = mainRuns / seconds;
    state.counters["wakes_per_s"] = allRuns / seconds;
    state.counters["moves"] = moves.take();
    state.counters["still_covered"] = coveredAt(*conn, grip);
    endTavrin(tavrin);
}
BENCHMARK(BM_ProgramCoveringCpuX11)
    ->ArgNames({"covering", "dragging", "compositor"})
    ->ArgsProduct({{1, 0}, {0, 1}, {kNone, kXfwm4, kXcompmgr}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// Thirty private xterms covered, then twenty layout keys, one a second:
// the program's memory at the start (rss_mb) and at its peak (peak_rss_mb),
// the frames the layouts moved (moves), and then its share of a core over
// 10 s with nothing moving (idle_cpu_percent).
void BM_ProgramCoveringMemoryX11(benchmark::State& state)
{
    QString error;
    auto session = desktop(state, int(state.range(0)));
    auto conn = session ? X11Connection::open(session->display(), &error, X11Connection::Events::dropped) : nullptr;
    if (!conn)
        return;
    std::vector<std::unique_ptr<QProcess>> xterms;
    for (int i = 0; i < 30; ++i) {
        xterms.push_back(XvfbSession::childProcess());
        xterms.back()->setProcessEnvironment(session->environment());
        xterms.back()->start(QStringLiteral("xterm"),
                             {QStringLiteral("-geometry"), QStringLiteral("60x16+%1+%2").arg(40 * i).arg(20 * i),
                              QStringLiteral("-e"), QStringLiteral("sleep 600")});
    }
    QTemporaryDir config;
    QProcess tavrin;
    startTavrin(tavrin, *session, config);
    const Point grip{40 * 29 + 120, 20 * 29 + 10};
    if (!coverAt(state, *session, *conn, tavrin, grip))
        return;
    const double start = statusMegabytes(tavrin.processId(), "VmRSS");
    const char* layouts[] = {"ctrl+alt+2", "ctrl+alt+3", "ctrl+alt+5", "ctrl+alt+6"};
    MoveCounter moves(session->display());
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        for (int i = 0; i < 20; ++i) {
            run(*session, QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(layouts[i % 4])});
            QThread::sleep(1);
        }
        state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
    }
    state.counters["moves"] = moves.take();
    state.counters["rss_mb"] = start;
    state.counters["peak_rss_mb"] = statusMegabytes(tavrin.processId(), "VmHWM");
    QThread::sleep(2); // past the last layout's moves
    QElapsedTimer wall;
    wall.start();
    const bench::Threads before = bench::threads(tavrin.processId());
    QThread::usleep(unsigned(kIdleSeconds * 1e6));
    state.counters["idle_cpu_percent"] =
        bench::cpuSince(tavrin.processId(), before) / (double(wall.nsecsElapsed()) / 1e9) * 100;
    state.counters["still_covered"] = coveredAt(*conn, grip);
    endTavrin(tavrin);
}
BENCHMARK(BM_ProgramCoveringMemoryX11)
    ->ArgNames({"compositor"})
    ->DenseRange(kNone, kXcompmgr)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// Grabs a rectangle of the screen as fast as it can on a connection of its
// own, counting the screenshots in which fewer than `least` pixels have
// `colour`.
class ShortWatch {
public:
    ShortWatch(const QString& display, const Rect& region, const QColor& colour, int least)
        : conn_(xcb_connect(display.toLocal8Bit().constData(), nullptr)),
          region_(region),
          colour_(colour.rgb() & 0xFFFFFF),
          least_(least)
    {
        if (!xcb_connection_has_error(conn_))
            thread_ = std::thread([this] { watch(); });
    }
    ~ShortWatch()
    {
        stopping_ = true;
        if (thread_.joinable())
            thread_.join();
        xcb_disconnect(conn_);
    }
    int shots() const { return shots_; }
    int lacking() const { return lacking_; }

private:
    void watch()
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        while (!stopping_) {
            XcbReply<xcb_get_image_reply_t> image(xcb_get_image_reply(
                conn_,
                xcb_get_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(region_.x), std::int16_t(region_.y),
                              std::uint16_t(region_.width), std::uint16_t(region_.height), ~0u),
                nullptr));
            if (!image)
                return;
            const auto* pixels = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image.get()));
            const int n = xcb_get_image_data_length(image.get()) / 4;
            int matching = 0;
            for (int i = 0; i < n; ++i)
                matching += (pixels[i] & 0xFFFFFF) == colour_;
            ++shots_;
            lacking_ += matching < least_;
        }
    }

    xcb_connection_t* conn_;
    Rect region_;
    std::uint32_t colour_;
    int least_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> shots_{0}, lacking_{0};
};

// A plain window in front of a covered one, which moves and resizes below it
// (as a pager moves it, without raising it) while covering goes off and on:
// every screenshot of the plain window's inside must show all of it
// (`covered_shots` counts those that did not; `shots` all of them).
void BM_PlainWindowInFrontX11(benchmark::State& state)
{
    QString error;
    auto session = desktop(state, int(state.range(0)));
    auto conn = session ? X11Connection::open(session->display(), &error, X11Connection::Events::dropped) : nullptr;
    if (!conn)
        return;
    auto secret = XvfbSession::childProcess();
    secret->setProcessEnvironment(session->environment());
    secret->start(QStringLiteral("xterm"), {QStringLiteral("-geometry"), QStringLiteral("70x20+100+100"),
                                            QStringLiteral("-e"), QStringLiteral("sleep 600")});
    QTemporaryDir config;
    QProcess tavrin;
    startTavrin(tavrin, *session, config);
    if (!coverAt(state, *session, *conn, tavrin, Point{100 + 120, 100 + 10}))
        return;
    // Opened last, it stands in front.
    auto plain = XvfbSession::childProcess();
    plain->setProcessEnvironment(session->environment());
    plain->start(QStringLiteral("xterm"),
                 {QStringLiteral("-name"), QStringLiteral("plainterm"), QStringLiteral("-class"),
                  QStringLiteral("PlainTerm"), QStringLiteral("-bg"), QStringLiteral("#ffff00"), QStringLiteral("-cr"),
                  QStringLiteral("#ffff00"), QStringLiteral("-geometry"), QStringLiteral("50x12+250+200"),
                  QStringLiteral("-e"), QStringLiteral("sleep 600")});
    QByteArray found, secretFound;
    run(*session, QStringLiteral("xdotool"),
        {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--classname"),
         QStringLiteral("plainterm")},
        30000, &found);
    run(*session, QStringLiteral("xdotool"),
        {QStringLiteral("search"), QStringLiteral("--classname"), QStringLiteral("xterm")}, 30000, &secretFound);
    const xcb_window_t plainWindow = found.trimmed().split('\n').value(0).toUInt();
    const xcb_window_t secretWindow = secretFound.trimmed().split('\n').value(0).toUInt();
    QThread::sleep(2); // mapped, drawn and composited
    xcb_connection_t* c = conn->xcb();
    XcbReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, plainWindow), nullptr));
    XcbReply<xcb_translate_coordinates_reply_t> at(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, plainWindow, conn->root(), 0, 0), nullptr));
    if (!plainWindow || !secretWindow || !g || !at) {
        state.SkipWithError("The plain window did not show.");
        endTavrin(tavrin);
        return;
    }
    const Rect inside(at->dst_x, at->dst_y, g->width, g->height);
    int covered = 0, shots = 0;
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        // All but a cursor's worth of its inside is its own colour.
        ShortWatch watch(session->display(), inside, QColor(255, 255, 0), int(inside.width * inside.height) - 400);
        for (int round = 0; round < 4; ++round) {
            for (int i = 0; i < 20; ++i) {
                const int step = round * 20 + i;
                run(*session, QStringLiteral("xdotool"),
                    {QStringLiteral("windowmove"), QString::number(secretWindow),
                     QString::number(60 + (step * 37) % 300), QString::number(60 + (step * 53) % 240)});
                if (i % 5 == 0)
                    run(*session, QStringLiteral("xdotool"),
                        {QStringLiteral("windowsize"), QString::number(secretWindow),
                         QString::number(300 + (step * 71) % 400), QString::number(200 + (step * 29) % 300)});
                QThread::msleep(50);
            }
            // Covering off and on again.
            for (int i = 0; i < 2; ++i) {
                run(*session, QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+shift+p")});
                QThread::msleep(700);
            }
        }
        shots = watch.shots();
        covered = watch.lacking();
        state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
    }
    state.counters["shots"] = shots;
    state.counters["covered_shots"] = covered;
    endTavrin(tavrin);
}
BENCHMARK(BM_PlainWindowInFrontX11)
    ->ArgNames({"compositor"})
    ->DenseRange(kNone, kXcompmgr)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
