// Feeds arbitrary text to the calendar-link parser, then expands every event
// over one year, checking what the expansion promises.
#include "focus/calendar/ics.h"

#include <QString>
#include <QTimeZone>
#include <cmath>
#include <cstddef>
#include <cstdint>

using namespace tavrin;

namespace {
constexpr double kYear = 366 * 86400.0;

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void expand(const ICSEvent& event, double from, double to)
{
    for (double start : event.occurrences(from, to)) {
        check(start >= from && start <= to);
        check(!event.isExcluded(start));
    }
}

// Nothing occurs after the end the reader worked out for a count, whatever
// the expansion is asked without it.
void checkCountEnd(const ICSEvent& event)
{
    if (!event.countEnd)
        return;
    ICSEvent walked = event;
    walked.countEnd.reset();
    check(walked.occurrences(*event.countEnd + 1, *event.countEnd + kYear).isEmpty());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the zone that stands for the system's.
    static const QTimeZone zones[] = {QTimeZone("Europe/Berlin"), QTimeZone("America/New_York"), QTimeZone::utc(),
                                      QTimeZone("Australia/Lord_Howe")};
    const QTimeZone& local = zones[data[0] % 4];
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    const double year2024 = 725846400; // 2024-01-01T00:00:00Z in seconds since 2001
    for (const ICSEvent& event : ICS::parse(text, local)) {
        check(std::isfinite(event.duration));
        checkCountEnd(event);
        expand(event, year2024, year2024 + kYear);
        expand(event, event.start, event.start + kYear);
        // The engine asks for the occurrences that cover "now".
        expand(event, year2024 - event.duration, year2024);
    }
    return 0;
}
