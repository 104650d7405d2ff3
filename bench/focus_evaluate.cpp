// One evaluation of the Focus routines engine over a busy day: 20 routines
// (words, weekly windows and applications to watch, none of them matching,
// so every trigger of every routine is looked at), 3 calendar links of 5,000
// events each (a fifth of them repeating weekly, read from a loopback
// server), 50 events in the calendars and 40 running applications. The
// counter idle_cpu_percent is the engine's whole share of one core while
// nothing changes: an evaluation every 30 seconds on the main thread
// (evaluate_cpu_percent), and away from it the links read again every ten
// minutes and their hour ahead worked out every half hour
// (background_cpu_percent).
// The second case has one link of 10,000 old daily series (1 MB) whose
// counts outlast the periods one expansion examines.
#include "focus/calendar/ics.h"
#include "focus/focus.h"
#include "modes/meetingmode.h"
#include "modes/privacyprompt.h"
#include "modes/sharesafe.h"
#include "platform/linux/qthttpclient.h"
#include "platform/platform.h"
#include "simbench.h"
#include "snapping/arranging/autoarrange.h"
#include "windows/windowmanager.h"
#include "workspaces/workspacerunner.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <ctime>

using namespace tavrin;

namespace {

constexpr int kRoutines = 20;
constexpr int kLinks = 3;
constexpr int kEventsPerLink = 5000;
constexpr int kApps = 40;

QString icsTime(double instant)
{
    return QDateTime::fromSecsSinceEpoch(qint64(instant) + Clock::kReferenceEpochSeconds, Qt::UTC)
        .toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}

// CPU time of this thread, in seconds.
double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A feed of events spread over the year before and after `now`; every fifth
// one repeats weekly from its start.
QByteArray feed(int link, double now)
{
    QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (int i = 0; i < kEventsPerLink; ++i) {
        const double start = now - 365 * 86400.0 + i * (730 * 86400.0 / kEventsPerLink);
        out += "BEGIN:VEVENT\r\nUID:" + QByteArray::number(link) + "-" + QByteArray::number(i) + "\r\nSUMMARY:Meeting "
               + QByteArray::number(i) + "\r\nDTSTART:" + icsTime(start).toLatin1()
               + "\r\nDTEND:" + icsTime(start + 1800).toLatin1() + "\r\n"
               + (i % 5 == 0 ? QByteArray("RRULE:FREQ=WEEKLY\r\n") : QByteArray()) + "END:VEVENT\r\n";
    }
    return out + "END:VCALENDAR\r\n";
}

// 10,000 series from 1970 that repeat every day with a count of 999,999,999.
QByteArray longCountsFeed()
{
    QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (int i = 0; i < 10'000; ++i)
        out += "BEGIN:VEVENT\r\nUID:long-" + QByteArray::number(i) + "\r\nSUMMARY:Standup " + QByteArray::number(i)
               + "\r\nDTSTART:19700105T0" + QByteArray::number(i % 10) + "0000Z\r\nDTEND:19700105T0"
               + QByteArray::number(i % 10) + "3000Z\r\nRRULE:FREQ=DAILY;COUNT=999999999\r\nEND:VEVENT\r\n";
    return out + "END:VCALENDAR\r\n";
}

// Answers every request with the feed its path names ("/0", "/1" …).
class FeedServer {
public:
    explicit FeedServer(QList<QByteArray> feeds) : feeds_(std::move(feeds))
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->readAll();
                    const int link = request.mid(request.indexOf(' ') + 2, 1).toInt();
                    const QByteArray& body = feeds_.value(link);
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/calendar\r\nConnection: close\r\n"
                                  "Content-Length: "
                                  + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
        });
    }
    QString link(int l) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(server_.serverPort()).arg(l); }

private:
    QTcpServer server_;
    QList<QByteArray> feeds_;
};

SimState busyDesktop(double now)
{
    SimState state = bench::twoDisplays();
    state.apps.clear();
    state.windows.clear();
    for (int a = 0; a < kApps; ++a) {
        SimApp app;
        app.pid = 601 + a;
        app.name = QStringLiteral("Application %1").arg(a);
        state.apps.push_back(app);
        SimWindow window;
        window.pid = app.pid;
        window.title = QStringLiteral("Document %1").arg(a);
        window.frame = Rect(40.0 + 20 * a, 60.0 + 10 * a, 900, 700);
        state.windows.push_back(window);
    }
    state.frontmostPid = 601;
    state.calendarAccess = CalendarAccess::fullAccess;
    SimCalendar work{{QStringLiteral("work"), QStringLiteral("Work"), QColor(Qt::blue), QString()}, {}};
    for (int e = 0; e < 50; ++e)
        work.events.push_back(
            {QStringLiteral("Event %1").arg(e), now - 40000 + e * 2000.0, now - 39000 + e * 2000.0, e % 10 == 0});
    state.calendars = {work};
    return state;
}

