// Reading a large calendar link and finding its occurrences in the next 30
// days: a feed of 5,000 events, 1,000 of them repeating (with exclusions),
// 250 of the others overriding or cancelling one of their occurrences. The
// same feeds, of 5,000 to 50,000 events, read and expanded over one hour by
// libical, turn by turn with this reader: the ratio of their times.
// Then two hostile or unlucky feeds: 3 MB of series and overrides that share
// one UID (or have none), and 10,000 daily series whose counts ended years
// ago, expanded over one hour. Last, feeds of 4 and 16 MB by the form of
// their line ends.
#include "focus/calendar/ics.h"
#include "focus/linkoccurrences.h"

#include <QDate>
#include <QStringList>
#include <QTimeZone>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <libical/ical.h>
#include <sys/resource.h>

using namespace tavrin;

namespace {
constexpr int kEvents = 5000;
constexpr int kOverrides = 250;
constexpr double kWindowStart = 733017600; // 2024-03-24T00:00:00Z in seconds since 2001
constexpr double kWindow = 30 * 86400.0;

const char* const kZones[] = {"Europe/Berlin", "America/New_York", "W. Europe Standard Time", "Asia/Tokyo"};
const char* const kRules[] = {
    "FREQ=WEEKLY;BYDAY=MO,WE,FR",        "FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR",
    "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU",   "FREQ=MONTHLY;BYDAY=2TU",
    "FREQ=MONTHLY;BYMONTHDAY=15,-1",     "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1",
    "FREQ=YEARLY;BYMONTH=4;BYDAY=1MO",   "FREQ=WEEKLY;COUNT=60",
    "FREQ=DAILY;UNTIL=20240630T000000Z", "FREQ=WEEKLY;BYDAY=TH;UNTIL=20241231",
};

QString stamp(QDate day, int hour, int minute)
{
    return day.toString(QStringLiteral("yyyyMMdd"))
           + QStringLiteral("T%1%2").arg(hour, 2, 10, QChar(u'0')).arg(minute, 2, 10, QChar(u'0'))
           + QStringLiteral("00");
}

QString generateFeed(int count = kEvents)
{
    const int repeatingCount = count / 5;
    QStringList lines{"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Bench//Feed//EN"};
    const QDate first(2023, 6, 1);
    for (int i = 0; i < count - kOverrides; ++i) {
        const bool repeating = i < repeatingCount;
        const QString zone = QString::fromLatin1(kZones[i % 4]);
        const QDate day = repeating ? first.addDays(i % 300) : first.addDays(i % 700);
        const int hour = 8 + i % 10;
        lines << "BEGIN:VEVENT" << QStringLiteral("UID:event-%1@bench").arg(i) << "DTSTAMP:20240101T000000Z"
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
            lines << "BEGIN:VALARM"
                  << "ACTION:DISPLAY"
                  << "TRIGGER:-PT10M" << QStringLiteral("UID:alarm-%1").arg(i) << "END:VALARM";
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

// What libical makes of a feed: its components, then the occurrences of
// each event in the window (its clock: seconds since 1970).
std::size_t libicalReadAndExpand(const QByteArray& text, double from, double to)
{
    icalcomponent* calendar = icalparser_parse_string(text.constData());
    std::size_t occurrences = 0;
    const icaltimetype start =
        icaltime_from_timet_with_zone(time_t(from + 978307200), 0, icaltimezone_get_utc_timezone());
    const icaltimetype end = icaltime_from_timet_with_zone(time_t(to + 978307200), 0, icaltimezone_get_utc_timezone());
    for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
        icalcomponent_foreach_recurrence(
            e, start, end, [](icalcomponent*, icaltime_span*, void* n) { ++*static_cast<std::size_t*>(n); },
            &occurrences);
    icalcomponent_free(calendar);
    return occurrences;
}

// Reading a link's feed and working out the hour ahead, by this reader and
// by libical in turn (so that both meet the same load), argument the events.
void BM_AgainstLibical(benchmark::State& state)
{
    const QString text = generateFeed(int(state.range(0)));
    const QByteArray bytes = text.toUtf8();
    const QTimeZone local("Europe/Berlin");
    constexpr double kNow = 733017600 + 9 * 3600.0; // 2024-03-24T09:00:00Z
    using Clock = std::chrono::steady_clock;
    Clock::duration ours{}, theirs{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const QList<ICSEvent> events = ICS::parse(QString::fromUtf8(bytes), local);
        benchmark::DoNotOptimize(LinkOccurrences::Table::of(events, kNow, kNow + 3600).starts.size());
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(libicalReadAndExpand(bytes, kNow, kNow + 3600));
        const auto t2 = Clock::now();
        ours += t1 - t0;
        theirs += t2 - t1;
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    const auto ms = [&](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count() / double(state.iterations());
    };
    state.counters["ours ms"] = ms(ours);
    state.counters["libical ms"] = ms(theirs);
    state.counters["libical/ours"] = ms(theirs) / ms(ours);
}
BENCHMARK(BM_AgainstLibical)->Arg(5000)->Arg(20000)->Arg(50000)->UseManualTime()->Unit(benchmark::kMillisecond);

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
// Peak memory of the process so far, in MiB (run one case alone to read it).
double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// About 3 MB: daily series and overrides of their occurrences, all with the
// UID "shared" (argument 0) or with none (argument 1).
QString sharedUidFeed(bool withoutUid)
{
    const QString uid = withoutUid ? QString() : QStringLiteral("UID:shared\r\n");
    QString text = QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n");
    const QDate first(2024, 1, 1);
    for (int i = 0; text.size() < 3'000'000; ++i) {
        text += QStringLiteral("BEGIN:VEVENT\r\n") + uid
                + QStringLiteral("DTSTART:%1\r\nRRULE:FREQ=DAILY\r\nEND:VEVENT\r\n").arg(stamp(first, 9, 0) + u'Z');
        text += QStringLiteral("BEGIN:VEVENT\r\n") + uid
                + QStringLiteral("RECURRENCE-ID:%1Z\r\nDTSTART:%2Z\r\nEND:VEVENT\r\n")
                      .arg(stamp(first.addDays(i % 3000 + 1), 9, 0), stamp(first.addDays(i % 3000 + 1), 10, 0));
    }
    return text + QStringLiteral("END:VCALENDAR\r\n");
}

void BM_ParseSharedUid(benchmark::State& state)
{
    const QString text = sharedUidFeed(state.range(0) == 1);
    const QTimeZone local("Europe/Berlin");
    qsizetype records = 0;
    for (auto _ : state) {
        const QList<ICSEvent> events = ICS::parse(text, local);
        records = events.size();
        benchmark::DoNotOptimize(records);
    }
    state.counters["records"] = double(records);
    state.counters["bytes"] = double(text.size());
    state.counters["peak MiB"] = peakMiB();
}
BENCHMARK(BM_ParseSharedUid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// About 1 MB: 10,000 series in Berlin time that began in 2015 with counts of
// 1,000 to 1,999 occurrences, every day (argument 0) or every weekday (1).
QString endedCountsFeed(bool weekdays)
{
    const QString rule = weekdays ? QStringLiteral("FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR") : QStringLiteral("FREQ=DAILY");
    QString text = QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n");
    for (int i = 0; i < 10'000; ++i)
        text += QStringLiteral("BEGIN:VEVENT\r\nUID:c%1\r\nDTSTART;TZID=Europe/Berlin:%2\r\nRRULE:%3;COUNT=%4\r\n"
                               "END:VEVENT\r\n")
                    .arg(i)
                    .arg(stamp(QDate(2015, 1, 1).addDays(i % 365), 8 + i % 10, 0), rule)
                    .arg(1000 + i % 1000);
    return text + QStringLiteral("END:VCALENDAR\r\n");
}

void BM_ParseEndedCounts(benchmark::State& state)
{
    const QString text = endedCountsFeed(state.range(0) == 1);
    const QTimeZone local("Europe/Berlin");
    for (auto _ : state)
        benchmark::DoNotOptimize(ICS::parse(text, local).size());
    state.counters["bytes"] = double(text.size());
}
BENCHMARK(BM_ParseEndedCounts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ExpandEndedCountsOneHour(benchmark::State& state)
{
    const QList<ICSEvent> events = ICS::parse(endedCountsFeed(state.range(0) == 1), QTimeZone("Europe/Berlin"));
    constexpr double kNow = 818326800; // 2026-12-07 09:00 UTC
    for (auto _ : state) {
        qsizetype total = 0;
        for (const ICSEvent& e : events)
            total += e.occurrences(kNow, kNow + 3600).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ExpandEndedCountsOneHour)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// About 1 MB: 10,000 series from 1970 whose counts (999,999,999) outlast the
// periods one expansion examines: every day (argument 0), every weekday (1),
// the last weekday of each year (2).
QString longCountsFeed(int variant)
{
    const QString rules[] = {QStringLiteral("FREQ=DAILY"), QStringLiteral("FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR"),
                             QStringLiteral("FREQ=YEARLY;BYMONTH=12;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1")};
    QString text = QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n");
    for (int i = 0; i < 10'000; ++i)
        text += QStringLiteral("BEGIN:VEVENT\r\nUID:long-%1\r\nSUMMARY:Standup %1\r\nDTSTART:%2Z\r\n"
                               "RRULE:%3;COUNT=999999999\r\nEND:VEVENT\r\n")
                    .arg(i)
                    .arg(stamp(QDate(1970, 1, 5).addDays(i % 365), 8 + i % 10, 0), rules[variant]);
    return text + QStringLiteral("END:VCALENDAR\r\n");
}

// What a link's fetch does with such a feed away from the main thread: it
// reads the events and works out their occurrences over the hour ahead.
void BM_ReadLongCounts(benchmark::State& state)
{
    const QString text = longCountsFeed(int(state.range(0)));
    const QTimeZone local("Europe/Berlin");
    constexpr double kNow = 818326800; // 2026-12-07 09:00 UTC
    for (auto _ : state) {
        const QList<ICSEvent> events = ICS::parse(text, local);
        benchmark::DoNotOptimize(LinkOccurrences::Table::of(events, kNow, kNow + LinkOccurrences::kSpan).starts.size());
    }
    state.counters["bytes"] = double(text.size());
}
BENCHMARK(BM_ReadLongCounts)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

// About 1.6 MB: 10,000 series from 1900 on the last weekday of each quarter's first month
// with a count (999,999) that the periods up to the year 9999 can just hold,
// so reading them walks every period: written in UTC (argument 0) or in
// Berlin time (1), whose offsets past its table Qt computes from a rule.
QString quarterEndsFeed(bool berlin)
{
    const QString start = berlin ? QStringLiteral("DTSTART;TZID=Europe/Berlin:") : QStringLiteral("DTSTART:");
    QString text = QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n");
    for (int i = 0; i < 10'000; ++i)
        text += QStringLiteral("BEGIN:VEVENT\r\nUID:quarter-%1@bench\r\nSUMMARY:Quarter close %1\r\n%2%3%4\r\n"
                               "RRULE:FREQ=YEARLY;BYMONTH=1,4,7,10;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1;COUNT=999999\r\n"
                               "END:VEVENT\r\n")
                    .arg(i)
                    .arg(start, stamp(QDate(1900, 1, 1).addDays(i % 365), 8 + i % 10, 0), berlin ? u"" : u"Z");
    return text + QStringLiteral("END:VCALENDAR\r\n");
}

void BM_ReadQuarterEnds(benchmark::State& state)
{
    const QString text = quarterEndsFeed(state.range(0) == 1);
    const QTimeZone local("Europe/Berlin");
    constexpr double kNow = 818326800; // 2026-12-07 09:00 UTC
    for (auto _ : state) {
        const QList<ICSEvent> events = ICS::parse(text, local);
        benchmark::DoNotOptimize(LinkOccurrences::Table::of(events, kNow, kNow + LinkOccurrences::kSpan).starts.size());
    }
    state.counters["bytes"] = double(text.size());
}
BENCHMARK(BM_ReadQuarterEnds)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// A feed as a link brings it, of 4 MB or 16 MB, whose lines end in a bare CR
// (0), in CRLF (1) or in LF (2): found in one pass whatever their form.
void BM_ReadLineEnds(benchmark::State& state)
{
    const char* const ends[] = {"\r", "\r\n", "\n"};
    const QByteArray end = ends[state.range(1)];
    QByteArray feed = "BEGIN:VCALENDAR" + end + "VERSION:2.0" + end;
    for (int i = 0; feed.size() < state.range(0) << 20; ++i)
        feed += "BEGIN:VEVENT" + end + "UID:e" + QByteArray::number(i) + end + "DTSTART:20240105T090000Z" + end
                + "DURATION:PT30M" + end + "SUMMARY:Event " + QByteArray::number(i) + " with a long ti" + end + " tle"
                + end + "END:VEVENT" + end;
    feed += "END:VCALENDAR" + end;
    const QTimeZone local("Europe/Berlin");
    const std::atomic<bool> never{false};
    qsizetype events = 0;
    for (auto _ : state)
        events = ICS::parseFeed(feed, local, never).value_or(QList<ICSEvent>()).size();
    state.counters["events"] = double(events);
    state.counters["bytes"] = double(feed.size());
}
BENCHMARK(BM_ReadLineEnds)
    ->ArgNames({"MB", "ends"})
    ->ArgsProduct({{4, 16}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
} // namespace

BENCHMARK_MAIN();
