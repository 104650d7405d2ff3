// Moving the portable settings to another computer: the export file as
// standard readers see it, what an import accepts and refuses, and that a
// failure never loses the file or the settings already there.

#include "integrations/sessions.h"
#include "platform/linux/plistdefaults.h"
#include "platform/linux/plistfiles.h"
#include "platform/platform.h"
#include "support/scriptedfiledialogs.h"
#include "support/simfixture.h"
#include "support/workspacefakes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace tavrin;

namespace {

// One key under each portable prefix, and the computer's own settings.
const QVariantMap kPortable{
    {"learning.counts", QVariantMap{{"Safari", qint64(3)}}},
    {"habits.opens", QVariantList{QStringLiteral("Mail")}},
    {"savedWorkspaces", QByteArray("[]")},
    {"savedWorkspacesFoo", QStringLiteral("kept with them")},
    {"layout.Studio", QStringLiteral("halves")},
    {"autoArrange.Studio", true},
    {"sessions.autoSave", false},
    {"focus.routines", QByteArray("[]")},
    {"privacy.apps", QVariantList{QStringLiteral("Messages")}},
    {"integrations.off", QVariantList{QStringLiteral("Safari")}},
};
const QVariantMap kOwn{
    {"gap", qint64(12)},
    {"shortcut.commandBar", QStringLiteral("none")},
    {"aiEngine", QStringLiteral("claude")},
};

// Learned state that counts how often it is read again, and what the
// settings held then.
struct CountingLearnedState : LearnedState {
    void readAgain() override
    {
        ++reads;
        countsThen = Platform::current().defaults->value(QStringLiteral("learning.counts"));
    }
    int reads = 0;
    std::optional<QVariant> countsThen;
};

class ExportImport : public ::testing::Test {
protected:
    ExportImport()
    {
        Platform::current().fileDialogs = &dialogs;
        Platform::current().propertyLists = &files;
        fill(kPortable);
        fill(kOwn);
    }

    void fill(const QVariantMap& values)
    {
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            env.defaults.setValue(it.key(), it.value());
    }
    QVariantMap stored() const
    {
        QVariantMap all;
        for (const QString& key : env.defaults.keys())
            all.insert(key, *env.defaults.value(key));
        return all;
    }
    QString path(const QString& name) const { return folder.filePath(name); }
    QString writeFile(const QString& name, const QVariantMap& content)
    {
        EXPECT_EQ(files.writeXml(path(name), content), QString());
        return path(name);
    }
    bool importFrom(const QString& file)
    {
        dialogs.answer = file;
        return Sessions::importLearnings(learned);
    }
    // What Python's own reader makes of a property list, as JSON-ish text.
    static QString python(const QString& script, const QString& file)
    {
        const QString python3 = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python3.isEmpty()) {
            ADD_FAILURE() << "python3 is needed (scripts/install-deps.sh installs it)";
            return {};
        }
        QProcess run;
        run.start(python3, {QStringLiteral("-c"), script, file});
        run.waitForFinished(10000);
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        return QString::fromUtf8(run.readAllStandardOutput()).trimmed();
    }

    SimEnvironment env;
    ScriptedFileDialogs dialogs;
    PlistFiles files;
    QTemporaryDir folder;
    CountingLearnedState learned;
};

} // namespace

