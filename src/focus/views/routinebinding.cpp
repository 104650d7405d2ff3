#include "focus/views/routinebinding.h"

#include "focus/focus.h"

#include <algorithm>

namespace tavrin {

std::optional<FocusRoutine> RoutineBinding::get() const
{
    const QList<FocusRoutine>& routines = focus_->routines();
    const auto it = std::find_if(routines.begin(), routines.end(), [&](const FocusRoutine& r) { return r.id == id_; });
    if (it == routines.end())
        return std::nullopt;
    return *it;
}

void RoutineBinding::update(const std::function<void(FocusRoutine&)>& change) const
{
    QList<FocusRoutine> routines = focus_->routines();
    const auto it = std::find_if(routines.begin(), routines.end(), [&](const FocusRoutine& r) { return r.id == id_; });
    if (it == routines.end())
        return;
    const FocusRoutine before = *it;
    change(*it);
    if (*it != before)
        focus_->setRoutines(routines);
}

} // namespace tavrin
