#include "platform/linux/plistcodec.h"
#include "platform/linux/plistdefaults.h"
#include "platform/linux/privatefile.h"

#include <QDir>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QSignalSpy>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavrin;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Equal values of the same types all the way down (QVariant's own == treats
// 3 and 3.0, or 1 and true, as equal).
void expectIdentical(const QVariant& expected, const QVariant& actual, const QString& where = QStringLiteral("value"))
{
    SCOPED_TRACE(where.toStdString());
    ASSERT_EQ(expected.typeId(), actual.typeId()) << expected.typeName() << " vs " << actual.typeName();
    if (expected.typeId() == QMetaType::QVariantList) {
        const QVariantList e = expected.toList(), a = actual.toList();
        ASSERT_EQ(e.size(), a.size());
        for (qsizetype i = 0; i < e.size(); ++i)
            expectIdentical(e[i], a[i], where + QStringLiteral("[%1]").arg(i));
    } else if (expected.typeId() == QMetaType::QVariantMap) {
        const QVariantMap e = expected.toMap(), a = actual.toMap();
        ASSERT_EQ(e.keys(), a.keys());
        for (auto it = e.cbegin(); it != e.cend(); ++it)
            expectIdentical(it.value(), a.value(it.key()), where + QLatin1Char('.') + it.key());
    } else if (expected.typeId() == QMetaType::Double && std::isnan(expected.toDouble())) {
        EXPECT_TRUE(std::isnan(actual.toDouble()));
    } else if (expected.typeId() == QMetaType::QDateTime) {
        EXPECT_EQ(expected.toDateTime().toMSecsSinceEpoch(), actual.toDateTime().toMSecsSinceEpoch());
        EXPECT_EQ(actual.toDateTime().timeSpec(), Qt::UTC);
    } else {
        EXPECT_EQ(expected, actual);
    }
}

QDateTime utc(const char* iso) { return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs); }

