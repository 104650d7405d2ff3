#include "focus/calendar/ics.h"

#include "focus/calendar/icstesting.h"

#include <limits>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
const QTimeZone kBerlin("Europe/Berlin");
const QTimeZone kTokyo("Asia/Tokyo");
} // namespace

TEST(ICSParse, UnfoldsFoldedLinesWhateverTheirLineEnds)
{
    // CRLF, LF and a bare CR each end a line, mixed or not; a line end
    // followed by a blank continues the line.
    const char* const ends[][3] = {
        {"\r\n", "\r\n", "\r\n"}, {"\n", "\n", "\n"}, {"\r", "\r", "\r"}, {"\r", "\n", "\r\n"}, {"\r\n", "\r", "\n"}};
    for (const auto& end : ends) {
        const QString text = QStringLiteral("BEGIN:VEVENT%1DTSTART:20240105T090000Z%2SUMMARY:Weekly%3  plan%1\tning%2"
                                            "UID:u%3END:VEVENT%1")
                                 .arg(QLatin1String(end[0]), QLatin1String(end[1]), QLatin1String(end[2]));
        const QList<ICSEvent> events = ICS::parse(text, kBerlin);
        ASSERT_EQ(events.size(), 1) << qPrintable(text.toUtf8().toPercentEncoding());
        EXPECT_EQ(events[0].title, QStringLiteral("Weekly planning"));
        EXPECT_EQ(events[0].uid, QStringLiteral("u"));
    }

    // A feed as it comes may be folded inside a character; it is whole once
    // unfolded. Bytes that are not UTF-8 even then are no calendar.
    const std::atomic<bool> never{false};
    const QByteArray feed = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20240105T090000Z\r\n"
                            "SUMMARY:Caf\xC3\r\n \xA9\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    const auto fromFeed = ICS::parseFeed(feed, kBerlin, never);
    ASSERT_TRUE(fromFeed && fromFeed->size() == 1);
    EXPECT_EQ(fromFeed->at(0).title, QStringLiteral("Caf\u00e9"));
    EXPECT_FALSE(ICS::parseFeed(QByteArray(feed).replace("\xA9", "\xFF"), kBerlin, never));
    EXPECT_FALSE(ICS::parseFeed(QByteArray(feed).replace("VCALENDAR", "VCARD"), kBerlin, never));
}

TEST(ICSParse, KeepsOnlyTimedEvents)
{
    struct Row {
        const char* line;
        bool kept;
    };
    const Row rows[] = {
        {"DTSTART;VALUE=DATE:20240105", false},
        {"DTSTART;VALUE=DATE-TIME:20240105T090000", true},
        {"DTSTART:20240105", false},
        {"DTSTART:202401050", false}, // nine characters but no date-time
        {"dtstart:20240105T090000", false},
        {"DTSTART:20240105T0900", false},
        {"SUMMARY:no start", false},
    };
    for (const Row& row : rows) {
        const QString text = QStringLiteral("BEGIN:VEVENT\nUID:a\n%1\nEND:VEVENT\n").arg(QLatin1String(row.line));
        EXPECT_EQ(ICS::parse(text, kBerlin).size(), row.kept ? 1 : 0) << row.line;
    }
}

