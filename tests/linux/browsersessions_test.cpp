// Browsers' session files read into their windows and tabs, matched to the
// windows on screen by title, frame and use; files rewritten or made up
// give no answer, one being appended to what its whole records hold, and
// never a crash.

#include "platform/linux/browserwindowmatch.h"
#include "platform/linux/chromiumsession.h"
#include "platform/linux/firefoxsession.h"
#include "support/sessionfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tavrin;

namespace {

BrowserWindow window(std::initializer_list<std::pair<QString, const char*>> tabs, int front,
                     std::optional<Rect> bounds = std::nullopt, int lastUsed = -1)
{
    BrowserWindow w;
    for (const auto& [title, url] : tabs)
        w.tabs.append(BrowserTab{title, QString::fromUtf8(url)});
    w.front = front;
    w.bounds = bounds;
    w.lastUsed = lastUsed;
    return w;
}

// Two windows, five tabs; the second tab of the first window in front, its
// history gone back once; a private window is never written, and the first
// write can hold a window without tabs. Each window's frame and stacking as
// Firefox ESR 153 writes them (the second one in front).
const QByteArray kFirefoxJson = R"json({"version":["sessionrestore",1],"windows":[
 {"tabs":[{"entries":[{"url":"https://mail.example/","title":"Inbox"}],"index":1},
          {"entries":[{"url":"https://docs.example/a","title":"Draft"},{"url":"https://docs.example/b","title":"Budget"}],"index":1},
          {"entries":[{"url":"about:blank","title":""}],"index":1}],"selected":2,
  "width":1282,"height":997,"screenX":638,"screenY":0,"sizemode":"normal","zIndex":2},
 {"tabs":[{"entries":[{"url":"https://news.example/","title":"News"}],"index":1},
          {"entries":[{"url":"https://plan.example/","title":"Plan"}],"index":1}],"selected":1,
  "width":1282,"height":997,"screenX":0,"screenY":83,"zIndex":1},
 {"tabs":[],"selected":0,"zIndex":3}],"selectedWindow":2,"_closedWindows":[]})json";

