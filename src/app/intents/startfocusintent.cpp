#include "app/intents/startfocusintent.h"

#include "app/shellhooks.h"

#include <QCoreApplication>

namespace tavrin {

QString StartFocusIntent::title()
{
    return QCoreApplication::translate("StartFocusIntent", "Start Focus");
}

QString StartFocusIntent::parameterSummary() const
{
    return QCoreApplication::translate("StartFocusIntent", "Start %1 for %2 minutes")
        .arg(routine ? routine->name : QCoreApplication::translate("StartFocusIntent", "Routine"),
             QString::number(minutes));
}

IntentResult StartFocusIntent::perform() const
{
    const ShellHooks& hooks = ShellHooks::shared();
    std::optional<QUuid> chosen;
    if (routine && hooks.routines) {
        // A routine deleted since the shortcut was made counts as none.
        for (const RoutineEntity& r : hooks.routines())
            if (r.id == routine->id) {
                chosen = r.id;
                break;
            }
    }
    if (hooks.startRoutine)
        hooks.startRoutine(chosen, minutes);

    const auto running = hooks.runningRoutine ? hooks.runningRoutine() : std::nullopt;
    if (!running)
        return IntentResult::say(
            QCoreApplication::translate("StartFocusIntent", "Make a Focus routine in Tavrin's Settings first."));
    const QStringList hidden = hooks.focusHiddenApps ? hooks.focusHiddenApps() : QStringList();
    QString dialog = QCoreApplication::translate("StartFocusIntent", "%1 is on for %2 minutes.")
                         .arg(running->name, QString::number(minutes));
    if (!hidden.isEmpty())
        dialog += QCoreApplication::translate("StartFocusIntent", " Hid %1.").arg(hidden.join(QStringLiteral(", ")));
    return IntentResult::say(dialog);
}

} // namespace tavrin
