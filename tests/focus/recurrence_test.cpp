#include "focus/calendar/icsevent.h"
#include "focus/linkoccurrences.h"

#include "focus/calendar/icstesting.h"
#include "platform/platform.h"

#include <algorithm>
#include <ctime>
#include <iterator>
#include <limits>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
const QTimeZone kBerlin("Europe/Berlin");
const QTimeZone kNewYork("America/New_York");

QStringList split(const char* text) { return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts); }

QStringList dates(const QStringList& localTimes)
{
    QStringList days;
    for (const QString& t : localTimes)
        days << t.left(10);
    return days;
}

struct RuleRow {
    const char* name;
    const char* dtstart; // local date-time in the row's zone
    const char* rule;
    const char* from; // window, ISO with offset
    const char* to;
    const char* expected; // local "yyyy-MM-dd" days, all at DTSTART's time
};

void checkRows(const QTimeZone& zone, std::initializer_list<RuleRow> rows)
{
    for (const RuleRow& row : rows) {
        const ICSEvent e =
            event({QStringLiteral("DTSTART;TZID=%1:%2").arg(QString::fromLatin1(zone.id()), QLatin1String(row.dtstart)),
                   QStringLiteral("RRULE:") + QLatin1String(row.rule)});
        const QStringList local = localTexts(e.occurrences(at(row.from), at(row.to)), zone);
        EXPECT_EQ(dates(local), split(row.expected)) << row.name;
        const QString time =
            QString::fromLatin1(row.dtstart).mid(9, 2) + u':' + QString::fromLatin1(row.dtstart).mid(11, 2);
        for (const QString& t : local)
            EXPECT_EQ(t.mid(11), time) << row.name << " " << qPrintable(t);
    }
}
} // namespace

TEST(Recurrence, SingleEvents)
{
    ICSEvent e;
    e.start = at("2024-01-05T09:00:00Z");
    EXPECT_EQ(e.occurrences(e.start - 10, e.start).size(), 1); // the window end is included
    EXPECT_EQ(e.occurrences(e.start, e.start + 10).size(), 1);
    EXPECT_TRUE(e.occurrences(e.start + 1, e.start + 10).isEmpty());
    e.exdates = {e.start + 59};
    EXPECT_TRUE(e.occurrences(e.start - 10, e.start).isEmpty());
    e.exdates = {e.start - 60};
    EXPECT_EQ(e.occurrences(e.start - 10, e.start).size(), 1);
}

