#pragma once

#include "focus/routineentity.h"

#include <QString>
#include <optional>

namespace tavrin {

class Focus;

// The Focus filter: a desktop Focus that the user has given this filter,
// with a routine chosen, names that routine while it is on, and names none
// when it goes off.
struct TavrinFocusFilter {
    // The routine chosen in the Focus's settings; none when none is.
    std::optional<RoutineEntity> routine;

    // "Tavrin"
    static QString title();
    static QString description();
    // The title of the routine parameter: "Routine".
    static QString routineTitle();

    // What the Focus's settings show for the filter: the routine's name, or
    // "Choose a routine"; under it "Tavrin Focus routine".
    QString displayTitle() const;
    static QString displaySubtitle();

    // Tells the engine which routine the Focus names (none: none). Never fails.
    void perform(Focus& focus) const;
};

} // namespace tavrin
