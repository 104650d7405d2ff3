#include "app/intents/intentclient.h"

#include "app/busname.h"
#include "app/intents/asktavrinintent.h"
#include "app/intents/intentservice.h"
#include "app/intents/layoutchoice.h"
#include "app/intents/startfocusintent.h"
#include "app/intents/tavrinshortcuts.h"
#include "workspaces/textcut.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>
#include <limits>
#include <unistd.h>

namespace tavrin {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("IntentClient", text); }

std::optional<int> wholeNumber(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral(R"(^[+-]?\d+$)"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    // Too large for a number is out of every range.
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : std::numeric_limits<int>::max();
}

// Whether the process with the unique name `owner` is still on the bus.
bool hasOwner(QDBusConnection connection, const QString& owner)
{
    QDBusConnectionInterface* bus = connection.interface();
    return !bus || bus->isServiceRegistered(owner).value();
}

// No call: `error`, when given, says why.
std::optional<IntentClient::Call> refuse(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

// `start-focus [ROUTINE] [MINUTES]`, the words after the command: a lone
// word that is a whole number is the minutes, any other the routine.
std::optional<IntentClient::Call> startFocusCall(const QStringList& rest, QString* error)
{
    if (rest.size() > 2)
        return refuse(error, tr("Unexpected argument \"%1\".").arg(IntentService::echoed(rest.at(2))));
    QString routine;
    QString minutesText;
    if (rest.size() == 2) {
        routine = rest.at(0);
        minutesText = rest.at(1);
    } else if (rest.size() == 1) {
        (wholeNumber(rest.first()) ? minutesText : routine) = rest.first();
    }
    int minutes = StartFocusIntent::kDefaultMinutes;
    if (!minutesText.isEmpty()) {
        const auto n = wholeNumber(minutesText);
        if (!n || !StartFocusIntent::isValidMinutes(*n))
            return refuse(error, IntentService::minutesMessage());
        minutes = *n;
    }
    return IntentClient::Call{QStringLiteral("StartFocus"), {routine, minutes}};
}

IntentClient::Outcome failure(int code, const QString& line) { return {code, {}, QStringLiteral("tavrin: ") + line}; }

// Sends the call and waits for its reply in an event loop: the service may
// live in this very process.
QDBusMessage callAndWait(QDBusConnection connection, const QDBusMessage& message, int timeoutMs)
{
    QDBusPendingCallWatcher watcher(connection.asyncCall(message, timeoutMs));
    if (!watcher.isFinished()) {
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return watcher.reply();
}
} // namespace

QString IntentClient::quittingMessage() { return tr("Tavrin is quitting. Start it again, then try again."); }

QString IntentClient::help(const QStringList& routines)
{
    QString text;
    QTextStream out(&text);
    out << "Usage: tavrin intent COMMAND [ARGUMENTS]\n"
           "Runs an intent in the running Tavrin and prints its answer.\n\n"
           "Commands:\n";
    for (const AppShortcut& s : TavrinShortcuts::appShortcuts()) {
        const QString command = (s.command + QLatin1Char(' ') + s.usage).trimmed();
        out << "  " << command.leftJustified(34) << s.shortTitle << "\n";
    }
    out << "  " << QStringLiteral("focus-filter [ROUTINE]").leftJustified(34)
        << "Focus filter: your Focus now names ROUTINE (none: no routine)\n";
    out << "\n  LAYOUT is one of " << layoutChoiceNames().join(QStringLiteral(", ")) << ".\n"
        << "  MINUTES is a whole number from " << StartFocusIntent::kMinMinutes << " to "
        << StartFocusIntent::kMaxMinutes << " (default " << StartFocusIntent::kDefaultMinutes << ").\n";
    if (!routines.isEmpty())
        out << "  ROUTINE is one of " << routines.join(QStringLiteral(", ")) << ".\n";
    out << "\nExit status: 0 when the intent ran (whatever it answered); 1 when it didn't run because\n"
           "Tavrin can't be reached, is quitting, is busy or didn't answer; 2 for wrong arguments and for\n"
           "a workspace or routine Tavrin doesn't have.\n";
    return text;
}

std::optional<IntentClient::Call> IntentClient::parse(const QStringList& words, QString* error, bool* help)
{
    if (help)
        *help = false;
    if (words.isEmpty())
        return refuse(error, tr("intent needs a command; see tavrin intent --help."));
    const QString& command = words.first();
    const QStringList rest = words.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        if (help)
            *help = true;
        return std::nullopt;
    }
    auto exactly = [&](qsizetype count, const QString& what) -> bool {
        if (rest.size() == count)
            return true;
        refuse(error, rest.size() < count
                          ? tr("%1 needs %2.").arg(command, what)
                          : tr("Unexpected argument \"%1\".").arg(IntentService::echoed(rest.at(count))));
        return false;
    };
    if (command == QLatin1String("apply-layout")) {
        if (!exactly(1, tr("a layout")))
            return std::nullopt;
        const auto choice = layoutChoiceFromText(rest.first());
        if (!choice)
            return refuse(error, IntentService::unknownLayoutMessage(rest.first()));
        return Call{QStringLiteral("ApplyLayout"), {name(*choice)}};
    }
    if (command == QLatin1String("resume")) {
        if (!exactly(1, tr("the name of a saved workspace")))
            return std::nullopt;
        if (rest.first().trimmed().isEmpty())
            return refuse(error, IntentService::noWorkspaceNameMessage());
        return Call{QStringLiteral("ResumeWorkspace"), {rest.first()}};
    }
    if (command == QLatin1String("ask")) {
        if (rest.isEmpty() || rest.join(QLatin1Char(' ')).trimmed().isEmpty())
            return refuse(error, tr("ask needs a request: %1").arg(AskTavrinIntent::requestPrompt()));
        return Call{QStringLiteral("Ask"), {rest.join(QLatin1Char(' '))}};
    }
    if (command == QLatin1String("start-focus"))
        return startFocusCall(rest, error);
    if (command == QLatin1String("focus-filter")) {
        if (rest.size() > 1)
            return refuse(error, tr("Unexpected argument \"%1\".").arg(IntentService::echoed(rest.at(1))));
        return Call{QStringLiteral("SetFocusFilter"), {rest.value(0)}};
    }
    if (command == QLatin1String("stop-focus")) {
        if (!exactly(0, {}))
            return std::nullopt;
        return Call{QStringLiteral("StopFocus"), {}};
    }
    return refuse(error, tr("Unknown intent \"%1\"; see tavrin intent --help.").arg(IntentService::echoed(command)));
}

QString IntentClient::printable(const QString& answer)
{
    QStringList lines = answer.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = echoed(line, kMaxLine);
    return lines.join(QLatin1Char('\n'));
}

IntentClient::Outcome IntentClient::run(const QStringList& words, QDBusConnection connection, const QString& service,
                                        int timeoutMs)
{
    QString error;
    bool wantsHelp = false;
    const auto call = parse(words, &error, &wantsHelp);
    if (wantsHelp)
        return {0, help(routineNames(connection, service)), {}};
    if (!call)
        return failure(2, error);
    if (!connection.isConnected())
        return failure(1, tr("There is no session bus, so no running Tavrin can be reached."));

    // Called by its unique name, so that the name can't change hands
    // between the check and the call.
    QString distrusted;
    const QString owner = BusName::trustedOwner(connection, service, &distrusted);
    if (!distrusted.isEmpty())
        return failure(1, tr("The intent was not sent: %1.").arg(printable(distrusted)));
    if (owner.isEmpty())
        return failure(1, tr("Tavrin isn't running. Start it, then try again."));
    QDBusMessage message =
        QDBusMessage::createMethodCall(owner, IntentService::kObjectPath, IntentService::kInterface, call->method);
    message.setArguments(call->arguments);
    const QDBusMessage reply = callAndWait(connection, message, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        const QString name = reply.errorName();
        if (name == IntentService::kInvalidArgument || name == IntentService::kUnknownName)
            return failure(2, printable(reply.errorMessage()));
        if (name == IntentService::kBusy)
            return failure(1, printable(reply.errorMessage()));
        if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
            || name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
            return failure(1, tr("Tavrin isn't running. Start it, then try again."));
        // A Tavrin that quits lets its intents go before its name on the
        // bus, and leaves the bus without answering what it still holds.
        if (name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") || !hasOwner(connection, owner))
            return failure(1, quittingMessage());
        if (name == QLatin1String("org.freedesktop.DBus.Error.NoReply")
            || name == QLatin1String("org.freedesktop.DBus.Error.Timeout"))
            return failure(1, tr("Tavrin didn't answer in time."));
        return failure(1, printable(reply.errorMessage().isEmpty() ? name : reply.errorMessage()));
    }
    const QString dialog = reply.arguments().value(0).toString();
    return {0, dialog.isEmpty() ? QString() : printable(dialog) + QLatin1Char('\n'), {}};
}

QStringList IntentClient::routineNames(QDBusConnection connection, const QString& service)
{
    if (!connection.isConnected())
        return {};
    QString distrusted;
    const QString owner = BusName::trustedOwner(connection, service, &distrusted);
    if (owner.isEmpty())
        return {};
    const QDBusMessage message = QDBusMessage::createMethodCall(owner, IntentService::kObjectPath,
                                                                IntentService::kInterface, QStringLiteral("Routines"));
    const QDBusMessage reply = callAndWait(connection, message, kHelpTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    QStringList names = reply.arguments().value(0).toStringList();
    for (QString& name : names)
        name = IntentService::echoed(name);
    return names;
}

int IntentClient::main(int argc, char** argv, const QString& settingsPath)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tavrin"));
    QStringList words = QCoreApplication::arguments().mid(2);
    // Asked without a request at a terminal, the question is put to the user.
    if (words == QStringList{QStringLiteral("ask")} && ::isatty(STDIN_FILENO)) {
        std::fputs(qPrintable(AskTavrinIntent::requestPrompt() + QLatin1Char(' ')), stdout);
        std::fflush(stdout);
        QTextStream in(stdin);
        words << in.readLine();
    }
    // Qt's bus thread may still dispatch a message while the program's
    // statics are torn down at exit, and it looks up the types of the bus
    // then. Registering one before the bus starts makes the table of types
    // outlive the bus thread (statics end in the reverse of their making).
    qMetaTypeId<QDBusMessage>();
    const Outcome outcome = run(words, QDBusConnection::sessionBus(), IntentService::serviceName(settingsPath));
    if (!outcome.out.isEmpty())
        std::fputs(qPrintable(outcome.out), stdout);
    if (!outcome.err.isEmpty())
        std::fputs(qPrintable(outcome.err + QLatin1Char('\n')), stderr);
    return outcome.exitCode;
}

} // namespace tavrin