TEST(FirefoxSession, ReadsEachWindowsTabsAndTheOneInFront)
{
    const auto windows = FirefoxSession::parse(sessionfiles::firefox(kFirefoxJson));
    ASSERT_TRUE(windows);
    EXPECT_EQ(*windows,
              (QList<BrowserWindow>{
                  window({{"Inbox", "https://mail.example/"}, {"Draft", "https://docs.example/a"}, {"", "about:blank"}},
                         1, Rect(638, 0, 1282, 997), 1),
                  window({{"News", "https://news.example/"}, {"Plan", "https://plan.example/"}}, 0,
                         Rect(0, 83, 1282, 997), 0)}));
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
    // Running, with nothing written yet in this run: no window listed so far.
    EXPECT_EQ(FirefoxSession::read(root.path()), QList<BrowserWindow>());
    EXPECT_EQ(FirefoxSession::writtenAt(root.path()), QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
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
    // The newest file of a running profile, readable or not.
    EXPECT_EQ(FirefoxSession::writtenAt(root.path()),
              std::max(QFileInfo(file).lastModified(), QFileInfo(broken).lastModified()));
}

TEST(FirefoxSession, WindowsComeBackOnStartOnlyAfterAFirstUncleanEnd)
{
    // As Firefox ESR 153 leaves its profile: killed, its lock names a process
    // gone and no session was written on quitting; "recentCrashes" counts the
    // unclean ends before the last run.
    const auto session = [](int recentCrashes) {
        QByteArray json = kFirefoxJson;
        json.insert(json.indexOf('{') + 1,
                    QStringLiteral(R"("session":{"recentCrashes":%1},)").arg(recentCrashes).toUtf8());
        return sessionfiles::firefox(json);
    };
    const struct {
        const char* what;
        bool running;
        bool quitCleanly;
        int recentCrashes;
        const char* prefs;
        qsizetype windows;
    } cases[] = {
        {"killed once", false, false, 0, "", 2},
        {"running", true, false, 0, "", 0},
        {"quit as it should", false, true, 0, "", 0},
        {"killed twice in a row: its Restore Session page", false, false, 1, "", 0},
        {"killed twice, allowed three", false, false, 1,
         "user_pref(\"browser.sessionstore.max_resumed_crashes\", 3);\n", 2},
        {"never resumes", false, false, 0, "user_pref(\"browser.sessionstore.resume_from_crash\", false);\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir root;
        QDir(root.path()).mkpath("abcd.default-esr/sessionstore-backups");
        const auto put = [&](const QString& path, const QByteArray& bytes) {
            QFile f(root.filePath(path));
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        };
        ASSERT_TRUE(put("profiles.ini", "[Profile0]\nName=default-esr\nIsRelative=1\nPath=abcd.default-esr\n"));
        ASSERT_TRUE(put("abcd.default-esr/sessionstore-backups/recovery.jsonlz4", session(c.recentCrashes)));
        ASSERT_TRUE(put("abcd.default-esr/prefs.js", c.prefs));
        if (c.quitCleanly) {
            ASSERT_TRUE(put("abcd.default-esr/sessionstore.jsonlz4", session(0)));
        }
        ASSERT_TRUE(sessionfiles::lock(root.filePath("abcd.default-esr/lock"), !c.running));
        EXPECT_EQ(FirefoxSession::restoredOnStart(root.path()).size(), c.windows);
    }
}

// The same two windows in Chromium's command log, with a closed tab, a
// closed window, commands that are not read, and a tab whose selected page
// is its first; the first window resized once, the second the active one.
QByteArray chromiumFile()
{
    sessionfiles::Chromium f;
    f.windowBounds(1, 10, 10, 945, 1060).activeWindow(1).windowBounds(2, 20, 20, 945, 1060);
    f.windowBounds(1, 100, 100, 900, 700).activeWindow(2).windowBounds(3, 0, 0, 1920, 1080, 3);
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
    EXPECT_EQ(*windows,
              (QList<BrowserWindow>{window({{"Inbox", "https://mail.example/"}, {"Draft", "https://docs.example/a"}}, 1,
                                           Rect(100, 100, 900, 700)),
                                    window({{"", "https://news.example/"}, {"", "https://plan.example/"}}, 0,
                                           Rect(20, 20, 945, 1060), 0)}));
}

TEST(ChromiumSession, AFileCutInsideARecordKeepsEveryWholeRecordBefore)
{
    // The browser appends to its file as it runs: a read can end anywhere
    // in the record being written, and what came before still holds.
    const QByteArray whole = chromiumFile();
    const auto before = ChromiumSession::parse(whole);
    ASSERT_TRUE(before);
    sessionfiles::Chromium next;
    next.tabWindow(2, 22).navigation(22, 0, "https://new.example/", "New");
    const QByteArray appended = whole + next.bytes().mid(8);
    for (qsizetype cut = whole.size() + 1; cut < appended.size(); ++cut)
        EXPECT_EQ(ChromiumSession::parse(appended.left(cut)), before) << "cut at " << cut;
    EXPECT_EQ(ChromiumSession::parse(whole.left(9)), QList<BrowserWindow>());
    // What is not such a file gives no answer.
    for (const QByteArray& file :
         {QByteArray("SNSS\x02\0\0\0", 8), QByteArray("SNSS\x03\0"), QByteArray("SNS"), QByteArray()})
        EXPECT_FALSE(ChromiumSession::parse(file)) << file.toHex().toStdString();
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

using OnScreen = BrowserWindowMatch::OnScreen;

// For each window on screen, the front address it is given; empty for none.
QStringList frontsOf(const QList<OnScreen>& shown, const QList<BrowserWindow>& session)
{
    QStringList out;
    for (const auto& w : BrowserWindowMatch::match(shown, session))
        out.append(w && w->frontTab() ? w->frontTab()->url : QString());
    return out;
}

TEST(BrowserWindowMatch, PairsWindowsOnScreenBySessionWindowsTitlesFramesAndUseAndGuessesNone)
{
    const BrowserWindow inbox = window({{"Inbox", "https://mail.example/"}, {"Docs", "https://docs.example/"}}, 0);
    const BrowserWindow inbox2 = window({{"Inbox", "https://mail2.example/"}}, 0);
    const BrowserWindow inboxPlan = window({{"Inbox", "https://other.example/"}, {"Plan", "https://plan.example/"}}, 1);
    const BrowserWindow plan = window({{"Plan", "https://plan.example/"}}, 0);
    const BrowserWindow planB = window({{"Plan B", "https://planb.example/"}}, 0);
    const QString long300(300, 'x'), long1000(1000, 'L');
    const BrowserWindow longTitled = window({{long300, "https://long.example/"}}, 0);
    const BrowserWindow longer = window({{long1000, "https://longer.example/"}}, 0);
    // Chromium's windows as it writes them: no tab titles, each frame.
    const Rect a(10, 10, 945, 1060), b(20, 20, 945, 1060), c(30, 20, 945, 1060), full(0, 0, 1920, 1080);
    const auto untitled = [](const char* url, std::optional<Rect> bounds, int lastUsed = -1) {
        return window({{"", url}}, 0, bounds, lastUsed);
    };
    const QString ff = " \u2014 Mozilla Firefox", cr = " - Chromium";
    const struct {
        const char* what;
        QList<OnScreen> shown;
        QList<BrowserWindow> session;
        QStringList fronts; // per window on screen: the front address it is given, empty for none
    } cases[] = {
        {"titles, one showing a tab switch the file has not caught up with",
         {{"Docs" + ff}, {"Plan" + cr}, {QString(256, 'x') + ff}, {"Nothing we know"}},
         {inbox, inboxPlan, longTitled},
         {"https://docs.example/", "https://plan.example/", "https://long.example/", ""}},
        {"a title that merely begins like a tab's", {{"Inboxes" + cr}, {"x"}}, {inbox}, {"", ""}},
        {"a Chromium title of 1,000 characters, not cut",
         {{"Plan" + cr}, {long1000 + cr}},
         {longer, plan},
         {"https://plan.example/", "https://longer.example/"}},
        {"equal titles", {{"Inbox" + ff}, {"Inbox" + ff}}, {inbox, inbox2}, {"", ""}},
        {"a title two session windows show as well", {{"Inbox" + ff}}, {inbox, inbox2}, {""}},
        {"a name and a longer one",
         {{"Plan B" + ff}, {"Plan" + ff}},
         {plan, planB},
         {"https://planb.example/", "https://plan.example/"}},
        {"a private window on the same page",
         {{"Inbox" + ff + " Private Browsing"}, {"Inbox" + ff}},
         {inbox},
         {"", "https://mail.example/"}},
        {"an incognito window titled like a normal one", {{"Inbox" + cr}, {"Inbox" + cr}}, {inbox}, {"", ""}},
        {"an incognito window no session window explains",
         {{"Inbox" + cr}, {"Secret" + cr}},
         {inbox, plan},
         {"https://mail.example/", ""}},
        {"one untitled window each",
         {{"Plan" + cr}},
         {untitled("https://plan.example/", {})},
         {"https://plan.example/"}},
        {"two untitled windows and nothing else",
         {{"A" + cr}, {"B" + cr}},
         {untitled("https://a/", {}), untitled("https://b/", {})},
         {"", ""}},
        {"untitled windows told apart by their frames",
         {{"A" + cr, a}, {"B" + cr, b}},
         {untitled("https://b.example/", b), untitled("https://a.example/", a)},
         {"https://a.example/", "https://b.example/"}},
        {"three untitled windows of one size, one moved since the file was written",
         {{"C" + cr, Rect(500, 300, 945, 1060)}, {"A" + cr, a}, {"B" + cr, b}},
         {untitled("https://a.example/", a), untitled("https://b.example/", b), untitled("https://c.example/", c)},
         {"https://c.example/", "https://a.example/", "https://b.example/"}},
        {"the same front title, told apart by frames",
         {{"Inbox" + cr, a}, {"Inbox" + cr, b}},
         {window({{"Inbox", "https://b.example/"}}, 0, b), window({{"Inbox", "https://a.example/"}}, 0, a)},
         {"https://a.example/", "https://b.example/"}},
        {"an incognito window beside an untitled one",
         {{"Secret" + cr, c}, {"A" + cr, a}},
         {untitled("https://a.example/", a)},
         {"", "https://a.example/"}},
        {"the client area where the browser writes that",
         {{"A" + cr, Rect(9, -10, 947, 1085), a}, {"B" + cr, Rect(19, 0, 947, 1085), b}},
         {untitled("https://b.example/", b), untitled("https://a.example/", a)},
         {"https://a.example/", "https://b.example/"}},
        {"two maximised untitled windows, the one in use last in front",
         {{"A" + cr, full}, {"B" + cr, full}},
         {untitled("https://b.example/", full), untitled("https://a.example/", full, 0)},
         {"https://a.example/", "https://b.example/"}},
        {"two maximised untitled windows and nothing else",
         {{"A" + cr, full}, {"B" + cr, full}},
         {untitled("https://a/", full), untitled("https://b/", full)},
         {"", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(frontsOf(c.shown, c.session), c.fronts);
    }
    // The window's title names its untitled front tab; the window is named.
    const auto matched = BrowserWindowMatch::match(
        {{"Plan - Team" + cr}}, {window({{"", "https://news.example/"}, {"", "https://plan.example/"}}, 1)});
    ASSERT_TRUE(matched.value(0));
    EXPECT_EQ(*matched[0]->frontTab(), (BrowserTab{"Plan - Team", "https://plan.example/"}));
    EXPECT_EQ(matched[0]->windowTitle, "Plan - Team" + cr);
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
