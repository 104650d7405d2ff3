#include "app/busname.h"
#include "app/instanceservice.h"
#include "app/intents/intentservice.h"
#include "platform/clock.h"
#include "platform/linux/plistcodec.h"
#include "support/loopbackserver.h"
#include "support/privatebus.h"
#include "support/sanitised.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using tavrin::InstanceService;
using tavrin::IntentService;
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
        // Nothing of the caller's session: no bus but the test's own (a
        // path where none listens, until `useBus`), and a home, data and
        // desktop-entry folders of the test.
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=") + config.filePath(QStringLiteral("no-bus")));
        env.remove(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        for (const char* folder : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
            const QString path = home.filePath(QString::fromLatin1(folder));
            QDir().mkpath(path);
            env.insert(QString::fromLatin1(folder), path);
        }
        env.remove(QStringLiteral("XDG_DATA_DIRS"));
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
    QTemporaryDir home;
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
    EXPECT_EQ(none.err, "tavrin: Tavrin isn't running. Start it, then try again.\n") << none.err.toStdString();

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

// A session without HOME (a service, `env -i`): the settings go to the home
// the password database gives the user, as for other desktop programs. The
// program runs where that database is one of the test's own, so that the
// user's real home is left alone.
TEST_F(Executable, AStartWithoutHomeSavesInTheHomeOfThePasswordDatabase)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    const QString realHome = home.filePath(QStringLiteral("in-passwd"));
    ASSERT_TRUE(QDir().mkpath(realHome));
    QFile passwd(home.filePath(QStringLiteral("passwd")));
    ASSERT_TRUE(passwd.open(QIODevice::WriteOnly));
    passwd.write(
        QStringLiteral("tester:x:%1:%2:Tester:%3:/bin/sh\n").arg(::getuid()).arg(::getgid()).arg(realHome).toUtf8());
    passwd.close();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        env.remove(QString::fromLatin1(name));

    // Its own view of /etc/passwd, in a mount namespace of its own.
    constexpr int kNoNamespace = 97;
    QProcess tavrin;
    tavrin.setProcessEnvironment(env);
    tavrin.start(
        QStringLiteral("unshare"),
        {QStringLiteral("--mount"), QStringLiteral("--propagation"), QStringLiteral("private"), QStringLiteral("sh"),
         QStringLiteral("-c"),
         QStringLiteral("mount --bind \"$0\" /etc/passwd 2>/dev/null || exit %1; exec \"$@\"").arg(kNoNamespace),
         passwd.fileName(), QStringLiteral(TAVRIN_BINARY)});
    ASSERT_TRUE(tavrin.waitForStarted(10000));
    QByteArray out;
    while (!out.contains("Tavrin is running") && tavrin.waitForReadyRead(20000))
        out += tavrin.readAllStandardOutput();
    if (tavrin.state() == QProcess::NotRunning && tavrin.exitCode() == kNoNamespace)
        GTEST_SKIP() << "no mount namespace of the test's own here (it needs root)";
    ASSERT_TRUE(out.contains("Tavrin is running")) << out.toStdString() << tavrin.readAllStandardError().toStdString();

    // A change is saved in the settings under that home (a shell with HOME
    // set there reaches the program of those settings).
    env.insert(QStringLiteral("HOME"), realHome);
    const Finished arranged = run({QStringLiteral("intent"), QStringLiteral("apply-layout"), QStringLiteral("thirds")});
    EXPECT_EQ(arranged.exitCode, 0) << arranged.err.toStdString();
    stop(tavrin);
    EXPECT_EQ(tavrin.readAllStandardError(), QByteArray());
    QFile settings(realHome + QStringLiteral("/.config/tavrin/defaults.plist"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly)) << "nothing saved in the home of the password database";
    EXPECT_TRUE(settings.readAll().contains("<key>layout.UltraWide 34</key>\n\t<string>thirds</string>"));
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

// A dotfiles set-up: two config folders whose settings are links to one
// file. The second start is refused, or each would write over the other.
TEST_F(Executable, TwoConfigFoldersLinkingOneSettingsFileRunOneTavrin)
{
    QTemporaryDir dotfiles, other;
    for (const QString& config : {config.path(), other.path()}) {
        ASSERT_TRUE(QDir().mkpath(config + QStringLiteral("/tavrin")));
        ASSERT_TRUE(QFile::link(dotfiles.filePath(QStringLiteral("defaults.plist")),
                                config + QStringLiteral("/tavrin/defaults.plist")));
    }
    QProcess first;
    ASSERT_TRUE(startAndWait(first, env));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), other.path());
    const Finished second = run({});
    EXPECT_EQ(second.exitCode, 1) << second.out.toStdString();
    EXPECT_TRUE(second.err.startsWith(QStringLiteral("tavrin: Another Tavrin is already running")))
        << second.err.toStdString();
    stop(first);
}

