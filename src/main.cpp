// The composition root: makes the desktop the program runs on (the simulated
// one, or the real X11 desktop), then wires the shell to it.

#include "app/appstate.h"
#include "app/busconnection.h"
#include "app/commandbaradapter.h"
#include "app/commandline.h"
#include "app/instanceservice.h"
#include "app/intents/intentclient.h"
#include "app/intents/intentservice.h"
#include "app/intents/tavrinshortcuts.h"
#include "app/learnedsuggestions.h"
#include "app/meetingadapter.h"
#include "app/menubar/menubarextra.h"
#include "app/onboarding/onboardingwindow.h"
#include "app/routineadapter.h"
#include "app/settingsopener.h"
#include "app/sharesafeadapter.h"
#include "app/signalwatcher.h"
#include "app/startingengine.h"
#include "app/tavrinapp.h"
#include "app/updates/updater.h"
#include "app/updates/updatewindow.h"
#include "commandbar/commandbarplanning.h"
#include "design/caretblink.h"
#include "focus/evolutioncalendars.h"
#include "focus/focus.h"
#include "integrations/integratedwindowcontent.h"
#include "integrations/sessions.h"
#include "modes/meetingmode.h"
#include "modes/privacyprompt.h"
#include "modes/sharesafe.h"
#include "modes/veilengine.h"
#include "platform/linux/desktopappearance.h"
#include "platform/linux/desktopkeychain.h"
#include "platform/linux/instancelock.h"
#include "platform/linux/linuxprocesses.h"
#include "platform/linux/localmodelserver.h"
#include "platform/linux/markfolder.h"
#include "platform/linux/plistdefaults.h"
#include "platform/linux/plistfiles.h"
#include "platform/linux/portalfiledialogs.h"
#include "platform/linux/pulsemicrophone.h"
#include "platform/linux/qtclock.h"
#include "platform/linux/qtfiledialogs.h"
#include "platform/linux/qthttpclient.h"
#include "platform/linux/runtimefolder.h"
#include "platform/linux/shortcutsfolder.h"
#include "platform/linux/userhome.h"
#include "platform/platform.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simdesktopwindow.h"
#include "platform/sim/simscenario.h"
#include "platform/x11/x11connection.h"
#include "platform/x11/x11desktop.h"
#include "platform/x11/x11panelwindows.h"
#include "settings/settingsrouter.h"
#include "settings/settingswindow.h"
#include "snapping/arranging/autoarrange.h"
#include "snapping/arranging/handplacement.h"
#include "snapping/desktophudpanels.h"
#include "snapping/learning/habits.h"
#include "snapping/learning/learning.h"
#include "windows/axwindow.h"
#include "windows/hotkeycenter.h"
#include "windows/shortcutstore.h"
#include "windows/windowmanager.h"
#include "workspaces/activeworkspaceholder.h"
#include "workspaces/workspacerunner.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace tavrin;

namespace {
QtMessageHandler g_defaultHandler = nullptr;

// On the offscreen platform Qt warns of every window feature it lacks
// (raising, size hints, grabs): noise for a program with no screen.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    g_defaultHandler(type, context, message);
}

void say(std::FILE* stream, const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stream);
    std::fflush(stream);
}

// The services every desktop runs on: the clock, the settings file, the
// keyring, the network, helper programs and the user's folders; and, for a
// real desktop, its appearance, the sound server's microphone, the local
// calendars and a model server on this computer as the on-device language
// model. Where Qt draws on X11, on either desktop, the program's own panels
// ask the X server and the window manager for what they need.
struct CommonServices {
    QtClock clock;
    PlistDefaults defaults{PlistDefaults::defaultPath()};
    // Beside the settings, as the lock that keeps a second Tavrin off them.
    MarkFolder runMarks{QFileInfo(PlistDefaults::defaultPath()).absolutePath()};
    DesktopKeychain keychain;
    QtHttpClient http{clock};
    LocalModelServer localModel{http, clock, qEnvironmentVariable(LocalModelServer::kVariable)};
    LinuxProcesses processes;
    QtFileDialogs qtFileDialogs;
    // The desktop's own dialogs through its portal, else Qt's.
    PortalFileDialogs fileDialogs{QDBusConnection::sessionBus(), qtFileDialogs};
    PlistFiles propertyLists;
    std::unique_ptr<DesktopAppearance> appearance;
    std::unique_ptr<PulseMicrophone> microphone;
    std::unique_ptr<EvolutionCalendars> calendars;
    std::unique_ptr<X11PanelWindows> panelWindows = X11PanelWindows::ofThisApplication();

