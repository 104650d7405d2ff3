#include "focus/views/calendarchoice.h"

#include "focus/focus.h"
#include "platform/defaults.h"

#include <QSet>
#include <QUrl>

namespace tavrin {

QStringList CalendarChoice::chosen(const Defaults* defaults) { return Focus::chosenCalendars(defaults); }

void CalendarChoice::setChosen(Defaults* defaults, const QStringList& ids)
{
    if (defaults)
        defaults->setValue(Focus::kCalendarsKey, ids);
}

QString CalendarChoice::summary(const QList<CalendarInfo>& calendars, const QStringList& chosen,
                                const QStringList& links)
{
    if (calendars.isEmpty())
        return links.isEmpty() ? QStringLiteral("none yet") : QStringLiteral("calendar links only");
    const QSet<QString> ids(chosen.begin(), chosen.end());
    QList<CalendarInfo> shown;
    for (const CalendarInfo& calendar : calendars)
        if (ids.isEmpty() || ids.contains(calendar.id))
            shown << calendar;
    QStringList names;
    for (const CalendarInfo& calendar : shown.mid(0, 3))
        names << calendar.title + QStringLiteral(" (") + calendar.accountTitle + QLatin1Char(')');
    QString text = (ids.isEmpty() ? QStringLiteral("all · ") : QString()) + names.join(QStringLiteral(", "));
    if (shown.size() >= 4)
        text += QStringLiteral(" + ") + QString::number(shown.size() - 3);
    return text;
}

bool CalendarChoice::isOn(const QStringList& chosen, const QString& id)
{
    return chosen.isEmpty() || chosen.contains(id);
}

QStringList CalendarChoice::toggled(const QList<CalendarInfo>& calendars, const QStringList& chosen, const QString& id,
                                    bool on)
{
    QStringList ids = chosen;
    // While every calendar is in use, switching one off leaves the others on.
    if (ids.isEmpty())
        for (const CalendarInfo& calendar : calendars)
            ids << calendar.id;
    if (on) {
        if (!ids.contains(id))
            ids << id;
    } else {
        ids.removeAll(id);
    }
    const bool everyCalendar = std::all_of(calendars.begin(), calendars.end(),
                                           [&](const CalendarInfo& calendar) { return ids.contains(calendar.id); });
    return everyCalendar ? QStringList() : ids;
}

std::optional<QStringList> CalendarChoice::added(const QStringList& links, const QString& link)
{
    const QString trimmed = link.trimmed();
    if (trimmed.isEmpty() || links.contains(trimmed))
        return std::nullopt;
    return links + QStringList{trimmed};
}

QStringList CalendarChoice::removed(QStringList links, const QString& link)
{
    links.removeAll(link);
    return links;
}

QString CalendarChoice::shownName(const QString& link)
{
    const QUrl url(link, QUrl::StrictMode);
    const QString host = url.isValid() ? url.host(QUrl::FullyEncoded) : QString();
    return host.isEmpty() ? link : host;
}

bool CalendarChoice::canAdd(const QString& typed)
{
    for (const QChar c : typed)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return true;
    return false;
}

} // namespace tavrin
