#include "support/loopbackserver.h"
#include "support/privatebus.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {

using tavrin::PrivateBus;

struct Finished {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out;
    QString err;
};

class Executable : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config.isValid());
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    }

    Finished run(const QStringList& args)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TAVRIN_BINARY), args);
        EXPECT_TRUE(p.waitForFinished(20000));
        return {p.exitCode(), p.exitStatus(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    // Points the programs run here at `bus`, with the first-run window kept
    // closed; false when the bus could not be started.
    bool useBus(const PrivateBus& bus)
    {
        if (bus.address().isEmpty())
            return false;
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        env.insert(QStringLiteral("TAVRIN_DEMO"), QString());
        return true;
    }

    QTemporaryDir config;
    QProcessEnvironment env;
};

TEST_F(Executable, AMissingScenarioFailsWithOneLineNamingTheFile)
{
    const Finished r = run({QStringLiteral("--scenario"), QStringLiteral("missing.json")});
    EXPECT_EQ(r.status, QProcess::NormalExit);
    EXPECT_NE(r.exitCode, 0);
    const QStringList lines = r.err.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 1) << r.err.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("tavrin: missing.json: "))) << lines[0].toStdString();
}

TEST_F(Executable, AMalformedScenarioFailsWithOneLineAndIsLeftAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("broken.json"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray broken = "{\"displays\": [ {\"name\": \"A\", ";
    f.write(broken);
    f.close();

    const Finished r = run({QStringLiteral("--scenario"), path});
    EXPECT_NE(r.exitCode, 0);
    const QStringList lines = r.err.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 1) << r.err.toStdString();
    EXPECT_TRUE(lines[0].contains(path)) << lines[0].toStdString();

    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), broken);
}

TEST_F(Executable, WrongArgumentsExitWithUsage)
{
    const Finished r = run({QStringLiteral("--desktop"), QStringLiteral("wayland")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("tavrin: Unknown desktop"))) << r.err.toStdString();
}

TEST_F(Executable, VersionPrintsTheVersion)
{
    const Finished r = run({QStringLiteral("--version")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^Tavrin \d+\.\d+\.\d+\n$)")).match(r.out).hasMatch())
        << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(Executable, RunsUntilTerminatedAndQuitsCleanly)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TAVRIN_BINARY), {});
    ASSERT_TRUE(p.waitForStarted(10000));
    // Ready once it says so; then SIGTERM must end it normally.
    QByteArray out;
    while (!out.contains("Tavrin is running") && p.waitForReadyRead(20000))
        out += p.readAllStandardOutput();
    ASSERT_TRUE(out.contains("Tavrin is running")) << out.toStdString();
    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(p.readAllStandardError(), QByteArray());
}

// Starts the program and waits until it says it runs; what it said by then
// goes to `said`.
bool startAndWait(QProcess& p, const QProcessEnvironment& env, const QStringList& args = {}, QByteArray* said = nullptr)
{
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TAVRIN_BINARY), args);
    if (!p.waitForStarted(10000))
        return false;
    QByteArray out;
    while (!out.contains("Tavrin is running") && p.waitForReadyRead(20000))
        out += p.readAllStandardOutput();
    if (said)
        *said = out;
    return out.contains("Tavrin is running");
}

void stop(QProcess& p)
{
    ::kill(pid_t(p.processId()), SIGTERM);
    EXPECT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0);
}

