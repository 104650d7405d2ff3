#include "focus/routinequery.h"

#include "focus/focus.h"

namespace tavrin {

QList<RoutineEntity> RoutineQuery::entities(const Focus& focus, const QList<QUuid>& ids)
{
    QList<RoutineEntity> out;
    for (const FocusRoutine& r : focus.routines())
        if (ids.contains(r.id))
            out.append(RoutineEntity{r.id, r.name});
    return out;
}

QList<RoutineEntity> RoutineQuery::suggestedEntities(const Focus& focus)
{
    QList<RoutineEntity> out;
    for (const FocusRoutine& r : focus.routines())
        out.append(RoutineEntity{r.id, r.name});
    return out;
}

} // namespace tavrin