    Platform platform()
    {
        return Platform{.defaults = &defaults,
                        .keychain = &keychain,
                        .clock = &clock,
                        .http = &http,
                        .languageModel = &localModel,
                        .appearance = appearance.get(),
                        .processes = &processes,
                        .fileDialogs = &fileDialogs,
                        .propertyLists = &propertyLists,
                        .folders = UserFolders::ofThisUser(),
                        .microphone = microphone.get(),
                        .calendars = calendars.get(),
                        .panelWindows = panelWindows.get(),
                        .runMarks = &runMarks};
    }
};

// The desktop the program runs on, and the window that shows the simulated one.
struct RunningDesktop {
    std::unique_ptr<X11Desktop> x11;
    std::unique_ptr<SimDesktop> simulated;
    std::unique_ptr<SimDesktopWindow> window;
    QString description; // "the X11 desktop (:0)", "the simulated desktop (…)"

    Desktop& desktop() const { return x11 ? static_cast<Desktop&>(*x11) : *simulated; }
};

// Makes the desktop the command line asks for; none, with the reason, when
// it cannot be had.
std::optional<RunningDesktop> makeDesktop(const CommandLine& command, CommonServices& common, QString* error)
{
    RunningDesktop running;
    if (command.desktop == CommandLine::Desktop::x11) {
        running.x11 = X11Desktop::connect(error);
        if (!running.x11)
            return std::nullopt;
        common.appearance = std::make_unique<DesktopAppearance>();
        common.microphone = std::make_unique<PulseMicrophone>();
        common.calendars = std::make_unique<EvolutionCalendars>(EvolutionCalendars::ofThisUser());
        running.description = QStringLiteral("the X11 desktop (%1)").arg(running.x11->connection().displayName());
        return running;
    }
    const QString path =
        command.scenarioPath.isEmpty() ? QStringLiteral(":/scenarios/default.json") : command.scenarioPath;
    const SimScenario scenario = SimScenario::fromFile(path);
    if (!scenario.ok()) {
        *error = scenario.error();
        return std::nullopt;
    }
    running.simulated = std::make_unique<SimDesktop>(common.clock);
    scenario.applyTo(*running.simulated);
    running.description =
        QStringLiteral("the simulated desktop (%1)")
            .arg(command.scenarioPath.isEmpty() ? QStringLiteral("scenarios/default.json") : command.scenarioPath);
    return running;
}

// Where the panels for a display's area go on the simulated desktop: over the
// drawing of that display, with the room of the real screen showing it.
PanelPlacement overDrawing(const SimDesktopWindow* window)
{
    return [window](const Rect& area) { return PanelRoom{window->shownAt(area), window->screenArea()}; };
}

// The objects that place windows and learn from them, each handed the
// services and collaborators it uses.
struct WindowEngines {
    explicit WindowEngines(const Platform& platform)
        : runner(windows, platform, active),
          learning(*platform.defaults, *platform.clock),
          autoArrange(windows, platform),
          habits(windows, platform),
          handPlacement(learning, platform),
          sessions(windows, platform, active),
          windowContent(*platform.clock)
    {}

