#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

namespace tavrin {

// `tavrin intent …`: runs one intent in the running Tavrin over the session
// bus and prints its answer. Exit status 0 when the intent ran, whatever its
// answer says; 1 when it did not run because no Tavrin could be reached, it
// was quitting, it refused the intent as busy or it failed to answer; 2 for
// wrong arguments and for names of no workspace or routine, which leave it
// nothing to do.
//
// It reaches the Tavrin of the settings it would use itself, and only when
// that name is held by a Tavrin of this user (see BusName); whatever it
// prints of an answer goes through echoed(), so no control or direction
// character from the bus reaches the terminal.
class IntentClient {
public:
    static constexpr int kTimeoutMs = 60000;
    // How long the help waits for the running Tavrin's routines.
    static constexpr int kHelpTimeoutMs = 2000;
    // The most of one line of an answer that is printed.
    static constexpr qsizetype kMaxLine = 2000;

    struct Outcome {
        int exitCode = 0;
        QString out; // the dialog, or the help
        QString err; // one line for the user
    };

    // One call of the intent service.
    struct Call {
        QString method;
        QVariantList arguments;
    };

    // Reads the words after "intent": a call, or none with `error` set (or
    // `help` set when help was asked for).
    static std::optional<Call> parse(const QStringList& words, QString* error, bool* help = nullptr);
    // The usage, with the names a routine can be given when they are known.
    static QString help(const QStringList& routines = {});
    // An intent sent to a Tavrin that quits before it runs it.
    static QString quittingMessage();
    // The running Tavrin's routines; empty when it cannot be asked.
    static QStringList routineNames(QDBusConnection connection, const QString& service);

    // Parses and runs the intent in the Tavrin answering on `service`
    // (IntentService::serviceName()); waits for the answer while running the
    // event loop.
    static Outcome run(const QStringList& words, QDBusConnection connection, const QString& service,
                       int timeoutMs = kTimeoutMs);

    // An answer as it is printed: each line through echoed().
    static QString printable(const QString& answer);

    // The process entry for `tavrin intent …` (argv[1] is "intent"), for the
    // settings at `settingsPath`.
    static int main(int argc, char** argv, const QString& settingsPath);
};

} // namespace tavrin