// The intents reach the Tavrin of the settings the shell would use itself.
TEST_F(Executable, IntentsFromAShellWithOtherSettingsReachTheTavrinOfThoseSettings)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    QTemporaryDir second;
    QProcessEnvironment secondEnv = env;
    secondEnv.insert(QStringLiteral("XDG_CONFIG_HOME"), second.path());
    QProcess first, other;
    QByteArray said;
    ASSERT_TRUE(startAndWait(first, env));
    ASSERT_TRUE(startAndWait(other, secondEnv, {}, &said));
    EXPECT_FALSE(said.contains("answering intents already")) << said.toStdString();
    env = secondEnv;
    const Finished arranged = run({QStringLiteral("intent"), QStringLiteral("apply-layout"), QStringLiteral("thirds")});
    EXPECT_EQ(arranged.exitCode, 0) << arranged.err.toStdString();
    stop(other);
    stop(first);
    QFile secondSettings(second.filePath(QStringLiteral("tavrin/defaults.plist")));
    ASSERT_TRUE(secondSettings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(secondSettings.readAll().contains("<string>thirds</string>"));
    QFile firstSettings(config.filePath(QStringLiteral("tavrin/defaults.plist")));
    ASSERT_TRUE(firstSettings.open(QIODevice::ReadOnly));
    EXPECT_FALSE(firstSettings.readAll().contains("<string>thirds</string>"));
}

// Another program of the session took both of Tavrin's names before it
// started. Nothing is sent to it or taken from it; Tavrin gets each name as
// soon as it is let go.
TEST_F(Executable, ASquatterOnTheBusNamesGetsNothingAndGivesThemUpToTavrin)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    const QString settings = config.filePath(QStringLiteral("tavrin/defaults.plist"));
    const QStringList names{IntentService::serviceName(settings), InstanceService::serviceName(settings)};
    QDBusConnection squatter = bus.connect(QStringLiteral("squatter"));
    for (const QString& name : names)
        ASSERT_TRUE(squatter.registerService(name)) << name.toStdString();

    const Finished refused = run({QStringLiteral("intent"), QStringLiteral("stop-focus")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("not Tavrin"))) << refused.err.toStdString();
    EXPECT_FALSE(refused.err.contains(QChar(0x1b)));

    QProcess tavrin;
    QByteArray said;
    ASSERT_TRUE(startAndWait(tavrin, env, {}, &said));
    EXPECT_EQ(said.count("takes it once it is free"), 2) << said.toStdString();
    for (const QString& name : names)
        ASSERT_TRUE(squatter.unregisterService(name));
    const Finished reached = run({QStringLiteral("intent"), QStringLiteral("stop-focus")});
    EXPECT_EQ(reached.exitCode, 0) << reached.err.toStdString();
    const Finished second = run({});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(second.out.contains(QStringLiteral("its menu-bar window is open now"))) << second.out.toStdString();
    stop(tavrin);
}

// Sends `count` Ask calls at once to the intents of `settings`; counts the
// replies (answers or refusals) as they come.
struct Burst {
    Burst(QDBusConnection connection, const QString& settings, int count)
    {
        for (int i = 0; i < count; ++i) {
            QDBusMessage ask =
                QDBusMessage::createMethodCall(IntentService::serviceName(settings), IntentService::kObjectPath,
                                               IntentService::kInterface, QStringLiteral("Ask"));
            ask << QStringLiteral("Plan the launch, take %1").arg(i);
            auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(ask, 120000));
            QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [this, watcher] {
                ++(watcher->isError() && watcher->error().type() == QDBusError::NoReply ? lost : replied);
                watcher->deleteLater();
            });
        }
    }
    int replied = 0;
    int lost = 0;
};

