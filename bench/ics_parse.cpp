// Reading a large calendar link and finding its occurrences in the next 30
// days: a feed of 5,000 events, 1,000 of them repeating (with exclusions),
// 250 of the others overriding or cancelling one of their occurrences.
#include "focus/ics.h"

#include <QDate>
#include <QStringList>
#include <QTimeZone>
#include <benchmark/benchmark.h>

using namespace tavrin;

namespace {
constexpr int kEvents = 5000;
constexpr int kRepeating = kEvents / 5;
constexpr int kOverrides = 250;
constexpr double kWindowStart = 733017600; // 2024-03-24T00:00:00Z in seconds since 2001
constexpr double kWindow = 30 * 86400.0;

const char* const kZones[] = {"Europe/Berlin", "America/New_York", "W. Europe Standard Time", "Asia/Tokyo"};
const char* const kRules[] = {
    "FREQ=WEEKLY;BYDAY=MO,WE,FR",
    "FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR",
    "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU",
    "FREQ=MONTHLY;BYDAY=2TU",
    "FREQ=MONTHLY;BYMONTHDAY=15,-1",
    "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1",
    "FREQ=YEARLY;BYMONTH=4;BYDAY=1MO",
    "FREQ=WEEKLY;COUNT=60",
    "FREQ=DAILY;UNTIL=20240630T000000Z",
    "FREQ=WEEKLY;BYDAY=TH;UNTIL=20241231",
};

QString stamp(QDate day, int hour, int minute)
{
    return day.toString(QStringLiteral("yyyyMMdd"))
        + QStringLiteral("T%1%2").arg(hour, 2, 10, QChar(u'0')).arg(minute, 2, 10, QChar(u'0')) + QStringLiteral("00");
}

QString generateFeed()
{
    QStringList lines{"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Bench//Feed//EN"};
    const QDate first(2023, 6, 1);
    for (int i = 0; i < kEvents - kOverrides; ++i) {
        const bool repeating = i < kRepeating;
        const QString zone = QString::fromLatin1(kZones[i % 4]);
        const QDate day = repeating ? first.addDays(i % 300) : first.addDays(i % 700);
        const int hour = 8 + i % 10;
        lines << "BEGIN:VEVENT" << QStringLiteral("UID:event-%1@bench").arg(i)
              << "DTSTAMP:20240101T000000Z"
              << QStringLiteral("DTSTART;TZID=\"%1\":%2").arg(zone, stamp(day, hour, 0))
              << QStringLiteral("DTEND;TZID=\"%1\":%2").arg(zone, stamp(day, hour, 45))
              << QStringLiteral("SUMMARY:Meeting %1\\, room %2").arg(i).arg(i % 40)
              << "DESCRIPTION:A description long enough to be folded by the server that writes the\r\n"
                 "  feed\\, as most servers fold lines at 75 octets."
              << "STATUS:CONFIRMED";
        if (repeating) {
            lines << QStringLiteral("RRULE:") + QString::fromLatin1(kRules[i % 10]);
            lines << QStringLiteral("EXDATE;TZID=\"%1\":%2,%3")
                         .arg(zone, stamp(day.addDays(14), hour, 0), stamp(day.addDays(28), hour, 0));
        }
        if (i % 3 == 0)
            lines << "BEGIN:VALARM" << "ACTION:DISPLAY" << "TRIGGER:-PT10M" << QStringLiteral("UID:alarm-%1").arg(i)
                  << "END:VALARM";
        lines << "END:VEVENT";
    }
    for (int i = 0; i < kOverrides; ++i) {
        const int master = i * 4; // a repeating event; half of these cancel the occurrence
        const QString zone = QString::fromLatin1(kZones[master % 4]);
        const QDate day = first.addDays(master % 300 + 7);
        const int hour = 8 + master % 10;
        lines << "BEGIN:VEVENT" << QStringLiteral("UID:event-%1@bench").arg(master)
              << QStringLiteral("RECURRENCE-ID;TZID=\"%1\":%2").arg(zone, stamp(day, hour, 0))
              << QStringLiteral("DTSTART;TZID=\"%1\":%2").arg(zone, stamp(day, hour + 1, 0))
              << QStringLiteral("DTEND;TZID=\"%1\":%2").arg(zone, stamp(day, hour + 2, 0))
              << QStringLiteral("SUMMARY:Moved meeting %1").arg(master);
        if (i % 2)
            lines << "STATUS:CANCELLED";
        lines << "END:VEVENT";
    }
    lines << "END:VCALENDAR";
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

const QString& feed()
{
    static const QString text = generateFeed();
    return text;
}

qsizetype expandAll(const QList<ICSEvent>& events)
{
    qsizetype total = 0;
    for (const ICSEvent& e : events)
        total += e.occurrences(kWindowStart, kWindowStart + kWindow).size();
    return total;
}

void BM_ParseAndExpand30Days(benchmark::State& state)
{
    const QTimeZone local("Europe/Berlin");
    qsizetype occurrences = 0;
    for (auto _ : state) {
        const QList<ICSEvent> events = ICS::parse(feed(), local);
        occurrences = expandAll(events);
        benchmark::DoNotOptimize(occurrences);
    }
    state.counters["occurrences"] = double(occurrences);
}
BENCHMARK(BM_ParseAndExpand30Days)->Unit(benchmark::kMillisecond);

void BM_Parse(benchmark::State& state)
{
    const QTimeZone local("Europe/Berlin");
    qsizetype records = 0;
    for (auto _ : state) {
        const QList<ICSEvent> events = ICS::parse(feed(), local);
        records = events.size();
        benchmark::DoNotOptimize(records);
    }
    state.counters["records"] = double(records);
    state.counters["bytes"] = double(feed().size());
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);

void BM_Expand30Days(benchmark::State& state)
{
    const QList<ICSEvent> events = ICS::parse(feed(), QTimeZone("Europe/Berlin"));
    for (auto _ : state)
        benchmark::DoNotOptimize(expandAll(events));
}
BENCHMARK(BM_Expand30Days)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