TEST(ICSParse, ReadsStartInItsZone)
{
    struct Row {
        const char* line;
        const char* start;
        QByteArray zone;
    };
    const Row rows[] = {
        {"DTSTART:20240105T090000Z", "2024-01-05T09:00:00Z", "UTC"},
        {"DTSTART:20240105T090000", "2024-01-05T09:00:00+09:00", "Asia/Tokyo"}, // floating: the system zone
        {"DTSTART;TZID=Europe/London:20240705T090000", "2024-07-05T09:00:00+01:00", "Europe/London"},
        {"DTSTART;TZID=\"W. Europe Standard Time\":20240105T090000", "2024-01-05T09:00:00+01:00", "Europe/Berlin"},
        {"DTSTART;TZID=Eastern Standard Time:20240705T090000", "2024-07-05T09:00:00-04:00", "America/New_York"},
        // Windows names beyond the table come from Qt's own mapping.
        {"DTSTART;TZID=Russian Standard Time:20240105T090000", "2024-01-05T09:00:00+03:00", "Europe/Moscow"},
        {"DTSTART;TZID=Nowhere/Else:20240105T090000", "2024-01-05T09:00:00+09:00", "Asia/Tokyo"},
        {"DTSTART;TZID=../../../../etc/passwd:20240105T090000", "2024-01-05T09:00:00+09:00", "Asia/Tokyo"},
        // A quoted name may hold ":" and ";".
        {"DTSTART;TZID=\"(UTC+01:00) Amsterdam, Berlin, Bern\":20240105T090000", "2024-01-05T09:00:00+09:00",
         "Asia/Tokyo"},
        {"DTSTART;X-NOTE=\"a;b:c\";TZID=Europe/Paris:20240105T090000", "2024-01-05T09:00:00+01:00", "Europe/Paris"},
        {"DTSTART;TZID=\"Europe/Paris\";X-A=1:20240105T090000", "2024-01-05T09:00:00+01:00", "Europe/Paris"},
        {"DTSTART;TZID=\"Europe/Paris;X-A=1:20240105T090000", "2024-01-05T09:00:00+01:00", "Europe/Paris"},
        // A "Z" value is UTC whatever the TZID says.
        {"DTSTART;TZID=Europe/Paris:20240105T090000Z", "2024-01-05T09:00:00Z", "UTC"},
    };
    for (const Row& row : rows) {
        const ICSEvent e = event({QString::fromLatin1(row.line)}, kTokyo);
        EXPECT_EQ(utcText(e.start), utcText(at(row.start))) << row.line;
        EXPECT_EQ(e.zone.id(), row.zone) << row.line;
    }
}

TEST(ICSParse, FloatingTimesDefaultToTheSystemZone)
{
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    const QList<ICSEvent> events = ICS::parse(feed({QStringLiteral("DTSTART:20240105T090000")}));
    saved.isNull() ? qunsetenv("TZ") : qputenv("TZ", saved);
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(utcText(events[0].start), QStringLiteral("2024-01-05T14:00:00Z"));
    EXPECT_EQ(events[0].zone.id(), QByteArray("America/New_York"));
}

TEST(ICSParse, DatesAreStrict)
{
    const char* unreadable[] = {
        "20240105T090000.5Z", "2024-01-05T09:00:00Z", "20240105T090000z",    "20240231T250000",
        "20240230",           "20240105T240000",      "20240105T236000",     "00000105T090000",
        "20240105X090000",    "20240105T09000Z",      "２０２４0105T090000", "",
    };
    for (const char* value : unreadable)
        EXPECT_FALSE(ICS::parseDate(QString::fromUtf8(value), {}, kBerlin)) << value;
    EXPECT_EQ(utcText(*ICS::parseDate(u"20240105", {}, kBerlin)), QStringLiteral("2024-01-04T23:00:00Z"));
    EXPECT_EQ(utcText(*ICS::parseDate(u"20240229T120000", u";TZID=UTC", kBerlin)),
              QStringLiteral("2024-02-29T12:00:00Z"));
}

