// The periodic checks of the modes over a desktop of 40 windows: one meeting
// check (the microphone free; and in use with no call window, when the
// windows are searched every second), one sharing check (titles read and
// judged), and the microphone question answered by the sound server's
// subscription (a private PulseAudio started for it when one is installed).
#include "modes/meetingmode.h"
#include "modes/privacyprompt.h"
#include "modes/sharesafe.h"
#include "platform/linux/pulsemicrophone.h"
#include "platform/platform.h"
#include "platform/sim/memorydefaults.h"
#include "platform/sim/memorykeychain.h"
#include "platform/sim/simclock.h"
#include "platform/sim/simdesktop.h"
#include "simbench.h"
#include "snapping/arranging/autoarrange.h"
#include "windows/windowmanager.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

using namespace tavrin;

namespace {

// Two displays, ten applications (six of them able to show sharing) with
// four windows each, none of them a call.
SimState fortyWindows()
{
    SimState state = bench::twoDisplays();
    state.apps.clear();
    state.windows.clear();
    const QStringList names{"Google Chrome", "Slack", "Microsoft Teams", "Arc",      "Discord",
                            "Safari",        "Mail",  "Notes",           "Terminal", "Xcode"};
    for (int a = 0; a < names.size(); ++a) {
        SimApp app;
        app.pid = 601 + a;
        app.name = names[a];
        state.apps.push_back(app);
        for (int w = 0; w < 4; ++w) {
            SimWindow window;
            window.pid = app.pid;
            window.title = QStringLiteral("%1 — document %2").arg(names[a]).arg(w);
            window.frame = Rect(40.0 + 80 * a + 10 * w, 60.0 + 20 * w, 900, 700);
            state.windows.push_back(window);
        }
    }
    state.frontmostPid = 601;
    return state;
}

struct Desk {
    SimClock clock;
    MemoryDefaults defaults;
    MemoryKeychain keychain;
    SimDesktop desktop{clock};

    Desk()
    {
        desktop.load(fortyWindows());
        Platform::install(desktop.startServices({.defaults = &defaults, .keychain = &keychain}));
    }
    ~Desk() { Platform::uninstall(); }
};

void BM_MeetingCheckMicrophoneFree(benchmark::State& state)
{
    Desk desk;
    WindowManager windows;
    AutoArrange autoArrange(windows, Platform::current());
    MeetingMode mode(windows, autoArrange, Platform::current());
    for (auto _ : state)
        mode.tick();
}
BENCHMARK(BM_MeetingCheckMicrophoneFree);

void BM_MeetingCheckSearchingForTheCall(benchmark::State& state)
{
    Desk desk;
    WindowManager windows;
    AutoArrange autoArrange(windows, Platform::current());
    MeetingMode mode(windows, autoArrange, Platform::current());
    desk.desktop.setMicrophoneInUse(true);
    mode.tick();
    desk.clock.advance(3.0); // past the 2 seconds: every check searches
    for (auto _ : state)
        mode.tick();
    if (mode.inCall())
        state.SkipWithError("a call was placed");
}
BENCHMARK(BM_MeetingCheckSearchingForTheCall);

void BM_ShareSafeCheck(benchmark::State& state)
{
    Desk desk;
    WindowManager windows;
    PrivacyPrompt prompt(desk.clock, windows);
    ShareSafe share(prompt, Platform::current());
    for (auto _ : state) {
        share.tick();
        desk.clock.runDue(); // the title read and its judgement
    }
    if (share.sharingDetected())
        state.SkipWithError("sharing detected");
}
BENCHMARK(BM_ShareSafeCheck);

// A private sound server with one capture source, while this lives.
struct SoundServer {
    QTemporaryDir folder;
    QProcess process;
    bool running = false;

    SoundServer()
    {
        const QString server = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (server.isEmpty() || !folder.isValid())
            return;
        const QString socket = folder.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), folder.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path());
        process.setProcessEnvironment(env);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(server, {"-n", "--daemonize=no", "--exit-idle-time=-1", "-L",
                               QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1").arg(socket),
                               "-L", "module-null-source source_name=mic"});
        if (!process.waitForStarted(5000))
            return;
        QElapsedTimer waited;
        waited.start();
        while (!QFileInfo::exists(socket) && waited.elapsed() < 5000)
            QThread::msleep(5);
        qputenv("PULSE_SERVER", "unix:" + socket.toLocal8Bit());
        running = QFileInfo::exists(socket);
    }
    ~SoundServer()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
};

void BM_MicrophoneInUseFromTheSoundServer(benchmark::State& state)
{
    SoundServer server;
    PulseMicrophone microphone;
    QElapsedTimer waited;
    waited.start();
    while (!microphone.isCurrent() && waited.elapsed() < 5000)
        QThread::msleep(5);
    state.SetLabel(server.running ? "private PulseAudio" : "no sound server");
    for (auto _ : state)
        benchmark::DoNotOptimize(MeetingMode::micInUse(&microphone));
}
BENCHMARK(BM_MicrophoneInUseFromTheSoundServer);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