    WindowManager windows;
    ShortcutStore shortcuts;
    // The workspace last arranged: set by the command bar, put back by an
    // undo, named by the menu-bar window and the sessions.
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner;
    HotKeyCenter hotKeys;
    Learning learning;
    AutoArrange autoArrange;
    Habits habits;
    HandPlacement handPlacement;
    Sessions sessions;
    // What windows show (tabs, folders, documents), as the integrations read it.
    IntegratedWindowContent windowContent;
};

// The command bar on the planners; over the simulated displays where they
// are drawn in a window.
std::unique_ptr<CommandBarAdapter> makeCommandBar(CommandBarPlanning& planning, const SimDesktopWindow* window)
{
    auto bar = std::make_unique<CommandBarAdapter>(planning.services());
    if (window)
        bar->controller().setPlacement(overDrawing(window));
    return bar;
}

// Everything the run makes over the installed platform, wired to the
// desktop: the engines, the planners and the command bar, the application
// state, the modes and Focus, Settings, the icon in the menu bar, the
// intents on the session bus, and what each subsystem registered.
//
// One rule for their lifetimes: the Shell owns them all, as members made in
// the order they are declared, and the Shell itself is made once and kept
// for the whole run, never destroyed. Their timers and tasks must not run
// down after the platform has gone at exit, and a plan or a Keychain read
// under way at exit still holds them.
struct Shell {
    Shell(const Platform& platform, const RunningDesktop& running, const CommandLine& command);

    WindowEngines engines;
    CommandBarPlanning planning;
    AppState state;
    // The first-run window, opened from the menu-bar window, Settings and
    // the first start.
    OnboardingWindow onboarding;
    Updater updater;
    // The modes and Focus routines. Meeting mode places calls with the
    // window manager and pauses automatic arrangement meanwhile; Share-safe
    // asks with its prompt, which shows over the simulated displays; Focus
    // routines drive both modes.
    MeetingMode meetingMode;
    PrivacyPrompt prompt;
    ShareSafe shareSafeMode;
    Focus focus;
    // What the intents offer, refreshed as workspaces and routines are saved.
    TavrinShortcuts intentShortcuts;
    // The pane the Settings window shows.
    SettingsRouter settingsRouter;
    std::unique_ptr<SettingsWindow> settings;
    std::vector<std::unique_ptr<Engine>> engineStarters;
    std::unique_ptr<LearnedSuggestions> suggestions;
    std::unique_ptr<MeetingAdapter> meeting;
    std::unique_ptr<ShareSafeAdapter> shareSafe;
    std::unique_ptr<RoutineAdapter> routines;
    std::unique_ptr<VeilEngine> veils;
    std::vector<Registration> registrations;
    std::unique_ptr<TavrinApp> app;
    std::unique_ptr<MenuBarExtra> menuBar;
    std::unique_ptr<IntentService> intents;
    std::unique_ptr<InstanceService> instance;
};

// Automatic arrangement and learning: the engines start with the others,
// placements are learnt and advised on, moves of several windows pause the
// arrangement, and the menu-bar window offers what was learnt.
void wireLearning(Shell& shell)
{
    WindowEngines& engines = shell.engines;
    AppState& state = shell.state;
    Learning& learning = engines.learning;
    AutoArrange& autoArrange = engines.autoArrange;
    Habits& habits = engines.habits;
    HandPlacement& handPlacement = engines.handPlacement;
    shell.registrations.push_back(engines.windows.setLearner(learning));
    shell.registrations.push_back(engines.runner.setAutoArrange(autoArrange));
    const auto engine = [&](EngineSlot slot, std::function<void()> start) {
        shell.engineStarters.push_back(std::make_unique<StartingEngine>(std::move(start)));
        shell.registrations.push_back(state.setEngine(slot, *shell.engineStarters.back()));
    };
    engine(EngineSlot::autoArrange, [&autoArrange] { autoArrange.start(); });
    engine(EngineSlot::habits, [&habits] { habits.start(); });
    engine(EngineSlot::handPlacement, [&handPlacement] { handPlacement.start(); });
    // Sessions are saved automatically once the engines start.
    engine(EngineSlot::sessions, [&sessions = engines.sessions] { sessions.start(); });
    shell.suggestions = std::make_unique<LearnedSuggestions>(state, learning, habits);
    shell.registrations.push_back(state.setSuggestions(*shell.suggestions));
}