// The settings file is whole: a property list with a dictionary at its top.
void expectWholeSettings(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString why;
    const auto root = tavrin::PlistCodec::fromData(file.readAll(), &why);
    ASSERT_TRUE(root) << why.toStdString();
    EXPECT_EQ(root->typeId(), QMetaType::QVariantMap);
}

// A flood of requests from any program of the session: every one is
// answered (or refused as busy), the program keeps answering meanwhile, and a
// SIGTERM in the middle of one ends it with its settings whole. The product
// promises 5 s for the burst and 2 s for the quit; the bounds here are ones
// a loaded machine cannot miss, yet far below the minutes the fault took.
TEST_F(Executable, ABurstOfAsksIsAnsweredWhileTheProgramKeepsAnsweringAndASigtermEndsIt)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    const QString settings = config.filePath(QStringLiteral("tavrin/defaults.plist"));
    ASSERT_TRUE(QDir().mkpath(config.filePath(QStringLiteral("tavrin"))));
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        tavrin::PlistCodec::toXml(QVariantMap{{QStringLiteral("layout.UltraWide 34"), QStringLiteral("halves")}}));
    file.close();
    QProcess tavrin;
    ASSERT_TRUE(startAndWait(tavrin, env));
    QDBusConnection client = bus.connect(QStringLiteral("flood"));

    QElapsedTimer clock;
    clock.start();
    Burst burst(client, settings, 300);
    qint64 slowestPing = 0;
    QEventLoop loop;
    QTimer ping;
    QObject::connect(&ping, &QTimer::timeout, [&] {
        if (burst.replied + burst.lost == 300) {
            loop.quit();
            return;
        }
        QElapsedTimer took;
        took.start();
        const QDBusMessage asked =
            client.call(QDBusMessage::createMethodCall(IntentService::serviceName(settings), IntentService::kObjectPath,
                                                       IntentService::kInterface, QStringLiteral("Routines")),
                        QDBus::Block, 60000);
        EXPECT_EQ(asked.type(), QDBusMessage::ReplyMessage) << asked.errorMessage().toStdString();
        slowestPing = std::max(slowestPing, took.elapsed());
    });
    ping.start(100);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(burst.replied, 300) << "after " << clock.elapsed() << " ms";
    EXPECT_EQ(burst.lost, 0);
    EXPECT_LT(slowestPing, 20000);

    // The signal comes while the burst is on its way in.
    Burst another(client, settings, 300);
    QEventLoop sending;
    QTimer::singleShot(50, &sending, &QEventLoop::quit);
    sending.exec();
    ::kill(pid_t(tavrin.processId()), SIGTERM);
    QElapsedTimer quitting;
    quitting.start();
    ASSERT_TRUE(tavrin.waitForFinished(30000));
    EXPECT_LT(quitting.elapsed(), 30000);
    expectWholeSettings(settings);
}

// Processor seconds (user and system) a running process has used so far;
// -1 when it cannot be read.
double processorSeconds(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the name, which is in brackets and may hold spaces.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(::sysconf(_SC_CLK_TCK));
}

