#include "platform/sim/simclock.h"
#include "platform/x11/x11defaults.h"
#include "platform/x11/x11desktop.h"
#include "support/x11/x11fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace tavrin {
namespace {

TEST(X11DesktopConnect, SaysWhyItCannotRun)
{
    QString error;
    const QString none = XvfbSession::unusedDisplay();
    EXPECT_FALSE(X11Desktop::connect(&error, none));
    EXPECT_EQ(error, QStringLiteral("Cannot open the X display \"%1\".").arg(none));

    XvfbSession::Options bare;
    bare.windowManager = false;
    bool noServer = false;
    auto session = XvfbSession::start(&error, bare, &noServer);
    if (!session && noServer)
        GTEST_SKIP() << "No X server for this test: " << error.toStdString();
    ASSERT_TRUE(session) << error.toStdString();
    EXPECT_FALSE(X11Desktop::connect(&error, session->display()));
    EXPECT_EQ(error, QStringLiteral("No window manager that follows EWMH runs on this X display."));
}

class X11DefaultsTest : public ::testing::Test {
protected:
    inline static const QString kDomain = QStringLiteral("com.apple.WindowManager");
    MemoryDefaults inner_;
    QtClock clock_;
};

TEST_F(X11DefaultsTest, EdgeTilingIsTheDesktopsOwnSetting)
{
    X11Defaults on(inner_, clock_, {QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo true")});
    X11Defaults off(inner_, clock_, {QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo false")});
    X11Defaults noSchema(inner_, clock_,
                         {QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo true; exit 1")});
    X11Defaults missing(inner_, clock_, {QStringLiteral("no-such-settings-tool")});
    // Reads never wait: the first answer is "off" until the desktop's has come.
    for (X11Defaults* d : {&on, &off, &noSchema, &missing})
        EXPECT_EQ(d->foreignValue(kDomain, QStringLiteral("EnableTilingByEdgeDrag")), QVariant(false));
    QElapsedTimer t;
    t.start();
    while (!on.edgeTiling() && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(on.foreignValue(kDomain, QStringLiteral("EnableTilingByEdgeDrag")), QVariant(true));
    EXPECT_EQ(on.foreignValue(kDomain, QStringLiteral("EnableTopTilingByEdgeDrag")), QVariant(true));
    EXPECT_FALSE(on.foreignValue(kDomain, QStringLiteral("SomethingElse")));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_FALSE(off.edgeTiling());
    EXPECT_FALSE(noSchema.edgeTiling());
    EXPECT_FALSE(missing.edgeTiling());
}

TEST_F(X11DefaultsTest, TheCommandRunsAgainOnlyOnceTheSettingsFileHasChanged)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("user"));
    const QString runs = dir.filePath(QStringLiteral("runs"));
    SimClock clock;
    X11Defaults defaults(
        inner_, clock,
        {QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo ran >> '%1'; echo true").arg(runs)},
        settings);
    // Asks as the once-a-second poll does, a refresh interval on, and lets a
    // command it started finish; how many times the command has run.
    auto askAndCount = [&] {
        clock.advance(X11Defaults::kRefreshInterval + 1);
        defaults.foreignValue(kDomain, QStringLiteral("EnableTilingByEdgeDrag"));
        QElapsedTimer t;
        t.start();
        while (!defaults.findChildren<QProcess*>().isEmpty() && t.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QFile file(runs);
        return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
    };
    auto write = [&](const QByteArray& bytes) {
        QFile file(settings);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write(bytes);
    };
    EXPECT_EQ(askAndCount(), 1); // at construction
    EXPECT_EQ(askAndCount(), 1);
    write("a");
    EXPECT_EQ(askAndCount(), 2);
    EXPECT_EQ(askAndCount(), 2);
    write("b");
    EXPECT_EQ(askAndCount(), 3);
    EXPECT_TRUE(defaults.edgeTiling());
}

} // namespace
} // namespace tavrin