TEST_F(ExportImport, TheExportHoldsTheMarkerAndEveryPortableKeyAndStandardReadersReadIt)
{
    dialogs.answer = path("out.plist");
    EXPECT_EQ(Sessions::exportLearnings(), QString());
    EXPECT_EQ(dialogs.offeredNames, QStringList{"Tavrin learnings.plist"});
    EXPECT_EQ(dialogs.offeredTypes, QStringList{"plist"});

    QVariantMap expected = kPortable;
    expected.insert(QStringLiteral("tavrinExport"), qint64(1));
    EXPECT_EQ(files.read(path("out.plist")).value, QVariant(expected));
    QFile file(path("out.plist"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("<?xml version=\"1.0\""));
    EXPECT_EQ(python("import plistlib, sys\n"
                     "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
                     "print(sorted(d), d['tavrinExport'], type(d['savedWorkspaces']).__name__)",
                     path("out.plist")),
              "['autoArrange.Studio', 'focus.routines', 'habits.opens', 'integrations.off', 'layout.Studio', "
              "'learning.counts', 'privacy.apps', 'savedWorkspaces', 'savedWorkspacesFoo', 'sessions.autoSave', "
              "'tavrinExport'] 1 bytes");
}

TEST_F(ExportImport, AnExportWithNothingPortableHoldsOnlyTheMarker)
{
    for (const QString& key : kPortable.keys())
        env.defaults.remove(key);
    dialogs.answer = path("empty.plist");
    EXPECT_EQ(Sessions::exportLearnings(), QString());
    EXPECT_EQ(python("import plistlib, sys\nprint(plistlib.load(open(sys.argv[1], 'rb')))", path("empty.plist")),
              "{'tavrinExport': 1}");
}

TEST_F(ExportImport, AFileWithOnlyTheMarkerRemovesEveryPortableKeyAndLearnedStateFollows)
{
    CountingShortcutParameters parameters;
    const Registration refreshing = ShortcutParameters::install(parameters);

    EXPECT_TRUE(importFrom(writeFile("marker.plist", {{"tavrinExport", qint64(1)}})));
    EXPECT_EQ(stored(), kOwn);
    EXPECT_EQ(learned.reads, 1);
    EXPECT_EQ(learned.countsThen, std::nullopt); // read again from what the file holds
    EXPECT_EQ(parameters.updates, 1);
}

TEST_F(ExportImport, AnImportReplacesPortableKeysAndIgnoresTheComputersOwn)
{
    const QString file = writeFile("other.plist", {{"tavrinExport", qint64(1)},
                                                   {"learning.kept", QVariantList{QStringLiteral("Mail")}},
                                                   {"savedWorkspacesOld", QByteArray("x")},
                                                   {"gap", qint64(30)},
                                                   {"shortcut.fill", QStringLiteral("none")}});
    EXPECT_TRUE(importFrom(file));
    QVariantMap expected = kOwn;
    expected.insert(QStringLiteral("learning.kept"), QVariantList{QStringLiteral("Mail")});
    expected.insert(QStringLiteral("savedWorkspacesOld"), QByteArray("x"));
    EXPECT_EQ(stored(), expected);
}

TEST_F(ExportImport, TheMarkerMayHoldAnyValueButMustBeThere)
{
    const std::vector<std::pair<const char*, QVariant>> markers{
        {"zero", qint64(0)}, {"text", QStringLiteral("yes")}, {"false", false}, {"array", QVariantList{}}};
    for (const auto& [name, marker] : markers) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(
            importFrom(writeFile("m.plist", {{"tavrinExport", marker}, {"layout.Side", QStringLiteral("thirds")}})));
        EXPECT_EQ(env.defaults.string(QStringLiteral("layout.Side")), QStringLiteral("thirds"));
    }
}

TEST_F(ExportImport, WhatIsNotAnExportIsRefusedAndChangesNothing)
{
    const QVariantMap before = stored();
    const auto raw = [&](const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    };
    QByteArray exportBytes;
    {
        writeFile("whole.plist", {{"tavrinExport", qint64(1)}, {"learning.counts", QVariantMap{{"A", qint64(1)}}}});
        QFile whole(path("whole.plist"));
        EXPECT_TRUE(whole.open(QIODevice::ReadOnly));
        exportBytes = whole.readAll();
    }
    const std::vector<std::pair<const char*, QString>> refused{
        {"no marker, portable keys", writeFile("nomarker.plist", {{"learning.counts", QVariantMap{}}})},
        {"empty dictionary", writeFile("empty.plist", {})},
        {"not a dictionary", raw("array.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>")},
        {"not a property list", raw("text.plist", "tavrinExport = 1")},
        {"cut short", raw("cut.plist", exportBytes.left(exportBytes.size() * 2 / 3))},
        {"missing", path("nothing-here.plist")},
        {"a folder", folder.path()},
    };
    for (const auto& [name, file] : refused) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(importFrom(file));
        EXPECT_EQ(stored(), before);
    }
    EXPECT_EQ(learned.reads, 0);
}