// The rules of this expansion, with the amended handling of BYDAY, BYMONTH and
// BYMONTHDAY on daily and monthly rules.
TEST(Recurrence, RuleEdgeCases)
{
    checkRows(
        kBerlin,
        {
            {"daily BYDAY limits to weekdays", "20240105T090000", "FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR",
             "2024-01-05T00:00:00Z", "2024-01-10T23:00:00Z", "2024-01-05 2024-01-08 2024-01-09 2024-01-10"},
            {"daily BYMONTH", "20240128T090000", "FREQ=DAILY;BYMONTH=1,3", "2024-01-28T00:00:00Z",
             "2024-03-02T23:00:00Z", "2024-01-28 2024-01-29 2024-01-30 2024-01-31 2024-03-01 2024-03-02"},
            {"daily BYMONTHDAY", "20240101T090000", "FREQ=DAILY;BYMONTHDAY=1,-1", "2024-01-01T00:00:00Z",
             "2024-03-01T23:00:00Z", "2024-01-01 2024-01-31 2024-02-01 2024-02-29 2024-03-01"},
            {"daily ignores BYSETPOS", "20240101T090000", "FREQ=DAILY;BYSETPOS=1", "2024-01-01T00:00:00Z",
             "2024-01-02T23:00:00Z", "2024-01-01 2024-01-02"},
            {"weekly from a Wednesday", "20240103T090000", "FREQ=WEEKLY", "2024-03-20T00:00:00Z",
             "2024-04-11T00:00:00Z", "2024-03-20 2024-03-27 2024-04-03 2024-04-10"},
            {"every other week from DTSTART's week", "20240103T090000", "FREQ=WEEKLY;INTERVAL=2",
             "2024-03-20T00:00:00Z", "2024-04-11T00:00:00Z", "2024-03-27 2024-04-10"},
            {"BYDAY=SU from a Monday", "20240101T090000", "FREQ=WEEKLY;BYDAY=SU", "2024-01-01T00:00:00Z",
             "2024-01-15T00:00:00Z", "2024-01-07 2024-01-14"},
            {"Monday before a Sunday start is skipped", "20240107T090000", "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO",
             "2024-01-01T00:00:00Z", "2024-01-30T00:00:00Z", "2024-01-15 2024-01-29"},
            {"the 31st only in long months", "20240131T090000", "FREQ=MONTHLY", "2024-01-01T00:00:00Z",
             "2024-06-01T00:00:00Z", "2024-01-31 2024-03-31 2024-05-31"},
            {"last day", "20240131T090000", "FREQ=MONTHLY;BYMONTHDAY=-1", "2024-01-01T00:00:00Z",
             "2024-04-01T00:00:00Z", "2024-01-31 2024-02-29 2024-03-31"},
            {"BYMONTHDAY=0", "20240131T090000", "FREQ=MONTHLY;BYMONTHDAY=0", "2024-01-01T00:00:00Z",
             "2025-01-01T00:00:00Z", ""},
            {"second Tuesday", "20240109T090000", "FREQ=MONTHLY;BYDAY=2TU", "2024-01-01T00:00:00Z",
             "2024-04-01T00:00:00Z", "2024-01-09 2024-02-13 2024-03-12"},
            {"last Friday", "20240126T090000", "FREQ=MONTHLY;BYDAY=-1FR", "2024-01-01T00:00:00Z",
             "2024-04-01T00:00:00Z", "2024-01-26 2024-02-23 2024-03-29"},
            {"every Monday of the month", "20240101T090000", "FREQ=MONTHLY;BYDAY=MO", "2024-01-01T00:00:00Z",
             "2024-01-31T00:00:00Z", "2024-01-01 2024-01-08 2024-01-15 2024-01-22 2024-01-29"},
            {"fifth Monday", "20240101T090000", "FREQ=MONTHLY;BYDAY=5MO", "2024-01-01T00:00:00Z",
             "2024-05-01T00:00:00Z", "2024-01-29 2024-04-29"},
            {"last weekday", "20240131T090000", "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1", "2024-01-01T00:00:00Z",
             "2024-04-01T00:00:00Z", "2024-01-31 2024-02-29 2024-03-29"},
            {"BYSETPOS twice picks twice", "20240101T090000", "FREQ=MONTHLY;BYDAY=MO;BYSETPOS=1,1",
             "2024-01-01T00:00:00Z", "2024-01-31T00:00:00Z", "2024-01-01 2024-01-01"},
            {"the 15th only on a Monday", "20240115T090000", "FREQ=MONTHLY;BYMONTHDAY=15;BYDAY=MO",
             "2024-01-01T00:00:00Z", "2025-01-01T00:00:00Z", "2024-01-15 2024-04-15 2024-07-15"},
            {"monthly BYMONTH limits", "20240110T090000", "FREQ=MONTHLY;BYMONTH=1", "2024-01-01T00:00:00Z",
             "2026-01-31T00:00:00Z", "2024-01-10 2025-01-10 2026-01-10"},
            {"fourth Thursday of November", "20231123T090000", "FREQ=YEARLY;BYMONTH=11;BYDAY=4TH",
             "2023-01-01T00:00:00Z", "2026-01-01T00:00:00Z", "2023-11-23 2024-11-28 2025-11-27"},
            {"29 February", "20240229T090000", "FREQ=YEARLY", "2024-01-01T00:00:00Z", "2032-12-31T00:00:00Z",
             "2024-02-29 2028-02-29 2032-02-29"},
            {"March twice", "20240310T090000", "FREQ=YEARLY;BYMONTH=3,3", "2024-01-01T00:00:00Z",
             "2025-12-31T00:00:00Z", "2024-03-10 2024-03-10 2025-03-10 2025-03-10"},
            {"COUNT=0", "20240101T090000", "FREQ=DAILY;COUNT=0", "2024-01-01T00:00:00Z", "2024-02-01T00:00:00Z", ""},
            {"COUNT long past", "20240101T090000", "FREQ=DAILY;COUNT=3", "2024-01-10T00:00:00Z", "2024-02-01T00:00:00Z",
             ""},
            {"hourly", "20240101T090000", "FREQ=HOURLY", "2024-01-01T00:00:00Z", "2024-02-01T00:00:00Z", ""},
            {"lower case", "20240101T090000", "FREQ=daily", "2024-01-01T00:00:00Z", "2024-02-01T00:00:00Z", ""},
            {"INTERVAL=0 is 1", "20240101T090000", "FREQ=DAILY;INTERVAL=0", "2024-01-01T00:00:00Z",
             "2024-01-03T00:00:00Z", "2024-01-01 2024-01-02"},
            {"INTERVAL=-3 is 1", "20240101T090000", "FREQ=DAILY;INTERVAL=-3", "2024-01-01T00:00:00Z",
             "2024-01-03T00:00:00Z", "2024-01-01 2024-01-02"},
        });
}

TEST(Recurrence, CountIncludesExcludedAndEarlierOccurrences)
{
    ICSEvent e = event({"DTSTART;TZID=Europe/Berlin:20240101T090000", "RRULE:FREQ=DAILY;COUNT=3",
                        "EXDATE;TZID=Europe/Berlin:20240102T090000"});
    EXPECT_EQ(dates(localTexts(e.occurrences(at("2023-12-01T00:00:00Z"), at("2024-02-01T00:00:00Z")), kBerlin)),
              split("2024-01-01 2024-01-03"));
    EXPECT_EQ(dates(localTexts(e.occurrences(at("2024-01-02T12:00:00Z"), at("2024-02-01T00:00:00Z")), kBerlin)),
              split("2024-01-03"));
}