// Meeting mode and Share-safe: started in their slots, switched from the
// menu-bar window and Settings, driven by the two shortcuts.
void wireModes(Shell& shell, const Platform& platform)
{
    AppState& state = shell.state;
    ShareSafe& shareSafe = shell.shareSafeMode;
    shell.meeting = std::make_unique<MeetingAdapter>(shell.meetingMode, state);
    shell.shareSafe = std::make_unique<ShareSafeAdapter>(shareSafe, state);
    shell.registrations.push_back(state.setMeeting(*shell.meeting));
    shell.registrations.push_back(state.setEngine(EngineSlot::meetingMode, *shell.meeting));
    shell.registrations.push_back(state.setShareSafe(*shell.shareSafe));
    shell.registrations.push_back(state.setEngine(EngineSlot::shareSafe, *shell.shareSafe));
    // The veils over private windows, told of the program's own moves first.
    shell.veils = std::make_unique<VeilEngine>(shareSafe, shell.engines.shortcuts, platform);
    shell.registrations.push_back(shareSafe.setVeils(*shell.veils));
    shell.registrations.push_back(AXWindow::observeMoves(*shell.veils));
}

// Focus routines: started in their slot after the modes, driven by the
// intents, the Focus filter and the routines switch.
void wireFocus(Shell& shell)
{
    shell.routines = std::make_unique<RoutineAdapter>(shell.focus);
    shell.registrations.push_back(shell.state.setRoutines(*shell.routines));
    shell.registrations.push_back(shell.state.setEngine(EngineSlot::focus, *shell.routines));
}

// The intents, and the answer to a second start on these settings, on the
// session bus.
void publishOnBus(Shell& shell, const Platform& platform, const CommandLine& command, const QString& runningOn)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QString problem;
    // Any process of the session can send to it: no message may stop it.
    if (bus.isConnected() && !BusConnection::keepReading(bus, &problem))
        say(stderr,
            QStringLiteral("tavrin: a very large message on the session bus could stop Tavrin reading it: ") + problem);
    problem.clear();
    shell.intents = std::make_unique<IntentService>(shell.state, shell.engines.windows, shell.engines.runner,
                                                    shell.intentShortcuts, *platform.clock);
    shell.intents->publish(bus, PlistDefaults::defaultPath(), &problem);
    if (!problem.isEmpty())
        say(stdout, QStringLiteral("tavrin: ") + problem);
    problem.clear();
    MenuBarExtra* menuBar = shell.menuBar.get();
    shell.instance = std::make_unique<InstanceService>([menuBar] { menuBar->openBesideIcon(); },
                                                       command.runningOptions(), runningOn);
    if (bus.isConnected())
        shell.instance->publish(bus, PlistDefaults::defaultPath(), &problem);
    if (!problem.isEmpty())
        say(stdout, QStringLiteral("tavrin: ") + problem);
}

// What the Settings window works with: the program's own.
SettingsServices settingsServices(Shell& shell)
{
    return {.state = shell.state,
            .windows = shell.engines.windows,
            .updater = shell.updater,
            .shortcuts = shell.engines.shortcuts,
            .router = shell.settingsRouter,
            .keychain = shell.planning.keychain(),
            .log = shell.planning.log(),
            .planners = shell.planning.planners(),
            .autoArrange = shell.engines.autoArrange,
            .learning = shell.engines.learning,
            .habits = shell.engines.habits,
            .shareSafe = shell.shareSafeMode,
            .focus = shell.focus,
            .openFirstRun = [&onboarding = shell.onboarding] { onboarding.show(); },
            .loginItem = LoginItem()};
}