TEST_F(Executable, AnIntentFromASecondShellArrangesTheRunningInstancesDisplay)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();

    const Finished none = run({QStringLiteral("intent"), QStringLiteral("apply-layout"), QStringLiteral("thirds")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "tavrin: Tavrin isn't running. Start it, then try again.\n");

    QProcess tavrin;
    QByteArray said;
    ASSERT_TRUE(startAndWait(tavrin, env, {}, &said));
    const Finished arranged = run({QStringLiteral("intent"), QStringLiteral("apply-layout"), QStringLiteral("thirds")});
    // What the running program said of the bus, should the intent miss it.
    EXPECT_EQ(arranged.exitCode, 0) << arranged.err.toStdString() << said.toStdString();
    EXPECT_EQ(arranged.out, QString());
    const Finished wrong = run({QStringLiteral("intent"), QStringLiteral("start-focus"), QStringLiteral("500")});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.err, "tavrin: Minutes must be a whole number from 5 to 480.\n");
    stop(tavrin);
    EXPECT_EQ(tavrin.readAllStandardError(), QByteArray());

    // The layout went to the focused window's display, which remembers it.
    QFile settings(config.filePath(QStringLiteral("tavrin/defaults.plist")));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray text = settings.readAll();
    EXPECT_TRUE(text.contains("<key>layout.UltraWide 34</key>\n\t<string>thirds</string>")) << text.toStdString();
}

TEST_F(Executable, AFocusRoutineStartedFromASecondShellHidesItsApplicationsUntilItIsStopped)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    QProcess tavrin;
    ASSERT_TRUE(startAndWait(tavrin, env));

    // The default routine hides the chat and mail applications of the default
    // desktop (Messages is hidden already: not the routine's to show again).
    const QString hid = QStringLiteral("Deep work is on for 25 minutes. Hid Mail, Slack, Microsoft Teams.\n");
    const QStringList start{QStringLiteral("intent"), QStringLiteral("start-focus"), QStringLiteral("Deep work"),
                            QStringLiteral("25")};
    const Finished started = run(start);
    EXPECT_EQ(started.exitCode, 0) << started.err.toStdString();
    EXPECT_EQ(started.out.toStdString(), hid.toStdString());
    const Finished help = run({QStringLiteral("intent"), QStringLiteral("--help")});
    EXPECT_TRUE(help.out.contains("ROUTINE is one of Deep work.")) << help.out.toStdString();
    const Finished filter =
        run({QStringLiteral("intent"), QStringLiteral("focus-filter"), QStringLiteral("deep work")});
    EXPECT_EQ(filter.out, "The Focus filter now names Deep work.\n");

    // Stopped, they are shown again: a new start has all three to hide.
    EXPECT_EQ(run({QStringLiteral("intent"), QStringLiteral("stop-focus")}).exitCode, 0);
    EXPECT_EQ(run(start).out.toStdString(), hid.toStdString());
    stop(tavrin);
    EXPECT_EQ(tavrin.readAllStandardError(), QByteArray());
}

TEST_F(Executable, TheShortcutsToolListsAndRunsTheExecutableFilesOfItsFolder)
{
    QDir(config.path()).mkpath(QStringLiteral("tavrin/shortcuts"));
    const QString folder = config.filePath(QStringLiteral("tavrin/shortcuts"));
    const auto script = [&](const QString& name, const QByteArray& body, bool executable) {
        QFile f(folder + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(body);
        f.close();
        if (executable)
            f.setPermissions(f.permissions() | QFile::ExeOwner);
    };
    const QString marker = config.filePath(QStringLiteral("ran"));
    script(QStringLiteral("Focus on"), "#!/bin/sh\necho on > '" + marker.toUtf8() + "'\n", true);
    script(QStringLiteral("Beta"), "#!/bin/sh\nexit 3\n", true);
    script(QStringLiteral("notes.txt"), "not a shortcut", false);
    script(QStringLiteral(".hidden"), "#!/bin/sh\n", true);

    const Finished listed = run({QStringLiteral("shortcuts"), QStringLiteral("list")});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "Beta\nFocus on\n");

    EXPECT_EQ(run({QStringLiteral("shortcuts"), QStringLiteral("run"), QStringLiteral("Focus on")}).exitCode, 0);
    EXPECT_TRUE(QFile::exists(marker));
    EXPECT_EQ(run({QStringLiteral("shortcuts"), QStringLiteral("run"), QStringLiteral("Beta")}).exitCode, 3);
    const Finished outside = run({QStringLiteral("shortcuts"), QStringLiteral("run"), QStringLiteral("../ran")});
    EXPECT_EQ(outside.exitCode, 1);
    EXPECT_TRUE(outside.err.startsWith("tavrin: There is no shortcut called \"../ran\"")) << outside.err.toStdString();
    EXPECT_EQ(run({QStringLiteral("shortcuts"), QStringLiteral("run"), QStringLiteral("notes.txt")}).exitCode, 1);
    EXPECT_EQ(run({QStringLiteral("shortcuts")}).exitCode, 2);
}