mode_t mode(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class PlistDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString folder() const { return dir.path() + QStringLiteral("/tavrin"); }
    QString path() const { return folder() + QStringLiteral("/defaults.plist"); }
    QStringList asideFiles() const
    {
        return QDir(folder()).entryList({QStringLiteral("defaults.plist.corrupt-*")},
                                        QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    QStringList temporaries() const
    {
        return QDir(folder()).entryList({QStringLiteral("defaults.plist.saving-*")}, QDir::Files);
    }

    QTemporaryDir dir;
};

TEST_F(PlistDefaultsTest, EveryTypeRoundTripsThroughTheFileWithItsType)
{
    QByteArray allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.append(char(i));
    const QVariantMap values{
        {QStringLiteral("yes"), true},
        {QStringLiteral("no"), false},
        {QStringLiteral("int.max"), std::numeric_limits<qint64>::max()},
        {QStringLiteral("int.min"), std::numeric_limits<qint64>::min()},
        {QStringLiteral("int.negative"), qint64(-5)},
        {QStringLiteral("int.zero"), qint64(0)},
        {QStringLiteral("real.tenth"), 0.1},
        {QStringLiteral("real.whole"), 3.0},
        {QStringLiteral("real.huge"), -1.7976931348623157e308},
        {QStringLiteral("real.tiny"), 5e-324},
        {QStringLiteral("real.nan"), std::nan("")},
        {QStringLiteral("real.inf"), std::numeric_limits<double>::infinity()},
        {QStringLiteral("string"), QStringLiteral("Zoë's <b>&amp;</b> \"quoted\"\ttab\nline ✓ 🚀")},
        {QStringLiteral("string.empty"), QString()},
        {QStringLiteral("data"), allBytes},
        {QStringLiteral("data.empty"), QByteArray()},
        {QStringLiteral("date.leap"), utc("2024-02-29T12:34:56Z")},
        {QStringLiteral("date.whole"), utc("2001-01-01T00:00:00Z")},
        {QStringLiteral("date.before1970"), utc("1969-07-20T20:17:40Z")},
        {QStringLiteral("date.far"), utc("2150-06-01T08:00:00Z")},
        {QStringLiteral("date.old"), utc("1850-01-01T00:00:00Z")},
        {QStringLiteral("array.empty"), QVariantList()},
        {QStringLiteral("dict.empty"), QVariantMap()},
        {QStringLiteral("nested"),
         QVariantList{qint64(1), 1.0, true, QStringLiteral("s"),
                      QVariantMap{{QStringLiteral("when"), utc("2030-01-02T03:04:05Z")},
                                  {QStringLiteral("list"), QVariantList{QByteArray("\x00\x01", 2), QVariantList()}},
                                  {QStringLiteral("Ключ <&>"), qint64(-1)}}}},
    };
    {
        PlistDefaults writer(path());
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            writer.setValue(it.key(), it.value());
        EXPECT_TRUE(writer.problem().isEmpty()) << writer.problem().toStdString();
    }
    PlistDefaults reader(path());
    EXPECT_TRUE(reader.problem().isEmpty());
    EXPECT_EQ(reader.keys(), values.keys());
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const auto v = reader.value(it.key());
        ASSERT_TRUE(v.has_value()) << it.key().toStdString();
        expectIdentical(it.value(), *v, it.key());
    }
}

TEST_F(PlistDefaultsTest, EquivalentQtTypesAreStoredInTheirPropertyListForm)
{
    PlistDefaults store(path());
    const QDateTime local = QDateTime(QDate(2025, 3, 1), QTime(9, 30, 0, 125), Qt::OffsetFromUTC, 3600);
    store.setValue(QStringLiteral("int"), 7);
    store.setValue(QStringLiteral("float"), 1.5f);
    store.setValue(QStringLiteral("strings"), QStringList{QStringLiteral("a"), QStringLiteral("b")});
    store.setValue(QStringLiteral("hash"), QVariantHash{{QStringLiteral("k"), 2u}});
    store.setValue(QStringLiteral("local"), local);
    store.flush();

    PlistDefaults reader(path());
    expectIdentical(qint64(7), *reader.value(QStringLiteral("int")));
    expectIdentical(1.5, *reader.value(QStringLiteral("float")));
    expectIdentical(QVariantList{QStringLiteral("a"), QStringLiteral("b")}, *reader.value(QStringLiteral("strings")));
    expectIdentical(QVariantMap{{QStringLiteral("k"), qint64(2)}}, *reader.value(QStringLiteral("hash")));
    expectIdentical(utc("2025-03-01T08:30:00Z"), *reader.value(QStringLiteral("local")));
}

TEST_F(PlistDefaultsTest, MissingKeyIsDistinctFromFalseAndIntegerFromReal)
{
    {
        PlistDefaults store(path());
        store.setValue(QStringLiteral("off"), false);
        store.setValue(QStringLiteral("count"), qint64(3));
        store.setValue(QStringLiteral("ratio"), 3.0);
    }
    PlistDefaults store(path());
    EXPECT_FALSE(store.value(QStringLiteral("absent")).has_value());
    EXPECT_TRUE(store.boolValue(QStringLiteral("absent"), true));
    ASSERT_TRUE(store.contains(QStringLiteral("off")));
    EXPECT_FALSE(store.boolValue(QStringLiteral("off"), true));
    EXPECT_EQ(store.value(QStringLiteral("count"))->typeId(), QMetaType::LongLong);
    EXPECT_EQ(store.value(QStringLiteral("ratio"))->typeId(), QMetaType::Double);
}

TEST_F(PlistDefaultsTest, TheChangesOfOneTurnAreAnnouncedAtOnceAndWrittenOnce)
{
    PlistDefaults store(path());
    store.setValue(QStringLiteral("old.a"), qint64(1));
    store.setValue(QStringLiteral("kept"), true);
    store.flush();
    QSignalSpy changes(&store, &Defaults::changed);
    QSignalSpy writes(&store, &PlistDefaults::saved);

    // 100 changes in one turn, a replacement and a removal among them.
    for (int i = 0; i < 100; ++i)
        store.setValue(QStringLiteral("n%1").arg(i), qint64(i));
    store.replace(
        {QStringLiteral("old.a"), QStringLiteral("missing")},
        {{QStringLiteral("new.bad"), QVariant::fromValue(QPoint(1, 2))}, {QStringLiteral("kept"), QVariant()}});
    store.setValue(QStringLiteral("n7"), QVariant()); // no value: removes it
    store.remove(QStringLiteral("never set"));
    EXPECT_EQ(changes.count(), 103);
    EXPECT_EQ(store.keys().size(), 99);
    ASSERT_TRUE(QTest::qWaitFor([&] { return writes.count() > 0; }, 10000));
    QTest::qWait(50);
    EXPECT_EQ(writes.count(), 1);

    // The whole of it is on disk; the value a property list can't hold is left out.
    const QStringList onDisk = PlistDefaults(path()).keys();
    EXPECT_EQ(onDisk, store.keys());
    EXPECT_FALSE(onDisk.contains(QStringLiteral("n7")));
    EXPECT_FALSE(onDisk.contains(QStringLiteral("old.a")));
}

TEST_F(PlistDefaultsTest, RefusesValuesAPropertyListCannotHold)
{
    PlistDefaults store(path());
    store.setValue(QStringLiteral("k"), qint64(1));
    store.flush();
    const QByteArray before = fileBytes(path());
    QSignalSpy spy(&store, &Defaults::changed);

    const QVariant refused[] = {
        QVariant(QPoint(1, 2)),
        QVariant(QDateTime()),
        QVariant(std::numeric_limits<quint64>::max()),
        QVariant(QStringLiteral("nul\u0000inside")),
        QVariant(QVariantList{qint64(1), QSize(3, 4)}),
        QVariant(
            QVariantMap{{QStringLiteral("deep"), QVariantMap{{QStringLiteral("x"), QVariant(QDate(2020, 1, 1))}}}}),
    };
    for (const QVariant& v : refused) {
        store.setValue(QStringLiteral("k"), v);
        store.setValue(QStringLiteral("new"), v);
    }
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(store.value(QStringLiteral("k")), QVariant(qint64(1)));
    EXPECT_FALSE(store.contains(QStringLiteral("new")));
    store.flush();
    EXPECT_EQ(fileBytes(path()), before);
}

TEST_F(PlistDefaultsTest, LeftoverTemporaryFileFromACrashedWriteIsHarmless)
{
    {
        PlistDefaults store(path());
        store.setValue(QStringLiteral("kept"), QStringLiteral("yes"));
    }
    // What a write cut short leaves: a partial temporary file beside the real one.
    writeBytes(folder() + QStringLiteral("/defaults.plist.aB3xYz"),
               QByteArray("<?xml version=\"1.0\"?><plist><dict><ke"));

    PlistDefaults store(path());
    EXPECT_TRUE(store.problem().isEmpty());
    EXPECT_EQ(store.string(QStringLiteral("kept")), QStringLiteral("yes"));
    store.setValue(QStringLiteral("more"), true);
    store.flush();
    EXPECT_TRUE(PlistDefaults(path()).boolValue(QStringLiteral("more")));
    EXPECT_TRUE(asideFiles().isEmpty());
}

TEST_F(PlistDefaultsTest, FailedWriteKeepsThePreviousFileAndIsReported)
{
    PlistDefaults store(path());
    store.setValue(QStringLiteral("kept"), qint64(42));
    store.flush();
    const QByteArray before = fileBytes(path());
    QSignalSpy problems(&store, &PlistDefaults::problemChanged);

    // A file-size limit makes the write fail part-way, like a full disk.
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = original;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    store.setValue(QStringLiteral("big"), QByteArray(64 * 1024, 'x'));
    store.flush();
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(fileBytes(path()), before);
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{QStringLiteral("defaults.plist")});
    EXPECT_TRUE(store.problem().contains(path())) << store.problem().toStdString();
    EXPECT_EQ(store.saveProblem(), QStringLiteral("File too large")); // what the menu-bar window shows
    EXPECT_EQ(problems.count(), 1);
    EXPECT_TRUE(store.contains(QStringLiteral("big")));

    // The next write that succeeds carries everything and clears the problem.
    store.setValue(QStringLiteral("after"), true);
    store.flush();
    EXPECT_TRUE(store.problem().isEmpty());
    EXPECT_TRUE(store.saveProblem().isEmpty());
    EXPECT_EQ(problems.count(), 2);
    PlistDefaults reader(path());
    EXPECT_EQ(reader.data(QStringLiteral("big"))->size(), 64 * 1024);
    EXPECT_EQ(reader.integer(QStringLiteral("kept")), 42);
}

