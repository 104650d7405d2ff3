#pragma once

#include "focus/calendarlinks.h"
#include "focus/focusroutine.h"
#include "focus/routineactions.h"
#include "platform/calendarstore.h"
#include "platform/timer.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimeZone>
#include <QUuid>
#include <optional>
#include <utility>

namespace tavrin {

class Defaults;
class MeetingMode;
class Processes;
class ShareSafe;
class WindowManager;
class WorkspaceRunner;
struct Platform;

// The Focus routines engine: owns the routine list ("focus.routines") and
// the master switch ("mode.focus"), and runs at most one routine at a time.
//
// Its one decision step, evaluate(), looks at every trigger, in this order:
// a start by hand, the desktop's Focus naming a routine (both only while the
// routine exists), and, while the switch is on and no stop is being
// remembered, for each switched-on routine in list order: words in the title
// of a calendar event happening now, its weekly windows, its applications
// being open. It ends the routine that runs when another (or none) is picked
// and runs the picked one. It runs every 30 s, on every change of the
// calendars, after a fetch of the calendar links, and after every operation
// that changes a trigger; edits of the routine list take effect at the next
// evaluation. Main thread.
class Focus : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
public:
    static constexpr double kEvaluateInterval = 30.0;
    // A start by hand lasts at least this long.
    static constexpr int kMinManualMinutes = 5;
    // The calendars are searched this far back and ahead of now.
    static constexpr double kEventLookBack = 43200.0;
    static constexpr double kEventLookAhead = 60.0;
    // The Shortcuts tool is given this long to list or run.
    static constexpr double kShortcutsTimeLimit = 10.0;

    static inline const QString kSwitchKey = QStringLiteral("mode.focus");
    static inline const QString kOlderSwitchKey = QStringLiteral("mode.deepWork");
    static inline const QString kCalendarsKey = QStringLiteral("focus.calendars");
    // The calendar ids stored under kCalendarsKey in `defaults`; empty means
    // every calendar (and so does no settings).
    static QStringList chosenCalendars(const Defaults* defaults);

    // Why the running routine runs: a calendar event or a schedule window
    // (until its end), a start by hand (until it expires), the desktop's
    // Focus, or open applications.
    struct Source {
        enum class Kind { calendar, manual, macFocus, app };
        Kind kind = Kind::manual;
        std::optional<double> until; // for calendar and manual

        static Source calendar(double until) { return {Kind::calendar, until}; }
        static Source manual(double until) { return {Kind::manual, until}; }
        static Source macFocus() { return {Kind::macFocus, std::nullopt}; }
        static Source app() { return {Kind::app, std::nullopt}; }
        friend bool operator==(const Source&, const Source&) = default;
    };

    // A calendar event happening now.
    struct Now {
        QString title;
        double end = 0;
        friend bool operator==(const Now&, const Now&) = default;
    };

    // Reads the switch ("mode.focus", else the older "mode.deepWork", else
    // off) and the routines; starts nothing. Schedules are read in `zone`
    // (none: the system's zone at each evaluation). Works with the services
    // of `platform` (settings, calendars, applications, clock, helper
    // programs). `meeting`, `shareSafe`, `windows` (which applies routines'
    // layouts), `runner` (which opens their workspaces) and `platform` must
    // outlive the engine. The program makes one, at start.
    Focus(MeetingMode& meeting, ShareSafe& shareSafe, WindowManager& windows, WorkspaceRunner& runner,
          const Platform& platform, std::optional<QTimeZone> zone = std::nullopt, QObject* parent = nullptr);
    ~Focus() override;

    // The switch stored in `defaults`: "mode.focus" when it is set, else
    // "mode.deepWork"; off without settings.
    static bool storedSwitch(const Defaults* defaults);
    // The services the engine works with; the views made for it read them
    // here.
    const Platform& platform() const { return platform_; }

    bool enabled() const { return enabled_; }
    // Stores the switch (also when it does not change); on asks for calendar
    // access, off is a stop; then evaluates.
    void setEnabled(bool on);
    const QList<FocusRoutine>& routines() const { return routines_; }
    // Replaces the list and stores it; takes effect at the next evaluation.
    void setRoutines(const QList<FocusRoutine>& routines);
    // The running routine as it was when it started.
    const std::optional<FocusRoutine>& running() const { return running_; }
    const std::optional<Source>& source() const { return source_; }
    // When the running routine's trigger ends, where that is known.
    std::optional<double> until() const { return until_; }
    const QStringList& hiddenApps() const { return actions_.hiddenApps(); }
    CalendarAccess calendarStatus() const { return calendarStatus_; }
    const QHash<QString, QString>& linkErrors() const { return links_.errors(); }
    // The routine the desktop's Focus names, a start by hand, the stops
    // being remembered.
    std::optional<QUuid> macFocusRoutine() const { return macFocusRoutine_; }
    std::optional<std::pair<QUuid, double>> manual() const { return manual_; }
    std::optional<double> skipUntil() const { return skipUntil_; }
    std::optional<QUuid> skipWhileApp() const { return skipWhileApp_; }
    const RoutineActions& actions() const { return actions_; }
    const CalendarLinks& links() const { return links_; }

