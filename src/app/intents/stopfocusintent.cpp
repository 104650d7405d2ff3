#include "app/intents/stopfocusintent.h"

#include "app/shellhooks.h"

#include <QCoreApplication>

namespace tavrin {

QString StopFocusIntent::title()
{
    return QCoreApplication::translate("StopFocusIntent", "Stop Focus");
}

IntentResult StopFocusIntent::perform() const
{
    if (const auto& stop = ShellHooks::shared().stopRoutine)
        stop();
    return IntentResult::nothing();
}

} // namespace tavrin