QList<FocusRoutine> routines()
{
    QList<FocusRoutine> list;
    for (int r = 0; r < kRoutines; ++r) {
        FocusRoutine routine;
        routine.name = QStringLiteral("Routine %1").arg(r);
        routine.eventWords = {QStringLiteral("Sprint %1").arg(r), QStringLiteral(" Retro "), QStringLiteral("1:1")};
        FocusRoutine::Schedule night;
        night.start = 1320;
        night.end = 1380;
        FocusRoutine::Schedule weekend = night;
        weekend.days.clear();
        weekend.days << 1 << 7;
        routine.schedules = {night, weekend};
        routine.whileApps = {QStringLiteral("Game %1").arg(r), QStringLiteral("Video %1").arg(r)};
        list.append(routine);
    }
    return list;
}

void BM_FocusEvaluate(benchmark::State& state)
{
    bench::SimDesk desk;
    const double now = desk.clock.now();
    desk.desktop.load(busyDesktop(now));
    QtHttpClient http(desk.clock);
    Platform services = Platform::current();
    services.http = &http;
    Platform::install(services);
    QList<QByteArray> feeds;
    if (state.range(0) == 0)
        for (int l = 0; l < kLinks; ++l)
            feeds.append(feed(l, now));
    else
        feeds.append(longCountsFeed());
    FeedServer server(feeds);
    desk.defaults.setValue(Focus::kSwitchKey, true);

    WindowManager windows;
    AutoArrange autoArrange(windows, Platform::current());
    MeetingMode meeting(windows, autoArrange, Platform::current());
    PrivacyPrompt prompt(desk.clock, windows);
    ShareSafe share(prompt, Platform::current());
    ActiveWorkspaceHolder active;
    WorkspaceRunner runner(windows, Platform::current(), active);
    Focus focus(meeting, share, windows, runner, Platform::current(), QTimeZone::utc());
    focus.setRoutines(routines());
    QStringList links;
    for (int l = 0; l < feeds.size(); ++l)
        links << server.link(l);
    focus.setLinks(links);
    QElapsedTimer waited;
    waited.start();
    while (focus.links().isFetching() && waited.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        desk.clock.runDue();
    }
    if (focus.links().events().size() != (state.range(0) == 0 ? kLinks * kEventsPerLink : 10'000)
        || !focus.linkErrors().isEmpty()) {
        state.SkipWithError("the calendar links did not load");
        return;
    }

    QElapsedTimer elapsed;
    elapsed.start();
    std::int64_t runs = 0;
    for (auto _ : state) {
        focus.evaluate();
        ++runs;
    }
    const double seconds = double(elapsed.nsecsElapsed()) / 1e9 / double(std::max<std::int64_t>(runs, 1));
    // The engine's work away from the main thread while nothing changes: the
    // links read again every kFetchInterval, and their hour ahead worked out
    // again every half hour.
    const double readStarted = threadCpuSeconds();
    qsizetype read = 0;
    for (const QByteArray& text : std::as_const(feeds))
        read += ICS::parse(QString::fromUtf8(text), QTimeZone::utc()).size();
    const double reading = threadCpuSeconds() - readStarted;
    const double tableStarted = threadCpuSeconds();
    const double later = desk.clock.now();
    benchmark::DoNotOptimize(
        LinkOccurrences::Table::of(focus.links().events(), later, later + LinkOccurrences::kSpan).starts.size());
    const double table = threadCpuSeconds() - tableStarted;
    const double background = reading / CalendarLinks::kFetchInterval + table / (LinkOccurrences::kSpan / 2);
    benchmark::DoNotOptimize(read);
    state.counters["evaluate_cpu_percent"] = seconds / Focus::kEvaluateInterval * 100;
    state.counters["background_cpu_percent"] = background * 100;
    state.counters["idle_cpu_percent"] = (seconds / Focus::kEvaluateInterval + background) * 100;
    if (focus.running())
        state.SkipWithError("a routine started");
}
BENCHMARK(BM_FocusEvaluate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return bench::runOffscreen(argc, argv); }
