#pragma once

#include "windows/layoutkind.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QUuid>
#include <optional>

namespace tavrin {

class WallClock;

// A Focus routine: a named set of triggers (words of a calendar event's
// title, the desktop's Focus naming it, weekly time windows, applications
// that are open) and of actions carried out while it runs. A plain value;
// the engine owns the one list of them.
//
// Its JSON form is the stored one ("focus.routines"): every key is optional
// on reading (an older "eventWord" is read when "eventWords" is missing), but
// a key present with the wrong type, an id that is not a UUID, a schedule
// without one of its keys or actions without "hideApps", "quitApps" or
// "shareSafe" make the routine unreadable. Ids are written in upper case;
// optional actions that hold nothing are left out.
struct FocusRoutine {
    // A weekly time window: it opens at `start` minutes after local midnight
    // on each of `days` (1 Sunday … 7 Saturday) and closes at `end`; an end
    // not after the start runs past midnight into the next day (equal: a
    // whole day).
    struct Schedule {
        QUuid id = QUuid::createUuid();
        QSet<int> days = weekdays();
        int start = 540;
        int end = 660;

        friend bool operator==(const Schedule&, const Schedule&) = default;

        // Monday to Friday: {2, 3, 4, 5, 6}.
        static QSet<int> weekdays();
        // "weekdays 09:00–11:00": the days, a blank, the start, an en dash
        // and the end, the times in the locale's short style.
        QString summary() const;
        // The end of the window that holds the instant `at` (seconds since
        // 1 January 2001), or none; always after `at`. Ends are the
        // wall-clock times of `clock`'s zone, on days when the clocks change
        // too.
        std::optional<double> activeEnd(double at, const WallClock& clock) const;

        QJsonObject toJson() const;
        static std::optional<Schedule> fromJson(const QJsonValue& value);
    };

    struct Actions {
        QStringList hideApps;
        QStringList quitApps;
        std::optional<LayoutKind> layout;
        std::optional<QString> workspace;
        std::optional<QString> focusOnShortcut;  // run when the routine starts
        std::optional<QString> focusOffShortcut; // run when it ends
        bool shareSafe = false;

        friend bool operator==(const Actions&, const Actions&) = default;

        QJsonObject toJson() const;
        static std::optional<Actions> fromJson(const QJsonValue& value);
    };

    QUuid id = QUuid::createUuid();
    QString name = QStringLiteral("Focus");
    bool enabled = true;
    QStringList eventWords;
    bool macFocus = false;
    QList<Schedule> schedules;
    QStringList whileApps;
    Actions actions;

    friend bool operator==(const FocusRoutine&, const FocusRoutine&) = default;

    // "Deep work": started by the word "Focus" and by the desktop's Focus,
    // hiding those of the usual chat and mail applications that are
    // installed.
    static FocusRoutine deepWork();
    // The applications deepWork() hides when they are installed, in order.
    static const QStringList& distractingApps();

    QJsonObject toJson() const;
    // None when the value is not a readable routine (see above).
    static std::optional<FocusRoutine> fromJson(const QJsonValue& value);
};

// The names of the installed applications, in no particular order.
QStringList installedAppNames();

// A minute of the day (0 to 1439) as the locale's short clock text; empty
// for a number outside the day.
QString timeText(int minuteOfDay);
// A time of day as the locale's short clock text (hours and minutes in the
// C locale, whose short style has seconds).
QString timeText(const QTime& time);

} // namespace tavrin
