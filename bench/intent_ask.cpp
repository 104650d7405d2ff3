// A request asked of the running program over D-Bus, as `tavrin intent ask`
// (or a shortcut) asks it: from the call until the program's main thread is
// idle again (the time measured; the answer comes before the work is done),
// for a request of 8,000 characters and one of a megabyte, the main thread's
// CPU time for it, and then how long the program takes to
// answer the next call, which shows whether it stayed responsive while it
// put the request in the command bar; then its share of a core while the
// bar stands open and idle (its caret held still), on the simulated desktop (one 2560×1440
// display; offscreen, and shown on a 2560×1440 Xvfb) and on the X11 desktop
// (the same Xvfb with openbox; skipped where there is none): the median of five samples of
// 4 s, with the lowest and the highest. Each on a session bus of the
// benchmark's own. TAVRIN_BENCH_PROGRAM names another build of the program
// to measure the same way: the intents are found on the bus by the
// program's process, whatever name its build gives them.
#include "app/intents/intentservice.h"
#include "design/caretblink.h"
#include "processcpu.h"
#include "support/x11/xvfbsession.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>

using namespace tavrin;

namespace {

constexpr int kCallTimeoutMs = 60000;

double since(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// One display of 2560×1440 for the simulated desktop, with a few windows.
const char kScenario[] = R"({"trusted": true, "frontmost": "Visual Studio Code",
  "displays": [{"name": "Studio Display", "frame": [0, 0, 2560, 1440], "number": 1, "dock": 64}],
  "apps": [{"name": "Tavrin", "policy": "accessory", "self": true}, {"name": "Visual Studio Code"},
           {"name": "Safari"}, {"name": "Terminal"}],
  "windows": [
    {"app": "Visual Studio Code", "title": "main.cpp", "frame": [600, 60, 1300, 1200]},
    {"app": "Safari", "title": "Docs", "frame": [40, 40, 1040, 1100]},
    {"app": "Terminal", "title": "zsh", "frame": [1900, 60, 620, 620]}]})";

// A session bus and the program on it, for as long as this lives: on the
// simulated desktop, shown on `server` when given (else on Qt's offscreen
// platform), or on the X11 desktop of `server`.
struct Program {
    QProcess bus;
    QProcess tavrin;
    QTemporaryDir home;
    QString address;
    QString error;
    QString service; // where the program's intents answer

    bool start(const XvfbSession* server = nullptr, bool x11Desktop = false)
    {
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        for (int i = 0; i < 100 && !address.contains('\n'); ++i) {
            bus.waitForReadyRead(100);
            address += QString::fromLocal8Bit(bus.readAllStandardOutput());
        }
        address = address.trimmed();
        if (address.isEmpty()) {
            error = QStringLiteral("No dbus-daemon could be started.");
            return false;
        }
        QProcessEnvironment env = server ? server->environment() : QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), server ? QStringLiteral("xcb") : QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("TAVRIN_DEMO"), QStringLiteral("1"));
        // A run folder of its own: no other running program is in the way.
        QDir(home.path()).mkdir(QStringLiteral("run"));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        QStringList arguments{QStringLiteral("--desktop"), QStringLiteral("x11")};
        if (!server)
            env.remove(QStringLiteral("DISPLAY"));
        if (!x11Desktop) {
            QFile scenario(home.filePath(QStringLiteral("desk.json")));
            if (!scenario.open(QIODevice::WriteOnly) || scenario.write(kScenario) < 0) {
                error = QStringLiteral("The scenario could not be written.");
                return false;
            }
            arguments = QStringList{QStringLiteral("--scenario"), scenario.fileName()};
        }
        tavrin.setProcessEnvironment(env);
        tavrin.setProcessChannelMode(QProcess::MergedChannels);
        // Another build of the program may be measured in its place.
        const QString binary = qEnvironmentVariable(
            "TAVRIN_BENCH_PROGRAM", qEnvironmentVariable("TAVRIN_UNDER_TEST", QStringLiteral(TAVRIN_BINARY)));
        tavrin.start(binary, arguments);
        QByteArray said;
        for (int i = 0; i < 300 && !said.contains("Tavrin is running"); ++i) {
            tavrin.waitForReadyRead(100);
            said += tavrin.readAll();
        }
        if (!said.contains("Tavrin is running")) {
            error = QStringLiteral("The program did not start: ") + QString::fromLocal8Bit(said.right(300));
            return false;
        }
        return true;
    }

    // The connection to the bus, once the program's intents answer on it.
    QDBusConnection connect()
    {
        QDBusConnection connection = QDBusConnection::connectToBus(address, QStringLiteral("bench"));
        // The name the program holds for its intents: the plain prefix in
        // older builds, the prefix and a digest of the settings' path since.
        const uint pid = uint(tavrin.processId());
        for (int i = 0; i < 200 && service.isEmpty(); ++i) {
            for (const QString& name : connection.interface()->registeredServiceNames().value())
                if ((name == IntentService::kServicePrefix || name.startsWith(IntentService::kServicePrefix + '.'))
                    && connection.interface()->servicePid(name).value() == pid)
                    service = name;
            if (service.isEmpty())
                QThread::msleep(50);
        }
        if (service.isEmpty())
            error = QStringLiteral("The program's intents never showed on the bus.");
        return connection;
    }

    ~Program()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("bench"));
        for (QProcess* p : {&tavrin, &bus})
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(10000))
                    p->kill();
            }
    }
};