TEST(Recurrence, UntilIsInclusive)
{
    const ICSEvent e = event({"DTSTART:20240101T090000Z", "RRULE:FREQ=DAILY;UNTIL=20240103T090000Z"});
    EXPECT_EQ(utcTexts(e.occurrences(at("2024-01-01T00:00:00Z"), at("2024-02-01T00:00:00Z"))),
              (QStringList{"2024-01-01T09:00:00Z", "2024-01-02T09:00:00Z", "2024-01-03T09:00:00Z"}));
}

TEST(Recurrence, PeriodLimit)
{
    // DTSTART 20001 days before the window: counting from it runs out of
    // periods; without a count the expansion starts next to the window.
    const double windowStart = at("2024-01-01T00:00:00Z");
    const double windowEnd = at("2024-01-02T00:00:00Z");
    const QString dtstart = QStringLiteral("DTSTART:%1T090000Z")
                                .arg(QDate(2024, 1, 1).addDays(-20001).toString(QStringLiteral("yyyyMMdd")));
    EXPECT_TRUE(event({dtstart, "RRULE:FREQ=DAILY;COUNT=30000"}).occurrences(windowStart, windowEnd).isEmpty());
    EXPECT_EQ(utcTexts(event({dtstart, "RRULE:FREQ=DAILY"}).occurrences(windowStart, windowEnd)),
              QStringList{"2024-01-01T09:00:00Z"});
}

TEST(Recurrence, DaylightSavingChanges)
{
    struct Row {
        const char* name;
        QStringList lines;
        const char* from;
        const char* to;
        const char* expectedUtc;
    };
    const Row rows[] = {
        {"Berlin weekly keeps 09:00 local",
         {"DTSTART;TZID=Europe/Berlin:20240320T090000", "RRULE:FREQ=WEEKLY"},
         "2024-03-20T00:00:00Z",
         "2024-04-04T00:00:00Z",
         "2024-03-20T08:00:00Z 2024-03-27T08:00:00Z 2024-04-03T07:00:00Z"},
        {"written in UTC keeps UTC",
         {"DTSTART:20240320T080000Z", "RRULE:FREQ=WEEKLY"},
         "2024-03-20T00:00:00Z",
         "2024-04-04T00:00:00Z",
         "2024-03-20T08:00:00Z 2024-03-27T08:00:00Z 2024-04-03T08:00:00Z"},
        {"Berlin 02:30 on the spring day is 03:00, on the autumn day the first 02:30",
         {"DTSTART;TZID=Europe/Berlin:20240330T023000", "RRULE:FREQ=DAILY"},
         "2024-03-30T00:00:00Z",
         "2024-04-01T12:00:00Z",
         "2024-03-30T01:30:00Z 2024-03-31T01:00:00Z 2024-04-01T00:30:00Z"},
        {"Berlin 02:30 starting on the spring day keeps 02:30 on later days",
         {"DTSTART;TZID=Europe/Berlin:20240331T023000", "RRULE:FREQ=DAILY;COUNT=3"},
         "2024-03-01T00:00:00Z",
         "2024-04-30T00:00:00Z",
         "2024-03-31T01:00:00Z 2024-04-01T00:30:00Z 2024-04-02T00:30:00Z"},
        {"New York weekly starting in the spring gap",
         {"DTSTART;TZID=America/New_York:20240310T021500", "RRULE:FREQ=WEEKLY"},
         "2024-03-01T00:00:00Z",
         "2024-03-20T00:00:00Z",
         "2024-03-10T07:00:00Z 2024-03-17T06:15:00Z"},
        {"Berlin autumn",
         {"DTSTART;TZID=Europe/Berlin:20241026T023000", "RRULE:FREQ=DAILY;COUNT=3"},
         "2024-10-01T00:00:00Z",
         "2024-11-01T00:00:00Z",
         "2024-10-26T00:30:00Z 2024-10-27T00:30:00Z 2024-10-28T01:30:00Z"},
        {"New York spring",
         {"DTSTART;TZID=America/New_York:20240309T023000", "RRULE:FREQ=DAILY;COUNT=3"},
         "2024-03-01T00:00:00Z",
         "2024-04-01T00:00:00Z",
         "2024-03-09T07:30:00Z 2024-03-10T07:00:00Z 2024-03-11T06:30:00Z"},
        {"New York autumn",
         {"DTSTART;TZID=America/New_York:20241102T013000", "RRULE:FREQ=DAILY;COUNT=3"},
         "2024-10-01T00:00:00Z",
         "2024-12-01T00:00:00Z",
         "2024-11-02T05:30:00Z 2024-11-03T05:30:00Z 2024-11-04T06:30:00Z"},
        {"New York monthly across both changes",
         {"DTSTART;TZID=America/New_York:20240215T170000", "RRULE:FREQ=MONTHLY;BYMONTHDAY=15;COUNT=10"},
         "2024-10-01T00:00:00Z",
         "2024-12-01T00:00:00Z",
         "2024-10-15T21:00:00Z 2024-11-15T22:00:00Z"},
        {"Windows zone name",
         {"DTSTART;TZID=Eastern Standard Time:20240308T090000", "RRULE:FREQ=DAILY;COUNT=3"},
         "2024-03-01T00:00:00Z",
         "2024-04-01T00:00:00Z",
         "2024-03-08T14:00:00Z 2024-03-09T14:00:00Z 2024-03-10T13:00:00Z"},
    };
    for (const Row& row : rows) {
        const ICSEvent e = event(row.lines);
        EXPECT_EQ(utcTexts(e.occurrences(at(row.from), at(row.to))), split(row.expectedUtc)) << row.name;
    }
}

