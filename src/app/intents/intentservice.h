#pragma once

#include "focus/routineentity.h"
#include "platform/taskhandle.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace tavrin {

class AppState;

// The intents on the session bus: one method per intent, each answering
// with the intent's dialog (empty when it has nothing to show), the
// workspace and routine queries, and the "Changed" signal that tells clients
// the values the shortcut phrases can take have changed. Wrong arguments are
// answered with the error kInvalidArgument and a sentence for the user; what
// an intent that ran has to say (a workspace or routine it doesn't know
// included) is its dialog, never an error.
class IntentService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.tavrin.Intents")
public:
    static inline const QString kServiceName = QStringLiteral("app.tavrin.Tavrin");
    static inline const QString kObjectPath = QStringLiteral("/app/tavrin/Tavrin");
    static inline const QString kInterface = QStringLiteral("app.tavrin.Intents");
    static inline const QString kInvalidArgument = QStringLiteral("app.tavrin.Intents.Error.InvalidArgument");
    // The most of a caller's argument a message repeats.
    static constexpr qsizetype kMaxEcho = 200;

    explicit IntentService(AppState& state, QObject* parent = nullptr);

    // Puts the object and the service name on the bus; false, with a
    // sentence in `problem`, when the bus is not there or refuses.
    bool publish(QDBusConnection connection, QString* problem = nullptr);

    // "Unknown layout "x": use focusCentre, halves, …"
    static QString unknownLayoutMessage(const QString& layout);
    static QString minutesMessage();
    static QString unknownRoutineMessage(const QString& routine);
    // An argument as a message repeats it: at most kMaxEcho characters, cut
    // with an ellipsis, control and direction characters replaced by U+FFFD.
    // The command line's own error lines repeat arguments the same way.
    static QString echoed(const QString& argument);

public slots:
    Q_SCRIPTABLE QString ApplyLayout(const QString& layout);
    // Answers once the workspace is arranged.
    Q_SCRIPTABLE QString ResumeWorkspace(const QString& workspace);
    Q_SCRIPTABLE QString Ask(const QString& request);
    Q_SCRIPTABLE QString StartFocus(const QString& routine, int minutes);
    Q_SCRIPTABLE QString StopFocus();
    // The Focus filter: the desktop's Focus names this routine (an id or a
    // name; empty: none). Answers with what the filter shows: the routine's
    // name (or "Choose a routine") and, on a second line, "Tavrin Focus
    // routine".
    Q_SCRIPTABLE QString SetFocusFilter(const QString& routine);
    // The saved workspaces' names, newest first: all of them, or those
    // containing `matching` (ignoring case).
    Q_SCRIPTABLE QStringList Workspaces(const QString& matching);
    // The routines' names, in their order.
    Q_SCRIPTABLE QStringList Routines();

signals:
    Q_SCRIPTABLE void Changed();

private:
    // A routine named by a caller: an id (with no name when it names no
    // routine), else a name, exactly or else ignoring case; none for a name
    // of no routine.
    std::optional<RoutineEntity> findRoutine(const QString& text) const;
    // Answers a D-Bus call with a wrong-argument error; returns an empty text.
    QString refuse(const QString& message);

    QPointer<AppState> state_;
    TaskHandle resumes_; // each resume runs to its end
};

} // namespace tavrin