QDBusMessage call(QDBusConnection& bus, const QString& service, const QString& method, const QString& argument)
{
    QDBusMessage m =
        QDBusMessage::createMethodCall(service, IntentService::kObjectPath, IntentService::kInterface, method);
    m.setArguments({argument});
    return bus.call(m, QDBus::Block, kCallTimeoutMs);
}

void BM_AskOverTheBus(benchmark::State& state)
{
    Program program;
    if (!program.start()) {
        state.SkipWithError(program.error.toStdString().c_str());
        return;
    }
    QDBusConnection bus = program.connect();
    if (program.service.isEmpty()) {
        state.SkipWithError(program.error.toStdString().c_str());
        return;
    }
    const QString request = QStringLiteral("Put the editor beside the browser ")
                                .repeated(int(state.range(0)) / 34 + 1)
                                .left(int(state.range(0)));
    // A call to the idle program, for what any call costs here.
    const auto t = std::chrono::steady_clock::now();
    call(bus, program.service, QStringLiteral("Workspaces"), {});
    const double idle = since(t);
    double ask = 0, busy = 0, mainCpu = 0, next = 0;
    const qint64 pid = program.tavrin.processId();
    const QString mainThread = QString::number(pid);
    for (auto _ : state) {
        const double cpu0 = bench::threadCpuSeconds(pid, mainThread);
        const auto t0 = std::chrono::steady_clock::now();
        const QDBusMessage answer = call(bus, program.service, QStringLiteral("Ask"), request);
        ask = since(t0);
        if (answer.type() == QDBusMessage::ErrorMessage) {
            state.SkipWithError(("The request was not answered: " + answer.errorMessage()).toStdString().c_str());
            break;
        }
        // The request is done when the program's main thread is idle again:
        // its time on a CPU last moved before 20 ms without a move.
        double last = bench::threadCpuSeconds(pid, mainThread);
        busy = since(t0);
        for (auto quiet = std::chrono::steady_clock::now(); since(quiet) < 0.020;) {
            QThread::usleep(500);
            if (const double now = bench::threadCpuSeconds(pid, mainThread); now != last) {
                last = now;
                busy = since(t0);
                quiet = std::chrono::steady_clock::now();
            }
        }
        mainCpu = last - cpu0;
        // The next call waits for whatever the request left the program doing.
        const auto t1 = std::chrono::steady_clock::now();
        call(bus, program.service, QStringLiteral("Workspaces"), {});
        next = since(t1);
        state.SetIterationTime(busy);
    }
    state.counters["idle_call_ms"] = idle * 1000;
    state.counters["ask_ms"] = ask * 1000;
    state.counters["until_idle_ms"] = busy * 1000;
    state.counters["main_thread_cpu_ms"] = mainCpu * 1000;
    state.counters["next_call_ms"] = next * 1000;
}
BENCHMARK(BM_AskOverTheBus)
    ->ArgName("characters")
    ->Arg(8000)
    ->Arg(1 << 20)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The program's share of one core (all its threads) while the command bar
// stands open with a request in it and nothing else happens: on the
// simulated desktop offscreen (desktop 0), on the X11 desktop (1), and on
// the simulated desktop shown on an X server (2).
void BM_IdleOpenCommandBar(benchmark::State& state)
{
    std::unique_ptr<XvfbSession> server;
    if (state.range(0) != 0) {
        XvfbSession::Options options;
        options.width = 2560;
        options.monitors = {{QStringLiteral("STUDIO"), Rect(0, 0, 2560, 1440)}};
        QString why;
        if (!(server = XvfbSession::start(&why, options))) {
            state.SkipWithError(("No X server to measure on: " + why).toStdString().c_str());
            return;
        }
    }
    Program program;
    if (!program.start(server.get(), state.range(0) == 1)) {
        state.SkipWithError(program.error.toStdString().c_str());
        return;
    }
    QDBusConnection bus = program.connect();
    if (program.service.isEmpty()) {
        state.SkipWithError(program.error.toStdString().c_str());
        return;
    }
    if (call(bus, program.service, QStringLiteral("Ask"), QStringLiteral("Put the editor beside the browser")).type()
        == QDBusMessage::ErrorMessage) {
        state.SkipWithError("The request that opens the bar was not answered.");
        return;
    }
    // The bar shown and settled, and its caret held still: what it costs
    // while it waits, after the first seconds in which the caret blinks.
    QThread::msleep(unsigned((2 + CaretBlink::kTimeout) * 1000));
    const qint64 pid = program.tavrin.processId();
    constexpr int kSamples = 5;
    constexpr double kSampleSeconds = 4;
    std::vector<double> shares;
    double runs = 0, seconds = 0;
    for (auto _ : state) {
        const bench::Threads atStart = bench::threads(pid);
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kSamples; ++i) {
            const bench::Threads before = bench::threads(pid);
            const auto t = std::chrono::steady_clock::now();
            QThread::usleep(unsigned(kSampleSeconds * 1e6));
            shares.push_back(bench::cpuSince(pid, before) / since(t));
        }
        seconds = since(t0);
        runs = bench::runsSince(pid, atStart);
        state.SetIterationTime(seconds);
    }
    std::sort(shares.begin(), shares.end());
    state.counters["cpu_percent_of_a_core"] = shares[shares.size() / 2] * 100;
    state.counters["lowest_percent"] = shares.front() * 100;
    state.counters["highest_percent"] = shares.back() * 100;
    state.counters["wakes_per_s"] = runs / seconds;
}
BENCHMARK(BM_IdleOpenCommandBar)
    ->ArgName("desktop")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

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