// RFC 5545, section 3.8.5.3, the examples within the rules read here. All
// start at 09:00 in America/New_York and cross the change of 26 October 1997.
TEST(Recurrence, RfcExamples)
{
    checkRows(
        kNewYork,
        {
            {"daily for 10", "19970902T090000", "FREQ=DAILY;COUNT=10", "1997-01-01T00:00:00Z", "2000-01-01T00:00:00Z",
             "1997-09-02 1997-09-03 1997-09-04 1997-09-05 1997-09-06 1997-09-07 1997-09-08 1997-09-09 1997-09-10 "
             "1997-09-11"},
            {"every 10 days, 5", "19970902T090000", "FREQ=DAILY;INTERVAL=10;COUNT=5", "1997-01-01T00:00:00Z",
             "2000-01-01T00:00:00Z", "1997-09-02 1997-09-12 1997-09-22 1997-10-02 1997-10-12"},
            {"every other day", "19970902T090000", "FREQ=DAILY;INTERVAL=2", "1997-10-20T00:00:00Z",
             "1997-10-31T00:00:00Z", "1997-10-20 1997-10-22 1997-10-24 1997-10-26 1997-10-28 1997-10-30"},
            {"weekly for 10", "19970902T090000", "FREQ=WEEKLY;COUNT=10", "1997-01-01T00:00:00Z", "2000-01-01T00:00:00Z",
             "1997-09-02 1997-09-09 1997-09-16 1997-09-23 1997-09-30 1997-10-07 1997-10-14 1997-10-21 1997-10-28 "
             "1997-11-04"},
            {"every other week", "19970902T090000", "FREQ=WEEKLY;INTERVAL=2;WKST=SU", "1997-09-01T00:00:00Z",
             "1997-11-12T00:00:00Z", "1997-09-02 1997-09-16 1997-09-30 1997-10-14 1997-10-28 1997-11-11"},
            {"Tuesday and Thursday for five weeks", "19970902T090000",
             "FREQ=WEEKLY;UNTIL=19971007T000000Z;WKST=SU;BYDAY=TU,TH", "1997-01-01T00:00:00Z", "2000-01-01T00:00:00Z",
             "1997-09-02 1997-09-04 1997-09-09 1997-09-11 1997-09-16 1997-09-18 1997-09-23 1997-09-25 1997-09-30 "
             "1997-10-02"},
            {"every other week MO WE FR", "19970901T090000",
             "FREQ=WEEKLY;INTERVAL=2;UNTIL=19971224T000000Z;WKST=SU;BYDAY=MO,WE,FR", "1997-01-01T00:00:00Z",
             "2000-01-01T00:00:00Z",
             "1997-09-01 1997-09-03 1997-09-05 1997-09-15 1997-09-17 1997-09-19 1997-09-29 1997-10-01 1997-10-03 "
             "1997-10-13 1997-10-15 1997-10-17 1997-10-27 1997-10-29 1997-10-31 1997-11-10 1997-11-12 1997-11-14 "
             "1997-11-24 1997-11-26 1997-11-28 1997-12-08 1997-12-10 1997-12-12 1997-12-22"},
            {"every other week TU TH, 8", "19970902T090000", "FREQ=WEEKLY;INTERVAL=2;COUNT=8;WKST=SU;BYDAY=TU,TH",
             "1997-01-01T00:00:00Z", "2000-01-01T00:00:00Z",
             "1997-09-02 1997-09-04 1997-09-16 1997-09-18 1997-09-30 1997-10-02 1997-10-14 1997-10-16"},
            {"first Friday, 10", "19970905T090000", "FREQ=MONTHLY;COUNT=10;BYDAY=1FR", "1997-01-01T00:00:00Z",
             "2000-01-01T00:00:00Z",
             "1997-09-05 1997-10-03 1997-11-07 1997-12-05 1998-01-02 1998-02-06 1998-03-06 1998-04-03 1998-05-01 "
             "1998-06-05"},
            {"first Friday until", "19970905T090000", "FREQ=MONTHLY;UNTIL=19971224T000000Z;BYDAY=1FR",
             "1997-01-01T00:00:00Z", "2000-01-01T00:00:00Z", "1997-09-05 1997-10-03 1997-11-07 1997-12-05"},
            {"every other month, first and last Sunday", "19970907T090000",
             "FREQ=MONTHLY;INTERVAL=2;COUNT=10;BYDAY=1SU,-1SU", "1997-01-01T00:00:00Z", "2000-01-01T00:00:00Z",
             "1997-09-07 1997-09-28 1997-11-02 1997-11-30 1998-01-04 1998-01-25 1998-03-01 1998-03-29 1998-05-03 "
             "1998-05-31"},
            {"second-to-last Monday, 6", "19970922T090000", "FREQ=MONTHLY;COUNT=6;BYDAY=-2MO", "1997-01-01T00:00:00Z",
             "2000-01-01T00:00:00Z", "1997-09-22 1997-10-20 1997-11-17 1997-12-22 1998-01-19 1998-02-16"},
            {"third-to-last day", "19970928T090000", "FREQ=MONTHLY;BYMONTHDAY=-3", "1997-09-01T00:00:00Z",
             "1998-03-01T00:00:00Z", "1997-09-28 1997-10-29 1997-11-28 1997-12-29 1998-01-29 1998-02-26"},
            {"2nd and 15th, 10", "19970902T090000", "FREQ=MONTHLY;COUNT=10;BYMONTHDAY=2,15", "1997-01-01T00:00:00Z",
             "2000-01-01T00:00:00Z",
             "1997-09-02 1997-09-15 1997-10-02 1997-10-15 1997-11-02 1997-11-15 1997-12-02 1997-12-15 1998-01-02 "
             "1998-01-15"},
            {"first and last day, 10", "19970930T090000", "FREQ=MONTHLY;COUNT=10;BYMONTHDAY=1,-1",
             "1997-01-01T00:00:00Z", "2000-01-01T00:00:00Z",
             "1997-09-30 1997-10-01 1997-10-31 1997-11-01 1997-11-30 1997-12-01 1997-12-31 1998-01-01 1998-01-31 "
             "1998-02-01"},
            {"every 18 months, 10th to 15th", "19970910T090000",
             "FREQ=MONTHLY;INTERVAL=18;COUNT=10;BYMONTHDAY=10,11,12,13,14,15", "1997-01-01T00:00:00Z",
             "2000-01-01T00:00:00Z",
             "1997-09-10 1997-09-11 1997-09-12 1997-09-13 1997-09-14 1997-09-15 1999-03-10 1999-03-11 1999-03-12 "
             "1999-03-13"},
            {"Tuesdays every other month", "19970902T090000", "FREQ=MONTHLY;INTERVAL=2;BYDAY=TU",
             "1997-09-01T00:00:00Z", "1998-01-14T00:00:00Z",
             "1997-09-02 1997-09-09 1997-09-16 1997-09-23 1997-09-30 1997-11-04 1997-11-11 1997-11-18 1997-11-25 "
             "1998-01-06 1998-01-13"},
            {"June and July, 10", "19970610T090000", "FREQ=YEARLY;COUNT=10;BYMONTH=6,7", "1997-01-01T00:00:00Z",
             "2010-01-01T00:00:00Z",
             "1997-06-10 1997-07-10 1998-06-10 1998-07-10 1999-06-10 1999-07-10 2000-06-10 2000-07-10 2001-06-10 "
             "2001-07-10"},
            {"every other year, first quarter", "19970310T090000", "FREQ=YEARLY;INTERVAL=2;COUNT=10;BYMONTH=1,2,3",
             "1997-01-01T00:00:00Z", "2010-01-01T00:00:00Z",
             "1997-03-10 1999-01-10 1999-02-10 1999-03-10 2001-01-10 2001-02-10 2001-03-10 2003-01-10 2003-02-10 "
             "2003-03-10"},
            {"Thursdays in March", "19970313T090000", "FREQ=YEARLY;BYMONTH=3;BYDAY=TH", "1997-01-01T00:00:00Z",
             "1998-12-31T00:00:00Z", "1997-03-13 1997-03-20 1997-03-27 1998-03-05 1998-03-12 1998-03-19 1998-03-26"},
            {"Thursdays in summer", "19970605T090000", "FREQ=YEARLY;BYDAY=TH;BYMONTH=6,7,8", "1997-01-01T00:00:00Z",
             "1997-12-31T00:00:00Z",
             "1997-06-05 1997-06-12 1997-06-19 1997-06-26 1997-07-03 1997-07-10 1997-07-17 1997-07-24 1997-07-31 "
             "1997-08-07 1997-08-14 1997-08-21 1997-08-28"},
            {"Friday the 13th", "19970902T090000", "FREQ=MONTHLY;BYDAY=FR;BYMONTHDAY=13", "1997-01-01T00:00:00Z",
             "2000-12-31T00:00:00Z", "1998-02-13 1998-03-13 1998-11-13 1999-08-13 2000-10-13"},
            {"Saturday after the first Sunday", "19970913T090000", "FREQ=MONTHLY;BYDAY=SA;BYMONTHDAY=7,8,9,10,11,12,13",
             "1997-01-01T00:00:00Z", "1998-06-30T00:00:00Z",
             "1997-09-13 1997-10-11 1997-11-08 1997-12-13 1998-01-10 1998-02-07 1998-03-07 1998-04-11 1998-05-09 "
             "1998-06-13"},
            {"third of TU WE TH, 3", "19970904T090000", "FREQ=MONTHLY;COUNT=3;BYDAY=TU,WE,TH;BYSETPOS=3",
             "1997-01-01T00:00:00Z", "2000-01-01T00:00:00Z", "1997-09-04 1997-10-07 1997-11-06"},
            {"second-to-last weekday", "19970929T090000", "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-2",
             "1997-09-01T00:00:00Z", "1998-03-31T00:00:00Z",
             "1997-09-29 1997-10-30 1997-11-27 1997-12-30 1998-01-29 1998-02-26 1998-03-30"},
            {"15th and 30th, 5", "20070115T090000", "FREQ=MONTHLY;BYMONTHDAY=15,30;COUNT=5", "2007-01-01T00:00:00Z",
             "2010-01-01T00:00:00Z", "2007-01-15 2007-01-30 2007-02-15 2007-03-15 2007-03-30"},
            {"every day in January, daily form", "19980101T090000", "FREQ=DAILY;UNTIL=20000131T140000Z;BYMONTH=1",
             "1999-12-25T00:00:00Z", "2001-02-10T00:00:00Z",
             "2000-01-01 2000-01-02 2000-01-03 2000-01-04 2000-01-05 2000-01-06 2000-01-07 2000-01-08 2000-01-09 "
             "2000-01-10 2000-01-11 2000-01-12 2000-01-13 2000-01-14 2000-01-15 2000-01-16 2000-01-17 2000-01-18 "
             "2000-01-19 2000-01-20 2000-01-21 2000-01-22 2000-01-23 2000-01-24 2000-01-25 2000-01-26 2000-01-27 "
             "2000-01-28 2000-01-29 2000-01-30 2000-01-31"},
        });
}