// The icon in the tray, if there is one, and in the simulated menu bar.
std::unique_ptr<MenuBarExtra> makeMenuBar(Shell& shell, const Platform& platform, SimDesktopWindow* window)
{
    MenuBarExtra::IconPlace simulatedMenuBar;
    if (window)
        simulatedMenuBar = [window](const QIcon& icon, std::function<void(const QRect&)> clicked) {
            window->setMenuBarExtra(icon, std::move(clicked));
        };
    return std::make_unique<MenuBarExtra>(MenuBarServices{.state = shell.state,
                                                          .windows = shell.engines.windows,
                                                          .shortcuts = shell.engines.shortcuts,
                                                          .updater = shell.updater,
                                                          .active = shell.engines.active,
                                                          .defaults = platform.defaults,
                                                          .clock = platform.clock,
                                                          .windowServer = platform.windowServer,
                                                          .openFirstRun = [&shell] { shell.onboarding.show(); }},
                                          simulatedMenuBar);
}

Shell::Shell(const Platform& platform, const RunningDesktop& running, const CommandLine& command)
    : engines(platform),
      planning(platform, engines.windows, engines.runner, engines.active),
      state({.windows = engines.windows,
             .shortcuts = engines.shortcuts,
             .hotKeys = engines.hotKeys,
             .commandBar = makeCommandBar(planning, running.window.get()),
             .platform = platform}),
      onboarding(state, platform.defaults),
      updater(platform),
      meetingMode(engines.windows, engines.autoArrange, platform),
      prompt(*platform.clock, engines.windows),
      shareSafeMode(prompt, platform),
      focus(meetingMode, shareSafeMode, engines.windows, engines.runner, platform)
{
    SimDesktopWindow* window = running.window.get();
    // The snap overlay and Share-safe's prompt show over the simulated
    // displays too.
    if (window) {
        state.hud().setPanels(std::make_unique<DesktopHUDPanels>(overDrawing(window)));
        prompt.setPlacement(overDrawing(window));
    }
    settings = std::make_unique<SettingsWindow>(settingsServices(*this));
    registrations.push_back(state.setSettingsOpener(*settings));
    // Saving a workspace or a routine refreshes what the intents offer.
    registrations.push_back(ShortcutParameters::install(intentShortcuts));
    // Windows carry what they show: tabs, folders, documents.
    registrations.push_back(WindowContent::install(engines.windowContent));
    wireLearning(*this);
    wireModes(*this, platform);
    wireFocus(*this);

    app = std::make_unique<TavrinApp>(state, engines.windows, updater, platform, [this] { onboarding.show(); });
    UpdateWindow::attach(*updater.controller());
    menuBar = makeMenuBar(*this, platform, window);
    publishOnBus(*this, platform, command, running.description);
}

// Qt falls back to a folder of its own, with a warning, when the session has
// no runtime folder (a plain ssh login, a container): give it one of the
// user's own, which the programs Tavrin starts inherit too.
void ensureRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    QString why;
    const QString folder = RuntimeFolder::choose(QString(), QDir::tempPath(), ::getuid(), &why);
    if (folder.isEmpty()) {
        say(stderr, QStringLiteral("tavrin: no runtime folder of this user's own can be made (%1).").arg(why));
        return;
    }
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
}

// `tavrin intent …` and `tavrin shortcuts …`, the sub-commands that need no
// display: their exit status; none for any other command line.
std::optional<int> runSubCommand(int argc, char** argv)
{
    // `tavrin intent …` talks to the running instance and needs no display.
    if (argc >= 2 && std::strcmp(argv[1], "intent") == 0)
        return IntentClient::main(argc, argv, PlistDefaults::defaultPath());
    // `tavrin shortcuts …` is the Shortcuts tool that routines run.
    if (argc >= 2 && std::strcmp(argv[1], "shortcuts") == 0)
        return ShortcutsFolder::main(argc, argv);
    return std::nullopt;
}

// Without any display the program still runs, on Qt's offscreen platform:
// chooses it (before the application starts) when there is none, and says
// whether it did.
bool chooseOffscreenWithoutDisplay()
{
    const bool headless = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
                          && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return headless;
}

