// A request asked of the running program over D-Bus, as `tavrin intent ask`
// (or a shortcut) asks it: from the call until the program's main thread is
// idle again (the time measured; the answer comes before the work is done),
// for a request of 8,000 characters and one of a megabyte, the main thread's
// CPU time for it, and then how long the program takes to
// answer the next call, which shows whether it stayed responsive while it
// put the request in the command bar; then its share of a core while the
// bar stands open and idle. The built program on its simulated
// desktop (Qt's offscreen platform), on a session bus of the benchmark's own.
#include "app/intents/intentservice.h"
#include "processcpu.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <chrono>

using namespace tavrin;

namespace {

constexpr int kCallTimeoutMs = 60000;

double since(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// A session bus and the program on it, for as long as this lives.
struct Program {
    QProcess bus;
    QProcess tavrin;
    QTemporaryDir home;
    QString address;
    QString error;

    bool start()
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
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("TAVRIN_DEMO"), QStringLiteral("1"));
        // A run folder of its own: no other running program is in the way.
        QDir(home.path()).mkdir(QStringLiteral("run"));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        env.remove(QStringLiteral("DISPLAY"));
        tavrin.setProcessEnvironment(env);
        tavrin.setProcessChannelMode(QProcess::MergedChannels);
        // Another build of the program may be measured in its place.
        const QString binary = qEnvironmentVariable("TAVRIN_UNDER_TEST", QStringLiteral(TAVRIN_BINARY));
        tavrin.start(binary, {});
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

    ~Program()
    {
        for (QProcess* p : {&tavrin, &bus})
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(10000))
                    p->kill();
            }
    }
};

QDBusMessage call(QDBusConnection& bus, const QString& method, const QString& argument)
{
    QDBusMessage m = QDBusMessage::createMethodCall(IntentService::kServiceName, IntentService::kObjectPath,
                                                    IntentService::kInterface, method);
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
    QDBusConnection bus = QDBusConnection::connectToBus(program.address, QStringLiteral("bench"));
    // The program publishes its service a moment after it says it runs.
    for (int i = 0; i < 100 && call(bus, QStringLiteral("Workspaces"), {}).type() == QDBusMessage::ErrorMessage; ++i)
        QThread::msleep(50);
    const QString request = QStringLiteral("Put the editor beside the browser ")
                                .repeated(int(state.range(0)) / 34 + 1)
                                .left(int(state.range(0)));
    // A call to the idle program, for what any call costs here.
    const auto t = std::chrono::steady_clock::now();
    call(bus, QStringLiteral("Workspaces"), {});
    const double idle = since(t);
    double ask = 0, busy = 0, mainCpu = 0, next = 0;
    const qint64 pid = program.tavrin.processId();
    const QString mainThread = QString::number(pid);
    for (auto _ : state) {
        const double cpu0 = bench::threadCpuSeconds(pid, mainThread);
        const auto t0 = std::chrono::steady_clock::now();
        const QDBusMessage answer = call(bus, QStringLiteral("Ask"), request);
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
        call(bus, QStringLiteral("Workspaces"), {});
        next = since(t1);
        state.SetIterationTime(busy);
    }
    state.counters["idle_call_ms"] = idle * 1000;
    state.counters["ask_ms"] = ask * 1000;
    state.counters["until_idle_ms"] = busy * 1000;
    state.counters["main_thread_cpu_ms"] = mainCpu * 1000;
    state.counters["next_call_ms"] = next * 1000;
    QDBusConnection::disconnectFromBus(QStringLiteral("bench"));
}
BENCHMARK(BM_AskOverTheBus)
    ->ArgName("characters")
    ->Arg(8000)
    ->Arg(1 << 20)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The program's share of one core (all its threads) while the command bar
// stands open with a request in it and nothing else happens, over 10 s.
void BM_IdleOpenCommandBar(benchmark::State& state)
{
    Program program;
    if (!program.start()) {
        state.SkipWithError(program.error.toStdString().c_str());
        return;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(program.address, QStringLiteral("bench"));
    for (int i = 0; i < 100 && call(bus, QStringLiteral("Workspaces"), {}).type() == QDBusMessage::ErrorMessage; ++i)
        QThread::msleep(50);
    if (call(bus, QStringLiteral("Ask"), QStringLiteral("Put the editor beside the browser")).type()
        == QDBusMessage::ErrorMessage) {
        state.SkipWithError("The request that opens the bar was not answered.");
        return;
    }
    QThread::sleep(2); // the bar shown and settled
    const qint64 pid = program.tavrin.processId();
    double share = 0;
    for (auto _ : state) {
        const double before = bench::cpuSeconds(pid);
        const auto t0 = std::chrono::steady_clock::now();
        QThread::sleep(10);
        const double seconds = since(t0);
        share = (bench::cpuSeconds(pid) - before) / seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["cpu_percent_of_a_core"] = share * 100;
    QDBusConnection::disconnectFromBus(QStringLiteral("bench"));
}
BENCHMARK(BM_IdleOpenCommandBar)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

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
