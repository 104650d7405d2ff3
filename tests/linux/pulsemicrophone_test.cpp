#include "platform/linux/pulsemicrophone.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace tavrin {
namespace {

// How long the test waits for the sound server or parec to do what it was
// asked: a loaded machine makes them slow, and only a failure waits it out.
constexpr double kWaitSeconds = 30.0;
constexpr int kWaitMs = int(kWaitSeconds * 1000);

// Waits (at most `seconds`) until `done` holds.
bool waitUntil(const std::function<bool()>& done, double seconds = kWaitSeconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > seconds * 1000)
            return false;
        QThread::msleep(5);
    }
    return true;
}

// A private sound server for the test: PulseAudio without a daemon, its
// socket in a folder of the test's own, with one capture source, "mic", the
// default. Clients of this process find it through PULSE_SERVER.
class PulseMicrophoneOnAServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString server = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        parec_ = QStandardPaths::findExecutable(QStringLiteral("parec"));
        if (server.isEmpty() || parec_.isEmpty())
            GTEST_SKIP() << "no sound server to start here: pulseaudio and parec (pulseaudio-utils) are needed";
        ASSERT_TRUE(folder_.isValid());
        socket_ = folder_.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), folder_.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder_.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_.filePath(QStringLiteral("config")));
        server_.setProcessEnvironment(env);
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.setStandardOutputFile(QProcess::nullDevice());
        server_.start(server,
                      {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                       QStringLiteral("--log-level=error"), QStringLiteral("-L"),
                       QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1").arg(socket_),
                       QStringLiteral("-L"), QStringLiteral("module-null-source source_name=mic")});
        if (!server_.waitForStarted(kWaitMs))
            GTEST_SKIP() << "the sound server did not start: " << server_.errorString().toStdString();
        if (!waitUntil([&] { return QFileInfo::exists(socket_); }))
            GTEST_SKIP() << "the sound server did not open its socket";
        previous_ = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:" + socket_.toLocal8Bit());
    }

    void TearDown() override
    {
        microphone_.reset();
        stopRecording();
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            server_.waitForFinished(kWaitMs);
        }
        if (previous_.isNull())
            qunsetenv("PULSE_SERVER");
        else
            qputenv("PULSE_SERVER", previous_);
    }

    void record()
    {
        recorder_ = std::make_unique<QProcess>();
        recorder_->setStandardOutputFile(QProcess::nullDevice());
        recorder_->start(parec_, {QStringLiteral("-d"), QStringLiteral("mic"), QStringLiteral("--raw")});
        ASSERT_TRUE(recorder_->waitForStarted(kWaitMs));
    }
    void stopRecording()
    {
        if (!recorder_)
            return;
        recorder_->terminate();
        recorder_->waitForFinished(kWaitMs);
        recorder_.reset();
    }

    PulseMicrophone& microphone()
    {
        if (!microphone_)
            microphone_ = std::make_unique<PulseMicrophone>();
        return *microphone_;
    }

    QTemporaryDir folder_;
    QString socket_;
    QString parec_;
    QProcess server_;
    std::unique_ptr<QProcess> recorder_;
    QByteArray previous_;
    std::unique_ptr<PulseMicrophone> microphone_;
};

TEST_F(PulseMicrophoneOnAServer, InUseWhileAProgramRecordsFromTheDefaultSource)
{
    ASSERT_TRUE(waitUntil([&] { return microphone().isCurrent(); }));
    EXPECT_FALSE(microphone().inUse());
    record();
    EXPECT_TRUE(waitUntil([&] { return microphone().inUse(); }));
    stopRecording();
    EXPECT_TRUE(waitUntil([&] { return !microphone().inUse(); }));
}

TEST_F(PulseMicrophoneOnAServer, ARecordingUnderWayIsSeenAtOnceAndTheServerGoingEndsIt)
{
    record();
    EXPECT_TRUE(waitUntil([&] { return microphone().inUse(); }));
    server_.terminate();
    ASSERT_TRUE(server_.waitForFinished(kWaitMs));
    EXPECT_TRUE(waitUntil([&] { return !microphone().inUse() && microphone().isCurrent(); }));
}

TEST(PulseMicrophone, WithoutASoundServerNothingIsInUse)
{
    QTemporaryDir folder;
    const QByteArray previous = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:" + folder.filePath(QStringLiteral("nothing-here")).toLocal8Bit());
    {
        PulseMicrophone microphone;
        EXPECT_TRUE(waitUntil([&] { return microphone.isCurrent(); }));
        EXPECT_FALSE(microphone.inUse());
    }
    if (previous.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", previous);
}

} // namespace
} // namespace tavrin
