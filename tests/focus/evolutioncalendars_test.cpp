#include "focus/evolutioncalendars.h"

#include "focus/calendar/icstesting.h"
#include "focusfixture.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace tavrin {
namespace {

class EvolutionCalendarsTest : public ::testing::Test {
protected:
    EvolutionCalendarsTest()
    {
        folders.calendars = dir.filePath("data/evolution/calendar");
        folders.sources = dir.filePath("config/evolution/sources");
        QDir().mkpath(folders.calendars);
        QDir().mkpath(folders.sources);
    }

    void write(const QString& path, const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    void writeCalendar(const QString& folder, const QList<QStringList>& events)
    {
        write(folders.calendars + "/" + folder + "/calendar.ics", calendarFeed(events));
    }

    QTemporaryDir dir;
    EvolutionCalendars::Folders folders;
};

TEST_F(EvolutionCalendarsTest, ReadsTheLocalCalendarsWithTheirTitlesAndEvents)
{
    writeCalendar("system", {{"UID:a", "SUMMARY:Standup", "DTSTART:20241209T090000Z", "DTEND:20241209T091500Z",
                              "RRULE:FREQ=DAILY;COUNT=5"}});
    writeCalendar("1a2b", {{"UID:b", "SUMMARY:Deep work", "DTSTART:20241209T100000Z", "DTEND:20241209T120000Z"},
                           {"UID:c", "SUMMARY:Holiday", "DTSTART;VALUE=DATE:20241209"}});
    write(folders.sources + "/1a2b.source",
          "[Data Source]\nDisplayName=Work\nEnabled=true\nParent=local-stub\n\n[Calendar]\nBackendName=local\n"
          "Color=#f66151\n");
    write(folders.sources + "/local-stub.source", "[Data Source]\nDisplayName=On This Computer\n");
    QDir().mkpath(folders.calendars + "/empty"); // no file yet: not a calendar

    const EvolutionCalendars store(folders);
    EXPECT_EQ(store.access(), CalendarAccess::fullAccess);
    const QList<CalendarInfo> calendars = store.calendars();
    ASSERT_EQ(calendars.size(), 2);
    EXPECT_EQ(calendars[0].id, "1a2b");
    EXPECT_EQ(calendars[0].title, "Work");
    EXPECT_EQ(calendars[0].colour, QColor("#f66151"));
    EXPECT_EQ(calendars[0].accountTitle, "On This Computer");
    EXPECT_EQ(calendars[1].id, EvolutionCalendars::kSystemSource);
    EXPECT_EQ(calendars[1].title, "Personal");

    // Occurrences overlapping the span, all-day events left out.
    using testing::at;
    const QList<CalendarEvent> events = store.events({"1a2b", EvolutionCalendars::kSystemSource},
                                                     at("2024-12-10T09:10:00Z"), at("2024-12-10T10:30:00Z"));
    QStringList seen;
    for (const CalendarEvent& e : events)
        seen << e.title + " " + testing::utcText(e.start) + " " + testing::utcText(e.end);
    seen.sort();
    EXPECT_EQ(seen, (QStringList{"Standup 2024-12-10T09:00:00Z 2024-12-10T09:15:00Z"}));
    EXPECT_EQ(store.events({"1a2b"}, at("2024-12-09T11:00:00Z"), at("2024-12-09T11:00:00Z")).size(), 1);
    EXPECT_TRUE(store.events({"other"}, at("2024-12-09T11:00:00Z"), at("2024-12-09T11:00:00Z")).isEmpty());
}

TEST_F(EvolutionCalendarsTest, AChangedFileIsAnnouncedAndReadAgain)
{
    writeCalendar("1a2b", {{"UID:b", "SUMMARY:Old", "DTSTART:20241209T100000Z", "DTEND:20241209T120000Z"}});
    EvolutionCalendars store(folders);
    using testing::at;
    EXPECT_EQ(store.events({"1a2b"}, at("2024-12-09T11:00:00Z"), at("2024-12-09T11:00:00Z")).value(0).title, "Old");

    QSignalSpy changed(&store, &CalendarStore::changed);
    writeCalendar("1a2b", {{"UID:b", "SUMMARY:New title", "DTSTART:20241209T100000Z", "DTEND:20241209T120000Z"}});
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(store.events({"1a2b"}, at("2024-12-09T11:00:00Z"), at("2024-12-09T11:00:00Z")).value(0).title,
              "New title");

    // A calendar added later is found.
    changed.clear();
    writeCalendar("3c4d", {});
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(store.calendars().size(), 2);

    // Asking for access is answered at once, and later.
    bool answered = false;
    store.requestFullAccess([&] { answered = true; });
    EXPECT_FALSE(answered);
    QCoreApplication::processEvents();
    EXPECT_TRUE(answered);
}

} // namespace
} // namespace tavrin
