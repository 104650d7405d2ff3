#include "focus/calendar/wallclock.h"

#include "focus/calendar/icstesting.h"

#include <cmath>
#include <limits>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
struct Reading {
    const char* zone;
    QDate date;
    int hour, minute;
    const char* expectedUtc;
};
} // namespace

TEST(WallClock, SkippedTimesMoveToTheJumpAndRepeatedTimesTakeTheFirst)
{
    const Reading rows[] = {
        // Spring forward: the clocks jump from 02:00 to 03:00.
        {"Europe/Berlin", QDate(2024, 3, 31), 2, 30, "2024-03-31T01:00:00Z"},
        {"Europe/Berlin", QDate(2024, 3, 31), 2, 0, "2024-03-31T01:00:00Z"},
        {"Europe/Berlin", QDate(2024, 3, 31), 3, 0, "2024-03-31T01:00:00Z"},
        {"Europe/Berlin", QDate(2024, 3, 31), 1, 59, "2024-03-31T00:59:00Z"},
        {"America/New_York", QDate(2024, 3, 10), 2, 30, "2024-03-10T07:00:00Z"},
        {"Australia/Sydney", QDate(2024, 10, 6), 2, 15, "2024-10-05T16:00:00Z"},
        // Fall back: 02:00 to 03:00 in Berlin and 01:00 to 02:00 in New York happen twice.
        {"Europe/Berlin", QDate(2024, 10, 27), 2, 30, "2024-10-27T00:30:00Z"},
        {"Europe/Berlin", QDate(2024, 10, 27), 3, 0, "2024-10-27T02:00:00Z"},
        {"America/New_York", QDate(2024, 11, 3), 1, 30, "2024-11-03T05:30:00Z"},
        {"America/New_York", QDate(2024, 11, 3), 2, 0, "2024-11-03T07:00:00Z"},
        // Ordinary days on either side of a change.
        {"Europe/Berlin", QDate(2024, 3, 30), 2, 30, "2024-03-30T01:30:00Z"},
        {"Europe/Berlin", QDate(2024, 4, 1), 2, 30, "2024-04-01T00:30:00Z"},
        {"Asia/Tokyo", QDate(2024, 7, 1), 9, 0, "2024-07-01T00:00:00Z"},
        {"UTC", QDate(2024, 7, 1), 9, 0, "2024-07-01T09:00:00Z"},
        // A whole day skipped when Samoa crossed the date line.
        {"Pacific/Apia", QDate(2011, 12, 30), 12, 0, "2011-12-30T10:00:00Z"},
    };
    for (const Reading& row : rows) {
        const WallClock clock{QTimeZone(row.zone)};
        const auto instant = clock.instant(row.date, row.hour * 3600 + row.minute * 60);
        ASSERT_TRUE(instant) << row.zone;
        EXPECT_EQ(utcText(*instant), QString::fromLatin1(row.expectedUtc))
            << row.zone << " " << qPrintable(row.date.toString(Qt::ISODate)) << " " << row.hour << ":" << row.minute;
    }
}

TEST(WallClock, LocalReadsBackEveryTimeThatExists)
{
    for (const char* id : {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "Asia/Kolkata"}) {
        const WallClock clock{QTimeZone(id)};
        for (QDate day(2024, 1, 1); day.year() == 2024; day = day.addDays(3)) {
            for (int second : {0, 5400, 9000, 43200, 86399}) {
                const auto instant = clock.instant(day, second);
                ASSERT_TRUE(instant);
                const auto local = clock.local(*instant);
                ASSERT_TRUE(local);
                // A skipped reading comes back as the first time after the jump.
                if (local->date != day || local->secondOfDay != second) {
                    EXPECT_EQ(local->date, day) << id;
                    EXPECT_GT(local->secondOfDay, second) << id;
                    EXPECT_LE(local->secondOfDay - second, 3600) << id;
                }
            }
        }
    }
}

TEST(WallClock, OutOfRangeGivesNothing)
{
    const WallClock clock{QTimeZone("Europe/Berlin")};
    EXPECT_FALSE(clock.instant(QDate(), 0));
    EXPECT_FALSE(clock.instant(QDate(10000, 1, 1), 0));
    EXPECT_FALSE(clock.instant(QDate(2024, 1, 1), 86400));
    EXPECT_FALSE(clock.instant(QDate(2024, 1, 1), -1));
    EXPECT_FALSE(clock.local(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(clock.local(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(clock.local(1e300));
    EXPECT_TRUE(clock.instant(QDate(1, 1, 1), 0));
    EXPECT_TRUE(clock.instant(QDate(9999, 12, 31), 86399));
}

TEST(WallClock, RemembersOffsetsInAnyOrder)
{
    // Instants in scattered order over two centuries read the same through
    // one resolver's remembered offsets as through Qt's own conversion.
    for (const char* id : {"Europe/Berlin", "America/New_York", "Australia/Sydney", "Asia/Tokyo", "Etc/UTC"}) {
        const QTimeZone zone(id);
        const WallClock clock(zone);
        quint32 seed = 12345;
        for (int i = 0; i < 3000; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double instant = -3.0e9 + double(seed % 6'300'000u) * 1000.0; // 1906 to 2100
            const QDateTime expected = QDateTime::fromSecsSinceEpoch(qint64(instant + kReference), zone);
            const auto local = clock.local(instant);
            ASSERT_TRUE(local);
            EXPECT_EQ(local->date, expected.date()) << id << " " << qPrintable(utcText(instant));
            EXPECT_EQ(local->secondOfDay, expected.time().msecsSinceStartOfDay() / 1000) << id;
        }
    }
}