// Processor seconds of every child this process has waited for.
double reapedChildrenSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A layout with 200,000 learned pairs (a settings file of 27 MB), and a
// SIGTERM while it runs: the program ends within 2 s, its settings whole and
// its learning kept (it took 5 s when the quit wrote the file through a
// library that looked each key up among those before it). Counted in the
// processor time the program takes after the signal.
TEST_F(Executable, ASigtermDuringALayoutWithALargeLearnedTableEndsTheProgramWithinTwoSeconds)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    const QString settings = config.filePath(QStringLiteral("tavrin/defaults.plist"));
    QVariantMap counts;
    for (int i = 0; i < 200000; ++i)
        counts.insert(QStringLiteral("App %1|UltraWide 34").arg(i), QVariantMap{{QStringLiteral("Left"), qint64(3)}});
    ASSERT_TRUE(QDir().mkpath(config.filePath(QStringLiteral("tavrin"))));
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(tavrin::PlistCodec::toXml(QVariantMap{{QStringLiteral("learning.counts"), counts}}));
    file.close();

    QProcess tavrin;
    ASSERT_TRUE(startAndWait(tavrin, env));
    QDBusConnection client = bus.connect(QStringLiteral("layout"));
    QDBusMessage layout =
        QDBusMessage::createMethodCall(IntentService::serviceName(settings), IntentService::kObjectPath,
                                       IntentService::kInterface, QStringLiteral("ApplyLayout"));
    layout << QStringLiteral("thirds");
    const QDBusMessage done = client.call(layout, QDBus::Block, 60000);
    EXPECT_EQ(done.type(), QDBusMessage::ReplyMessage) << done.errorMessage().toStdString();
    client.asyncCall(layout);
    // The quit's own work is the processor time the program takes after the
    // signal: a loaded machine stretches the wall clock, not that.
    const double before = processorSeconds(pid_t(tavrin.processId()));
    const double childrenBefore = reapedChildrenSeconds();
    ::kill(pid_t(tavrin.processId()), SIGTERM);
    QElapsedTimer quitting;
    quitting.start();
    ASSERT_TRUE(tavrin.waitForFinished(30000)) << "still running 30 s after SIGTERM";
    const double quitCost = reapedChildrenSeconds() - childrenBefore - before;
    RecordProperty("seconds to end", QString::number(double(quitting.elapsed()) / 1000.0).toStdString());
    RecordProperty("processor seconds to end", QString::number(quitCost).toStdString());
    EXPECT_GE(before, 0.0);
    // The address sanitiser makes the program several times slower.
    const double bound = tavrin::testing::kSanitised ? 16.0 : 2.0;
    EXPECT_LT(quitCost, bound) << "the quit took " << quitCost << " s of processor time";
    expectWholeSettings(settings);
    QFile written(settings);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains("<key>App 199999|UltraWide 34</key>"));
}

// The help lists the commands; a voice assistant's phrases mean nothing here.
TEST_F(Executable, IntentHelpListsTheCommands)
{
    const Finished r = run({QStringLiteral("intent"), QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("apply-layout LAYOUT")) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains("\"Arrange windows in <layout> with Tavrin\"")) << r.out.toStdString();
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

// The settings as the program left them: a dictionary, or none with a failure.
std::optional<QVariantMap> settingsIn(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString why;
    const auto root = tavrin::PlistCodec::fromData(file.readAll(), &why);
    EXPECT_TRUE(root && root->typeId() == QMetaType::QVariantMap) << why.toStdString();
    return root ? std::optional(root->toMap()) : std::nullopt;
}

// The newest time (seconds since 2001) an automatic session was saved at.
double newestSessionIn(const QVariantMap& settings)
{
    double newest = -1;
    const QJsonArray saved =
        QJsonDocument::fromJson(settings.value(QStringLiteral("savedWorkspaces")).toByteArray()).array();
    for (const QJsonValue& w : saved)
        if (w[QStringLiteral("auto")].toBool())
            newest = std::max(newest, w[QStringLiteral("savedAt")].toDouble());
    return newest;
}

// Layouts applied one after another from another program, each acknowledged
// by its answer, while a quit signal comes at a random moment: whatever the
// signal, the program quits in order. The last layout it acknowledged is in
// the file (one it applied is answered, even as it quits), the file is
// whole, and the workspace saved at quit is there.
TEST_F(Executable, AQuitSignalAtAnyMomentLosesNoAcknowledgedChange)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    const QString settings = config.filePath(QStringLiteral("tavrin/defaults.plist"));
    const QString key = QStringLiteral("layout.UltraWide 34");
    const QStringList layouts{QStringLiteral("halves"), QStringLiteral("thirds"), QStringLiteral("columns"),
                              QStringLiteral("stack")};
    const int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};
    QDBusConnection client = bus.connect(QStringLiteral("writer"));
    std::mt19937 random(20261208);
    int next = 0;
    for (int cycle = 0; cycle < 60; ++cycle) {
        SCOPED_TRACE(cycle);
        QProcess tavrin;
        ASSERT_TRUE(startAndWait(tavrin, env));
        // The last layout answered, and one sent after it and not answered.
        QString acknowledged, inFlight, unanswered;
        bool ended = false;
        QEventLoop loop;
        std::function<void()> send = [&] {
            if (ended)
                return;
            inFlight = layouts.at(next++ % layouts.size());
            QDBusMessage call =
                QDBusMessage::createMethodCall(IntentService::serviceName(settings), IntentService::kObjectPath,
                                               IntentService::kInterface, QStringLiteral("ApplyLayout"));
            call << inFlight;
            auto* watcher = new QDBusPendingCallWatcher(client.asyncCall(call, 60000));
            QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &loop, [&, watcher, sent = inFlight] {
                watcher->deleteLater();
                if (watcher->isError())
                    unanswered = sent;
                else
                    acknowledged = sent;
                if (!watcher->isError())
                    unanswered.clear();
                inFlight.clear();
                if (ended)
                    loop.quit();
                else
                    send();
            });
        };
        send();
        const int signal = quitSignals[random() % 3];
        QTimer::singleShot(int(random() % 400), &loop, [&] { ::kill(pid_t(tavrin.processId()), signal); });
        QObject::connect(&tavrin, &QProcess::finished, &loop, [&] {
            ended = true;
            if (inFlight.isEmpty())
                loop.quit();
        });
        const double start = tavrin::Clock::referenceSeconds(QDateTime::currentDateTime());
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        ASSERT_TRUE(ended) << "still running after signal " << signal;
        ASSERT_TRUE(inFlight.isEmpty()) << "a call was never answered";
        EXPECT_EQ(tavrin.exitStatus(), QProcess::NormalExit) << "signal " << signal;
        const std::optional<QVariantMap> left = settingsIn(settings);
        ASSERT_TRUE(left);
        // A layout applied is saved and answered before the program ends:
        // the file holds the last one answered, never one left unanswered.
        const QString stored = left->value(key).toString();
        if (!acknowledged.isEmpty()) {
            EXPECT_EQ(stored.toStdString(), acknowledged.toStdString())
                << "signal " << signal << (stored == unanswered ? ": stored, never answered" : "");
        }
        EXPECT_GE(newestSessionIn(*left), start - 0.05) << "signal " << signal;
    }
}

