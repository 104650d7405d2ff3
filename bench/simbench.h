#pragma once

// What the benchmarks on the simulated desktop share: a desktop of two
// displays and twelve windows installed as the platform, and a main on Qt's
// offscreen platform.
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/sim/memorykeychain.h"
#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace tavrin::bench {

// A wide display and the built-in one to its right, with twelve windows of
// six applications, most on the wide one; the first application in front.
inline SimState twoDisplays()
{
    SimState state;
    state.displays = {{QStringLiteral("Wide"), Rect(0, 0, 3440, 1440), 1, 1, 0, 64},
                      {QStringLiteral("Built-in Display"), Rect(3440, 323, 1728, 1117), 2, 2, 0, 0}};
    for (int a = 0; a < 6; ++a) {
        SimApp app;
        app.pid = 501 + a;
        app.name = QStringLiteral("App %1").arg(a);
        state.apps.push_back(app);
    }
    for (int i = 0; i < 12; ++i) {
        SimWindow w;
        w.pid = 501 + i % 6;
        w.title = QStringLiteral("Window %1").arg(i);
        w.frame = i < 9 ? Rect(40.0 + 300 * i, 60, 1000, 900) : Rect(3480.0 + 100 * (i - 9), 400, 1000, 700);
        state.windows.push_back(w);
    }
    state.frontmostPid = 501;
    state.trusted = true;
    return state;
}

// That desktop, installed for as long as this lives.
struct SimDesk {
    SimClock clock;
    MemoryDefaults defaults;
    MemoryKeychain keychain;
    SimDesktop desktop{clock};

    SimDesk()
    {
        desktop.load(twoDisplays());
        Platform::install(desktop.startServices({.defaults = &defaults, .keychain = &keychain}));
    }
    ~SimDesk() { Platform::uninstall(); }
};

// Runs the benchmarks on Qt's offscreen platform (unless another is asked
// for), without its notes on every window feature it lacks.
inline int runOffscreen(int argc, char** argv)
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (!message.startsWith(QLatin1String("This plugin does not support")))
            qt_message_output(type, context, message);
    });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace tavrin::bench