TEST(Recurrence, RfcDailyUntilCrossesTheChange)
{
    // FREQ=DAILY;UNTIL=19971224T000000Z: 113 mornings at 09:00 local, on both
    // sides of the end of daylight saving time.
    const ICSEvent e =
        event({"DTSTART;TZID=America/New_York:19970902T090000", "RRULE:FREQ=DAILY;UNTIL=19971224T000000Z"});
    const QStringList local =
        localTexts(e.occurrences(at("1997-01-01T00:00:00Z"), at("1999-01-01T00:00:00Z")), kNewYork);
    ASSERT_EQ(local.size(), 113);
    EXPECT_EQ(local.first(), QStringLiteral("1997-09-02 09:00"));
    EXPECT_EQ(local.last(), QStringLiteral("1997-12-23 09:00"));
    EXPECT_TRUE(std::all_of(local.cbegin(), local.cend(), [](const QString& t) { return t.endsWith(u"09:00"); }));

    // Every day in January for three years, yearly form.
    const ICSEvent january = event({"DTSTART;TZID=America/New_York:19980101T090000",
                                    "RRULE:FREQ=YEARLY;UNTIL=20000131T140000Z;BYMONTH=1;BYDAY=SU,MO,TU,WE,TH,FR,SA"});
    EXPECT_EQ(january.occurrences(at("1997-01-01T00:00:00Z"), at("2001-01-01T00:00:00Z")).size(), 93);
}

