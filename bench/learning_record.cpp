// One recorded placement (a window put in a zone) as the learned table
// grows: 0, 2,000, 20,000 and 200,000 learned application–display pairs.
// The placement changes one count and one rule in memory; the write of the
// counts follows a moment later, once for a burst, put together away from
// the main thread ("WriteAfterBurst" measures it as save() makes it at
// quit, on the calling thread). Then the table's reading at start.
#include "simbench.h"
#include "snapping/learning/learning.h"
#include "windows/display.h"

namespace tavrin::bench {
namespace {

// `pairs` learned pairs, each with a few placements in two zones.
void learn(MemoryDefaults& defaults, int pairs)
{
    const QString display = Display::all().front().settingsKey();
    QVariantMap counts;
    for (int i = 0; i < pairs; ++i)
        counts.insert(
            Learning::ruleKey(QStringLiteral("App %1").arg(i), display),
            QVariantMap{{QStringLiteral("Left"), qint64(3 + i % 5)}, {QStringLiteral("Right"), qint64(i % 3)}});
    defaults.setValue(Learning::kCountsKey, counts);
    defaults.setValue(Learning::kMovesKey, qint64(pairs) * 5);
}

void BM_RecordOnePlacement(benchmark::State& state)
{
    SimDesk desk;
    learn(desk.defaults, int(state.range(0)));
    Learning learning(desk.defaults, desk.clock);
    const Display display = Display::all().front();
    const UnitRect right{0.6, 0, 0.4, 1}, left{0, 0, 0.4, 1};
    // Applications of the table (new ones when it is empty), each put on
    // either side in turn.
    QStringList apps;
    for (int i = 0; i < 64; ++i)
        apps << QStringLiteral("App %1").arg(i);
    int n = 0;
    for (auto _ : state) {
        learning.record(apps[n % 64], display, n % 2 ? right : left, false);
        ++n;
    }
    state.counters["pairs"] = double(state.range(0));
}
BENCHMARK(BM_RecordOnePlacement)->Arg(0)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMicrosecond);

// The one write that follows a burst of placements, made at once.
void BM_WriteAfterBurst(benchmark::State& state)
{
    SimDesk desk;
    learn(desk.defaults, int(state.range(0)));
    Learning learning(desk.defaults, desk.clock);
    const Display display = Display::all().front();
    int n = 0;
    for (auto _ : state) {
        learning.record(QStringLiteral("App %1").arg(n++ % 64), display, UnitRect{0, 0, 0.4, 1}, false);
        learning.save();
    }
}
BENCHMARK(BM_WriteAfterBurst)->Arg(0)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMicrosecond);

// Reading the table at start (or after an import): the rules made and put in
// order in one pass.
void BM_Reload(benchmark::State& state)
{
    SimDesk desk;
    learn(desk.defaults, int(state.range(0)));
    Learning learning(desk.defaults, desk.clock);
    for (auto _ : state)
        learning.reload();
    state.counters["rules"] = double(learning.rules().size());
}
BENCHMARK(BM_Reload)->Arg(0)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavrin::bench

int main(int argc, char** argv) { return tavrin::bench::runOffscreen(argc, argv); }
