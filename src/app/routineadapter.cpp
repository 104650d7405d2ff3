#include "app/routineadapter.h"

#include "focus/focus.h"
#include "focus/routinequery.h"
#include "focus/tavrinfocusfilter.h"

namespace tavrin {

QList<RoutineEntity> RoutineAdapter::routines() const { return RoutineQuery::suggestedEntities(focus_); }

void RoutineAdapter::start(std::optional<QUuid> routine, int minutes)
{
    std::optional<FocusRoutine> chosen;
    if (routine)
        for (const FocusRoutine& r : focus_.routines())
            if (r.id == *routine) {
                chosen = r;
                break;
            }
    focus_.start(chosen, minutes);
}

std::optional<RoutineEntity> RoutineAdapter::running() const
{
    const auto& running = focus_.running();
    return running ? std::optional(RoutineEntity{running->id, running->name}) : std::nullopt;
}

QStringList RoutineAdapter::hiddenApps() const { return focus_.hiddenApps(); }

void RoutineAdapter::stop() { focus_.stop(); }

void RoutineAdapter::setEnabled(bool on) { focus_.setEnabled(on); }

void RoutineAdapter::setFocusFilter(std::optional<QUuid> routine)
{
    TavrinFocusFilter filter;
    if (routine)
        filter.routine = RoutineEntity{*routine, {}};
    filter.perform(focus_);
}

void RoutineAdapter::start() { focus_.start(); }

} // namespace tavrin
