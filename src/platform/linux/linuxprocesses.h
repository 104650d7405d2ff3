#pragma once

#include "platform/processes.h"

namespace tavrin {

// Helper programs run for real. A program named by a path that does not
// exist here is looked up by its file name on the PATH ("/usr/sbin/lsof" is
// /usr/bin/lsof on many systems). A program still running at the time limit
// is killed, so that one that hangs (lsof on a stale network mount) holds
// nobody up.
class LinuxProcesses : public Processes {
public:
    std::optional<QByteArray> run(const QString& program, const QStringList& arguments, double timeLimit) override;
    bool runWithoutOutput(const QString& program, const QStringList& arguments, double timeLimit) override;

    // Where `program` is found: the path itself when it is an executable
    // file, else its file name on the PATH; empty when neither.
    static QString locate(const QString& program);
};

} // namespace tavrin
