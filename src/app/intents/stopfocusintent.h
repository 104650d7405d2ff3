#pragma once

#include "app/intents/intentresult.h"
#include "app/routinecontrol.h"

#include <QString>

namespace tavrin {

// "Stop Focus": the user's own stop of the running routine.
struct StopFocusIntent {
    static QString title();
    IntentResult perform(RoutineControl* routines) const;
};

} // namespace tavrin
