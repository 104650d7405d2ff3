// The built program's share of one core while Share-safe covers a private
// xterm on the X11 desktop (its own Xvfb with openbox, or with xfwm4 and its
// compositor, which offers no blur; skipped where there is none): with
// nothing moving, and while the xterm is dragged by its title bar at 2,000
// points a second (8 points every 4 ms, back and forth), each with covering
// on and, for comparison, off. The counter cpu_percent is the program's user
// and system time over the wall time measured. A second benchmark gives the
// program's peak memory with thirty private windows through twenty layouts.
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
#include <csignal>
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

bool run(const XvfbSession& session, const QString& program, const QStringList& arguments, int timeoutMs = 30000)
{
    QProcess p;
    p.setProcessEnvironment(session.environment());
    p.start(program, arguments);
    return p.waitForFinished(timeoutMs) && p.exitCode() == 0;
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

XvfbSession::Options desktop(bool composited)
{
    XvfbSession::Options options;
    options.monitors = {{QStringLiteral("LEFT"), Rect(0, 0, 3440, 1440)}};
    options.windowManagerMouse = QString::fromLatin1(kMouse);
    if (composited) {
        options.windowManagerProgram = QStringLiteral("xfwm4");
        options.compositor = true;
    }
    return options;
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
    tavrin.start(QStringLiteral(TAVRIN_BINARY), {QStringLiteral("--desktop"), QStringLiteral("x11")});
    QThread::sleep(3); // started, its hot keys held
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

void BM_ProgramCoveringCpuX11(benchmark::State& state)
{
    const bool covering = state.range(0) != 0, dragging = state.range(1) != 0;
    QString error;
    auto session = XvfbSession::start(&error, desktop(state.range(2) != 0));
    auto conn = session ? X11Connection::open(session->display(), &error, X11Connection::Events::dropped) : nullptr;
    if (!conn) {
        state.SkipWithError(("No X11 desktop to measure on: " + error).toStdString().c_str());
        return;
    }
    auto xterm = XvfbSession::childProcess();
    xterm->setProcessEnvironment(session->environment());
    xterm->start(QStringLiteral("xterm"), {QStringLiteral("-geometry"), QStringLiteral("70x20+100+100"),
                                           QStringLiteral("-e"), QStringLiteral("sleep 600")});
    QTemporaryDir config;
    QProcess tavrin;
    startTavrin(tavrin, *session, config);
    const Point grip{100 + 120, 100 + 10};
    for (int attempt = 0; covering && attempt < 20 && !coveredAt(*conn, grip); ++attempt) {
        run(*session, QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+shift+p")});
        QThread::msleep(500);
    }
    if (coveredAt(*conn, grip) != covering) {
        state.SkipWithError(covering ? "The xterm was not covered." : "The xterm was covered.");
        ::kill(pid_t(tavrin.processId()), SIGTERM);
        tavrin.waitForFinished(10000);
        return;
    }
    QThread::sleep(2); // past the switch's animations
    double used = 0, seconds = 0;
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        const double before = bench::cpuSeconds(tavrin.processId());
        if (dragging)
            run(*session, QStringLiteral("xdotool"), dragSteps(grip), 120000);
        else
            QThread::usleep(unsigned(kIdleSeconds * 1e6));
        used = bench::cpuSeconds(tavrin.processId()) - before;
        seconds = double(wall.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
    }
    state.counters["cpu_percent"] = used / seconds * 100;
    state.counters["still_covered"] = coveredAt(*conn, grip);
    ::kill(pid_t(tavrin.processId()), SIGTERM);
    tavrin.waitForFinished(10000);
}
BENCHMARK(BM_ProgramCoveringCpuX11)
    ->ArgNames({"covering", "dragging", "composited"})
    ->Args({1, 0, 0})
    ->Args({1, 1, 0})
    ->Args({0, 1, 0})
    ->Args({1, 0, 1})
    ->Args({1, 1, 1})
    ->Args({0, 1, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// Thirty private xterms covered, then twenty layout keys, one a second:
// the program's memory at the start (rss_mb) and at its peak (peak_rss_mb).
void BM_ProgramCoveringMemoryX11(benchmark::State& state)
{
    QString error;
    auto session = XvfbSession::start(&error, desktop(state.range(0) != 0));
    auto conn = session ? X11Connection::open(session->display(), &error, X11Connection::Events::dropped) : nullptr;
    if (!conn) {
        state.SkipWithError(("No X11 desktop to measure on: " + error).toStdString().c_str());
        return;
    }
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
    for (int attempt = 0; attempt < 20 && !coveredAt(*conn, grip); ++attempt) {
        run(*session, QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+shift+p")});
        QThread::msleep(500);
    }
    if (!coveredAt(*conn, grip)) {
        state.SkipWithError("The xterms were not covered.");
        ::kill(pid_t(tavrin.processId()), SIGTERM);
        tavrin.waitForFinished(10000);
        return;
    }
    const double start = statusMegabytes(tavrin.processId(), "VmRSS");
    const char* layouts[] = {"ctrl+alt+2", "ctrl+alt+3", "ctrl+alt+5", "ctrl+alt+6"};
    for (auto _ : state) {
        QElapsedTimer wall;
        wall.start();
        for (int i = 0; i < 20; ++i) {
            run(*session, QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(layouts[i % 4])});
            QThread::sleep(1);
        }
        state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
    }
    state.counters["rss_mb"] = start;
    state.counters["peak_rss_mb"] = statusMegabytes(tavrin.processId(), "VmHWM");
    state.counters["still_covered"] = coveredAt(*conn, grip);
    ::kill(pid_t(tavrin.processId()), SIGTERM);
    tavrin.waitForFinished(10000);
}
BENCHMARK(BM_ProgramCoveringMemoryX11)
    ->ArgNames({"composited"})
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
