#pragma once

#include "app/intents/routineentity.h"

#include <QList>
#include <QStringList>
#include <QUuid>
#include <optional>

namespace tavrin {

// Focus routines as the intents see them.
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
};

} // namespace tavrin
