// One frame of the command bar's glow: a 916-point-wide glass panel (820
// points of card inside 48 points of margin) with the planner glow working.
// Each frame turns the glow and repaints what the glow's frame timer would.
// Then the open bar's idle turn as the bar draws it (the glow all its clear
// window holds, so that a frame repaints the band around the glass alone):
// one step of the turn a frame (QT_SCALE_FACTOR=2 measures it at twice the
// pixels).
#include "design/aiglow.h"
#include "design/glowband.h"
#include "design/glowrenderer.h"
#include "design/tglass.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/sim/simappearance.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <chrono>
#include <optional>

using namespace tavrin;

namespace {

// Real time, or a date set by the benchmark; the benchmark drives the frames
// itself, so timers never fire.
class BenchClock : public Clock {
public:
    double now() const override { return date_ ? *date_ : kReferenceEpochOffset + monotonic(); }
    void setDate(std::optional<double> date) { date_ = date; }
    double monotonic() const override
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    TimerId schedule(double, std::function<void()>) override { return ++next_; }
    void cancel(TimerId) override {}
    void runInBackground(std::function<void()> work, QObject*, std::function<void()> done) override
    {
        work();
        done();
    }

private:
    TimerId next_ = 0;
    std::optional<double> date_;
};

BenchClock* g_clock = nullptr;
SimAppearance* g_appearance = nullptr;

struct CommandBar {
    AIGlow* glow;
    explicit CommandBar(bool blur, AIGlow::Intensity intensity = AIGlow::Intensity::working, bool clearBehind = false)
    {
        g_appearance->setBlurAvailable(blur);
        auto* card = new QWidget;
        card->setFixedSize(820, 360);
        auto* glass = new TGlass(18, card);
        glass->setOutset(48);
        glow = new AIGlow(intensity, 18, glass);
        glow->setClearBehind(clearBehind);
        glow->setAttribute(Qt::WA_TranslucentBackground);
        glow->show();
        for (int i = 0; i < 10 && !(glow->windowHandle() && glow->windowHandle()->isExposed()); ++i)
            QGuiApplication::processEvents();
        glow->repaint();
    }
    ~CommandBar() { delete glow; }
};

// What one frame costs on screen: the frame's region repainted into the
// window's backing store.
void frame(benchmark::State& state, bool blur)
{
    CommandBar bar(blur);
    const QRegion region = bar.glow->frameRegion();
    for (auto _ : state)
        bar.glow->repaint(region);
    state.counters["width"] = bar.glow->width();
    state.counters["height"] = bar.glow->height();
}

void BM_GlowFrame_NoBlur(benchmark::State& state) { frame(state, false); }
void BM_GlowFrame_Blur(benchmark::State& state) { frame(state, true); }

// The open bar's idle glow, a step of its turn each frame: the band around
// the glass repainted as the frame timer has it repainted.
void BM_IdleStep(benchmark::State& state)
{
    double date = 1000;
    g_clock->setDate(date);
    {
        CommandBar bar(false, AIGlow::Intensity::idle, true);
        auto* band = bar.glow->findChild<GlowBand*>();
        const QRegion region = bar.glow->frameRegion();
        for (auto _ : state) {
            date += AIGlow::period(AIGlow::Intensity::idle) * AIGlow::kIdleStepDegrees / 360;
            g_clock->setDate(date);
            band->repaint(region);
        }
        state.counters["rects"] = double(region.rectCount());
    }
    g_clock->setDate(std::nullopt);
}

// The glow alone, painted into an image of the panel's size.
void BM_GlowRenderer(benchmark::State& state)
{
    QImage image(916, 456, QImage::Format_ARGB32_Premultiplied);
    GlowRenderer renderer;
    qreal angle = 0;
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter p(&image);
        renderer.paint(p, QRectF(48, 48, 820, 360), 18, angle, 0.5);
        angle += 0.05;
    }
}

// A frame right after the panel changed height (rows coming in): the glow
// works out its pixels again.
void BM_GlowResized(benchmark::State& state)
{
    QImage image(916, 600, QImage::Format_ARGB32_Premultiplied);
    GlowRenderer renderer;
    int height = 300;
    for (auto _ : state) {
        QPainter p(&image);
        renderer.paint(p, QRectF(48, 48, 820, height), 18, 0.3, 0.5);
        height = height == 300 ? 340 : 300;
    }
}

// The glass alone (its shadow comes from the cache after the first frame).
void BM_Glass(benchmark::State& state)
{
    QImage image(916, 456, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter p(&image);
        TGlass::paint(p, QRectF(48, 48, 820, 360), 18, ColorScheme::dark, state.range(0) != 0);
    }
}

} // namespace

BENCHMARK(BM_GlowFrame_NoBlur)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GlowFrame_Blur)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IdleStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GlowRenderer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GlowResized)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Glass)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchClock clock;
    g_clock = &clock;
    SimAppearance appearance;
    g_appearance = &appearance;
    Platform services;
    services.clock = &clock;
    services.appearance = &appearance;
    Platform::install(services);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
