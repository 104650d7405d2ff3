#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tavrin {

// Whether this program may read the user's calendars.
enum class CalendarAccess { notDetermined, restricted, denied, fullAccess, writeOnly };

// The status's name ("notDetermined", "fullAccess", …); the reverse gives
// none for a name of no status.
QString name(CalendarAccess access);
std::optional<CalendarAccess> calendarAccessFromName(const QString& name);

// One calendar of the user's.
struct CalendarInfo {
    QString id;
    QString title;
    QColor colour;
    QString accountTitle; // where it is kept ("On This Computer", an account's name)
    friend bool operator==(const CalendarInfo&, const CalendarInfo&) = default;
};

// One occurrence of an event. Instants are seconds since 1 January 2001.
struct CalendarEvent {
    QString title; // empty when the event has none
    double start = 0;
    double end = 0;
    bool allDay = false;
    friend bool operator==(const CalendarEvent&, const CalendarEvent&) = default;
};

// The user's calendars and their events. Main thread only.
class CalendarStore : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual CalendarAccess access() const = 0;
    // Asks for full access to the events, unless the user has answered
    // before. `answered` runs afterwards on the main thread, never inside
    // this call, whatever the answer; read access() then.
    virtual void requestFullAccess(std::function<void()> answered) = 0;
    // The calendars that hold events; empty without full access.
    virtual QList<CalendarInfo> calendars() const = 0;
    // The occurrences of events of these calendars (by id) that overlap the
    // span from `from` to `to`, in no particular order; empty without full
    // access.
    virtual QList<CalendarEvent> events(const QStringList& calendarIds, double from, double to) const = 0;

signals:
    // The calendars or their events changed.
    void changed();
};

} // namespace tavrin