TEST_F(PlistDefaultsTest, ReadOnlyFolderFailsTheWriteWithoutLosingTheFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, which may write into read-only folders";
    PlistDefaults store(path());
    store.setValue(QStringLiteral("kept"), qint64(1));
    store.flush();
    const QByteArray before = fileBytes(path());
    QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    store.setValue(QStringLiteral("kept"), qint64(2));
    store.flush();
    QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    EXPECT_EQ(fileBytes(path()), before);
    EXPECT_TRUE(store.problem().contains(path())) << store.problem().toStdString();
    EXPECT_EQ(store.integer(QStringLiteral("kept")), 2);
}

TEST_F(PlistDefaultsTest, DamagedFileThatCannotBeMovedAsideIsNeverReplaced)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, which may rename files in read-only folders";
    writeBytes(path(), QByteArray("damaged"));
    QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    PlistDefaults store(path());
    QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(store.problem().contains(QLatin1String("could not be moved aside"))) << store.problem().toStdString();

    store.setValue(QStringLiteral("k"), true);
    EXPECT_TRUE(store.boolValue(QStringLiteral("k")));
    EXPECT_EQ(fileBytes(path()), QByteArray("damaged"));
}

TEST_F(PlistDefaultsTest, DamagedFileIsReportedAndMovedAsideThenTheStoreWorks)
{
    const QByteArray valid =
        PlistCodec::toXml(QVariantMap{{QStringLiteral("a"), qint64(1)}, {QStringLiteral("b"), QStringLiteral("text")}});
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"garbage", QByteArray("\x00\x01not a property list at all", 28), "not a property list"},
        {"truncated", valid.left(valid.size() / 2), "not a property list"},
        {"array at the top", PlistCodec::toXml(QVariantList{qint64(1)}), "not a dictionary"},
        {"empty", QByteArray(), "empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder()).removeRecursively();
        writeBytes(path(), c.bytes);

        PlistDefaults store(path());
        EXPECT_TRUE(store.problem().contains(path())) << store.problem().toStdString();
        EXPECT_TRUE(store.problem().contains(QLatin1String(c.reason))) << store.problem().toStdString();
        EXPECT_TRUE(store.keys().isEmpty());
        const QStringList aside = asideFiles();
        ASSERT_EQ(aside.size(), 1);
        EXPECT_TRUE(store.problem().contains(aside[0]));
        EXPECT_EQ(fileBytes(folder() + QLatin1Char('/') + aside[0]), c.bytes);

        store.setValue(QStringLiteral("fresh"), true);
        store.flush();
        EXPECT_TRUE(PlistDefaults(path()).boolValue(QStringLiteral("fresh")));
        EXPECT_EQ(fileBytes(folder() + QLatin1Char('/') + aside[0]), c.bytes);
    }
}

