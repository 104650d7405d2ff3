#include "focusfixture.h"

#include "focus/routinestore.h"

#include "platform/sim/simprocesses.h"

#include <QDateTime>

namespace tavrin {

namespace {
const QByteArray kScenario = R"({
  "displays": [ { "name": "Main", "frame": [0, 0, 2560, 1440] } ],
  "frontmost": "Safari",
  "apps": [
    { "name": "Tavrin", "policy": "accessory", "self": true },
    { "name": "Safari" }, { "name": "Slack" }, { "name": "Mail" }, { "name": "FaceTime" }, { "name": "Xcode" }
  ],
  "windows": [
    { "app": "Safari", "title": "News", "frame": [100, 100, 1200, 900] },
    { "app": "Slack", "title": "general", "frame": [200, 150, 1000, 800] },
    { "app": "Mail", "title": "Inbox", "frame": [300, 200, 900, 700] },
    { "app": "FaceTime", "title": "FaceTime", "frame": [400, 250, 800, 600] },
    { "app": "Xcode", "title": "Project", "frame": [500, 300, 1200, 800] }
  ],
  "installed": [
    { "name": "Discord", "windows": [ { "title": "Discord", "frame": [600, 100, 900, 700] } ] }
  ],
  "calendarAccess": "fullAccess",
  "calendars": [ { "id": "work", "title": "Work" }, { "id": "home", "title": "Home" } ],
  "shortcuts": [ "Focus on", "Focus off" ]
})";
} // namespace

FocusTest::FocusTest() : env(kScenario)
{
    Platform services = Platform::current();
    services.http = &http;
    Platform::install(services);
}

Focus& FocusTest::focus()
{
    if (!focus_)
        focus_ = std::make_unique<Focus>(meeting, shareSafe, windows, runner, Platform::current(), QTimeZone::utc());
    return *focus_;
}

FocusRoutine FocusTest::routine(const QString& name)
{
    FocusRoutine r;
    r.name = name;
    return r;
}

void FocusTest::setRoutines(const QList<FocusRoutine>& routines)
{
    if (focus_)
        focus_->setRoutines(routines);
    else
        env.defaults.setValue(QStringLiteral("focus.routines"), RoutineStore::encode(routines));
}

bool FocusTest::isHidden(const QString& app) const
{
    const SimApp* a = env.desktop.appNamed(app);
    return a && a->hidden;
}

bool FocusTest::isRunning(const QString& app) const { return env.desktop.appNamed(app) != nullptr; }

void FocusTest::addEvent(const QString& title, double from, double to, bool allDay, const QString& calendar)
{
    std::vector<SimCalendar> calendars = env.desktop.calendars();
    for (SimCalendar& c : calendars)
        if (c.info.id == calendar)
            c.events.push_back(CalendarEvent{title, env.clock.now() + from, env.clock.now() + to, allDay});
    env.desktop.setCalendars(std::move(calendars));
}

QStringList FocusTest::shortcutRuns() const
{
    QStringList runs;
    for (const QString& run : env.desktop.processes().runs()) {
        const qsizetype at = run.indexOf(QLatin1String(" shortcuts run "));
        if (at >= 0)
            runs << run.mid(at + 15);
    }
    return runs;
}

void FocusTest::startCall()
{
    env.desktop.raiseWindow(env.window(QStringLiteral("FaceTime"))->token);
    meeting.start();
    env.desktop.setMicrophoneInUse(true);
    env.clock.advance(4.5);
    ASSERT_TRUE(meeting.inCall());
}

QString FocusTest::link(const QByteArray& path, const QByteArray& body, int status)
{
    server.setRoute(path, {{status, body, false, false}, {}, false, 0});
    return server.base().resolved(QUrl(QString::fromLatin1(path))).toString();
}

bool FocusTest::settle(const std::function<bool()>& done, int limitMs)
{
    return testing::processEventsUntil(
        [&] {
            env.clock.runDue();
            return done();
        },
        limitMs);
}

QString icsTime(double instant)
{
    return QDateTime::fromSecsSinceEpoch(qint64(instant) + Clock::kReferenceEpochSeconds, Qt::UTC)
        .toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}

QByteArray calendarFeed(const QList<QStringList>& events)
{
    QByteArray feed = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (const QStringList& lines : events)
        feed += "BEGIN:VEVENT\r\n" + lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\nEND:VEVENT\r\n";
    return feed + "END:VCALENDAR\r\n";
}

} // namespace tavrin
