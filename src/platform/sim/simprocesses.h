#pragma once

#include "platform/processes.h"

#include <QStringList>
#include <mutex>

namespace tavrin {

class SimDesktop;

// The helper programs of the simulated desktop: "ps" lists the processes of
// a terminal device ("-t DEVICE -o pid=,comm="), "lsof" names a process's
// working folder ("-a -p PID -d cwd -Fn"), both from the desktop's terminal
// processes; the Shortcuts tool (any program whose first argument is
// "shortcuts") lists the desktop's shortcuts one a line ("shortcuts list")
// and runs one ("shortcuts run NAME": it ends at once when the desktop has
// it, and cannot be started otherwise). Asking for the folder of a process
// that hangs takes the whole time limit on the clock and answers nothing;
// any other program cannot be started. Every run is recorded.
class SimProcesses : public Processes {
public:
    explicit SimProcesses(SimDesktop& desktop) : desktop_(desktop) {}

    std::optional<QByteArray> run(const QString& program, const QStringList& arguments, double timeLimit) override;
    bool runWithoutOutput(const QString& program, const QStringList& arguments, double timeLimit) override;

    // Every run so far: the program's name and its arguments, space-separated.
    QStringList runs() const;

private:
    std::optional<QByteArray> listing(const QStringList& arguments) const;
    // None when the process hangs.
    std::optional<QByteArray> workingFolder(const QStringList& arguments) const;
    // The Shortcuts tool's answer to the arguments after "shortcuts".
    std::optional<QByteArray> shortcuts(const QStringList& arguments) const;
    void record(const QString& name, const QStringList& arguments);

    SimDesktop& desktop_;
    mutable std::mutex mutex_;
    QStringList runs_;
};

} // namespace tavrin