// Names the application, keeps it running with no window open, and quiets
// the offscreen platform's warnings.
void describeApplication()
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        g_defaultHandler = qInstallMessageHandler(quietOffscreen);
    QApplication::setApplicationName(QStringLiteral("Tavrin"));
    QApplication::setOrganizationDomain(QStringLiteral("tavrin.app"));
    QApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
}

// The help, the version and a wrong command line are answered without
// running: the exit status; none when the program is to run.
std::optional<int> answerWithoutRunning(const CommandLine& command)
{
    if (command.showHelp) {
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    }
    if (command.showVersion) {
        say(stdout, QStringLiteral("Tavrin ") + QApplication::applicationVersion());
        return 0;
    }
    if (!command.error.isEmpty()) {
        say(stderr, QStringLiteral("tavrin: ") + command.error);
        std::fputs(qPrintable(CommandLine::usage()), stderr);
        return 2;
    }
    return std::nullopt;
}

// One Tavrin per settings: a second would write over the first's changes.
// A second start asks the running Tavrin to open its menu-bar window and
// ends (0); when that one runs on another desktop or scenario, or can't be
// reached, it says so on stderr and ends (1). None when these settings are
// this run's; a lock that could not be taken is said, and the program runs
// on.
std::optional<int> answerForRunning(const InstanceLock& instance, const CommandLine& command)
{
    if (instance.heldElsewhere()) {
        const QString folder = QFileInfo(PlistDefaults::defaultPath()).absolutePath();
        const InstanceService::Answer answer = InstanceService::askRunning(
            QDBusConnection::sessionBus(), PlistDefaults::defaultPath(), command.instanceOptions());
        // What the running one says of itself is shown, never obeyed.
        const QString runningOn = IntentService::echoed(answer.runningOn);
        if (answer.opened) {
            say(stdout,
                QStringLiteral("Tavrin is already running on %1: its menu-bar window is open now.").arg(runningOn));
            return 0;
        }
        const QString where = answer.reached ? QStringLiteral(" on ") + runningOn : QString();
        say(stderr, QStringLiteral("tavrin: Another Tavrin is already running%1 with the settings in %2.")
                        .arg(where, IntentClient::printable(folder)));
        if (!answer.distrusted.isEmpty())
            say(stderr, QStringLiteral("tavrin: It was not asked to open its window: %1.")
                            .arg(IntentService::echoed(answer.distrusted)));
        return 1;
    }
    if (!instance.problem().isEmpty())
        say(stdout, QStringLiteral("tavrin: %1; nothing keeps a second Tavrin off these settings.")
                        .arg(IntentClient::printable(instance.problem())));
    return std::nullopt;
}

// From a quit signal, the program ends within this when the main loop has not
// taken it (it is stuck in some long work); the settings writes under way are
// waited for.
constexpr double kQuitDeadline = 1.5;
// Once taken, quitting in order gets this long before it is cut short.
constexpr double kOrderlyQuitDeadline = 10.0;
// Background work still running at quit gets this long to finish.
constexpr double kBackgroundBound = 1.0;
// The answers given to callers on the bus get this long to reach it.
constexpr int kAnswersBoundMs = 1000;

// Ends the run in a fixed order: no timer fires and no background work starts
// from here on, the work under way gets a bounded wait, the settings are
// written and the answers on the bus delivered, and only then are the
// services uninstalled (the Shell, never destroyed, keeps what it holds).
// Work that outlives the wait may still use the services it was given: the
// process then ends here at once, taking nothing away.
int endRun(int status, CommonServices& common)
{
    const bool idle = common.clock.stop(kBackgroundBound);
    common.defaults.flush();
    // The answers already given go out before the process ends: a caller
    // whose change was made, and is saved now, is told so.
    BusConnection::deliverSent(QDBusConnection::sessionBus(), kAnswersBoundMs);
    if (!idle) {
        say(stderr, QStringLiteral("tavrin: background work did not finish in time; ending without it."));
        ::_exit(status);
    }
    Platform::uninstall();
    return status;
}