TEST(ICSParse, Durations)
{
    struct Row {
        const char* value;
        double seconds;
    };
    const Row rows[] = {
        {"PT45M", 2700},
        {"P1DT2H", 93600},
        {"P2W", 1209600},
        {"-PT15M", 900},
        {"PT0S", 3600},
        {"", 3600},
        {"P1Y", 3600},
        {"PT1H30M", 5400},
        {"PT5", 3600},
        {"P1M", 60},
        {"PT90S", 90},
        {"P1DT1H1M1S", 90061},
        // Absurd lengths: at most a year; a number too long to read is none.
        {"P400D", 365 * 86400.0},
        {"P999999999999999W", 365 * 86400.0},
        {"P1000000000000000D", 3600},
        {"PT99999999999999999999999999999999S", 3600},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ICS::parseDuration(QString::fromLatin1(row.value)), row.seconds) << row.value;

    EXPECT_EQ(event({"DTSTART:20240105T090000Z", "DTEND:20240105T080000Z"}).duration, -3600);
    EXPECT_EQ(event({"DTSTART:20240105T090000Z", "DURATION:PT45M"}).duration, 2700);
    EXPECT_EQ(event({"DTSTART:20240105T090000Z", "DTEND:garbage", "DURATION:PT45M"}).duration, 2700);
    EXPECT_EQ(event({"DTSTART:20240105T090000Z"}).duration, 3600);
    EXPECT_EQ(
        event({"DTSTART;TZID=Europe/Berlin:20240105T090000", "DTEND;TZID=America/New_York:20240105T090000"}).duration,
        6 * 3600);
}

TEST(ICSParse, Integers)
{
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    EXPECT_EQ(ICS::parseInteger(u"+5"), 5);
    EXPECT_EQ(ICS::parseInteger(u"-3"), -3);
    EXPECT_EQ(ICS::parseInteger(u"9223372036854775807"), kMax);
    EXPECT_EQ(ICS::parseInteger(u"-9223372036854775808"), kMin);
    for (const char16_t* bad :
         {u"9223372036854775808", u"-9223372036854775809", u" 1", u"", u"+", u"1a", u"--1", u"99999999999999999999999"})
        EXPECT_FALSE(ICS::parseInteger(bad)) << QString::fromUtf16(bad).toStdString();
}

TEST(ICSParse, SummaryEscapes)
{
    EXPECT_EQ(event({"DTSTART:20240105T090000Z", R"(SUMMARY:Plan\, review\; ship\nnow)"}).title,
              QStringLiteral("Plan, review; ship now"));
    EXPECT_EQ(event({"DTSTART:20240105T090000Z", R"(SUMMARY:a\\b\Nc)"}).title, QStringLiteral(R"(a\\b\Nc)"));
    EXPECT_EQ(event({"DTSTART:20240105T090000Z", "SUMMARY:Time: 10:00"}).title, QStringLiteral("Time: 10:00"));
    EXPECT_EQ(event({"DTSTART:20240105T090000Z"}).title, QString());
}

TEST(ICSParse, RecurrenceRules)
{
    ICSEvent e = event({"DTSTART:20240105T090000Z", "RRULE:FREQ=WEEKLY;BYDAY=MO,WE,-1FR,XX,1,+2TU,xMO"});
    EXPECT_EQ(e.freq, QStringLiteral("WEEKLY"));
    const QList<ICSEvent::Weekday> days{{0, 2}, {0, 4}, {-1, 6}, {2, 3}, {0, 2}};
    EXPECT_EQ(e.byDay, days);

    EXPECT_EQ(event({"DTSTART:20240105T090000Z", "RRULE:FREQ=weekly"}).freq, QStringLiteral("weekly"));
    EXPECT_EQ(event({"DTSTART:20240105T090000Z", "RRULE:FREQ=WEEKLY;FREQ=DAILY"}).freq, QStringLiteral("WEEKLY"));
    EXPECT_FALSE(event({"DTSTART:20240105T090000Z", "RRULE:INTERVAL=2"}).freq);

    e = event({"DTSTART:20240105T090000Z", "RRULE:FREQ=MONTHLY;INTERVAL=abc;COUNT=x;BYMONTHDAY=1, 15,-1"});
    EXPECT_EQ(e.interval, 1);
    EXPECT_FALSE(e.count);
    EXPECT_EQ(e.byMonthDay, (QList<qint64>{1, -1}));

    e = event({"DTSTART:20240105T090000Z",
               "RRULE:FREQ=YEARLY;INTERVAL=-2;COUNT=5;BYMONTH=3,3,,11;BYSETPOS=1,-1;UNTIL=20301231T235959Z;WKST=SU"});
    EXPECT_EQ(e.interval, -2);
    EXPECT_EQ(e.count, 5);
    EXPECT_EQ(e.byMonth, (QList<qint64>{3, 3, 11}));
    EXPECT_EQ(e.bySetPos, (QList<qint64>{1, -1}));
    EXPECT_EQ(utcText(*e.until), QStringLiteral("2030-12-31T23:59:59Z"));
}

