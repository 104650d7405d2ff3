#include "app/commandline.h"

#include <QFileInfo>

namespace tavrin {

CommandLine CommandLine::parse(const QStringList& arguments)
{
    CommandLine result;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        auto takeValue = [&](const QString& name) -> QString {
            const QString prefix = name + QLatin1Char('=');
            if (arg.startsWith(prefix))
                return arg.mid(prefix.size());
            if (i + 1 < arguments.size())
                return arguments.at(++i);
            result.error = QStringLiteral("%1 needs a value.").arg(name);
            return {};
        };
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            result.showHelp = true;
        } else if (arg == QLatin1String("--version")) {
            result.showVersion = true;
        } else if (arg == QLatin1String("--scenario") || arg.startsWith(QLatin1String("--scenario="))) {
            result.scenarioPath = takeValue(QStringLiteral("--scenario"));
        } else if (arg == QLatin1String("--desktop") || arg.startsWith(QLatin1String("--desktop="))) {
            const QString value = takeValue(QStringLiteral("--desktop"));
            result.desktopGiven = true;
            if (value == QLatin1String("sim") || value == QLatin1String("simulated"))
                result.desktop = Desktop::simulated;
            else if (value == QLatin1String("x11"))
                result.desktop = Desktop::x11;
            else if (result.error.isEmpty())
                result.error = QStringLiteral("Unknown desktop \"%1\": use sim or x11.").arg(value);
        } else if (arg.startsWith(QLatin1Char('-'))) {
            result.error = QStringLiteral("Unknown option %1.").arg(arg);
        } else {
            result.error = QStringLiteral("Unexpected argument \"%1\".").arg(arg);
        }
        if (!result.error.isEmpty())
            break;
    }
    if (result.desktop == Desktop::x11 && !result.scenarioPath.isEmpty() && result.error.isEmpty())
        result.error = QStringLiteral("--scenario applies to the simulated desktop only.");
    return result;
}

QString CommandLine::instanceOptions() const
{
    return desktopGiven || !scenarioPath.isEmpty() ? runningOptions() : QString();
}

QString CommandLine::runningOptions() const
{
    if (desktop == Desktop::x11)
        return QStringLiteral("x11");
    return QStringLiteral("simulated:")
           + (scenarioPath.isEmpty() ? QString() : QFileInfo(scenarioPath).absoluteFilePath());
}

QString CommandLine::usage()
{
    return QStringLiteral("Usage: tavrin [--scenario FILE] [--desktop sim|x11]\n"
                          "       tavrin --version\n"
                          "       tavrin intent COMMAND [ARGUMENTS]   (see tavrin intent --help)\n"
                          "       tavrin shortcuts list | run NAME\n"
                          "  --scenario FILE   run the simulated desktop described by FILE\n"
                          "                    (default: scenarios/default.json)\n"
                          "  --desktop sim     the simulated desktop (the default)\n"
                          "  --desktop x11     manage the windows of the running X11 desktop\n"
                          "  intent COMMAND    run an intent in the running Tavrin: apply-layout,\n"
                          "                    resume, ask, start-focus, stop-focus or focus-filter\n"
                          "  shortcuts         list your shortcuts, or run one: the executable files\n"
                          "                    in $XDG_CONFIG_HOME/tavrin/shortcuts\n");
}

} // namespace tavrin