TEST_F(PlistDefaultsTest, MovingAsideNeverOverwritesAnEarlierDamagedFile)
{
    const QDateTime now = QDateTime::currentDateTime();
    QStringList earlier;
    for (int s = 0; s < 3; ++s) {
        const QString name =
            QStringLiteral("defaults.plist.corrupt-") + now.addSecs(s).toString(QStringLiteral("yyyyMMdd-HHmmss"));
        writeBytes(folder() + QLatin1Char('/') + name, QByteArray("earlier ") + QByteArray::number(s));
        earlier << name;
    }
    writeBytes(path(), QByteArray("damaged now"));

    PlistDefaults store(path());
    const QStringList aside = asideFiles();
    ASSERT_EQ(aside.size(), 4);
    int holdingNow = 0;
    for (const QString& name : aside) {
        const QByteArray bytes = fileBytes(folder() + QLatin1Char('/') + name);
        if (earlier.contains(name))
            EXPECT_EQ(bytes, QByteArray("earlier ") + QByteArray::number(earlier.indexOf(name)));
        else
            holdingNow += bytes == "damaged now";
    }
    EXPECT_EQ(holdingNow, 1);
}

TEST_F(PlistDefaultsTest, ReadsForeignDomainsWhenAsked)
{
    PlistDefaults store(path());
    const QString domains = folder() + QStringLiteral("/domains");
    EXPECT_FALSE(store.foreignValue(QStringLiteral("com.example.Other"), QStringLiteral("flag")).has_value());

    writeBytes(domains + QStringLiteral("/com.example.Other.plist"),
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
               "\t<key>flag</key>\n\t<false/>\n\t<key>size</key>\n\t<integer>12</integer>\n</dict>\n</plist>\n");
    writeBytes(domains + QStringLiteral("/com.example.Broken.plist"), "<plist><dict><key>flag</key>");
    writeBytes(domains + QStringLiteral("/com.example.Array.plist"), PlistCodec::toXml(QVariantList{true}));

    expectIdentical(false, *store.foreignValue(QStringLiteral("com.example.Other"), QStringLiteral("flag")));
    expectIdentical(qint64(12), *store.foreignValue(QStringLiteral("com.example.Other"), QStringLiteral("size")));
    EXPECT_FALSE(store.foreignValue(QStringLiteral("com.example.Other"), QStringLiteral("absent")).has_value());
    EXPECT_FALSE(store.foreignValue(QStringLiteral("com.example.Broken"), QStringLiteral("flag")).has_value());
    EXPECT_FALSE(store.foreignValue(QStringLiteral("com.example.Array"), QStringLiteral("flag")).has_value());
    // A domain names a file in the domains folder, nothing else.
    EXPECT_FALSE(
        store.foreignValue(QStringLiteral("../domains/com.example.Other"), QStringLiteral("flag")).has_value());
    EXPECT_FALSE(store.foreignValue(QStringLiteral(".."), QStringLiteral("flag")).has_value());

    // Read afresh each time: another program's change is seen at once.
    writeBytes(domains + QStringLiteral("/com.example.Other.plist"),
               PlistCodec::toXml(QVariantMap{{QStringLiteral("flag"), true}}));
    EXPECT_TRUE(
        Defaults::toBool(*store.foreignValue(QStringLiteral("com.example.Other"), QStringLiteral("flag"))).value());
    EXPECT_TRUE(store.keys().isEmpty());
}

