#include "app/appstate.h"
#include "app/commandbaradapter.h"
#include "app/commandline.h"
#include "app/intents/intentclient.h"
#include "app/intents/intentservice.h"
#include "app/menubar/menubarextra.h"
#include "app/onboarding/onboardingview.h"
#include "app/shellhooks.h"
#include "app/signalwatcher.h"
#include "app/intents/tavrinshortcuts.h"
#include "app/tavrinapp.h"
#include "app/updates/updater.h"
#include "app/updates/updatewindow.h"
#include "commandbar/settingsplaceholder.h"
#include "platform/linux/desktopappearance.h"
#include "platform/linux/desktopkeychain.h"
#include "platform/linux/plistdefaults.h"
#include "platform/linux/qtclock.h"
#include "platform/linux/qthttpclient.h"
#include "platform/linux/unavailablelanguagemodel.h"
#include "platform/platform.h"
#include "platform/sim/simdesktop.h"
#include "platform/sim/simdesktopwindow.h"
#include "platform/sim/simscenario.h"
#include "platform/x11/x11connection.h"
#include "platform/x11/x11desktop.h"
#include "windows/windowmanager.h"
#include "workspaces/workspacehooks.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
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
} // namespace

int main(int argc, char** argv)
{
    // `tavrin intent …` talks to the running instance and needs no display.
    if (argc >= 2 && std::strcmp(argv[1], "intent") == 0)
        return IntentClient::main(argc, argv);

    // Without any display the program still runs, on Qt's offscreen platform.
    const bool headless = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Qt falls back to a folder of its own, with a warning, when the session
    // has no runtime folder (a plain ssh login, a container): make that folder
    // ourselves and say nothing.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray runtime = QDir::tempPath().toLocal8Bit() + "/runtime-tavrin-" + QByteArray::number(::getuid());
        QDir().mkpath(QString::fromLocal8Bit(runtime));
        QFile::setPermissions(QString::fromLocal8Bit(runtime), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }

    QApplication app(argc, argv);
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        g_defaultHandler = qInstallMessageHandler(quietOffscreen);
    QApplication::setApplicationName(QStringLiteral("Tavrin"));
    QApplication::setOrganizationDomain(QStringLiteral("tavrin.app"));
    QApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    const CommandLine command = CommandLine::parse(QApplication::arguments());
    if (command.showHelp) {
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    }
    if (!command.error.isEmpty()) {
        say(stderr, QStringLiteral("tavrin: ") + command.error);
        std::fputs(qPrintable(CommandLine::usage()), stderr);
        return 2;
    }
    if (headless)
        say(stdout, QStringLiteral("tavrin: no display found; running on Qt's offscreen platform."));

    QtClock clock;
    PlistDefaults defaults(PlistDefaults::defaultPath());
    if (!defaults.problem().isEmpty())
        say(stderr, QStringLiteral("tavrin: ") + defaults.problem());
    DesktopKeychain keychain;
    QtHttpClient http(clock);

    // A real desktop has the desktop's own appearance and, on Linux, no
    // on-device language model; the simulated one brings both of its own.
    std::unique_ptr<DesktopAppearance> appearance;
    UnavailableLanguageModel noLanguageModel;

    // The desktop: the real one (X11), or the simulated one in its window.
    std::unique_ptr<X11Desktop> x11;
    std::unique_ptr<SimDesktop> desktop;
    std::unique_ptr<SimDesktopWindow> window;
    Platform services;
    if (command.desktop == CommandLine::Desktop::x11) {
        QString error;
        x11 = X11Desktop::connect(&error);
        if (!x11) {
            say(stderr, QStringLiteral("tavrin: ") + error);
            return 1;
        }
        services = x11->platform(&defaults, &keychain, &clock);
        appearance = std::make_unique<DesktopAppearance>();
        services.appearance = appearance.get();
        services.languageModel = &noLanguageModel;
        QObject::connect(&x11->connection(), &X11Connection::lost, &app, [] {
            say(stderr, QStringLiteral("tavrin: the X display has gone away."));
            QApplication::exit(1);
        });
    } else {
        const QString scenarioPath =
            command.scenarioPath.isEmpty() ? QStringLiteral(":/scenarios/default.json") : command.scenarioPath;
        const SimScenario scenario = SimScenario::fromFile(scenarioPath);
        if (!scenario.ok()) {
            say(stderr, QStringLiteral("tavrin: ") + scenario.error());
            return 1;
        }
        desktop = std::make_unique<SimDesktop>(clock);
        scenario.applyTo(*desktop);
        services = desktop->services(&defaults, &keychain);
    }
    services.http = &http;
    Platform::install(services);
    if (desktop) {
        window = std::make_unique<SimDesktopWindow>(*desktop);
        window->show();
    }

    // The command bar's panels show over the simulated displays; Settings is
    // a stand-in until it exists.
    ShellHooks& hooks = ShellHooks::shared();
    hooks.makeCommandBar = [w = window.get()] {
        auto bar = std::make_unique<CommandBarAdapter>();
        if (w)
            bar->controller().setPlacement(
                [w](const Rect& area) { return PanelRoom{w->shownAt(area), w->screenArea()}; });
        return bar;
    };
    hooks.showSettings = [](const QString& pane) { SettingsPlaceholder::show(pane); };

    // The application: its state, and the start-up once the main loop runs.
    AppState& state = AppState::shared();
    TavrinApp tavrin(state, WindowManager::shared(), Updater::shared(), [] { OnboardingView::showWindow(); });
    tavrin.launch();
    UpdateWindow::attach(*Updater::shared().controller());
    // The icon in the tray, if there is one, and in the simulated menu bar.
    MenuBarExtra::IconPlace simulatedMenuBar;
    if (window)
        simulatedMenuBar = [w = window.get()](const QIcon& icon, std::function<void(const QRect&)> clicked) {
            w->setMenuBarExtra(icon, std::move(clicked));
        };
    MenuBarExtra menuBar(state, WindowManager::shared(), simulatedMenuBar);

    // Saving a workspace refreshes what the intents offer.
    WorkspaceHooks::shared().refreshShortcutParameters = &TavrinShortcuts::updateAppShortcutParameters;
    IntentService intents(state);
    QString intentProblem;
    if (!intents.publish(QDBusConnection::sessionBus(), &intentProblem))
        say(stdout, QStringLiteral("tavrin: ") + intentProblem);

    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::quitRequested, &app, [] { QApplication::quit(); });

    if (x11)
        say(stdout, QStringLiteral("Tavrin is running on the X11 desktop (%1).").arg(x11->connection().displayName()));
    else
        say(stdout, QStringLiteral("Tavrin is running on the simulated desktop (%1).")
                        .arg(command.scenarioPath.isEmpty() ? QStringLiteral("scenarios/default.json")
                                                            : command.scenarioPath));
    const int status = QApplication::exec();
    Platform::uninstall();
    return status;
}