// One call of `method` on the intents of `settings`, waited for at most
// `limitMs`; what came back and how long it took.
QDBusMessage callIntents(QDBusConnection client, const QString& settings, const QString& method,
                         const QVariantList& arguments, int limitMs, qint64* took = nullptr)
{
    QDBusMessage call = QDBusMessage::createMethodCall(IntentService::serviceName(settings), IntentService::kObjectPath,
                                                       IntentService::kInterface, method);
    call.setArguments(arguments);
    QElapsedTimer clock;
    clock.start();
    const QDBusMessage reply = client.call(call, QDBus::Block, limitMs);
    if (took)
        *took = clock.elapsed();
    return reply;
}

// The bus library stops reading a connection that has more than 63 MiB of
// messages unread: one message of 100 MB must not leave the program deaf.
// It is answered, and so is every call after it, each at once (the bounds
// leave room for a loaded machine; a deaf program never answers).
TEST_F(Executable, AHundredMegabyteCallLeavesTheProgramAnswering)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    const QString settings = config.filePath(QStringLiteral("tavrin/defaults.plist"));
    QProcess tavrin;
    ASSERT_TRUE(startAndWait(tavrin, env));
    QDBusConnection client = bus.connect(QStringLiteral("large"));
    const QDBusMessage large =
        callIntents(client, settings, QStringLiteral("Ask"), {QString(100'000'000, QLatin1Char('a'))}, 60000);
    EXPECT_NE(large.errorName(), QStringLiteral("org.freedesktop.DBus.Error.NoReply"));
    for (int ping = 0; ping < 10; ++ping) {
        qint64 took = 0;
        const QDBusMessage answer = callIntents(client, settings, QStringLiteral("Routines"), {}, 10000, &took);
        EXPECT_EQ(answer.type(), QDBusMessage::ReplyMessage) << ping << ": " << answer.errorMessage().toStdString();
        EXPECT_LT(took, 2000) << ping;
    }
    stop(tavrin);
    EXPECT_FALSE(tavrin.readAllStandardError().contains("another thread"));
}

