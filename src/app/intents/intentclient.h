#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

namespace tavrin {

// `tavrin intent …`: runs one intent in the running Tavrin over the session
// bus and prints its answer. Exit status 0 when the intent ran, whatever its
// answer says; 1 when no Tavrin could be reached (or it failed to answer); 2
// for wrong arguments only.
class IntentClient {
public:
    static constexpr int kTimeoutMs = 60000;
    // How long the help waits for the running Tavrin's routines.
    static constexpr int kHelpTimeoutMs = 2000;

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
    // The running Tavrin's routines; empty when it cannot be asked.
    static QStringList routineNames(QDBusConnection connection);

    // Parses and runs; waits for the answer while running the event loop.
    static Outcome run(const QStringList& words, QDBusConnection connection, int timeoutMs = kTimeoutMs);

    // The process entry for `tavrin intent …` (argv[1] is "intent").
    static int main(int argc, char** argv);
};

} // namespace tavrin