    // Starts the 30-second evaluations and the watch on the calendars, and
    // evaluates; a second call does nothing.
    void start();
    bool isStarted() const { return timer_ != nullptr; }
    // The reconcile step.
    void evaluate();
    // Stores the routine list (setting aside first a stored value that did
    // not read completely) and refreshes what the intents offer.
    void saveRoutines();
    // Asks for full access to the calendars unless it is granted; when the
    // answer comes, reads the status again and evaluates.
    void requestCalendarAccess();
    // The user's stop: ends the running routine, forgets a start by hand and
    // the desktop's Focus, and remembers the trigger it ran from (a calendar
    // event or window until its end, open applications until they close).
    // Does not evaluate.
    void stop();
    // Starts `routine` by hand (none: the first switched-on routine, else
    // the first) for at least kMinManualMinutes, whatever the switches say;
    // nothing with no routines.
    void start(const std::optional<FocusRoutine>& routine, int minutes);
    // The desktop's Focus names this routine (none: no routine). A named
    // routine becomes one that the desktop's Focus starts. Evaluates.
    void setMacFocus(const std::optional<QUuid>& id);

    // Runs a routine's actions (the last one has ended).
    void run(const FocusRoutine& routine, const Source& source);
    // Undoes the running routine's actions; harmless when nothing runs.
    void end();
    void hideIfListed(const RunningApp& app) { actions_.hideIfListed(app); }
    void hideAfterLaunch(const std::optional<RunningApp>& app) { actions_.hideAfterLaunch(app); }

    // The calendar events happening now: the calendars' (only with full
    // access; the chosen ones, "focus.calendars", or all when none are
    // chosen), then the calendar links', one entry per link event.
    QList<Now> currentEvents() const;
    void refreshLinksIfDue();
    // Stores the links, tells observers, and evaluates (which fetches them).
    void setLinks(const QStringList& links);
    // Fetches the links and takes what they bring, then evaluates. The
    // engine must outlive the fetch.
    QCoro::Task<> fetchLinks(QStringList links);

    // The Shortcuts tool: this program run as `tavrin shortcuts …`.
    static QString shortcutsTool();
    // Runs it with the helper programs of `platform`, away from the main
    // thread; nothing for an empty name.
    static void runShortcutInBackground(const Platform& platform, const QString& name);
    // The user's shortcuts, sorted, listed with `processes`; empty when the
    // tool cannot list them. Blocks: never on the main thread.
    static QStringList shortcutNames(Processes* processes);
    // The names in a listing: one a line, empty lines dropped, sorted.
    static QStringList shortcutList(const QByteArray& listing);

signals:
    void enabledChanged(bool on);
    void routinesChanged();
    void runningChanged();
    void hiddenAppsChanged(const QStringList& names);
    void calendarStatusChanged();
    void linkErrorsChanged();
    // Something views show of the engine changed (the links).
    void changed();

private:
    struct Pick {
        const FocusRoutine* routine = nullptr;
        Source source;
        std::optional<double> end;
    };
    std::optional<Pick> pick(double now);
    std::optional<Pick> automaticPick(double now);
    // The routine's trigger among the automatic ones, if any.
    std::optional<Pick> triggerOf(const FocusRoutine& routine, const QList<Now>& events, const QStringList& lowerTitles,
                                  const QSet<QString>& running, double now, const WallClock& clock);
    const FocusRoutine* routine(const QUuid& id) const;
    QList<Now> currentEvents(double now) const;
    double now() const;

    const Platform& platform_;
    std::optional<QTimeZone> zone_;
    bool enabled_ = false;
    QList<FocusRoutine> routines_;
    std::optional<QVariant> unreadable_; // the stored routines, when they did not read completely
    std::optional<FocusRoutine> running_;
    std::optional<double> until_;
    std::optional<Source> source_;
    CalendarAccess calendarStatus_ = CalendarAccess::notDetermined;
    std::optional<QUuid> macFocusRoutine_;
    std::optional<std::pair<QUuid, double>> manual_;
    std::optional<double> skipUntil_;
    std::optional<QUuid> skipWhileApp_;
    QPointer<Timer> timer_;
    RoutineActions actions_;
    CalendarLinks links_;
};

} // namespace tavrin
