#pragma once

#include "focus/focusroutine.h"
#include "focus/views/binding.h"

#include <QList>
#include <QStringList>
#include <QWidget>

namespace tavrin {

class DayToggle;
class TimeField;

// The editor of one weekly window: seven day toggles (1 Sunday … 7
// Saturday, shown by `letters`) and its "From" and "to" times. Any set of
// days is taken, none included, and an end before the start (a window past
// midnight) is taken as it is.
class ScheduleEditor : public QWidget {
    Q_OBJECT
public:
    ScheduleEditor(Binding<FocusRoutine::Schedule> schedule, const QStringList& letters, QWidget* parent = nullptr);

    // Shows the window as it is now.
    void refresh();
    // The toggle of `day` (1 … 7).
    DayToggle* day(int day) const { return days_.value(day - 1); }
    TimeField* from() const { return from_; }
    TimeField* to() const { return to_; }

    // A press on a day: out when it was in, in otherwise.
    static void toggle(QSet<int>& days, int day);

private:
    Binding<FocusRoutine::Schedule> schedule_;
    QList<DayToggle*> days_;
    TimeField* from_;
    TimeField* to_;
};

} // namespace tavrin
