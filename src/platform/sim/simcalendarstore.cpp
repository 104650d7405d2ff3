#include "platform/sim/simcalendarstore.h"

#include "platform/sim/simdesktop.h"

namespace tavrin {

SimCalendarStore::SimCalendarStore(SimDesktop& desktop) : desktop_(desktop) {}

CalendarAccess SimCalendarStore::access() const { return desktop_.calendarAccess(); }

void SimCalendarStore::requestFullAccess(std::function<void()> answered)
{
    ++requests_;
    desktop_.post([this, answered = std::move(answered)] {
        if (desktop_.calendarAccess() == CalendarAccess::notDetermined)
            desktop_.setCalendarAccess(CalendarAccess::fullAccess);
        if (answered)
            answered();
    });
}

QList<CalendarInfo> SimCalendarStore::calendars() const
{
    QList<CalendarInfo> out;
    if (access() != CalendarAccess::fullAccess)
        return out;
    auto guard = desktop_.lock();
    for (const SimCalendar& c : desktop_.calendars())
        out.append(c.info);
    return out;
}

QList<CalendarEvent> SimCalendarStore::events(const QStringList& calendarIds, double from, double to) const
{
    QList<CalendarEvent> out;
    if (access() != CalendarAccess::fullAccess)
        return out;
    auto guard = desktop_.lock();
    for (const SimCalendar& c : desktop_.calendars()) {
        if (!calendarIds.contains(c.info.id))
            continue;
        for (const CalendarEvent& e : c.events)
            if (e.start <= to && e.end >= from)
                out.append(e);
    }
    return out;
}

} // namespace tavrin
