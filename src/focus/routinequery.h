#pragma once

#include "focus/routineentity.h"

#include <QList>
#include <QUuid>

namespace tavrin {

class Focus;

// The routines the intents and the Focus filter can name, read from the
// engine's list at the moment of asking. Main thread.
class RoutineQuery {
public:
    // The routines whose id is among `ids`, in the order of the routine list
    // (not of the ids); ids of no routine are left out, and a repeated id
    // gives its routine once.
    static QList<RoutineEntity> entities(const Focus& focus, const QList<QUuid>& ids);
    // Every routine, switched on or off, in list order.
    static QList<RoutineEntity> suggestedEntities(const Focus& focus);
};

} // namespace tavrin
