// Reading a Chromium-family session file of 1, 10 and 60 MB. A browser that
// runs for long appends records of windows and tabs opened and closed; the
// reader replays them all, so its time must grow with the file's size alone
// (time per byte about the same at every size).

#include "platform/linux/chromiumsession.h"

#include <QByteArray>
#include <QtEndian>
#include <benchmark/benchmark.h>

using namespace tavrin;

namespace {

void number(QByteArray& out, qint32 v)
{
    char b[4];
    qToLittleEndian<qint32>(v, b);
    out.append(b, 4);
}

void record(QByteArray& out, quint8 command, const QByteArray& payload)
{
    char size[2];
    qToLittleEndian<quint16>(quint16(payload.size() + 1), size);
    out.append(size, 2);
    out.append(char(command));
    out.append(payload);
}

QByteArray ints(std::initializer_list<qint32> values)
{
    QByteArray out;
    for (qint32 v : values)
        number(out, v);
    return out;
}

// A page of a tab: the pickle's size, tab, index, address, an empty title.
QByteArray navigation(qint32 tab, qint32 index)
{
    QByteArray body = ints({tab, index});
    const QByteArray url = "https://example.com/page/" + QByteArray::number(tab).rightJustified(8, '0');
    number(body, qint32(url.size()));
    body += url + QByteArray((4 - url.size() % 4) % 4, '\0');
    body += ints({0, 0});
    return ints({qint32(body.size())}) + body;
}

// `megabytes` of windows of three tabs each, opened and closed, and one
// window left open at the end.
QByteArray sessionFile(int megabytes)
{
    QByteArray out("SNSS");
    number(out, 3);
    qint32 window = 1, tab = 1;
    while (out.size() < qsizetype(megabytes) << 20) {
        for (int i = 0; i < 3; ++i, ++tab) {
            record(out, ChromiumSession::setTabWindow, ints({window, tab}));
            record(out, ChromiumSession::setTabIndexInWindow, ints({tab, i}));
            record(out, ChromiumSession::updateTabNavigation, navigation(tab, 0));
        }
        record(out, ChromiumSession::setSelectedTabInIndex, ints({window, 1}));
        record(out, ChromiumSession::windowClosed, ints({window, 0, 0, 0}));
        ++window;
    }
    record(out, ChromiumSession::setTabWindow, ints({window, tab}));
    record(out, ChromiumSession::updateTabNavigation, navigation(tab, 0));
    return out;
}

void BM_ChromiumSessionRead(benchmark::State& state)
{
    const QByteArray file = sessionFile(int(state.range(0)));
    for (auto _ : state) {
        const auto windows = ChromiumSession::parse(file);
        if (!windows || windows->size() != 1)
            state.SkipWithError("the open window was not read");
        benchmark::DoNotOptimize(windows);
    }
    state.SetBytesProcessed(qint64(state.iterations()) * file.size());
}
BENCHMARK(BM_ChromiumSessionRead)->Arg(1)->Arg(10)->Arg(60)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
