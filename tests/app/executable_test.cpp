#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>

namespace {

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
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TAVRIN_BINARY), args);
        EXPECT_TRUE(p.waitForFinished(20000));
        return {p.exitCode(), p.exitStatus(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
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

} // namespace
