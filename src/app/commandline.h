#pragma once

#include <QString>
#include <QStringList>

namespace tavrin {

// What the `tavrin` command was asked to do.
struct CommandLine {
    enum class Desktop { simulated, x11 };

    Desktop desktop = Desktop::simulated;
    QString scenarioPath; // empty: the default scenario
    bool showHelp = false;
    bool showVersion = false;
    QString error; // one line for the user when the arguments are wrong

    static CommandLine parse(const QStringList& arguments);
    // The options that make one running Tavrin differ from another on the
    // same settings: the desktop, and the scenario's absolute path.
    QString instanceOptions() const;
    static QString usage();
};

} // namespace tavrin
