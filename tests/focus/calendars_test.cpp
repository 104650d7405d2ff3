#include "focusfixture.h"

#include <QSignalSpy>
#include <algorithm>
#include <atomic>
#include <ctime>
#include <functional>
#include <future>
#include <pthread.h>
#include <thread>

namespace tavrin {
namespace {

class CalendarTriggersTest : public FocusTest {
protected:
    // The current events as "title until +seconds".
    QStringList current()
    {
        QStringList out;
        for (const Focus::Now& e : focus().currentEvents())
            out << QStringLiteral("%1 until +%2").arg(e.title).arg(e.end - env.clock.now());
        return out;
    }
    // One VEVENT's lines, `from` and `to` seconds from now.
    QStringList vevent(const QString& title, double from, double to, const QStringList& more = {}) const
    {
        return QStringList{QStringLiteral("UID:") + title, QStringLiteral("SUMMARY:") + title,
                           QStringLiteral("DTSTART:") + icsTime(env.clock.now() + from),
                           QStringLiteral("DTEND:") + icsTime(env.clock.now() + to)}
               + more;
    }
    // Sets the links and waits for all of them to be taken.
    void fetch(const QStringList& links)
    {
        QSignalSpy fetched(&focus().links(), &CalendarLinks::fetched);
        focus().setLinks(links);
        ASSERT_TRUE(settle([&] { return !fetched.isEmpty() && !focus().links().isFetching(); }));
    }
    QString errorOf(const QString& link) { return focus().linkErrors().value(link); }
};

TEST_F(CalendarTriggersTest, TheCalendarsEventsHappeningNow)
{
    addEvent("Started", -600, 1200);
    addEvent("Soon", 30, 1200); // inside the search window, not begun
    addEvent("All day", -3600, 80000, true);
    addEvent("Just ended", -1200, 0);
    addEvent("At home", -60, 60, false, "home");
    EXPECT_EQ(current(), (QStringList{"Started until +1200", "At home until +60"}));

    // Chosen calendars only; chosen ones that have all gone give nothing.
    env.defaults.setValue(Focus::kCalendarsKey, QVariantList{"home"});
    EXPECT_EQ(current(), QStringList{"At home until +60"});
    env.defaults.setValue(Focus::kCalendarsKey, QVariantList{"gone"});
    EXPECT_TRUE(current().isEmpty());
    env.defaults.setValue(Focus::kCalendarsKey, QVariantList{});
    EXPECT_EQ(current().size(), 2);

    // Without access nothing is read.
    env.desktop.setCalendarAccess(CalendarAccess::denied);
    Focus other(meeting, shareSafe, windows, runner, Platform::current(), QTimeZone::utc());
    EXPECT_TRUE(other.currentEvents().isEmpty());
}

TEST_F(CalendarTriggersTest, AnEventCountsFromTheFirstEvaluationAtOrAfterItsStart)
{
    env.defaults.setValue(Focus::kSwitchKey, true);
    FocusRoutine standup = routine("Standup");
    standup.eventWords = {"standup"};
    setRoutines({standup});
    addEvent("Daily standup", 30, 900);
    focus().start();
    EXPECT_FALSE(focus().running());
    env.clock.advance(30);
    ASSERT_TRUE(focus().running());
    EXPECT_EQ(focus().until(), env.clock.now() + 870);
}

TEST_F(CalendarTriggersTest, LinkEventsHappeningNowEachOccurrenceWithItsOwnEnd)
{
    const double t = env.clock.now();
    const QString feed =
        link("/feed.ics", calendarFeed({
                              vevent("Now", -600, 600),
                              vevent("Instant", 0, 0),
                              vevent("Later", 120, 600),
                              vevent("Over", -600, 0),
                              // Weekly from four weeks ago, an hour from ten minutes before now.
                              vevent("Weekly", -28 * 86400 - 600, -28 * 86400 + 3000, {"RRULE:FREQ=WEEKLY"}),
                          }));
    fetch({feed});
    EXPECT_TRUE(focus().linkErrors().isEmpty());
    EXPECT_EQ(focus().links().events().size(), 5);
    EXPECT_EQ(current(), (QStringList{"Now until +600", "Weekly until +3000"}));

    // A week on, the next occurrence counts with its own end, without a fetch.
    env.clock.setNow(t + 7 * 86400 + 60);
    EXPECT_EQ(current(), QStringList{"Weekly until +2940"});
    EXPECT_EQ(server.received().size(), 1);
}

TEST_F(CalendarTriggersTest, WebcalIsFetchedOverHttpsAndFailuresAreKeptUnderTheLinkAsTyped)
{
    const QString ok = link("/ok.ics", calendarFeed({vevent("Now", -60, 60)}));
    const QString missing = link("/missing.ics", "Not found", 404);
    const QString page = link("/page.html", "<html><body>Hello</body></html>");
    QUrl webcal = server.base().resolved(QUrl("/ok.ics"));
    webcal.setScheme("webcal");
    const QString upper = QStringLiteral("WEBCAL://") + webcal.toString().mid(9);
    const QString bad = QStringLiteral("not a link");
    const QString local = QStringLiteral("file:///etc/hosts");
    QUrl closed = server.base();
    closed.setPort(1);
    fetch({webcal.toString(), ok, missing, page, upper, bad, local, closed.toString()});

    // The webcal link went as https to a server that speaks plain http: a
    // failure of the secure connection, under the link as it was typed.
    EXPECT_TRUE(std::any_of(server.received().cbegin(), server.received().cend(),
                            [](const auto& r) { return r.method == "TLS"; }));
    EXPECT_TRUE(errorOf(webcal.toString()).startsWith(CalendarLinks::kCouldNotLoad))
        << errorOf(webcal.toString()).toStdString();
    EXPECT_FALSE(errorOf(ok).size());
    EXPECT_EQ(errorOf(missing), CalendarLinks::kNotACalendar);
    EXPECT_EQ(errorOf(page), CalendarLinks::kNotACalendar);
    EXPECT_EQ(errorOf(upper), CalendarLinks::kNotALink);
    EXPECT_EQ(errorOf(bad), CalendarLinks::kNotALink);
    EXPECT_EQ(errorOf(local), CalendarLinks::kNotALink);
    EXPECT_TRUE(errorOf(closed.toString()).startsWith("Couldn't load it: "))
        << errorOf(closed.toString()).toStdString();
    EXPECT_EQ(focus().linkErrors().size(), 7);
    // The links that worked still give their events.
    EXPECT_EQ(current(), QStringList{"Now until +60"});
    EXPECT_EQ(server.received().size(), 4); // the webcal link's, then ok, missing and page
}

TEST_F(CalendarTriggersTest, LinksAreFetchedAtMostEveryTenMinutesAndForgottenWhenRemoved)
{
    const QString feed = link("/feed.ics", calendarFeed({vevent("Now", -60, 3600)}));
    const QString gone = link("/gone.ics", "", 500);
    fetch({feed, gone});
    EXPECT_EQ(server.received().size(), 2);
    focus().start(); // evaluations every 30 s
    env.clock.advance(CalendarLinks::kFetchInterval);
    EXPECT_EQ(server.received().size(), 2);
    env.clock.advance(Focus::kEvaluateInterval);
    ASSERT_TRUE(settle([&] { return server.received().size() == 4 && !focus().links().isFetching(); }));

    // Removing the last link clears its events at once; the messages stay
    // until a later fetch.
    focus().setLinks({});
    EXPECT_TRUE(current().isEmpty());
    EXPECT_EQ(errorOf(gone), CalendarLinks::kNotACalendar);
}

TEST_F(CalendarTriggersTest, AFetchSupersededByAChangeOfTheLinksIsDropped)
{
    // The stale feed answers only after the fresh one.
    const QString fresh = link("/fresh.ics", calendarFeed({vevent("Fresh", -60, 600)}));
    server.setRoute("/stale.ics", {{200, calendarFeed({vevent("Stale", -60, 600)}), false, false}, {}, false, 300});
    const QString stale = server.base().resolved(QUrl("/stale.ics")).toString();
    Focus& engine = focus();
    const auto fetchDirectly = [&](QString link) -> QCoro::Task<> {
        const QStringList links{link};
        co_await engine.fetchLinks(links);
    };

    // A fetch under way when the links change.
    auto before = fetchDirectly(stale);
    fetch({fresh});
    ASSERT_TRUE(settle([&] { return before.isReady(); }));
    EXPECT_EQ(current(), QStringList{"Fresh until +600"});

    // Of two fetches under way, the newer one's results stand.
    auto older = fetchDirectly(stale);
    auto newer = fetchDirectly(fresh);
    ASSERT_TRUE(settle([&] { return older.isReady() && newer.isReady(); }));
    EXPECT_EQ(current(), QStringList{"Fresh until +600"});
    EXPECT_EQ(server.received().size(), 4);
}

TEST_F(CalendarTriggersTest, ASlowLinkHoldsNoOtherBackAndIsNotFetchedAgainWhileItRuns)
{
    server.setRoute("/slow.ics", {{200, {}, true, false}, {}, false, 0}); // never answers
    const QString slow = server.base().resolved(QUrl("/slow.ics")).toString();
    const QString fast = link("/fast.ics", calendarFeed({vevent("Fast", -60, 3600)}));
    const auto requestsFor = [&](const QByteArray& target) {
        return std::count_if(server.received().cbegin(), server.received().cend(),
                             [&](const auto& r) { return r.target == target; });
    };
    QSignalSpy fetched(&focus().links(), &CalendarLinks::fetched);
    focus().setLinks({slow, fast});
    ASSERT_TRUE(settle([&] { return !fetched.isEmpty(); }));
    EXPECT_EQ(current(), QStringList{"Fast until +3600"});
    EXPECT_TRUE(focus().links().isFetching());

    // A fetch that falls due meanwhile leaves the slow link to the one under way.
    focus().setLinks({slow, fast});
    ASSERT_TRUE(settle([&] { return fetched.size() == 2; }));
    EXPECT_EQ(requestsFor("/fast.ics"), 2);
    EXPECT_EQ(requestsFor("/slow.ics"), 1);
    env.clock.advance(CalendarLinks::kTimeout + 1);
    ASSERT_TRUE(settle([&] { return !focus().links().isFetching(); }));
    EXPECT_EQ(errorOf(slow), "Couldn't load it: The request timed out.");
    EXPECT_EQ(current(), QStringList{"Fast until +3539"});
}

TEST_F(CalendarTriggersTest, ALinkMayNotRunLongFollowFarOrSendTooMuch)
{
    using Route = testing::LoopbackServer::Route;
    const auto to = [&](const QByteArray& where) {
        return Route{{302, {}, false, false}, {{"Location", where}}, false, 0};
    };
    const QByteArray calendar = calendarFeed({vevent("Moved", -60, 600)});
    for (int i = 0; i < 6; ++i)
        server.setRoute("/hop" + QByteArray::number(i), to("/hop" + QByteArray::number(i + 1)));
    server.setRoute("/hop6", {{200, calendar, false, false}, {}, false, 0});
    server.setRoute("/away", to("file:///etc/hosts"));
    // 30 MiB, once with its length declared and once without.
    const QByteArray huge = "BEGIN:VCALENDAR\r\n" + QByteArray(30 * 1024 * 1024, 'x');
    server.setRoute("/huge", {{200, huge, false, false}, {}, false, 0});
    server.setRoute("/streamed", {{200, huge, false, false}, {}, true, 0});
    const QString base = server.base().toString();
    const QString fiveHops = base + "hop1", sixHops = base + "hop0", away = base + "away";
    fetch({fiveHops, sixHops, away, base + "huge", base + "streamed"});
    EXPECT_EQ(errorOf(fiveHops), QString());
    EXPECT_EQ(errorOf(sixHops), CalendarLinks::kNotACalendar);
    EXPECT_EQ(errorOf(away), CalendarLinks::kNotACalendar);
    EXPECT_EQ(errorOf(base + "huge"), "Couldn't load it: the calendar is larger than 20 MB.");
    EXPECT_EQ(errorOf(base + "streamed"), "Couldn't load it: the calendar is larger than 20 MB.");
    EXPECT_EQ(current(), QStringList{"Moved until +600"});

    // A server that never answers holds the fetch no longer than a minute.
    server.setRoute("/stall", {{200, {}, true, false}, {}, false, 0});
    QSignalSpy fetched(&focus().links(), &CalendarLinks::fetched);
    focus().setLinks({base + "stall"});
    ASSERT_TRUE(settle([&] { return server.received().last().target == "/stall"; }));
    env.clock.advance(CalendarLinks::kTimeout - 1);
    EXPECT_TRUE(fetched.isEmpty());
    env.clock.advance(10);
    ASSERT_TRUE(settle([&] { return !fetched.isEmpty(); }));
    // A slow server is not a wrong address.
    EXPECT_EQ(errorOf(base + "stall"), "Couldn't load it: The request timed out.");
}

TEST_F(CalendarTriggersTest, ARoutineOnACalendarLinksEventStartsWithinOneEvaluationOfItsStart)
{
    env.defaults.setValue(Focus::kSwitchKey, true);
    FocusRoutine review = routine("Review");
    review.eventWords = {"review"};
    review.actions.hideApps = {"Slack"};
    setRoutines({review});
    const QString feed = link("/team.ics", calendarFeed({vevent("Design review", 45, 1845)}));
    env.defaults.setValue(CalendarLinks::kLinksKey, QVariantList{feed});
    focus().start();
    ASSERT_TRUE(settle([&] { return !focus().links().isFetching() && focus().links().events().size() == 1; }));
    EXPECT_FALSE(focus().running());

    env.clock.advance(30);
    EXPECT_FALSE(focus().running());
    env.clock.advance(30); // the first evaluation after the start, 15 s late
    ASSERT_TRUE(focus().running());
    EXPECT_EQ(focus().running()->name, "Review");
    EXPECT_TRUE(isHidden("Slack"));
    EXPECT_EQ(focus().until(), env.clock.now() + 1785);
}

// Series that each count thousands of days one by one: seconds of a core
// to read, and as long again to expand.
QByteArray walkingSeries(int count)
{
    QByteArray feed = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (int i = 0; i < count; ++i)
        feed += "BEGIN:VEVENT\r\nUID:w" + QByteArray::number(i)
                + "\r\nDTSTART:20000101T090000Z\r\nRRULE:FREQ=DAILY;BYMONTHDAY=1,2,3,4,5,6,7,8,9,10,11,12,13,14,"
                  "15,16,17,18,19,20,21,22,23,24,25,26,27,28;COUNT=19000\r\nEND:VEVENT\r\n";
    return feed + "END:VCALENDAR\r\n";
}

// A reading of a link given up by its bound ends within moments, whether it
// is reading the events or working out when they occur: a second later its
// thread is gone (it ran on for minutes when only whole events were checked).
TEST(CalendarLinksReading, AReadingGivenUpEndsWithinASecond)
{
    const double now = Clock::referenceSeconds(QDateTime(QDate(2026, 6, 1), QTime(9, 0), Qt::UTC));
    const std::atomic<bool> never{false};
    const std::optional<CalendarLinks::Feed> few = CalendarLinks::readFeed(walkingSeries(10), now, never);
    ASSERT_TRUE(few);
    ASSERT_EQ(few->events.size(), 10);
    QList<ICSEvent> many;
    for (int i = 0; i < 500; ++i)
        many += few->events;
    const QByteArray feed = walkingSeries(2000);

    struct Row {
        const char* what;
        std::function<void(const std::atomic<bool>&)> work;
    } rows[] = {
        {"reading", [&](const std::atomic<bool>& stop) { EXPECT_FALSE(CalendarLinks::readFeed(feed, now, stop)); }},
        {"expanding",
         [&](const std::atomic<bool>& stop) {
             LinkOccurrences::Table::of(many, now, now + LinkOccurrences::kSpan, &stop);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::atomic<bool> stop{false};
        std::promise<void> ended;
        std::future<void> end = ended.get_future();
        std::thread worker([&] {
            row.work(stop);
            ended.set_value();
        });
        clockid_t cpu{};
        ASSERT_EQ(pthread_getcpuclockid(worker.native_handle(), &cpu), 0);
        // Well into the work (a quarter of a second of its core), then given up.
        const auto worked = [cpu] {
            timespec t{};
            clock_gettime(cpu, &t);
            return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
        };
        for (int i = 0;
             i < 6000 && worked() < 0.25 && end.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready;
             ++i)
            ;
        ASSERT_NE(end.wait_for(std::chrono::seconds(0)), std::future_status::ready) << "the work was too short";
        stop = true;
        const bool endedInTime = end.wait_for(std::chrono::seconds(1)) == std::future_status::ready;
        worker.join();
        EXPECT_TRUE(endedInTime);
    }
}

} // namespace
} // namespace tavrin