TEST(Recurrence, PeriodStartsAndDays)
{
    EXPECT_EQ(ICSEvent::periodStart(QDate(2024, 1, 7), ICSEvent::Unit::week), QDate(2024, 1, 1));
    EXPECT_EQ(ICSEvent::periodStart(QDate(2024, 1, 8), ICSEvent::Unit::week), QDate(2024, 1, 8));
    EXPECT_EQ(ICSEvent::periodStart(QDate(2024, 5, 17), ICSEvent::Unit::month), QDate(2024, 5, 1));
    EXPECT_EQ(ICSEvent::periodStart(QDate(2024, 5, 17), ICSEvent::Unit::year), QDate(2024, 1, 1));
    EXPECT_EQ(ICSEvent::periodStart(QDate(2024, 5, 17), ICSEvent::Unit::day), QDate(2024, 5, 17));

    // A yearly rule's month 13 runs on into January of the next year.
    ICSEvent e;
    e.byMonth = {13};
    EXPECT_EQ(e.candidateDays(QDate(2024, 1, 1), ICSEvent::Unit::year, QDate(2024, 1, 5)),
              QList<QDate>{QDate(2025, 1, 5)});
}

TEST(Recurrence, TheCountsEndIsKnownAfterReading)
{
    // Each rule's last counted occurrence, whether worked out by arithmetic
    // (one day a period) or by counting days, is the last one expanded.
    const char* const rules[] = {
        "FREQ=DAILY;COUNT=40",
        "FREQ=DAILY;INTERVAL=3;COUNT=17",
        "FREQ=WEEKLY;COUNT=12",
        "FREQ=WEEKLY;INTERVAL=2;COUNT=9",
        "FREQ=DAILY;BYDAY=MO,WE;COUNT=11",
        "FREQ=WEEKLY;BYDAY=MO,TU;COUNT=7",
        "FREQ=MONTHLY;BYMONTHDAY=31;COUNT=6",
        "FREQ=MONTHLY;BYDAY=-1FR;COUNT=5",
        "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29;COUNT=3",
        "FREQ=DAILY;COUNT=1",
        "FREQ=YEARLY;BYMONTH=1,4,7,10;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1;COUNT=9",
        "FREQ=MONTHLY;BYMONTHDAY=27;COUNT=4",
    };
    // Starts on an ordinary day, on one whose clocks go back (the start in
    // the hour shown twice) and on one whose clocks skip the start's time.
    for (const char* start : {"20240110T093000", "20241027T023000", "20240331T023000"})
        for (const char* rule : rules) {
            SCOPED_TRACE(std::string(rule) + " from " + start);
            const ICSEvent e = event({QStringLiteral("DTSTART;TZID=Europe/Berlin:") + QLatin1String(start),
                                      QStringLiteral("RRULE:") + rule});
            const QList<double> all = e.occurrences(e.start, at("2040-01-01T00:00:00Z"));
            ASSERT_FALSE(all.isEmpty());
            ASSERT_TRUE(e.countEnd);
            EXPECT_EQ(utcText(*e.countEnd), utcText(all.last()));
            EXPECT_EQ(e.countEnd, e.lastCountedOccurrence());
        }
    EXPECT_FALSE(event({"DTSTART:20240110T093000Z", "RRULE:FREQ=DAILY"}).countEnd);
    // A count beyond the period limit ends where the limit is reached.
    EXPECT_EQ(utcText(*event({"DTSTART:20240110T093000Z", "RRULE:FREQ=DAILY;COUNT=20001"}).countEnd),
              utcText(at("2024-01-10T09:30:00Z") + (ICSEvent::kPeriodLimit - 1) * 86400.0));
}

