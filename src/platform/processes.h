#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

// Short-lived helper programs (process listings, open-file listings, the
// Shortcuts tool). May be called from any thread; a call blocks until the
// program has ended.
class Processes {
public:
    virtual ~Processes() = default;

    // Runs `program` (a path) with `arguments`, its standard error discarded,
    // and answers what it wrote to its standard output. None when it cannot
    // be started, or when it has not ended within `timeLimit` seconds: it is
    // then killed.
    virtual std::optional<QByteArray> run(const QString& program, const QStringList& arguments, double timeLimit) = 0;
    // Runs `program` with `arguments`, everything it writes sent to the null
    // device, so that its output can never hold it up. True when it ended
    // within `timeLimit` seconds (whatever its exit status); false when it
    // cannot be started, or when it is still running at the limit: it is
    // then killed.
    virtual bool runWithoutOutput(const QString& program, const QStringList& arguments, double timeLimit) = 0;
};

} // namespace tavrin