TEST(ICSParse, UntilIsReadInTheSystemZone)
{
    // A date-time without "Z" is read in the system zone, not DTSTART's.
    ICSEvent e = event({"DTSTART;TZID=America/New_York:20240105T090000", "RRULE:FREQ=DAILY;UNTIL=20240110T090000"});
    EXPECT_EQ(utcText(*e.until), QStringLiteral("2024-01-10T08:00:00Z"));
    // A date alone covers that whole day.
    e = event({"DTSTART;TZID=Europe/Berlin:20240105T090000", "RRULE:FREQ=DAILY;UNTIL=20240110"});
    EXPECT_EQ(utcText(*e.until), QStringLiteral("2024-01-10T22:59:59Z"));
    EXPECT_EQ(localTexts(e.occurrences(at("2024-01-09T00:00:00Z"), at("2024-02-01T00:00:00Z")), kBerlin),
              (QStringList{"2024-01-09 09:00", "2024-01-10 09:00"}));
    EXPECT_FALSE(event({"DTSTART:20240105T090000Z", "RRULE:FREQ=DAILY;UNTIL=2024-01-10"}).until);
}

TEST(ICSParse, ExclusionsAccumulate)
{
    const ICSEvent e = event({"DTSTART:20240105T090000Z", "RRULE:FREQ=WEEKLY",
                              "EXDATE;TZID=Europe/London:20240105T090000,20240112T090000",
                              "EXDATE:20240119T090000Z,nonsense", "EXDATE;TZID=\"Europe/Paris\":20240126T100000"});
    EXPECT_EQ(utcTexts(e.exdates), (QStringList{"2024-01-05T09:00:00Z", "2024-01-12T09:00:00Z", "2024-01-19T09:00:00Z",
                                                "2024-01-26T09:00:00Z"}));
}

TEST(ICSParse, OverridesJoinTheirSeries)
{
    const QString text = QStringLiteral(
        "BEGIN:VEVENT\nUID:u\nDTSTART:20240101T090000Z\nRRULE:FREQ=DAILY\nSUMMARY:Series\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:u\nDTSTART:20240101T090000Z\nRRULE:FREQ=WEEKLY\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:u\nRECURRENCE-ID:20240103T090000Z\nDTSTART:20240103T150000Z\nRRULE:FREQ=DAILY\n"
        "SUMMARY:Moved\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:u\nRECURRENCE-ID:20240104T090000Z\nDTSTART:20240104T090000Z\nSTATUS:CANCELLED\n"
        "END:VEVENT\n"
        "BEGIN:VEVENT\nUID:other\nRECURRENCE-ID:20240105T090000Z\nDTSTART:20240105T090000Z\nEND:VEVENT\n");
    const QList<ICSEvent> events = ICS::parse(text, kBerlin);
    ASSERT_EQ(events.size(), 4);
    const QStringList joined{"2024-01-03T09:00:00Z", "2024-01-04T09:00:00Z"};
    EXPECT_EQ(utcTexts(events[0].overridden), joined);
    EXPECT_EQ(utcTexts(events[1].overridden), joined); // every master with the UID
    EXPECT_TRUE(events[0].exdates.isEmpty());
    EXPECT_EQ(events[2].title, QStringLiteral("Moved"));
    EXPECT_FALSE(events[2].freq); // an override never repeats
    EXPECT_EQ(utcText(*events[2].recurrenceID), QStringLiteral("2024-01-03T09:00:00Z"));
    EXPECT_EQ(events[3].uid, QStringLiteral("other"));

    // The series now yields the moved occurrence once, from the override.
    QList<double> starts;
    for (const ICSEvent& e : events.mid(0, 1) + events.mid(2, 1))
        starts += e.occurrences(at("2024-01-02T00:00:00Z"), at("2024-01-05T23:00:00Z"));
    std::sort(starts.begin(), starts.end());
    EXPECT_EQ(utcTexts(starts), (QStringList{"2024-01-02T09:00:00Z", "2024-01-03T15:00:00Z", "2024-01-05T09:00:00Z"}));
}

