#pragma once

#include "focus/routineentity.h"

#include <QList>
#include <QStringList>
#include <QUuid>
#include <optional>

namespace tavrin {

// Focus routines as the shell sees them: the intents, the Focus filter and
// the routines switch.
class RoutineControl {
public:
    virtual ~RoutineControl() = default;
    // The routines, in their stored order.
    virtual QList<RoutineEntity> routines() const = 0;
    // Starts a routine (none: the first enabled one, else the first) for
    // at least five minutes.
    virtual void start(std::optional<QUuid> routine, int minutes) = 0;
    // The routine now running.
    virtual std::optional<RoutineEntity> running() const = 0;
    // The applications the running routine hid.
    virtual QStringList hiddenApps() const = 0;
    // The user's stop of the running routine.
    virtual void stop() = 0;
    // Switches Focus routines as a whole on or off (stored as "mode.focus").
    virtual void setEnabled(bool on) = 0;
    // The desktop's Focus now names this routine (none: no routine).
    virtual void setFocusFilter(std::optional<QUuid> routine) = 0;
};

} // namespace tavrin
