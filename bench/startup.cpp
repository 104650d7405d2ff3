// The built program's start on its simulated desktop (Qt's offscreen
// platform, a session bus of the benchmark's own): from its start until it
// says "Tavrin is running", with 0, 20,000 and 200,000 learned pairs, and
// with settings files of 1 KB, 1 MB and 10 MB that hold nothing it reads
// (the cost of the file alone). Also its peak resident memory by then, and
// how long a SIGTERM then takes to end it.
//
// Every case runs 7 times, the cases and the programs interleaved so that
// all meet the same load; medians are reported. TAVRIN_UNDER_TEST names the
// programs to measure, separated by ":" (another build to compare with, say);
// the built one by default.
#include "platform/linux/plistcodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <functional>
#include <map>
#include <vector>

using namespace tavrin;

namespace {

// Starts of each case and program; TAVRIN_BENCH_RUNS may ask for others.
int runs()
{
    const int given = qEnvironmentVariableIntValue("TAVRIN_BENCH_RUNS");
    return given > 0 ? given : 7;
}
constexpr int kStartTimeoutMs = 120000;

double since(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A settings file, as the program finds it at start.
struct Case {
    QString name;
    std::function<QVariantMap()> settings;
};

// `pairs` learned application–display pairs, each put in two zones.
QVariantMap learned(int pairs)
{
    QVariantMap counts;
    for (int i = 0; i < pairs; ++i)
        counts.insert(
            QStringLiteral("Application %1|UltraWide 34").arg(i),
            QVariantMap{{QStringLiteral("Left"), qint64(3 + i % 5)}, {QStringLiteral("Right"), qint64(i % 3)}});
    return {{QStringLiteral("learning.counts"), counts}, {QStringLiteral("learning.moves"), qint64(pairs) * 5}};
}

// A file of about `bytes`, in a key no part of the program reads.
QVariantMap filler(qint64 bytes)
{
    QVariantList lines;
    const QString line = QStringLiteral("A line of settings text to make the file the size wanted. ");
    for (qint64 size = 0; size < bytes; size += line.size() + 20)
        lines << line;
    return {{QStringLiteral("bench.filler"), lines}};
}

const std::vector<Case>& cases()
{
    static const std::vector<Case> all{
        {QStringLiteral("pairs:0"), [] { return learned(0); }},
        {QStringLiteral("pairs:20000"), [] { return learned(20000); }},
        {QStringLiteral("pairs:200000"), [] { return learned(200000); }},
        {QStringLiteral("file:1KB"), [] { return filler(1 << 10); }},
        {QStringLiteral("file:1MB"), [] { return filler(1 << 20); }},
        {QStringLiteral("file:10MB"), [] { return filler(10 << 20); }},
    };
    return all;
}

QStringList programs()
{
    const QString given = qEnvironmentVariable("TAVRIN_UNDER_TEST");
    return given.isEmpty() ? QStringList{QStringLiteral(TAVRIN_BINARY)} : given.split(u':', Qt::SkipEmptyParts);
}

// What one start of a program measured.
struct Run {
    bool ok = false;
    double start = 0;  // seconds to "Tavrin is running"
    double peakMb = 0; // resident memory at its highest by then
    double quit = 0;   // seconds from SIGTERM to the end
};

struct Results {
    std::vector<double> start, peakMb, quit;
    QString error;
};

// The peak resident memory of a process so far, in MB.
double peakResidentMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

class Bench {
public:
    bool start(QString* error)
    {
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        for (int i = 0; i < 100 && !address_.contains('\n'); ++i) {
            bus_.waitForReadyRead(100);
            address_ += QString::fromLocal8Bit(bus_.readAllStandardOutput());
        }
        address_ = address_.trimmed();
        if (address_.isEmpty()) {
            *error = QStringLiteral("No dbus-daemon could be started.");
            return false;
        }
        // Each case's file made once, copied in before each run: a run may
        // write its settings.
        for (const Case& c : cases()) {
            QFile file(files_.filePath(c.name.section(u':', 0, 0) + c.name.section(u':', 1)));
            if (!file.open(QIODevice::WriteOnly) || file.write(PlistCodec::toXml(c.settings())) < 0) {
                *error = QStringLiteral("The settings of %1 could not be written.").arg(c.name);
                return false;
            }
            paths_[c.name] = file.fileName();
            sizes_[c.name] = double(file.size());
        }
        return true;
    }

    ~Bench()
    {
        if (bus_.state() != QProcess::NotRunning) {
            bus_.terminate();
            if (!bus_.waitForFinished(5000))
                bus_.kill();
        }
    }

    Run run(const QString& program, const Case& c, QString* error)
    {
        QTemporaryDir home;
        const QString config = home.filePath(QStringLiteral("config/tavrin"));
        QDir().mkpath(config);
        QFile::copy(paths_[c.name], config + QStringLiteral("/defaults.plist"));
        QDir(home.path()).mkdir(QStringLiteral("run"));
        QFile::setPermissions(home.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("TAVRIN_DEMO"), QStringLiteral("1"));
        env.remove(QStringLiteral("DISPLAY"));

        QProcess tavrin;
        tavrin.setProcessEnvironment(env);
        tavrin.setProcessChannelMode(QProcess::MergedChannels);
        Run run;
        const auto t0 = std::chrono::steady_clock::now();
        tavrin.start(program, {});
        QByteArray said;
        while (!said.contains("Tavrin is running") && since(t0) * 1000 < kStartTimeoutMs
               && tavrin.state() != QProcess::NotRunning) {
            tavrin.waitForReadyRead(50);
            said += tavrin.readAll();
        }
        if (!said.contains("Tavrin is running")) {
            *error = program + QStringLiteral(" did not start: ") + QString::fromLocal8Bit(said.right(300));
            tavrin.kill();
            tavrin.waitForFinished(5000);
            return run;
        }
        run.start = since(t0);
        run.peakMb = peakResidentMb(tavrin.processId());
        const auto t1 = std::chrono::steady_clock::now();
        ::kill(pid_t(tavrin.processId()), SIGTERM);
        if (!tavrin.waitForFinished(60000)) {
            tavrin.kill();
            tavrin.waitForFinished(5000);
        }
        run.quit = since(t1);
        run.ok = true;
        return run;
    }

    double fileMb(const QString& name) const { return sizes_.at(name) / (1 << 20); }

private:
    QProcess bus_;
    QString address_;
    QTemporaryDir files_;
    std::map<QString, QString> paths_;
    std::map<QString, double> sizes_;
};

// Every run of every case and program, interleaved; then one benchmark per
// case and program reports its medians.
void measureAll()
{
    static Bench bench;
    QString error;
    if (!bench.start(&error)) {
        benchmark::RegisterBenchmark("Startup", [error](benchmark::State& state) {
            for (auto _ : state)
                state.SkipWithError(error.toStdString().c_str());
        });
        return;
    }
    const QStringList under = programs();
    std::map<std::pair<int, QString>, Results> results;
    for (int i = 0, n = runs(); i < n; ++i)
        for (const Case& c : cases())
            for (int p = 0; p < under.size(); ++p) {
                Results& r = results[{p, c.name}];
                const Run run = bench.run(under[p], c, &r.error);
                if (!run.ok)
                    continue;
                r.start.push_back(run.start);
                r.peakMb.push_back(run.peakMb);
                r.quit.push_back(run.quit);
            }
    for (const Case& c : cases())
        for (int p = 0; p < under.size(); ++p) {
            const Results r = results[{p, c.name}];
            const std::string name = "Startup/" + c.name.toStdString() + "/program:" + std::to_string(p);
            const double file = bench.fileMb(c.name);
            benchmark::RegisterBenchmark(name.c_str(),
                                         [r, file](benchmark::State& state) {
                                             for (auto _ : state) {
                                                 if (r.start.empty()) {
                                                     state.SkipWithError(r.error.toStdString().c_str());
                                                     break;
                                                 }
                                                 state.SetIterationTime(median(r.start));
                                             }
                                             state.counters["runs"] = double(r.start.size());
                                             state.counters["start_ms"] = median(r.start) * 1000;
                                             state.counters["fastest_ms"] =
                                                 r.start.empty()
                                                     ? 0
                                                     : *std::min_element(r.start.begin(), r.start.end()) * 1000;
                                             state.counters["peak_rss_mb"] = median(r.peakMb);
                                             state.counters["sigterm_ms"] = median(r.quit) * 1000;
                                             state.counters["file_mb"] = file;
                                         })
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    for (int p = 0; p < under.size(); ++p)
        std::fprintf(stderr, "program:%d = %s\n", p, qPrintable(under[p]));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    measureAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