TEST(ICSParse, Cancellations)
{
    // Without RECURRENCE-ID a cancelled block is dropped, series and all.
    EXPECT_TRUE(ICS::parse(feed({"UID:u", "DTSTART:20240101T090000Z", "RRULE:FREQ=DAILY", "STATUS:CANCELLED"}), kBerlin)
                    .isEmpty());
    EXPECT_TRUE(
        ICS::parse(feed({"UID:u", "DTSTART:20240101T090000Z", "RECURRENCE-ID:bad", "STATUS:CANCELLED"}), kBerlin)
            .isEmpty());
    // An unreadable RECURRENCE-ID makes an ordinary event that keeps its rule.
    const ICSEvent e = event({"UID:u", "DTSTART:20240101T090000Z", "RECURRENCE-ID:bad", "RRULE:FREQ=DAILY"});
    EXPECT_FALSE(e.recurrenceID);
    EXPECT_EQ(e.freq, QStringLiteral("DAILY"));
}

TEST(ICSParse, AlarmsInsideAnEventAreSkipped)
{
    const ICSEvent e = event({"UID:event-uid", "DTSTART:20240105T090000Z", "SUMMARY:Stand-up", "BEGIN:VALARM",
                              "UID:alarm-uid", "ACTION:DISPLAY", "SUMMARY:Reminder", "DURATION:PT15M", "TRIGGER:-PT10M",
                              "END:VALARM", "DTEND:20240105T091500Z"});
    EXPECT_EQ(e.uid, QStringLiteral("event-uid"));
    EXPECT_EQ(e.title, QStringLiteral("Stand-up"));
    EXPECT_EQ(e.duration, 900);

    // Nested components close at their own end line; the event's end closes everything.
    const QString text = QStringLiteral("BEGIN:VEVENT\nBEGIN:X-A\nBEGIN:X-B\nUID:b\nEND:X-B\nUID:a\nEND:X-A\nUID:e\n"
                                        "DTSTART:20240105T090000Z\nBEGIN:VALARM\nUID:unclosed\nEND:VEVENT\n");
    const QList<ICSEvent> events = ICS::parse(text, kBerlin);
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].uid, QStringLiteral("e"));
}

TEST(ICSParse, BlockBoundaries)
{
    // Lines outside blocks are ignored; an end line with a trailing blank does
    // not end a block, and the next begin line drops that block.
    const QString text = QStringLiteral("DTSTART:20230101T000000Z\nBEGIN:VTIMEZONE\nTZID:X\nEND:VTIMEZONE\n"
                                        "BEGIN:VEVENT\nUID:lost\nDTSTART:20240105T090000Z\nEND:VEVENT \n"
                                        "BEGIN:VEVENT\nUID:first\nDTSTART:20240106T090000Z\nno colon here\nEND:VEVENT\n"
                                        "END:VEVENT\nUID:stray\n"
                                        "BEGIN:VEVENT\nUID:second\nDTSTART:20240104T090000Z\nEND:VEVENT");
    const QList<ICSEvent> events = ICS::parse(text, kBerlin);
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[0].uid, QStringLiteral("first"));
    EXPECT_EQ(events[1].uid, QStringLiteral("second"));
}

