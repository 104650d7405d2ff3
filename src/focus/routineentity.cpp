#include "focus/routineentity.h"

namespace tavrin {

QString RoutineEntity::typeDisplayName() { return QStringLiteral("Focus routine"); }

} // namespace tavrin