TEST(Recurrence, ACountThatOutlastsThePeriodLimitIsNotWalkedAgain)
{
    // Old feeds' series with counts that never end: where the limit stops
    // them is known after reading, and every window, before or after it,
    // sees what a walk from the start sees.
    const char* const rules[] = {
        "FREQ=DAILY",
        "FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR",
        "FREQ=DAILY;INTERVAL=3;BYDAY=SA",
        "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,TH",
        "FREQ=MONTHLY;BYDAY=-1FR",
        "FREQ=YEARLY;BYMONTH=12;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1",
        "FREQ=DAILY;BYMONTH=2",
        "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30",
    };
    const double far = std::numeric_limits<double>::infinity();
    for (const char* rule : rules)
        for (const char* start : {"19700102T093000", "20240110T093000"}) {
            SCOPED_TRACE(std::string(rule) + " from " + start);
            const ICSEvent e = event({QStringLiteral("DTSTART;TZID=Europe/Berlin:") + QLatin1String(start),
                                      QStringLiteral("RRULE:") + rule + QStringLiteral(";COUNT=999999999")});
            const QList<double> all = e.occurrences(e.start, far);
            ASSERT_TRUE(e.countEnd);
            EXPECT_EQ(*e.countEnd, all.isEmpty() ? ICSEvent::kNoOccurrence : all.last());
            for (const double from : {e.start + 86400 * 40, at("2026-12-07T00:00:00Z"), e.countEnd.value_or(0) - 86400,
                                      at("2200-01-01T00:00:00Z")}) {
                QList<double> expected;
                std::copy_if(all.cbegin(), all.cend(), std::back_inserter(expected),
                             [&](double o) { return o >= from && o <= from + 40 * 86400; });
                EXPECT_EQ(utcTexts(e.occurrences(from, from + 40 * 86400)), utcTexts(expected))
                    << qPrintable(utcText(from));
            }
        }
}

