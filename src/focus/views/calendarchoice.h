#pragma once

#include "platform/calendarstore.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

class Defaults;

// Which calendars and calendar links routines look at, as plain values:
// the chosen calendar ids ("focus.calendars": empty means every calendar)
// and the links ("focus.links"), read from and written to the defaults.
class CalendarChoice {
public:
    // The ids stored in `defaults` (none when missing, or without settings).
    static QStringList chosen(const Defaults* defaults);
    static void setChosen(Defaults* defaults, const QStringList& ids);

    // What "Calendars: " is followed by: "none yet" or "calendar links
    // only" without calendars; else the first three calendars in use (all,
    // marked "all · ", when none is chosen) as "title (account)", and
    // " + " the number of the others.
    static QString summary(const QList<CalendarInfo>& calendars, const QStringList& chosen, const QStringList& links);
    // Whether a calendar's toggle shows on.
    static bool isOn(const QStringList& chosen, const QString& id);
    // What to store when the user switches calendar `id` on or off: an
    // empty list once every calendar there is is in use (ids of calendars
    // that are gone do not count), else the chosen ids.
    static QStringList toggled(const QList<CalendarInfo>& calendars, const QStringList& chosen, const QString& id,
                               bool on);

    // The links with `link` added, trimmed, at the end; none when it is
    // blank or already there.
    static std::optional<QStringList> added(const QStringList& links, const QString& link);
    // The links without any entry equal to `link`.
    static QStringList removed(QStringList links, const QString& link);
    // How a link's row names it: its host, else the whole text.
    static QString shownName(const QString& link);
    // Whether "Add" is offered for the typed text (spaces and tabs do not count).
    static bool canAdd(const QString& typed);
};

} // namespace tavrin
