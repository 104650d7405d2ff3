// Browsers' session files read into their windows and tabs, matched to the
// windows on screen by title; files cut short, rewritten or made up give no
// answer and never a crash.

#include "platform/linux/browserwindowmatch.h"
#include "platform/linux/chromiumsession.h"
#include "platform/linux/firefoxsession.h"
#include "support/sessionfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tavrin;

namespace {

BrowserWindow window(std::initializer_list<std::pair<const char*, const char*>> tabs, int front)
{
    BrowserWindow w;
    for (const auto& [title, url] : tabs)
        w.tabs.append(BrowserTab{QString::fromUtf8(title), QString::fromUtf8(url)});
    w.front = front;
    return w;
}

// Two windows, five tabs; the second tab of the first window in front, its
// history gone back once; a private window is never written, and the first
// write can hold a window without tabs.
const QByteArray kFirefoxJson = R"json({"version":["sessionrestore",1],"windows":[
 {"tabs":[{"entries":[{"url":"https://mail.example/","title":"Inbox"}],"index":1},
          {"entries":[{"url":"https://docs.example/a","title":"Draft"},{"url":"https://docs.example/b","title":"Budget"}],"index":1},
          {"entries":[{"url":"about:blank","title":""}],"index":1}],"selected":2},
 {"tabs":[{"entries":[{"url":"https://news.example/","title":"News"}],"index":1},
          {"entries":[{"url":"https://plan.example/","title":"Plan"}],"index":1}],"selected":1},
 {"tabs":[],"selected":0}],"selectedWindow":1,"_closedWindows":[]})json";

TEST(FirefoxSession, ReadsEachWindowsTabsAndTheOneInFront)
{
    const auto windows = FirefoxSession::parse(sessionfiles::firefox(kFirefoxJson));
    ASSERT_TRUE(windows);
    EXPECT_EQ(
        *windows,
        (QList<BrowserWindow>{
            window({{"Inbox", "https://mail.example/"}, {"Draft", "https://docs.example/a"}, {"", "about:blank"}}, 1),
            window({{"News", "https://news.example/"}, {"Plan", "https://plan.example/"}}, 0)}));
}

TEST(FirefoxSession, AFileThatIsNotWholeGivesNoAnswer)
{
    const QByteArray good = sessionfiles::firefox(kFirefoxJson);
    QByteArray bigger = good;
    bigger[8] = char(0xff); // claims more than the block holds
    QByteArray huge = good;
    huge[11] = char(0x7f); // claims 2 GB
    const QList<QByteArray> bad{
        good.left(good.size() / 2), // cut short
        good.left(12),
        QByteArray("mozLz40\0", 8),
        bigger,
        huge,
        QByteArray("mozLz40X") + good.mid(8),
        sessionfiles::firefox("{\"windows\":"), // JSON cut short
        sessionfiles::firefox("[1, 2]"),
        kFirefoxJson, // not packed
        {},
    };
    for (const QByteArray& file : bad)
        EXPECT_FALSE(FirefoxSession::parse(file)) << file.left(40).toHex().toStdString();
    // Well-formed but strange: nothing to show, no crash.
    EXPECT_EQ(FirefoxSession::parse(sessionfiles::firefox(R"({"windows":[{"tabs":[{"entries":[{"title":"no address"}]},
        {"entries":"x","index":-5},{"index":99}],"selected":"x"},7,null]})")),
              QList<BrowserWindow>());
}