TEST(Recurrence, ALongCountInAZoneWithAHistoryIsReadWithoutResolvingEachOccurrence)
{
    // 10,000 series from 1900 on the last weekday of each quarter's first month, whose
    // count the periods up to the year 9999 can just hold: reading them
    // walks every period, in Berlin time, whose offsets past its table Qt
    // works out from a rule at some cost. The benchmark times the reading
    // (its aim is 2 s); the bound here is 30 times that, in CPU time of this
    // thread, which a busy machine does not inflate: a reading that resolves
    // every occurrence takes minutes.
    QString text = QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n");
    for (int i = 0; i < 10'000; ++i)
        text += QStringLiteral("BEGIN:VEVENT\r\nUID:q%1\r\nDTSTART;TZID=Europe/Berlin:%2\r\n"
                               "RRULE:FREQ=YEARLY;BYMONTH=1,4,7,10;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1;COUNT=999999\r\n"
                               "END:VEVENT\r\n")
                    .arg(i)
                    .arg(QDateTime(QDate(1900, 1, 1).addDays(i % 365), QTime(8 + i % 10, 0))
                             .toString(QStringLiteral("yyyyMMddTHHmmss")));
    text += QStringLiteral("END:VCALENDAR\r\n");
    const auto cpuSeconds = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    };
    const double before = cpuSeconds();
    const QList<ICSEvent> events = ICS::parse(text, kBerlin);
    const double now = at("2026-12-07T09:00:00Z");
    const LinkOccurrences::Table table = LinkOccurrences::Table::of(events, now, now + LinkOccurrences::kSpan);
    EXPECT_LT(cpuSeconds() - before, 60.0);

    ASSERT_EQ(events.size(), 10'000);
    EXPECT_EQ(table.firsts.size(), 10'001);
    // The count outlasts the supported years: each series ends on the last
    // weekday of October 9999, at its own time.
    for (const int i : {0, 1234, 9999}) {
        ASSERT_TRUE(events[i].countEnd);
        EXPECT_EQ(localTexts({*events[i].countEnd}, kBerlin),
                  QStringList{QStringLiteral("9999-10-29 %1:00").arg(8 + i % 10, 2, 10, QChar(u'0'))});
    }
    EXPECT_EQ(localTexts(events[0].occurrences(at("2024-03-01T00:00:00Z"), at("2024-10-01T00:00:00Z")), kBerlin),
              (QStringList{"2024-04-30 08:00", "2024-07-31 08:00"}));
}

TEST(Recurrence, AnEndedCountIsNotWalkedAgain)
{
    ICSEvent e = event({"DTSTART:20100101T090000Z", "RRULE:FREQ=DAILY;COUNT=1000"});
    ASSERT_TRUE(e.countEnd);
    EXPECT_EQ(utcText(*e.countEnd), QStringLiteral("2012-09-26T09:00:00Z"));
    EXPECT_EQ(e.occurrences(at("2012-09-26T00:00:00Z"), at("2012-10-01T00:00:00Z")).size(), 1);
    // What the expansion trusts: a window after the end is empty without a walk.
    e.countEnd = at("2010-01-05T09:00:00Z");
    EXPECT_TRUE(e.occurrences(at("2011-01-01T00:00:00Z"), at("2011-02-01T00:00:00Z")).isEmpty());
}

TEST(Recurrence, TheHourWorkedOutAheadAnswersAsAnExpansionWould)
{
    const QString text = QStringLiteral(
        "BEGIN:VEVENT\nUID:w\nDTSTART:20240101T090000Z\nDURATION:PT45M\nRRULE:FREQ=DAILY\n"
        "EXDATE:20240305T090000Z\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:w\nRECURRENCE-ID:20240306T090000Z\nDTSTART:20240306T093000Z\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:c\nDTSTART:20240304T083000Z\nDURATION:PT1H\nRRULE:FREQ=HOURLY\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:n\nDTSTART:20240301T090000Z\nDURATION:PT20M\nRRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE;COUNT=7\n"
        "END:VEVENT\n"
        "BEGIN:VEVENT\nUID:l\nDTSTART:20240303T000000Z\nDURATION:P3D\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:z\nDTSTART:20240305T093000Z\nDTEND:20240305T093000Z\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:q\nDTSTART:20240101T091500Z\nDURATION:PT10M\nRRULE:FREQ=DAILY;COUNT=999999999\n"
        "END:VEVENT\n");
    const QList<ICSEvent> events = ICS::parse(text, kBerlin);
    ASSERT_EQ(events.size(), 7);
    for (const char* from : {"2024-03-04T08:50:00Z", "2024-03-05T08:50:00Z", "2024-03-06T08:50:00Z"}) {
        SCOPED_TRACE(from);
        // Its tables are given here, never worked out on a clock.
        const Platform noServices;
        LinkOccurrences ahead(noServices);
        ahead.take(LinkOccurrences::Table::of(events, at(from), at(from) + LinkOccurrences::kSpan));
        for (double now = at(from); now <= at(from) + LinkOccurrences::kSpan; now += 150) {
            QStringList fromTable, expanded;
            for (const LinkOccurrences::Happening& h : ahead.at(events, now))
                fromTable << QStringLiteral("%1 until %2").arg(events[h.index].uid, utcText(h.end));
            for (const LinkOccurrences::Happening& h : LinkOccurrences::expanded(events, now))
                expanded << QStringLiteral("%1 until %2").arg(events[h.index].uid, utcText(h.end));
            EXPECT_EQ(fromTable, expanded) << qPrintable(utcText(now));
        }
    }
}