TEST(ICSParse, EveryWindowsNameMapsToAKnownZone)
{
    for (const QByteArray& id : ICS::windowsZones())
        EXPECT_TRUE(QTimeZone(id).isValid()) << id.constData();
}

TEST(ICSParse, OverridesWithoutAUidJoinTheMastersWithoutOne)
{
    // A feed without UIDs: the moved meeting shows once, the cancelled one
    // not at all; a series with a UID of its own is left alone.
    const QString text = QStringLiteral(
        "BEGIN:VEVENT\nDTSTART:20240101T090000Z\nRRULE:FREQ=DAILY\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:own\nDTSTART:20240101T090000Z\nRRULE:FREQ=DAILY\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:\nRECURRENCE-ID:20240103T090000Z\nDTSTART:20240103T150000Z\nEND:VEVENT\n"
        "BEGIN:VEVENT\nRECURRENCE-ID:20240104T090000Z\nDTSTART:20240104T090000Z\nSTATUS:CANCELLED\nEND:VEVENT\n");
    const QList<ICSEvent> events = ICS::parse(text, kBerlin);
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(utcTexts(events[0].overridden), (QStringList{"2024-01-03T09:00:00Z", "2024-01-04T09:00:00Z"}));
    EXPECT_TRUE(events[0].occurrences(at("2024-01-03T00:00:00Z"), at("2024-01-04T23:00:00Z")).isEmpty());
    EXPECT_EQ(utcTexts(events[2].occurrences(at("2024-01-03T00:00:00Z"), at("2024-01-04T23:00:00Z"))),
              QStringList{"2024-01-03T15:00:00Z"});
    EXPECT_TRUE(events[1].overridden.isEmpty());
}

TEST(ICSParse, ManyMastersOfOneUidShareTheirOverrides)
{
    // 2,000 masters and 2,000 overrides of one UID: one list, not 4 million entries.
    QString text;
    for (int i = 0; i < 2000; ++i)
        text += QStringLiteral("BEGIN:VEVENT\nUID:same\nDTSTART:20240101T090000Z\nRRULE:FREQ=DAILY\nEND:VEVENT\n");
    for (int i = 0; i < 2000; ++i)
        text += QStringLiteral("BEGIN:VEVENT\nUID:same\nRECURRENCE-ID:%1\nDTSTART:20240101T090000Z\nEND:VEVENT\n")
                    .arg(QDate(2024, 1, 1).addDays(2000 - i).toString(QStringLiteral("yyyyMMdd'T'090000'Z'")));
    const QList<ICSEvent> events = ICS::parse(text, kBerlin);
    ASSERT_EQ(events.size(), 4000);
    EXPECT_EQ(events[0].overridden.size(), 2000);
    EXPECT_TRUE(std::is_sorted(events[0].overridden.cbegin(), events[0].overridden.cend()));
    EXPECT_EQ(events[0].overridden.constData(), events[1999].overridden.constData()); // shared
    // Every occurrence after the first day is overridden.
    EXPECT_EQ(events[7].occurrences(at("2024-01-01T00:00:00Z"), at("2024-02-01T00:00:00Z")).size(), 1);
}

TEST(ICSParse, ASkippedStartTimeIsRemembered)
{
    EXPECT_EQ(event({"DTSTART;TZID=Europe/Berlin:20240331T023000"}).writtenTimeOfDay, 2 * 3600 + 1800);
    EXPECT_FALSE(event({"DTSTART;TZID=Europe/Berlin:20240331T033000"}).writtenTimeOfDay);
    EXPECT_FALSE(event({"DTSTART;TZID=Europe/Berlin:20241027T023000"}).writtenTimeOfDay); // shown twice
    EXPECT_FALSE(event({"DTSTART:20240331T023000Z"}).writtenTimeOfDay);
}
