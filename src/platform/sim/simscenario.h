#pragma once

#include "platform/sim/simstate.h"

#include <QByteArray>
#include <QString>

namespace tavrin {

class SimDesktop;

// A scenario file: a simulated desktop written as JSON (the format is
// described in scenarios/README.md). Reading one never throws: a file that
// cannot be read or understood gives one line naming the file and the
// problem, such as "scenarios/x.json: windows[3].frame: expected
// [x, y, width, height]".
class SimScenario {
public:
    static SimScenario fromFile(const QString& path);
    // `name` stands for the file in messages.
    static SimScenario fromJson(const QByteArray& json, const QString& name);

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    const SimState& state() const { return state_; }

    // Replaces the desktop's state with this scenario's; false (and the
    // desktop untouched) when the scenario has an error.
    bool applyTo(SimDesktop& desktop) const;

private:
    SimState state_;
    QString error_;
};

} // namespace tavrin