TEST_F(PlistDefaultsTest, AForeignDomainIsReadAgainOnlyWhenItChanges)
{
    const QString file = folder() + QStringLiteral("/domains/com.example.Poll.plist");
    const QString domain = QStringLiteral("com.example.Poll");
    writeBytes(file, PlistCodec::toXml(QVariantMap{{QStringLiteral("n"), qint64(1)}}));
    PlistDefaults store(path());
    EXPECT_EQ(store.foreignValue(domain, QStringLiteral("n")), QVariant(qint64(1)));

    // The same size and time as the version read: taken for it, unread.
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);
    writeBytes(file, PlistCodec::toXml(QVariantMap{{QStringLiteral("n"), qint64(2)}}));
    timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
    EXPECT_EQ(store.foreignValue(domain, QStringLiteral("n")), QVariant(qint64(1)));

    // Modified: read again.
    times[1].tv_sec += 1;
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
    EXPECT_EQ(store.foreignValue(domain, QStringLiteral("n")), QVariant(qint64(2)));
    QFile::remove(file);
    EXPECT_FALSE(store.foreignValue(domain, QStringLiteral("n")).has_value());
}

// A file the reader once crashed or hung on, at every start.
TEST_F(PlistDefaultsTest, AFileThatIsNoSettingsFileIsSetAsideUnreadAtStart)
{
    const QByteArray deep =
        "<plist>" + QByteArray("<array>").repeated(35000) + QByteArray("</array>").repeated(35000) + "</plist>";
    const QByteArray nulKey("<plist><dict><key>a\0b</key><true/></dict></plist>", 49);
    const struct {
        const char* name;
        std::function<void()> make;
        const char* reason;
    } cases[] = {
        {"35000 arrays deep", [&] { writeBytes(path(), deep); }, "nest more than 512 deep"},
        {"a key with a NUL", [&] { writeBytes(path(), nulKey); }, "NUL character"},
        {"a pipe", [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0); }, "not a regular file"},
        {"a link to /dev/zero", [&] { ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path())); },
         "not a regular file"},
        {"a folder", [&] { ASSERT_TRUE(QDir().mkpath(path())); }, "not a regular file"},
        {"64 MiB and one byte",
         [&] {
             QFile f(path());
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             ASSERT_TRUE(f.resize(PlistDefaults::kMaxFileSize + 1)); // sparse: nothing is written
         },
         "larger than 64 MiB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
        c.make();

        PlistDefaults store(path());
        EXPECT_TRUE(store.problem().contains(QLatin1String(c.reason))) << store.problem().toStdString();
        EXPECT_TRUE(store.keys().isEmpty());
        ASSERT_EQ(asideFiles().size(), 1);
        EXPECT_TRUE(store.saveProblem().isEmpty());
        store.setValue(QStringLiteral("fresh"), true);
        store.flush();
        EXPECT_TRUE(QFileInfo(path()).isFile() && !QFileInfo(path()).isSymLink());
        EXPECT_TRUE(PlistDefaults(path()).boolValue(QStringLiteral("fresh")));
    }
}

TEST_F(PlistDefaultsTest, AFileThatCannotBeOpenedIsNeitherSetAsideNorWrittenOver)
{
    // A loop of links can't be opened by anyone, root included.
    const QString other = folder() + QStringLiteral("/elsewhere.plist");
    QDir().mkpath(folder());
    ASSERT_TRUE(QFile::link(other, path()));
    ASSERT_TRUE(QFile::link(path(), other));
    {
        PlistDefaults store(path());
        QSignalSpy problems(&store, &Defaults::problemChanged);
        EXPECT_EQ(store.saveProblem(), QStringLiteral("Too many levels of symbolic links"));
        EXPECT_TRUE(store.problem().contains(path()));
        store.setValue(QStringLiteral("kept"), qint64(3));
        EXPECT_EQ(store.integer(QStringLiteral("kept")), 3); // in memory
        EXPECT_EQ(problems.count(), 0);
    }
    EXPECT_TRUE(asideFiles().isEmpty());
    EXPECT_EQ(QFileInfo(path()).symLinkTarget(), other);
    EXPECT_EQ(QFileInfo(other).symLinkTarget(), path());
}

