// The built program saves the session when the screen locks and again when
// it quits, reading browsers' tabs and terminals' folders each time; a
// quit whose read finds nothing keeps what the lock's read found.

#include "programtest.h"
#include "support/privatebus.h"
#include "support/sanitised.h"
#include "support/sessionfiles.h"

#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <functional>
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

    // The test's own data folder, with Chromium installed in it.
    QString dataWithChromium()
    {
        const QString data = home_.filePath("data");
        write(data + "/applications/chromium.desktop",
              "[Desktop Entry]\nType=Application\nName=Chromium\nStartupWMClass=Chromium\nExec=chromium %U\n");
        return data;
    }
    // What the screen saver on `saver` tells the program when the screen locks.
    static void lockScreen(QDBusConnection& saver)
    {
        saver.send(
            QDBusMessage::createSignal("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged")
            << true);
    }

    static bool writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
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
    const QString data = dataWithChromium();
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

    lockScreen(saver);
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

TEST_F(X11SessionSavesTest, AHostileSessionFileNeitherHoldsUpTheSaveNorTheQuit)
{
    PrivateBus session;
    if (session.address().isEmpty())
        GTEST_SKIP() << "no bus could be started: " << session.problem().toStdString();
    QDBusConnection saver = session.connect(QStringLiteral("screen-saver"));
    ASSERT_TRUE(saver.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    const QString data = dataWithChromium();
    write(data + "/applications/firefox-esr.desktop",
          "[Desktop Entry]\nType=Application\nName=Firefox ESR\nExec=firefox-esr %u\n");
    // Both browsers run, each with a window.
    const QString chromium = config_.filePath("chromium/Default/Sessions/Session_13300000000000001");
    const QString firefox = config_.filePath("mozilla/firefox/p.default/sessionstore-backups/recovery.jsonlz4");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(chromium).path()));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(firefox).path()));
    write(config_.filePath("mozilla/firefox/profiles.ini"), "[Profile0]\nName=p\nIsRelative=1\nPath=p.default\n");
    ASSERT_TRUE(sessionfiles::lock(config_.filePath("chromium/SingletonLock")));
    ASSERT_TRUE(sessionfiles::lock(config_.filePath("mozilla/firefox/p.default/lock")));
    programEnvironment_.insert("DBUS_SESSION_BUS_ADDRESS", session.address());
    programEnvironment_.insert("XDG_DATA_HOME", data);
    programEnvironment_.insert("HOME", home_.path());
    ASSERT_TRUE(startClient(ofClass("Inbox - Chromium", "Chromium")));
    ASSERT_TRUE(startClient(ofClass("Inbox \u2014 Mozilla Firefox", "firefox-esr")));

    const struct {
        const char* what;
        const QString& file;
        std::function<bool()> make;
        QString firefoxAddress = {}; // what the read finds: nothing, or a bounded answer
    } cases[] = {
        // Opening it the ordinary way waits for a writer for good.
        {"a FIFO no one writes to", chromium,
         [&] { return mkfifo(QFile::encodeName(chromium).constData(), 0600) == 0; }},
        {"a link to /dev/zero", firefox, [&] { return QFile::link("/dev/zero", firefox); }},
        // The quit save reads what it finds before the program ends; the
        // sanitised program reads some ten times slower, so it is given a
        // quarter of the file (the reader's own tests take the whole one).
        {"a large file of closed windows", chromium,
         [&] {
             return writeFile(chromium, sessionfiles::chromiumClosedWindows((testing::kSanitised ? 16 : 64) << 20));
         }},
        {"a claimed size of 400 MB", firefox,
         [&] { return writeFile(firefox, sessionfiles::firefoxClaiming(400u << 20)); }},
        {"300 MB unpacked", firefox, [&] { return writeFile(firefox, sessionfiles::firefoxUnpackingTo(300 << 20)); }},
        {"selected at INT_MIN", firefox,
         [&] {
             return writeFile(firefox, sessionfiles::firefox(R"({"windows":[{"selected":-2147483648,"tabs":[
                 {"entries":[{"url":"https://a.example/","title":"Inbox"}]}]}]})"));
         },
         "https://a.example/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(config_.filePath("tavrin/defaults.plist")); // no earlier save to keep tabs from
        ASSERT_TRUE(c.make());
        output_.clear();
        ASSERT_TRUE(startTavrin()) << output_.toStdString();

        lockScreen(saver);
        // The save ends, with a bounded answer or none.
        ASSERT_TRUE(waitUntil([&] { return !savedItems().isEmpty(); }))
            << stored("savedWorkspaces").toByteArray().toStdString();
        for (const QJsonObject& item : savedItems())
            EXPECT_FALSE(item.contains("tabs")) << QJsonDocument(item).toJson().toStdString();
        EXPECT_EQ(itemOf("Firefox ESR").value("url").toString(), c.firefoxAddress);
        // Quitting does not wait for a read. A quit that did would be ended by
        // the program's own watchdog, 10 s after the signal, with status 143
        // (which stopTavrin refuses): a clean exit is the check, its time is
        // only recorded, because a machine at load 30+ can stretch the quit
        // save past the 2 s an idle one takes.
        QElapsedTimer quitting;
        quitting.start();
        EXPECT_TRUE(stopTavrin()) << tavrin_.readAllStandardError().toStdString();
        RecordProperty(QString(c.what).replace(' ', '_').toStdString() + "_quit_ms", int(quitting.elapsed()));
        QFile::remove(c.file);
    }
}

} // namespace
} // namespace tavrin
