#include "platform/sim/simclock.h"
#include "platform/workspace.h"
#include "platform/x11/x11defaults.h"
#include "platform/x11/x11desktop.h"
#include "support/x11/x11fixture.h"

#include <QCoreApplication>
#include <QDir>
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

// A fake settings tool on the search path: answers what the file named after
// its arguments holds, fails when there is none.
void writeFakeTool(const QString& dir, const QString& name)
{
    QFile file(QDir(dir).filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nPATH=/usr/bin:/bin\n"
               "answer=\"$(dirname \"$0\")/answer $(echo \"$*\" | tr '/' '_')\"\n"
               "[ -f \"$answer\" ] && exec cat \"$answer\"\nexit 1\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(X11DefaultsTest, EdgeTilingIsTheRunningDesktopsOwnSettingAndOnWhenUnreadable)
{
    QTemporaryDir tools, config;
    writeFakeTool(tools.path(), QStringLiteral("gsettings"));
    writeFakeTool(tools.path(), QStringLiteral("xfconf-query"));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", tools.path().toUtf8());
    const struct {
        QString desktop;
        QString answerFor; // the tool's arguments, '/' as '_'
        QByteArray answer; // none: the tool fails
        QByteArray kwinrc; // none: no file
        bool tiling;
    } rows[] = {
        {"GNOME", "get org.gnome.mutter edge-tiling", "false\n", {}, false},
        {"ubuntu:GNOME", "get org.gnome.mutter edge-tiling", "true\n", {}, true},
        {"GNOME", {}, {}, {}, true}, // no schema: unreadable
        {"X-Cinnamon", "get org.cinnamon.muffin edge-tiling", "false\n", {}, false},
        {"X-Cinnamon", "get org.gnome.mutter edge-tiling", "false\n", {}, true}, // not Cinnamon's own
        {"XFCE", "-c xfwm4 -p _general_tile_on_move", "false\n", {}, false},
        {"XFCE", {}, {}, {}, true}, // never set: xfwm4's default
        {"KDE", {}, {}, {}, true},  // no kwinrc: KDE's defaults
        {"KDE", {}, {}, "[Windows]\nElectricBorderMaximize=false\nElectricBorderTiling=false\n", false},
        {"KDE", {}, {}, "[Windows]\nElectricBorderTiling=false\n", true},
        {"KDE", {}, {}, "[Other]\nElectricBorderMaximize=false\nElectricBorderTiling=false\n", true},
        {"", {}, {}, {}, false}, // openbox alone
        {"LXQt", {}, {}, {}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE((row.desktop + ' ' + row.answerFor).toStdString());
        for (const QString& old : QDir(tools.path()).entryList({QStringLiteral("answer*")}))
            QFile::remove(QDir(tools.path()).filePath(old));
        QFile::remove(config.filePath(QStringLiteral("kwinrc")));
        if (!row.answerFor.isEmpty()) {
            QFile answer(QDir(tools.path()).filePath(QStringLiteral("answer ") + row.answerFor));
            ASSERT_TRUE(answer.open(QIODevice::WriteOnly));
            answer.write(row.answer);
        }
        if (!row.kwinrc.isEmpty()) {
            QFile kwinrc(config.filePath(QStringLiteral("kwinrc")));
            ASSERT_TRUE(kwinrc.open(QIODevice::WriteOnly));
            kwinrc.write(row.kwinrc);
        }
        X11Defaults defaults(inner_, clock_, X11Defaults::edgeTilingSource(row.desktop, config.path()));
        // Before a command has read the setting: the desktop's default (KDE's
        // file is read at once).
        const bool tiles = !row.desktop.isEmpty() && row.desktop != QLatin1String("LXQt");
        EXPECT_EQ(defaults.edgeTiling(), row.desktop == QLatin1String("KDE") ? row.tiling : tiles);
        QElapsedTimer t;
        t.start();
        while (!defaults.findChildren<QProcess*>().isEmpty() && t.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        EXPECT_EQ(defaults.foreignValue(kDomain, QStringLiteral("EnableTilingByEdgeDrag")), QVariant(row.tiling));
        EXPECT_EQ(defaults.foreignValue(kDomain, QStringLiteral("EnableTopTilingByEdgeDrag")), QVariant(row.tiling));
    }
    qputenv("PATH", path);
}

// xfwm4 started without a session that names the desktop is found by the
// name it gives itself; openbox, which does not tile, is not taken for it.
TEST_F(X11DefaultsTest, TheRunningWindowManagerIsFoundWithoutTheSessionsName)
{
    QTemporaryDir tools;
    writeFakeTool(tools.path(), QStringLiteral("xfconf-query"));
    QFile answer(QDir(tools.path()).filePath(QStringLiteral("answer -c xfwm4 -p _general_tile_on_move")));
    ASSERT_TRUE(answer.open(QIODevice::WriteOnly));
    answer.write("true\n");
    answer.close();
    const QByteArray path = qgetenv("PATH"), desktop = qgetenv("XDG_CURRENT_DESKTOP");
    qputenv("PATH", tools.path().toUtf8() + ':' + path); // the fake first; the X server and window managers
    qunsetenv("XDG_CURRENT_DESKTOP");
    for (const QString& wm : {QStringLiteral("xfwm4"), QStringLiteral("openbox")}) {
        SCOPED_TRACE(wm.toStdString());
        XvfbSession::Options options;
        options.windowManagerProgram = wm;
        QString error;
        const auto session = XvfbSession::start(&error, options);
        ASSERT_TRUE(session) << error.toStdString();
        const auto x11 = X11Desktop::connect(&error, session->display());
        ASSERT_TRUE(x11) << error.toStdString();
        Platform common;
        common.defaults = &inner_;
        common.clock = &clock_;
        const Platform platform = x11->startServices(common);
        ASSERT_TRUE(platform.defaults);
        QElapsedTimer t;
        t.start();
        while (!platform.defaults->findChildren<QProcess*>().isEmpty() && t.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const bool xfwm = wm == QLatin1String("xfwm4");
        EXPECT_EQ(platform.defaults->foreignValue(kDomain, QStringLiteral("EnableTilingByEdgeDrag")), QVariant(xfwm));
        // Its settings program is the one that sets that tiling.
        ASSERT_TRUE(platform.workspace);
        const auto tab = platform.workspace->settingsTab(
            QUrl(QStringLiteral("x-apple.systempreferences:") + Workspace::kDesktopSettingsPage));
        EXPECT_EQ(tab ? tab->program : QString(), xfwm ? QStringLiteral("Window Manager Tweaks") : QString());
    }
    qputenv("PATH", path);
    if (!desktop.isNull())
        qputenv("XDG_CURRENT_DESKTOP", desktop);
}

TEST_F(X11DefaultsTest, TheCommandRunsAgainOnlyOnceTheSettingsFileHasChanged)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("user"));
    const QString runs = dir.filePath(QStringLiteral("runs"));
    SimClock clock;
    X11Defaults defaults(
        inner_, clock,
        {true,
         {QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo ran >> '%1'; echo true").arg(runs)},
         settings});
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
