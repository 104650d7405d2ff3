#pragma once

#include "platform/calendarstore.h"

namespace tavrin {

class SimDesktop;

// The simulated desktop's calendars: those of its state, with the access
// the state gives. Asking for access while it is not determined grants full
// access; the answer comes on the clock (zero delay). Every change of the
// desktop's calendars or access is announced as `changed`.
class SimCalendarStore : public CalendarStore {
    Q_OBJECT
public:
    explicit SimCalendarStore(SimDesktop& desktop);

    CalendarAccess access() const override;
    void requestFullAccess(std::function<void()> answered) override;
    QList<CalendarInfo> calendars() const override;
    QList<CalendarEvent> events(const QStringList& calendarIds, double from, double to) const override;

    // Times access was asked for.
    int requests() const { return requests_; }

private:
    SimDesktop& desktop_;
    int requests_ = 0;
};

} // namespace tavrin