// Installs the desktop's services for the run and answers them; losing the X
// display ends the program, and the simulated desktop shows in a window of
// its own.
const Platform& startDesktop(RunningDesktop& running, CommonServices& common, QApplication& app)
{
    const Platform& platform = Platform::install(running.desktop().startServices(common.platform()));
    if (running.x11)
        QObject::connect(&running.x11->connection(), &X11Connection::lost, &app, [] {
            say(stderr, QStringLiteral("tavrin: the X display has gone away."));
            QApplication::exit(1);
        });
    if (running.simulated) {
        running.window = std::make_unique<SimDesktopWindow>(*running.simulated);
        running.window->show();
    }
    return platform;
}

// The run's Shell, made once and never destroyed (see Shell).
Shell& makeShell(const Platform& platform, const RunningDesktop& running, const CommandLine& command)
{
    static Shell* const shell = new Shell(platform, running, command);
    return *shell;
}
} // namespace

int main(int argc, char** argv)
{
    // Every folder of the user's (settings, data) is derived from the home.
    UserHome::settle();
    if (const std::optional<int> status = runSubCommand(argc, argv))
        return *status;

    const bool headless = chooseOffscreenWithoutDisplay();
    ensureRuntimeFolder();
    QApplication app(argc, argv);
    describeApplication();

    const CommandLine command = CommandLine::parse(QApplication::arguments());
    if (const std::optional<int> status = answerWithoutRunning(command))
        return *status;
    // Held for the whole run.
    const InstanceLock instance(PlistDefaults::defaultPath());
    if (const std::optional<int> status = answerForRunning(instance, command))
        return *status;
    if (headless)
        say(stdout, QStringLiteral("tavrin: no display found; running on Qt's offscreen platform."));

    // Made before the services, so that it outlives them.
    SignalWatcher signalWatcher;
    CommonServices common;
    signalWatcher.endWithin(kQuitDeadline, kOrderlyQuitDeadline,
                            [&defaults = common.defaults] { defaults.waitForWritesUnderWay(); });
    // The last words use the settings: forgotten before the settings go.
    const std::unique_ptr<SignalWatcher, void (*)(SignalWatcher*)> forgetLastWords(
        &signalWatcher, [](SignalWatcher* watcher) { watcher->endWithin(kQuitDeadline, kOrderlyQuitDeadline, {}); });
    if (!common.defaults.problem().isEmpty())
        say(stderr, QStringLiteral("tavrin: ") + IntentClient::printable(common.defaults.problem()));
    QString error;
    std::optional<RunningDesktop> running = makeDesktop(command, common, &error);
    if (!running) {
        say(stderr, QStringLiteral("tavrin: ") + error);
        return 1;
    }
    const Platform& platform = startDesktop(*running, common, app);
    // A caret left alone holds still, so that an open bar waits for free.
    const CaretBlink caretBlink(common.clock);

    Shell& shell = makeShell(platform, *running, command);
    QObject::connect(&signalWatcher, &SignalWatcher::quitRequested, qApp, [] { QApplication::quit(); });
    // A quit signal ends the waits on the X server that hold up the
    // main loop, so that it is taken at once; the work of the program's last
    // moments waits for no window manager.
    if (running->x11) {
        X11Connection& x11 = running->x11->connection();
        x11.cutWaitsShortOn(signalWatcher.descriptor());
        QObject::connect(&signalWatcher, &SignalWatcher::quitRequested, &x11, [&x11] { x11.stopWaitingForOthers(); });
    }
    // Said once the engines run and the hot keys are held: whoever waits for
    // it (a script, a test) can use them at once.
    shell.app->launch([description = running->description] {
        say(stdout, QStringLiteral("Tavrin is running on %1.").arg(description));
    });
    return endRun(QApplication::exec(), common);
}
