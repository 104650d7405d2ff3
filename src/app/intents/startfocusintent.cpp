#include "app/intents/startfocusintent.h"

#include <QCoreApplication>

namespace tavrin {

QString StartFocusIntent::title() { return QCoreApplication::translate("StartFocusIntent", "Start Focus"); }

QString StartFocusIntent::parameterSummary() const
{
    return QCoreApplication::translate("StartFocusIntent", "Start %1 for %2 minutes")
        .arg(routine ? routine->name : QCoreApplication::translate("StartFocusIntent", "Routine"),
             QString::number(minutes));
}

std::optional<RoutineEntity> StartFocusIntent::startIn(RoutineControl& routines) const
{
    std::optional<QUuid> chosen;
    if (routine) {
        // A routine deleted since the shortcut was made counts as none.
        for (const RoutineEntity& r : routines.routines())
            if (r.id == routine->id) {
                chosen = r.id;
                break;
            }
    }
    routines.start(chosen, minutes);
    return routines.running();
}

IntentResult StartFocusIntent::perform(RoutineControl* routines) const
{
    const auto running = routines ? startIn(*routines) : std::nullopt;
    if (!running)
        return IntentResult::say(
            QCoreApplication::translate("StartFocusIntent", "Make a Focus routine in Tavrin's Settings first."));
    const QStringList hidden = routines->hiddenApps();
    QString dialog = QCoreApplication::translate("StartFocusIntent", "%1 is on for %2 minutes.")
                         .arg(running->name, QString::number(minutes));
    if (!hidden.isEmpty())
        dialog += QCoreApplication::translate("StartFocusIntent", " Hid %1.").arg(hidden.join(QStringLiteral(", ")));
    return IntentResult::say(dialog);
}

} // namespace tavrin
