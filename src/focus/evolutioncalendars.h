#pragma once

#include "focus/calendar/icsevent.h"
#include "platform/calendarstore.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QList>
#include <QString>

namespace tavrin {

// The desktop's calendars on Linux, as Evolution Data Server keeps the local
// ones: one iCalendar file per calendar, "<source>/calendar.ics" under
// $XDG_DATA_HOME/evolution/calendar, titled and coloured by
// "<source>.source" under $XDG_CONFIG_HOME/evolution/sources (the built-in
// "Personal" calendar lives in "system" and has no such file). The files are
// read with the calendar-link reader and its recurrence expansion (timed
// events only: all-day events never start a routine) and watched, so that a
// change is announced. Reading needs no permission: access counts as full.
// Main thread.
class EvolutionCalendars : public CalendarStore {
    Q_OBJECT
public:
    struct Folders {
        QString calendars; // …/evolution/calendar
        QString sources;   // …/evolution/sources
    };
    // This user's folders, from $XDG_DATA_HOME and $XDG_CONFIG_HOME (else
    // ~/.local/share and ~/.config).
    static Folders ofThisUser();

    explicit EvolutionCalendars(Folders folders, QObject* parent = nullptr);

    CalendarAccess access() const override { return CalendarAccess::fullAccess; }
    void requestFullAccess(std::function<void()> answered) override;
    QList<CalendarInfo> calendars() const override;
    QList<CalendarEvent> events(const QStringList& calendarIds, double from, double to) const override;

    // The source id of the built-in calendar, and its title.
    static inline const QString kSystemSource = QStringLiteral("system-calendar");
    static inline const QString kSystemTitle = QStringLiteral("Personal");
    static inline const QString kLocalAccount = QStringLiteral("On This Computer");

private:
    struct Calendar {
        CalendarInfo info;
        QString file;
        QDateTime modified;
        qint64 size = -1;
        mutable bool parsed = false;
        mutable QList<ICSEvent> events;
    };

    // Finds the calendars again and watches them; a file that changed is
    // read again when next asked for.
    void scan();
    void changedOnDisk();
    CalendarInfo describe(const QString& folder) const;
    // The [section] key of a .source file; empty when missing.
    QString sourceValue(const QString& source, const QString& section, const QString& key) const;
    const QList<ICSEvent>& eventsOf(const Calendar& calendar) const;

    Folders folders_;
    QFileSystemWatcher watcher_;
    QList<Calendar> calendars_;
    bool rescanQueued_ = false;
};

} // namespace tavrin
