#pragma once

#include "focus/routineentity.h"
#include "platform/taskhandle.h"
#include "platform/timer.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace tavrin {

class AppState;
class Clock;
class TavrinShortcuts;
class WindowManager;
class WorkspaceRunner;

// The intents on the session bus: one method per intent, each answering
// with the intent's dialog (empty when it has nothing to show), the
// workspace and routine queries, and the "Changed" signal that tells clients
// the values the shortcut phrases can take have changed. Wrong arguments are
// answered with the error kInvalidArgument and a sentence for the user; a
// workspace or routine it doesn't know, which leaves it nothing to do, with
// kUnknownName and the intent's own sentence; what an intent that ran has to
// say is its dialog, never an error.
class IntentService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.tavrin.Intents")
public:
    static inline const QString kServicePrefix = QStringLiteral("app.tavrin.Tavrin");
    static inline const QString kObjectPath = QStringLiteral("/app/tavrin/Tavrin");
    static inline const QString kInterface = QStringLiteral("app.tavrin.Intents");
    static inline const QString kInvalidArgument = QStringLiteral("app.tavrin.Intents.Error.InvalidArgument");
    // A call that names a workspace or routine there is none of: nothing done.
    static inline const QString kUnknownName = QStringLiteral("app.tavrin.Intents.Error.UnknownName");
    // A call refused because too many came at once.
    static inline const QString kBusy = QStringLiteral("app.tavrin.Intents.Error.Busy");
    // Intents that act (all but Ask and the queries) run at most this many
    // in a second; the rest are refused as busy, so that a flood of calls
    // never holds up the program.
    static constexpr int kMaxActsPerSecond = 20;
    // The most of a caller's argument a message repeats.
    static constexpr qsizetype kMaxEcho = 200;

    // Answers with `state`; arranges with `windows` and `runner`; says
    // "changed" when `shortcuts` refreshes; counts and delays calls on
    // `clock`. All five outlive the service.
    IntentService(AppState& state, WindowManager& windows, WorkspaceRunner& runner, TavrinShortcuts& shortcuts,
                  Clock& clock, QObject* parent = nullptr);

    // The name the intents of the settings at `settingsPath` answer on: a
    // client reaches the Tavrin of the settings it would use itself.
    static QString serviceName(const QString& settingsPath);

    // Puts the object and the service name on the bus; false, with a
    // sentence in `problem`, when the bus is not there or refuses. True
    // with a sentence when another process holds the name: this one takes
    // it when it is free.
    bool publish(QDBusConnection connection, const QString& settingsPath, QString* problem = nullptr);

    // "Unknown layout "x": use focusCentre, halves, …"
    static QString unknownLayoutMessage(const QString& layout);
    static QString minutesMessage();
    // An empty or blank workspace name given to resume.
    static QString noWorkspaceNameMessage();
    static QString unknownRoutineMessage(const QString& routine);
    // An argument as a message repeats it: at most kMaxEcho characters, cut
    // with an ellipsis, control and direction characters replaced by U+FFFD.
    // The command line's own error lines repeat arguments the same way.
    static QString echoed(const QString& argument);
    static QString busyMessage();

public slots:
    Q_SCRIPTABLE QString ApplyLayout(const QString& layout);
    // Answers once the workspace is arranged.
    Q_SCRIPTABLE QString ResumeWorkspace(const QString& workspace);
    // Answers at once. Requests that arrive together make one: the newest
    // replaces those not yet passed on, and goes to the command bar once
    // the calls that came with it are answered, so a burst costs one
    // showing and one plan.
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
    // Answers a D-Bus call with the unknown-name error; returns `message`,
    // the answer of a call from within the program.
    QString unknown(const QString& message);
    // Whether this call of an intent that acts is one too many for this
    // second; it is then answered as busy.
    bool tooMany();

    void passOnAsk();

    QPointer<AppState> state_;
    WindowManager& windows_;
    WorkspaceRunner& runner_;
    Clock& clock_;
    TaskHandle resumes_; // each resume runs to its end
    std::optional<QString> pendingAsk_;
    double actsSecond_ = -1; // the monotonic second the count is of
    int acts_ = 0;
    std::unique_ptr<Timer> askTimer_; // made at the first request
};

} // namespace tavrin