TEST_F(PlistDefaultsTest, AFileWithoutReadPermissionIsNeitherSetAsideNorWrittenOver)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, which reads files without permission";
    writeBytes(path(), PlistCodec::toXml(QVariantMap{{QStringLiteral("kept"), qint64(1)}}));
    const QByteArray before = fileBytes(path());
    QFile::setPermissions(path(), QFileDevice::Permissions());
    {
        PlistDefaults store(path());
        EXPECT_EQ(store.saveProblem(), QStringLiteral("Permission denied"));
        store.setValue(QStringLiteral("kept"), qint64(2));
    }
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(fileBytes(path()), before);
    EXPECT_TRUE(asideFiles().isEmpty());
}

TEST_F(PlistDefaultsTest, TheFileItsFolderAndSetAsideCopiesArePrivate)
{
    const mode_t umaskBefore = ::umask(022);
    const QString deep = dir.path() + QStringLiteral("/made/for/it/defaults.plist");
    PlistDefaults(deep).setValue(QStringLiteral("request"), QStringLiteral("my private words"));
    EXPECT_EQ(mode(dir.path() + QStringLiteral("/made")), 0700u);
    EXPECT_EQ(mode(dir.path() + QStringLiteral("/made/for/it")), 0700u);
    EXPECT_EQ(mode(deep), 0600u);

    // A file an earlier version left readable to all is private after a write.
    writeBytes(path(), PlistCodec::toXml(QVariantMap{}));
    ::chmod(QFile::encodeName(path()).constData(), 0644);
    PlistDefaults(path()).setValue(QStringLiteral("k"), true);
    EXPECT_EQ(mode(path()), 0600u);

    // A damaged one is private once set aside.
    writeBytes(path(), "damaged");
    ::chmod(QFile::encodeName(path()).constData(), 0644);
    PlistDefaults store(path());
    ASSERT_EQ(asideFiles().size(), 1);
    EXPECT_EQ(mode(folder() + QLatin1Char('/') + asideFiles()[0]), 0600u);
    ::umask(umaskBefore);
}

