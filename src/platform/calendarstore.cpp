#include "platform/calendarstore.h"

#include <array>
#include <utility>

namespace tavrin {

namespace {
constexpr std::array<std::pair<CalendarAccess, const char*>, 5> kNames{{
    {CalendarAccess::notDetermined, "notDetermined"},
    {CalendarAccess::restricted, "restricted"},
    {CalendarAccess::denied, "denied"},
    {CalendarAccess::fullAccess, "fullAccess"},
    {CalendarAccess::writeOnly, "writeOnly"},
}};
} // namespace

QString name(CalendarAccess access)
{
    for (const auto& [value, text] : kNames)
        if (value == access)
            return QString::fromLatin1(text);
    return {};
}

std::optional<CalendarAccess> calendarAccessFromName(const QString& name)
{
    for (const auto& [value, text] : kNames)
        if (name == QLatin1String(text))
            return value;
    return std::nullopt;
}

} // namespace tavrin