TEST_F(ExportImport, ABinaryPropertyListIsAccepted)
{
    const QString file = path("binary.plist");
    python("import plistlib, sys\n"
           "plistlib.dump({'tavrinExport': 1, 'habits.opens': ['Notes'], 'learning.moves': 7},"
           " open(sys.argv[1], 'wb'), fmt=plistlib.FMT_BINARY)",
           file);
    EXPECT_TRUE(importFrom(file));
    QVariantMap expected = kOwn;
    expected.insert(QStringLiteral("habits.opens"), QVariantList{QStringLiteral("Notes")});
    expected.insert(QStringLiteral("learning.moves"), qint64(7));
    EXPECT_EQ(stored(), expected);
}

TEST_F(ExportImport, CancellingEitherDialogChangesNothing)
{
    dialogs.answer.reset();
    const QVariantMap before = stored();
    EXPECT_EQ(Sessions::exportLearnings(), QString());
    EXPECT_TRUE(Sessions::importLearnings(learned));
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(learned.reads, 0);
    EXPECT_EQ(dialogs.opened, 2);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST(ExportImportTypes, EveryValueComesBackWithItsTypeAndContent)
{
    QTemporaryDir home;
    SimEnvironment env;
    ScriptedFileDialogs dialogs;
    PlistFiles files;
    PlistDefaults here(home.filePath(QStringLiteral("here.plist")));
    PlistDefaults there(home.filePath(QStringLiteral("there.plist")));
    Platform::current().fileDialogs = &dialogs;
    Platform::current().propertyLists = &files;

    const QVariantMap values{
        {"learning.data", QByteArray("\x00\x01\xff", 3)},
        {"learning.int", qint64(9007199254740993)},
        {"learning.negative", qint64(-4)},
        {"learning.real", 2.0},
        {"learning.fraction", 0.1},
        {"learning.when", QDateTime::fromMSecsSinceEpoch(1733000000123, Qt::UTC)},
        {"learning.text", QStringLiteral("Ünïcode & <markup>")},
        {"learning.nested", QVariantMap{{"list", QVariantList{true, qint64(1), QStringLiteral("x")}}}},
    };
    Platform::current().defaults = &here;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        here.setValue(it.key(), it.value());
    dialogs.answer = home.filePath(QStringLiteral("export.plist"));
    ASSERT_EQ(Sessions::exportLearnings(), QString());

    Platform::current().defaults = &there;
    CountingLearnedState learned;
    ASSERT_TRUE(Sessions::importLearnings(learned));
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        const QVariant kept = *here.value(it.key());
        const QVariant came = there.value(it.key()).value_or(QVariant());
        EXPECT_EQ(came.typeId(), kept.typeId());
        EXPECT_EQ(came, kept);
    }
    // The settings keep dates to the whole second, and so does the file.
    EXPECT_EQ(there.value(QStringLiteral("learning.when"))->toDateTime().toMSecsSinceEpoch(), 1733000000000);
    Platform::current().defaults = &env.defaults;
}

TEST_F(ExportImport, AFailedWriteSaysWhyAndLeavesTheEarlierFileWhole)
{
    // A file written before, then an export larger than the process may write.
    const QString file = writeFile("learnings.plist", {{"tavrinExport", qint64(1)}});
    QFile earlier(file);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    const QByteArray before = earlier.readAll();
    earlier.close();
    fill({{"learning.big", QString(4096, QLatin1Char('x'))}});

    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{1024, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    dialogs.answer = file;
    const QString problem = Sessions::exportLearnings();
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(problem.isEmpty());
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"learnings.plist"});

    // A folder that isn't there.
    dialogs.answer = path("gone/learnings.plist");
    EXPECT_FALSE(Sessions::exportLearnings().isEmpty());
}