TEST_F(PlistDefaultsTest, AWriteKilledMidwayLeavesNothingAfterTheNextStart)
{
    {
        PlistDefaults store(path());
        store.setValue(QStringLiteral("kept"), QStringLiteral("yes"));
    }
    const QByteArray before = fileBytes(path());
    // A child killed mid-write: the file-size limit's signal ends it as
    // kill -9 would.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
        rlimit small{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGXFSZ, SIG_DFL);
        PrivateFile::write(path(), QByteArray(64 * 1024, 'x'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(fileBytes(path()), before);
    EXPECT_TRUE(temporaries().isEmpty()) << temporaries().join(' ').toStdString();

    // Killed between naming its temporary file and renaming it, a write
    // leaves that file whole; someone else's files that merely look alike stay.
    writeBytes(folder() + QStringLiteral("/defaults.plist.saving-Ab12Cd"), PlistCodec::toXml(QVariantMap{}));
    writeBytes(folder() + QStringLiteral("/defaults.plist.saving-longer-name"), "theirs");
    writeBytes(folder() + QStringLiteral("/defaults.plist.backup"), "theirs");
    PlistDefaults store(path());
    EXPECT_TRUE(store.problem().isEmpty());
    EXPECT_EQ(store.string(QStringLiteral("kept")), QStringLiteral("yes"));
    EXPECT_EQ(temporaries(), QStringList{QStringLiteral("defaults.plist.saving-longer-name")});
    EXPECT_TRUE(QFileInfo::exists(folder() + QStringLiteral("/defaults.plist.backup")));
}

TEST_F(PlistDefaultsTest, AKillLosesAtMostTheBurstsNotYetWrittenAndNeverHalfOfOne)
{
    // A child changes 100 settings a turn and says after every fourth turn
    // that all of it is written; it is killed as soon as it has said so
    // three times, most likely in the middle of a write.
    int reports[2];
    ASSERT_EQ(::pipe(reports), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(reports[0]);
        PlistDefaults store(path());
        const QByteArray bulk(256 * 1024, 'x');
        for (qint64 burst = 1; burst < 100'000; ++burst) {
            for (int k = 0; k < 100; ++k)
                store.setValue(QStringLiteral("burst.%1").arg(k), burst);
            store.setValue(QStringLiteral("bulk"), bulk + QByteArray::number(burst));
            QCoreApplication::sendPostedEvents(); // the end of the turn
            if (burst % 4 == 0) {
                store.flush();
                if (::write(reports[1], &burst, sizeof burst) != sizeof burst)
                    break;
            }
        }
        ::_exit(0);
    }
    ::close(reports[1]);
    qint64 written = 0;
    for (int n = 0; n < 3; ++n)
        ASSERT_EQ(::read(reports[0], &written, sizeof written), qint64(sizeof written));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(reports[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    PlistDefaults store(path());
    EXPECT_TRUE(store.problem().isEmpty()) << store.problem().toStdString();
    const std::optional<qint64> burst = store.integer(QStringLiteral("burst.0"));
    ASSERT_TRUE(burst);
    EXPECT_GE(*burst, written);
    for (int k = 1; k < 100; ++k)
        EXPECT_EQ(store.integer(QStringLiteral("burst.%1").arg(k)), burst) << k;
    EXPECT_TRUE(store.data(QStringLiteral("bulk"))->endsWith(QByteArray::number(*burst)));
    EXPECT_TRUE(temporaries().isEmpty());
}

TEST_F(PlistDefaultsTest, TextThatIsNoValidUtf8KeepsTheOriginalFileAside)
{
    // A byte that is no UTF-8, and a surrogate written as UTF-8 bytes.
    const QByteArray original = "<plist><dict><key>name</key><string>caf\xE9</string>"
                                "<key>emoji</key><string>\xED\xA0\xBD</string><key>n</key><integer>1</integer>"
                                "</dict></plist>";
    writeBytes(path(), original);
    {
        PlistDefaults store(path());
        ASSERT_EQ(asideFiles().size(), 1);
        const QString aside = folder() + QLatin1Char('/') + asideFiles()[0];
        EXPECT_TRUE(store.problem().contains(QLatin1String("not valid UTF-8"))) << store.problem().toStdString();
        EXPECT_TRUE(store.problem().contains(aside)) << store.problem().toStdString();
        EXPECT_EQ(store.string(QStringLiteral("name")), QStringLiteral("caf\uFFFD"));
        store.setValue(QStringLiteral("n"), qint64(2));
        store.flush();
        EXPECT_EQ(fileBytes(aside), original);
        EXPECT_EQ(PlistDefaults(path()).integer(QStringLiteral("n")), 2);
    }
    // Written back as valid text, the file starts quietly.
    EXPECT_TRUE(PlistDefaults(path()).problem().isEmpty());
    EXPECT_EQ(asideFiles().size(), 1);
}

TEST_F(PlistDefaultsTest, ALinkThatLeadsNowhereIsSaidAndNeverReplacedSilently)
{
    QDir().mkpath(folder() + QStringLiteral("/synced"));
    const QString there = folder() + QStringLiteral("/synced/defaults.plist");
    const QString nowhere = dir.path() + QStringLiteral("/unmounted/defaults.plist");
    for (const QString& target : {there, nowhere}) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(path());
        ASSERT_TRUE(QFile::link(target, path()));
        PlistDefaults store(path());
        EXPECT_TRUE(store.problem().contains(target)) << store.problem().toStdString();
        store.setValue(QStringLiteral("k"), true);
        store.flush();
        EXPECT_TRUE(store.problem().startsWith(QLatin1String("The settings file"))) << store.problem().toStdString();
        EXPECT_TRUE(PlistDefaults(path()).boolValue(QStringLiteral("k")));
        if (target == there) {
            // Written where the link points, the link kept.
            EXPECT_EQ(QFileInfo(path()).symLinkTarget(), there);
            EXPECT_TRUE(QFileInfo(there).isFile());
        } else {
            // Written beside it, the link moved aside and said so.
            EXPECT_FALSE(QFileInfo(path()).isSymLink());
            const QStringList links = QDir(folder()).entryList({QStringLiteral("defaults.plist.link-*")}, QDir::System);
            ASSERT_EQ(links.size(), 1);
            EXPECT_TRUE(store.problem().contains(links[0])) << store.problem().toStdString();
            EXPECT_EQ(QFileInfo(folder() + QLatin1Char('/') + links[0]).symLinkTarget(), nowhere);
        }
    }
}

// Where other users can write the settings folder, or made the settings
// link, they could send the settings anywhere: nothing is followed or
// written until the folder is safe, and the user's own file is still read.
TEST_F(PlistDefaultsTest, SettingsOthersCouldRedirectStayInMemoryUntilTheFolderIsSafe)
{
    {
        PlistDefaults store(path());
        store.setValue(QStringLiteral("kept"), true);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0777), 0);
    {
        PlistDefaults store(path());
        EXPECT_TRUE(store.problem().contains(QLatin1String("can be written by other users")))
            << store.problem().toStdString();
        EXPECT_FALSE(store.problem().contains(QLatin1Char('\n')));
        EXPECT_TRUE(store.boolValue(QStringLiteral("kept")));
        store.setValue(QStringLiteral("later"), true);
        store.flush();
        ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0700), 0);
        EXPECT_FALSE(fileBytes(path()).contains("later"));
        // Safe again: the next change saves them all.
        store.setValue(QStringLiteral("after"), true);
        store.flush();
        EXPECT_TRUE(store.problem().isEmpty()) << store.problem().toStdString();
    }
    EXPECT_TRUE(fileBytes(path()).contains("later"));

    if (::getuid() != 0)
        return; // only root can make a link another user owns
    const QString elsewhere = dir.path() + QStringLiteral("/elsewhere.plist");
    writeBytes(elsewhere, PlistCodec::toXml(QVariantMap{{QStringLiteral("planted"), true}}));
    QFile::remove(path());
    ASSERT_TRUE(QFile::link(elsewhere, path()));
    ASSERT_EQ(::lchown(QFile::encodeName(path()).constData(), 65534, 65534), 0);
    const QByteArray before = fileBytes(elsewhere);
    {
        PlistDefaults store(path());
        EXPECT_TRUE(store.problem().contains(QLatin1String("a link another user made")))
            << store.problem().toStdString();
        EXPECT_FALSE(store.boolValue(QStringLiteral("planted")));
        store.setValue(QStringLiteral("secret"), true);
    }
    EXPECT_EQ(fileBytes(elsewhere), before);
}