// Runs `program` (a copy of the built one) to its end.
Finished runCopy(const QString& program, const QProcessEnvironment& env, const QStringList& args)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(20000));
    return {p.exitCode(), p.exitStatus(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// A copy of the built program in `folder`, named tavrin.
QString copyOfTavrin(const QTemporaryDir& folder, const QString& name = QStringLiteral("tavrin"))
{
    const QString copy = folder.filePath(name);
    EXPECT_TRUE(QFile::copy(QStringLiteral(TAVRIN_BINARY), copy));
    return copy;
}

// Whoever holds the names is told by the file it runs, whatever its name: a
// program in another file named tavrin is not sent an intent nor asked to
// open its window, though it is a copy of this very one.
TEST_F(Executable, AnotherProgramNamedTavrinHoldingTheNamesIsRefused)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    QTemporaryDir elsewhere;
    QProcess impostor;
    impostor.setProcessEnvironment(env);
    impostor.start(copyOfTavrin(elsewhere), {});
    ASSERT_TRUE(impostor.waitForStarted(10000));
    QByteArray out;
    while (!out.contains("Tavrin is running") && impostor.waitForReadyRead(20000))
        out += impostor.readAllStandardOutput();
    ASSERT_TRUE(out.contains("Tavrin is running")) << out.toStdString();

    const Finished intent = run({QStringLiteral("intent"), QStringLiteral("stop-focus")});
    EXPECT_EQ(intent.exitCode, 1);
    EXPECT_TRUE(intent.err.contains(QStringLiteral("not Tavrin"))) << intent.err.toStdString();
    const Finished second = run({});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains(QStringLiteral("It was not asked to open its window"))) << second.err.toStdString();
    stop(impostor);
}

// An upgrade replaces the program's file while it runs (dpkg renames the new
// file over the old one): the new file's intents and second start still
// reach the running program.
TEST_F(Executable, TheProgramReplacedOnDiskStillAnswersItsIntentsAndASecondStart)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    QTemporaryDir installed;
    const QString program = copyOfTavrin(installed);
    QProcess tavrin;
    tavrin.setProcessEnvironment(env);
    tavrin.start(program, {});
    ASSERT_TRUE(tavrin.waitForStarted(10000));
    QByteArray out;
    while (!out.contains("Tavrin is running") && tavrin.waitForReadyRead(20000))
        out += tavrin.readAllStandardOutput();
    ASSERT_TRUE(out.contains("Tavrin is running")) << out.toStdString();
    const QString upgrade = copyOfTavrin(installed, QStringLiteral("tavrin.new"));
    ASSERT_EQ(::rename(QFile::encodeName(upgrade).constData(), QFile::encodeName(program).constData()), 0);

    const Finished intent =
        runCopy(program, env, {QStringLiteral("intent"), QStringLiteral("apply-layout"), QStringLiteral("thirds")});
    EXPECT_EQ(intent.exitCode, 0) << intent.err.toStdString();
    const Finished second = runCopy(program, env, {});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(second.out.contains(QStringLiteral("its menu-bar window is open now"))) << second.out.toStdString();
    stop(tavrin);
}

// A shell whose settings path is a link to the running program's settings
// file reaches it: one file, one name on the bus.
TEST_F(Executable, AShellOfALinkedSettingsPathReachesTheRunningProgram)
{
    PrivateBus bus;
    if (!useBus(bus))
        GTEST_SKIP() << "no session bus could be started: " << bus.problem().toStdString();
    const QString settings = config.filePath(QStringLiteral("tavrin/defaults.plist"));
    ASSERT_TRUE(QDir().mkpath(config.filePath(QStringLiteral("tavrin"))));
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(tavrin::PlistCodec::toXml(QVariantMap{}));
    file.close();
    QProcess tavrin;
    ASSERT_TRUE(startAndWait(tavrin, env));
    QTemporaryDir other;
    ASSERT_TRUE(QDir().mkpath(other.filePath(QStringLiteral("tavrin"))));
    ASSERT_TRUE(QFile::link(settings, other.filePath(QStringLiteral("tavrin/defaults.plist"))));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), other.path());
    const Finished intent = run({QStringLiteral("intent"), QStringLiteral("apply-layout"), QStringLiteral("thirds")});
    EXPECT_EQ(intent.exitCode, 0) << intent.err.toStdString();
    const Finished second = run({});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    stop(tavrin);
    const std::optional<QVariantMap> left = settingsIn(settings);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->value(QStringLiteral("layout.UltraWide 34")).toString(), QStringLiteral("thirds"));
}
