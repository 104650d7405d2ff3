// The settings file: one change (a whole atomic rewrite of the file) and a
// start-up load, in a store holding 200 keys of every property-list kind;
// then one change in a 10 MB file (the main thread's time, and the CPU of
// every thread with the write), and a burst
// of 100 changes in one turn of the event loop.
#include "platform/linux/plistcodec.h"
#include "platform/linux/plistdefaults.h"
#include "processcpu.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using tavrin::PlistDefaults;

namespace {

constexpr int kKeys = 200;

QVariantMap values(int keys)
{
    QVariantMap map;
    const QDateTime date = QDateTime::fromString(QStringLiteral("2026-03-01T10:20:30.400Z"), Qt::ISODateWithMs);
    const QByteArray json = QByteArray("{\"windows\":[")
                            + QByteArray("{\"app\":\"Editor\",\"title\":\"notes.md\"},").repeated(12)
                            + QByteArray("{}]}");
    for (int i = 0; i < keys; ++i) {
        const QString key = QStringLiteral("feature%1.setting%2").arg(i % 10).arg(i);
        QVariant value;
        switch (i % 8) {
        case 0: value = (i % 3 == 0); break;
        case 1: value = qint64(i) * 1000003; break;
        case 2: value = i / 7.0; break;
        case 3: value = QStringLiteral("A setting's text value number %1").arg(i); break;
        case 4: value = json; break;
        case 5: value = date.addSecs(i); break;
        case 6: value = QVariantList{QStringLiteral("alpha"), QStringLiteral("beta"), qint64(i), true}; break;
        default:
            value = QVariantMap{{QStringLiteral("x"), qint64(i)},
                                {QStringLiteral("y"), 0.5},
                                {QStringLiteral("name"), QStringLiteral("item")},
                                {QStringLiteral("on"), false}};
        }
        map.insert(key, value);
    }
    return map;
}

void fill(PlistDefaults& store, int keys = kKeys) { store.replace({}, values(keys)); }

void BM_SetOneKeyIn200(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.plist"));
    PlistDefaults store(path);
    fill(store);
    qint64 n = 0;
    for (auto _ : state) {
        store.setValue(QStringLiteral("counter"), n++);
        QCoreApplication::sendPostedEvents(); // the end of the event loop's turn
    }
    store.flush();
    state.counters["file_bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_SetOneKeyIn200)->Unit(benchmark::kMicrosecond);

void BM_Load200Keys(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.plist"));
    {
        PlistDefaults store(path);
        fill(store);
    }
    for (auto _ : state) {
        PlistDefaults store(path);
        if (store.keys().size() != kKeys)
            state.SkipWithError("the file did not load");
    }
}
BENCHMARK(BM_Load200Keys)->Unit(benchmark::kMicrosecond);

// About 10 MB of settings: 60,000 keys of every kind.
constexpr int kLargeKeys = 60'000;

void BM_SetOneKeyIn10MB(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.plist"));
    PlistDefaults store(path);
    fill(store, kLargeKeys);
    store.flush();
    qint64 n = 0;
    // The time is the main thread's; the writes run away from it, and the
    // CPU of every thread of the process, writes done, says what a change costs.
    const tavrin::bench::Threads cpuBefore = tavrin::bench::threads(QCoreApplication::applicationPid());
    for (auto _ : state) {
        store.setValue(QStringLiteral("counter"), n++);
        QCoreApplication::sendPostedEvents(); // the end of the event loop's turn
    }
    store.flush();
    const double cpu = tavrin::bench::cpuSince(QCoreApplication::applicationPid(), cpuBefore);
    state.counters["all_threads_cpu_ms_per_change"] = cpu * 1000 / double(state.iterations());
    state.counters["file_bytes"] = double(QFileInfo(path).size());
}
BENCHMARK(BM_SetOneKeyIn10MB)->Unit(benchmark::kMillisecond);

// The whole of a burst: its changes, the end of the turn and the write.
void BM_HundredChangesInOneTurn(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.plist"));
    PlistDefaults store(path);
    fill(store);
    store.flush();
    int writes = 0;
    QObject::connect(&store, &PlistDefaults::saved, [&] { ++writes; });
    qint64 n = 0;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i)
            store.setValue(QStringLiteral("counter%1").arg(i), n++);
        QCoreApplication::sendPostedEvents();
        store.flush();
    }
    state.counters["writes_per_turn"] = double(writes) / double(state.iterations());
}
BENCHMARK(BM_HundredChangesInOneTurn)->Unit(benchmark::kMillisecond);

// A settings file of 200,000 learned application–display pairs (about 28 MB
// of XML): its text made for a write, and read back at start.
QVariant learnedTable()
{
    QVariantMap counts;
    for (int i = 0; i < 200'000; ++i)
        counts.insert(
            QStringLiteral("Application %1|UltraWide 34").arg(i),
            QVariantMap{{QStringLiteral("Left"), qint64(3 + i % 5)}, {QStringLiteral("Right"), qint64(i % 3)}});
    return QVariantMap{{QStringLiteral("learning.counts"), counts}};
}

void BM_LearnedTableToXml(benchmark::State& state)
{
    const QVariant table = learnedTable();
    qsizetype bytes = 0;
    for (auto _ : state)
        bytes = tavrin::PlistCodec::toXml(table).size();
    state.counters["file_bytes"] = double(bytes);
}
BENCHMARK(BM_LearnedTableToXml)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LearnedTableFromXml(benchmark::State& state)
{
    const QByteArray xml = tavrin::PlistCodec::toXml(learnedTable());
    for (auto _ : state)
        benchmark::DoNotOptimize(tavrin::PlistCodec::fromData(xml));
    state.counters["file_bytes"] = double(xml.size());
}
BENCHMARK(BM_LearnedTableFromXml)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