TEST_F(PlistDefaultsTest, DatesAreKeptToTheWholeSecondAsTheFileHoldsThem)
{
    PlistDefaults store(path());
    store.setValue(QStringLiteral("updates.lastCheck"), utc("2026-12-07T10:29:36.724Z"));
    store.setValue(QStringLiteral("before1970"), utc("1969-07-20T20:17:40.500Z"));
    store.flush();
    // What is read now is what is read after a restart.
    expectIdentical(utc("2026-12-07T10:29:36Z"), *store.value(QStringLiteral("updates.lastCheck")));
    expectIdentical(utc("1969-07-20T20:17:40Z"), *store.value(QStringLiteral("before1970")));
    const QByteArray text = fileBytes(path());
    EXPECT_TRUE(text.contains("<date>2026-12-07T10:29:36Z</date>")) << text.toStdString();
    EXPECT_TRUE(text.contains("<date>1969-07-20T20:17:40Z</date>")) << text.toStdString();

    // A file with fractions, as earlier versions wrote, still reads.
    writeBytes(path(), "<plist><dict><key>d</key><date>2026-12-07T10:29:36.724Z</date></dict></plist>");
    expectIdentical(utc("2026-12-07T10:29:36Z"), *PlistDefaults(path()).value(QStringLiteral("d")));
}

TEST_F(PlistDefaultsTest, AWrittenFileReadsInPythonsPlistlib)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    {
        PlistDefaults store(path());
        store.setValue(QStringLiteral("date"), utc("2026-12-07T10:29:36.724Z"));
        store.setValue(QStringLiteral("old"), utc("1850-01-01T00:00:00Z"));
        store.setValue(QStringLiteral("int"), std::numeric_limits<qint64>::min());
        store.setValue(QStringLiteral("real"), 0.1);
        store.setValue(QStringLiteral("text"), QStringLiteral("Zoë <&> ✓"));
        store.setValue(QStringLiteral("data"), QByteArray("\x00\xff", 2));
        store.setValue(QStringLiteral("nested"),
                       QVariantList{true, QVariantMap{{QStringLiteral("k"), QVariantList{}}}});
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PYTHONIOENCODING"), QStringLiteral("utf-8"));
    p.setProcessEnvironment(env);
    p.start(python, {QStringLiteral("-c"),
                     QStringLiteral("import plistlib, sys\n"
                                    "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
                                    "print(d['date'].isoformat(), d['old'].isoformat(), d['int'], d['real'], d['text'],"
                                    " d['data'].hex(), d['nested'])"),
                     path()});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
              QStringLiteral("2026-12-07T10:29:36 1850-01-01T00:00:00 -9223372036854775808 0.1 Zoë <&> ✓ 00ff "
                             "[True, {'k': []}]"));
}

TEST_F(PlistDefaultsTest, DefaultPathFollowsXdgConfigHome)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    const QString inXdg = PlistDefaults::defaultPath();
    qunsetenv("XDG_CONFIG_HOME");
    const QString inHome = PlistDefaults::defaultPath();
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);

    EXPECT_EQ(inXdg, dir.path() + QStringLiteral("/tavrin/defaults.plist"));
    EXPECT_EQ(inHome, QDir::homePath() + QStringLiteral("/.config/tavrin/defaults.plist"));
}

} // namespace