TEST(FirefoxSession, ReadsTheProfilesThatProfilesIniNames)
{
    QTemporaryDir root;
    QDir(root.path()).mkpath("abcd.default-esr/sessionstore-backups");
    QDir(root.path()).mkpath("efgh.other/sessionstore-backups");
    QDir(root.path()).mkpath("ijkl.stale/sessionstore-backups");
    QFile ini(root.filePath("profiles.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Install3B6073811A6ABF12]\nDefault=abcd.default-esr\nLocked=1\n\n"
              "[Profile1]\nName=other\nIsRelative=1\nPath=efgh.other\n\n"
              "[Profile2]\nName=stale\nIsRelative=1\nPath=ijkl.stale\n\n"
              "[Profile0]\nName=default-esr\nIsRelative=1\nPath=abcd.default-esr\nDefault=1\n\n"
              "[General]\nStartWithLastProfile=1\nVersion=2\n");
    ini.close();
    EXPECT_FALSE(FirefoxSession::read(root.path())); // no session written yet
    ASSERT_TRUE(sessionfiles::lock(root.filePath("abcd.default-esr/lock")));
    ASSERT_TRUE(sessionfiles::lock(root.filePath("efgh.other/lock")));
    // A profile whose browser does not run (its lock left by a crash, or
    // none) is not read: its windows are not on screen.
    ASSERT_TRUE(sessionfiles::lock(root.filePath("ijkl.stale/lock"), true));
    QFile stale(root.filePath("ijkl.stale/sessionstore-backups/recovery.jsonlz4"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(sessionfiles::firefox(kFirefoxJson));
    stale.close();

    QFile file(root.filePath("abcd.default-esr/sessionstore-backups/recovery.jsonlz4"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(sessionfiles::firefox(kFirefoxJson));
    file.close();
    QFile broken(root.filePath("efgh.other/sessionstore-backups/recovery.jsonlz4"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("mozLz40\0garbage");
    broken.close();
    const auto windows = FirefoxSession::read(root.path());
    ASSERT_TRUE(windows);
    EXPECT_EQ(windows->size(), 2);
}

// The same two windows in Chromium's command log, with a closed tab, a
// closed window, commands that are not read, and a tab whose selected page
// is its first.
QByteArray chromiumFile()
{
    sessionfiles::Chromium f;
    f.tabWindow(1, 10).tabIndex(10, 0).navigation(10, 0, "https://mail.example/", "Inbox");
    f.tabWindow(1, 11).tabIndex(11, 1).navigation(11, 0, "https://docs.example/a", "Draft");
    f.navigation(11, 1, "https://docs.example/b", "").selectedNavigation(11, 0);
    f.other(21, QByteArray(12, 'x')); // last active time
    f.tabWindow(1, 12).tabIndex(12, 2).navigation(12, 0, "https://gone.example/", "Gone").tabClosed(12);
    f.tabWindow(2, 20).tabIndex(20, 0).navigation(20, 0, "https://news.example/", "");
    f.tabWindow(2, 21).tabIndex(21, 1).navigation(21, 0, "https://plan.example/", "");
    f.tabWindow(3, 30).navigation(30, 0, "https://closed.example/", "Closed").windowClosed(3);
    f.selectedTab(1, 1).selectedTab(2, 0);
    return f.bytes();
}

TEST(ChromiumSession, ReplaysTheCommandsIntoWindowsAndTheirFrontTabs)
{
    const auto windows = ChromiumSession::parse(chromiumFile());
    ASSERT_TRUE(windows);
    EXPECT_EQ(*windows, (QList<BrowserWindow>{
                            window({{"Inbox", "https://mail.example/"}, {"Draft", "https://docs.example/a"}}, 1),
                            window({{"", "https://news.example/"}, {"", "https://plan.example/"}}, 0)}));
}

TEST(ChromiumSession, AFileCutShortOrMadeUpGivesNoAnswer)
{
    const QByteArray good = chromiumFile();
    for (const QByteArray& file :
         {good.left(good.size() - 3), good.left(9), QByteArray("SNSS\x02\0\0\0", 8), QByteArray("SNS"), QByteArray()})
        EXPECT_FALSE(ChromiumSession::parse(file)) << file.left(12).toHex().toStdString();
    // Records whose payloads are too short or lie about their strings are
    // passed over.
    sessionfiles::Chromium odd;
    odd.other(0, "ab").other(6, QByteArray("\x10\0\0\0\x01\0\0\0\0\0\0\0\xff\xff\xff\x7f", 16)).other(8, {});
    EXPECT_EQ(ChromiumSession::parse(odd.bytes()), QList<BrowserWindow>());
}

TEST(ChromiumSession, ReadsTheNewestSessionFileOfEachProfile)
{
    QTemporaryDir root;
    QDir(root.path()).mkpath("Default/Sessions");
    QDir(root.path()).mkpath("Profile 1");
    const auto put = [&](const QString& name, const QByteArray& bytes) {
        QFile f(root.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    sessionfiles::Chromium older;
    older.tabWindow(1, 1).navigation(1, 0, "https://old.example/", "Old");
    put("Default/Sessions/Session_13300000000000000", older.bytes());
    put("Default/Sessions/Session_13300000000000001", chromiumFile());
    put("Default/Sessions/Tabs_13300000000000002", older.bytes());
    put("Local State", "{}");
    EXPECT_FALSE(ChromiumSession::read(root.path())); // the browser does not run
    ASSERT_TRUE(sessionfiles::lock(root.filePath("SingletonLock")));
    const auto windows = ChromiumSession::read(root.path());
    ASSERT_TRUE(windows);
    EXPECT_EQ(windows->size(), 2);
    EXPECT_EQ(windows->front().tabs.front().url, "https://mail.example/");
}

TEST(BrowserWindowMatch, PairsWindowsOnScreenWithSessionWindowsByTitle)
{
    const QList<BrowserWindow> session{
        window({{"Inbox", "https://mail.example/"}, {"Draft", "https://docs.example/a"}}, 0),
        window({{"Inbox", "https://other.example/"}, {"Plan", "https://plan.example/"}}, 1),
        window({{QString(300, 'x').toUtf8().constData(), "https://long.example/"}}, 0),
    };
    const QStringList titles{
        "Draft \u2014 Mozilla Firefox", // a tab switch the file has not caught up with
        "Plan - Chromium",
        QString(256, 'x') + " \u2014 Mozilla Firefox", // cut to 256 characters
        "Nothing we know",
    };
    const auto matched = BrowserWindowMatch::match(titles, session);
    ASSERT_EQ(matched.size(), 3);
    EXPECT_EQ(matched[0].frontTab()->url, "https://docs.example/a");
    EXPECT_EQ(matched[1].frontTab()->url, "https://plan.example/");
    EXPECT_EQ(matched[2].frontTab()->url, "https://long.example/");
    // A title that merely begins like a tab's does not show it.
    EXPECT_TRUE(BrowserWindowMatch::match({"Inboxes - Chromium", "x"}, {session[0]}).isEmpty());
}

TEST(BrowserWindowMatch, ALastUntitledWindowTakesItsTitleFromTheScreen)
{
    const QList<BrowserWindow> session{window({{"", "https://news.example/"}, {"", "https://plan.example/"}}, 1)};
    const auto matched = BrowserWindowMatch::match({"Plan - Team - Chromium"}, session);
    ASSERT_EQ(matched.size(), 1);
    EXPECT_EQ(*matched[0].frontTab(), (BrowserTab{"Plan - Team", "https://plan.example/"}));
    // Two of each: no guess.
    EXPECT_TRUE(BrowserWindowMatch::match({"A - Chromium", "B - Chromium"}, {session[0], session[0]}).isEmpty());
}

} // namespace

namespace {

// The peak memory of this process since the last reset, in bytes (none
// where the kernel does not keep it).
std::optional<qint64> peakMemory()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong() * 1024;
    return std::nullopt;
}
bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
bool resetPeakMemory()
{
    QFile clear("/proc/self/clear_refs");
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

} // namespace

TEST(SessionFiles, HostileFilesGiveNoAnswerOrABoundedOneWithoutHangingOrBloating)
{
    QTemporaryDir root;
    const QString profile = root.filePath("firefox/p.default");
    const QString file = profile + "/sessionstore-backups/recovery.jsonlz4";
    QDir().mkpath(QFileInfo(file).path());
    QFile ini(root.filePath("firefox/profiles.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Profile0]\nName=p\nIsRelative=1\nPath=p.default\n");
    ini.close();
    ASSERT_TRUE(sessionfiles::lock(profile + "/lock"));

    // A session that unpacks to 300 MB of valid JSON: one window of tabs.
    const QByteArray unpacksHuge = sessionfiles::firefoxUnpackingTo(300 << 20);
    const QByteArray claimsHuge = sessionfiles::firefoxClaiming(400u << 20);
    // 5000 tabs: the read keeps a bounded number, the one in front among them.
    QByteArray many = R"({"windows":[{"selected":4000,"tabs":[)";
    for (int i = 0; i < 5000; ++i)
        many += QByteArray(R"({"entries":[{"url":"https://a.example/)") + QByteArray::number(i) + R"("}]},)";
    many.chop(1);
    many += "]}]}";

    const struct {
        const char* what;
        std::function<void()> make;
        std::optional<QString> front; // none: no answer
    } cases[] = {
        {"a FIFO", [&] { ASSERT_EQ(mkfifo(QFile::encodeName(file).constData(), 0600), 0); }, std::nullopt},
        {"a link to /dev/zero", [&] { ASSERT_TRUE(QFile::link("/dev/zero", file)); }, std::nullopt},
        {"a size of 400 MB", [&] { ASSERT_TRUE(writeFile(file, claimsHuge)); }, std::nullopt},
        {"300 MB unpacked", [&] { ASSERT_TRUE(writeFile(file, unpacksHuge)); }, std::nullopt},
        {"selected at INT_MIN",
         [&] {
             ASSERT_TRUE(writeFile(file, sessionfiles::firefox(R"({"windows":[{"selected":-2147483648,"tabs":[
                 {"entries":[{"url":"https://a.example/"}]}]}]})")));
         },
         "https://a.example/"},
        {"5000 tabs", [&] { ASSERT_TRUE(writeFile(file, sessionfiles::firefox(many))); }, "https://a.example/3999"},
    };
    const bool measured = resetPeakMemory() && peakMemory();
    const qint64 before = peakMemory().value_or(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file);
        c.make();
        const auto windows = FirefoxSession::read(root.filePath("firefox"));
        if (!c.front) {
            EXPECT_FALSE(windows);
            continue;
        }
        ASSERT_TRUE(windows);
        ASSERT_EQ(windows->size(), 1);
        EXPECT_LE(windows->front().tabs.size(), FirefoxSession::kMaxTabsRead);
        ASSERT_TRUE(windows->front().frontTab());
        EXPECT_EQ(windows->front().frontTab()->url, *c.front);
    }
    if (measured) {
        EXPECT_LT(*peakMemory() - before, qint64(100) << 20);
    }

    // A Chromium file of 64 MB of closed windows' records keeps nothing of
    // them (its speed is measured by a benchmark).
    const QByteArray closed = sessionfiles::chromiumClosedWindows(64 << 20);
    const QString chromium = root.filePath("chromium/Default/Sessions/Session_1");
    QDir().mkpath(QFileInfo(chromium).path());
    ASSERT_TRUE(sessionfiles::lock(root.filePath("chromium/SingletonLock")));
    ASSERT_TRUE(writeFile(chromium, closed));
    EXPECT_EQ(ChromiumSession::read(root.filePath("chromium")), QList<BrowserWindow>());
}

TEST(BrowserWindowMatch, PairsOneToOneAndGuessesNone)
{
    const BrowserWindow inbox = window({{"Inbox", "https://mail.example/"}, {"Docs", "https://docs.example/"}}, 0);
    const BrowserWindow inbox2 = window({{"Inbox", "https://mail2.example/"}}, 0);
    const BrowserWindow plan = window({{"Plan", "https://plan.example/"}}, 0);
    const BrowserWindow planB = window({{"Plan B", "https://planb.example/"}}, 0);
    const QString ff = " \u2014 Mozilla Firefox";
    const struct {
        const char* what;
        QStringList titles;
        QList<BrowserWindow> session;
        QStringList fronts; // per title: the front address it is given, empty for none
    } cases[] = {
        {"equal titles", {"Inbox" + ff, "Inbox" + ff}, {inbox, inbox2}, {"", ""}},
        {"a title two session windows show as well", {"Inbox" + ff}, {inbox, inbox2}, {""}},
        {"a name and a longer one",
         {"Plan B" + ff, "Plan" + ff},
         {plan, planB},
         {"https://planb.example/", "https://plan.example/"}},
        {"a private window on the same page",
         {"Inbox" + ff + " Private Browsing", "Inbox" + ff},
         {inbox},
         {"", "https://mail.example/"}},
        {"an incognito window titled like a normal one", {"Inbox - Chromium", "Inbox - Chromium"}, {inbox}, {"", ""}},
        {"an incognito window no session window explains",
         {"Inbox - Chromium", "Secret - Chromium"},
         {inbox, plan},
         {"https://mail.example/", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList fronts;
        const auto matched = BrowserWindowMatch::match(c.titles, c.session);
        for (const QString& title : c.titles) {
            const auto it = std::find_if(matched.begin(), matched.end(),
                                         [&](const BrowserWindow& w) { return w.windowTitle == title; });
            fronts.append(it == matched.end() ? QString() : it->frontTab()->url);
        }
        EXPECT_EQ(fronts, c.fronts);
    }
}
