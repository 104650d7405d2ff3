#include "app/intents/stopfocusintent.h"

#include <QCoreApplication>

namespace tavrin {

QString StopFocusIntent::title() { return QCoreApplication::translate("StopFocusIntent", "Stop Focus"); }

IntentResult StopFocusIntent::perform(RoutineControl* routines) const
{
    if (routines)
        routines->stop();
    return IntentResult::nothing();
}

} // namespace tavrin
