#pragma once

#include <QString>
#include <QStringList>

namespace tavrin {

// What the `tavrin` command was asked to do.
struct CommandLine {
    enum class Desktop { simulated, x11 };

    Desktop desktop = Desktop::simulated;
    bool desktopGiven = false; // --desktop was on the command line
    QString scenarioPath;      // empty: the default scenario
    bool showHelp = false;
    bool showVersion = false;
    QString error; // one line for the user when the arguments are wrong

    static CommandLine parse(const QStringList& arguments);
    // The options that make one running Tavrin differ from another on the
    // same settings: the desktop, and the scenario's absolute path.
    QString runningOptions() const;
    // What a second start asks the running Tavrin for: its options, or
    // empty for a plain `tavrin`, which opens whichever Tavrin runs.
    QString instanceOptions() const;
    static QString usage();
};

} // namespace tavrin
