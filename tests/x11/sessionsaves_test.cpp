// The built program saves the session when the screen locks and again when
// it quits, reading browsers' tabs and terminals' folders each time; a
// quit whose read finds nothing keeps what the lock's read found.

#include "programtest.h"
#include "support/privatebus.h"
#include "support/sessionfiles.h"

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <sys/stat.h>

namespace tavrin {
namespace {

class X11SessionSavesTest : public X11ProgramTest {
protected:
    void write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The items of the one automatic workspace saved, as JSON objects.
    QList<QJsonObject> savedItems() const
    {
        const QJsonArray saved =
            QJsonDocument::fromJson(stored(QStringLiteral("savedWorkspaces")).toByteArray()).array();
        QList<QJsonObject> out;
        if (saved.size() == 1)
            for (const QJsonValue& item : saved.first().toObject().value("items").toArray())
                out.append(item.toObject());
        return out;
    }
    QJsonObject itemOf(const QString& app) const
    {
        for (const QJsonObject& item : savedItems())
            if (item.value("app").toString() == app)
                return item;
        return {};
    }
    QJsonValue savedAt() const
    {
        const QJsonArray saved =
            QJsonDocument::fromJson(stored(QStringLiteral("savedWorkspaces")).toByteArray()).array();
        return saved.size() == 1 ? saved.first().toObject().value("savedAt") : QJsonValue();
    }
    QStringList folders() const
    {
        QStringList out;
        for (const QJsonObject& item : savedItems())
            if (item.value("app").toString() == "XTerm")
                out.append(item.value("url").toString());
        out.sort();
        return out;
    }

    QTemporaryDir home_;
};

TEST_F(X11SessionSavesTest, ALockThenAQuitKeepEveryTabAndFolder)
{
    PrivateBus session;
    if (session.address().isEmpty())
        GTEST_SKIP() << "no bus could be started: " << session.problem().toStdString();
    // The screen saver that tells the program of the lock.
    QDBusConnection saver = session.connect(QStringLiteral("screen-saver"));
    ASSERT_TRUE(saver.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));

    // A running Chromium with one window of two web tabs, installed in the
    // test's own data folder.
    const QString data = home_.filePath("data");
    write(data + "/applications/chromium.desktop",
          "[Desktop Entry]\nType=Application\nName=Chromium\nStartupWMClass=Chromium\nExec=chromium %U\n");
    sessionfiles::Chromium file;
    file.tabWindow(1, 10).tabIndex(10, 0).navigation(10, 0, "https://mail.example/", "Inbox");
    file.tabWindow(1, 11).tabIndex(11, 1).navigation(11, 0, "https://docs.example/", "Docs");
    file.selectedTab(1, 0);
    const QString sessionFile = config_.filePath("chromium/Default/Sessions/Session_13300000000000001");
    write(sessionFile, file.bytes());
    ASSERT_TRUE(sessionfiles::lock(config_.filePath("chromium/SingletonLock")));
    programEnvironment_.insert("DBUS_SESSION_BUS_ADDRESS", session.address());
    programEnvironment_.insert("XDG_DATA_HOME", data);
    programEnvironment_.insert("HOME", home_.path());

    ASSERT_TRUE(startClient(ofClass("Inbox - Chromium", "Chromium")));
    // Shells that read no start-up file, whose prompt leaves the titles alone.
    QStringList expected;
    int x = 500;
    for (const char* name : {"alpha", "beta"}) {
        const QString folder = home_.filePath(name);
        ASSERT_TRUE(QDir().mkpath(folder));
        expected.append(QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded));
        ASSERT_TRUE(startTitledXterm(name, {double(x), 400}, {40, 10},
                                     {"-e", "sh", "-c", "cd \"$0\" && exec bash --norc", folder}));
        x += 400;
    }
    ASSERT_TRUE(startTavrin()) << output_.toStdString();

    saver.send(
        QDBusMessage::createSignal("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged")
        << true);
    ASSERT_TRUE(waitUntil([&] { return !itemOf("Chromium").isEmpty() && folders().size() == 2; }))
        << stored("savedWorkspaces").toByteArray().toStdString();
    const QJsonArray tabs{"https://mail.example/", "https://docs.example/"};
    EXPECT_EQ(itemOf("Chromium").value("tabs").toArray(), tabs);
    EXPECT_EQ(folders(), expected);

    // The browser's file is being rewritten when the program quits: that
    // read finds nothing, which takes nothing away.
    const QJsonValue locked = savedAt();
    pause(1.1);
    QFile::remove(sessionFile);
    ASSERT_TRUE(stopTavrin()) << tavrin_.readAllStandardError().toStdString();
    EXPECT_NE(savedAt(), locked); // saved again at the quit
    EXPECT_EQ(itemOf("Chromium").value("url").toString(), "https://mail.example/");
    EXPECT_EQ(itemOf("Chromium").value("tabs").toArray(), tabs);
    EXPECT_EQ(folders(), expected);
}

TEST_F(X11SessionSavesTest, ASessionFileThatNeverAnswersNeitherHoldsUpTheSaveNorTheQuit)
{
    PrivateBus session;
    if (session.address().isEmpty())
        GTEST_SKIP() << "no bus could be started: " << session.problem().toStdString();
    QDBusConnection saver = session.connect(QStringLiteral("screen-saver"));
    ASSERT_TRUE(saver.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    const QString data = home_.filePath("data");
    write(data + "/applications/chromium.desktop",
          "[Desktop Entry]\nType=Application\nName=Chromium\nStartupWMClass=Chromium\nExec=chromium %U\n");
    // A FIFO no one writes to, where the session file should be: opening it
    // the ordinary way waits for a writer for good.
    const QString sessionFile = config_.filePath("chromium/Default/Sessions/Session_13300000000000001");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(sessionFile).path()));
    ASSERT_EQ(mkfifo(QFile::encodeName(sessionFile).constData(), 0600), 0);
    ASSERT_TRUE(sessionfiles::lock(config_.filePath("chromium/SingletonLock")));
    programEnvironment_.insert("DBUS_SESSION_BUS_ADDRESS", session.address());
    programEnvironment_.insert("XDG_DATA_HOME", data);
    programEnvironment_.insert("HOME", home_.path());
    ASSERT_TRUE(startClient(ofClass("Inbox - Chromium", "Chromium")));
    ASSERT_TRUE(startClient(ofClass("Plan - Chromium", "Chromium")));
    ASSERT_TRUE(startTavrin()) << output_.toStdString();

    saver.send(
        QDBusMessage::createSignal("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged")
        << true);
    // The save ends without the browser's tabs.
    ASSERT_TRUE(waitUntil([&] { return !itemOf("Chromium").isEmpty(); }))
        << stored("savedWorkspaces").toByteArray().toStdString();
    EXPECT_FALSE(itemOf("Chromium").contains("tabs"));
    EXPECT_TRUE(stopTavrin()) << tavrin_.readAllStandardError().toStdString();
}

} // namespace
} // namespace tavrin