TEST_F(Executable, ASecondTavrinOnTheSameSettingsExitsWithOneLine)
{
    QProcess first;
    ASSERT_TRUE(startAndWait(first, env));
    const Finished second = run({});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.out, QString());
    EXPECT_EQ(second.err, QStringLiteral("tavrin: Another Tavrin is already running with the settings in %1/tavrin.\n")
                              .arg(config.path()));

    // Other settings, another Tavrin.
    QTemporaryDir otherConfig;
    QProcessEnvironment otherEnv = env;
    otherEnv.insert(QStringLiteral("XDG_CONFIG_HOME"), otherConfig.path());
    QProcess other;
    EXPECT_TRUE(startAndWait(other, otherEnv));
    stop(other);
    stop(first);
}

TEST_F(Executable, IntentHelpListsThePhrases)
{
    const Finished r = run({QStringLiteral("intent"), QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("apply-layout LAYOUT")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("\"Arrange windows in <layout> with Tavrin\"")) << r.out.toStdString();
    const Finished bad = run({QStringLiteral("intent"), QStringLiteral("apply-layout"), QStringLiteral("grid")});
    EXPECT_EQ(bad.exitCode, 2);
}

TEST_F(Executable, ATerminationWhileACalendarLinkIsReadEndsTheProgramAtOnce)
{
    // 15 MB of series that each walk as far as one expansion may: reading
    // them all takes minutes of a core, away from the main thread.
    QByteArray feed = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (int i = 0; feed.size() < 15'000'000; ++i)
        feed += "BEGIN:VEVENT\r\nUID:s" + QByteArray::number(i)
                + "\r\nDTSTART:20000101T090000Z\r\nRRULE:FREQ=YEARLY;BYMONTH=1,2,3,4,5,6,7,8,9,10,11,12;"
                  "BYMONTHDAY=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31;"
                  "COUNT=2000000\r\nEND:VEVENT\r\n";
    feed += "END:VCALENDAR\r\n";
    tavrin::testing::LoopbackServer server;
    server.setRoute("/slow.ics", {{200, feed, false, false}, {}, false, 0});
    const QString link = server.base().resolved(QUrl(QStringLiteral("/slow.ics"))).toString();
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("tavrin")));
    QFile settings(config.filePath(QStringLiteral("tavrin/defaults.plist")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>focus.links</key><array><string>)"
                   + link.toUtf8() + "</string></array></dict></plist>\n");
    settings.close();

    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TAVRIN_BINARY), {});
    ASSERT_TRUE(p.waitForStarted(10000));
    // The server answers from this thread's event loop.
    ASSERT_TRUE(tavrin::testing::processEventsUntil([&] { return !server.received().isEmpty(); }, 30000));
    tavrin::testing::processEventsUntil([] { return false; }, 2000); // the feed is sent, and read
    ASSERT_EQ(p.state(), QProcess::Running);

    QElapsedTimer ending;
    ending.start();
    ::kill(pid_t(p.processId()), SIGTERM);
    // Within 2 s on a quiet machine; the bound leaves room for a busy one,
    // while waiting for the reading would take minutes.
    ASSERT_TRUE(p.waitForFinished(20000)) << "still running after SIGTERM";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    RecordProperty("seconds to end", QString::number(double(ending.elapsed()) / 1000.0).toStdString());
}

} // namespace
