#pragma once

#include "app/intents/intentresult.h"
#include "app/routinecontrol.h"
#include "focus/routineentity.h"

#include <optional>

namespace tavrin {

// "Start Focus": starts a routine (none: the first enabled one, else the
// first) for a number of minutes and says what it did.
struct StartFocusIntent {
    static constexpr int kDefaultMinutes = 60;
    static constexpr int kMinMinutes = 5;
    static constexpr int kMaxMinutes = 480;

    std::optional<RoutineEntity> routine;
    int minutes = kDefaultMinutes;

    static QString title();
    // "Start " routine " for " minutes " minutes".
    QString parameterSummary() const;
    static bool isValidMinutes(int minutes) { return minutes >= kMinMinutes && minutes <= kMaxMinutes; }
    // `routines` none: there is no Focus routine to start.
    IntentResult perform(RoutineControl* routines) const;

private:
    // Starts the routine; the one running after.
    std::optional<RoutineEntity> startIn(RoutineControl& routines) const;
};

} // namespace tavrin
