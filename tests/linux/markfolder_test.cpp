#include "platform/linux/markfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavrin;

namespace {

const QString kName = QStringLiteral("covering");

// What a start finds at a mark's place, and what raising and lowering then
// do: only a regular file of the user's own counts as left standing;
// anything else is replaced by a mark when it is raised, but a folder, which
// is said.
TEST(MarkFolderTest, OnlyTheUsersOwnFileCountsAndRaisingReplacesWhatElseIsThere)
{
    struct Row {
        const char* found;
        bool standing;
        bool raises;
    };
    const Row rows[] = {
        {"nothing", false, true},           // a start after a quit
        {"a mark", true, true},             // after a crash
        {"a link to a file", false, true},  // never followed
        {"a link to nowhere", false, true}, // nor made into a file
        {"a folder", false, false},         // said, and left alone
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.found);
        QTemporaryDir dir;
        const QString settings = dir.filePath(QStringLiteral("tavrin"));
        MarkFolder marks(settings);
        const QString path = marks.pathOf(kName);
        const QString found = QString::fromLatin1(row.found);
        ASSERT_TRUE(QDir().mkpath(settings));
        QFile target(dir.filePath(QStringLiteral("elsewhere")));
        ASSERT_TRUE(target.open(QIODevice::WriteOnly));
        target.close();
        bool made = true;
        if (found == QLatin1String("a mark"))
            made = MarkFolder(settings).raise(kName).isEmpty();
        else if (found == QLatin1String("a link to a file"))
            made = QFile::link(target.fileName(), path);
        else if (found == QLatin1String("a link to nowhere"))
            made = QFile::link(dir.filePath(QStringLiteral("nowhere")), path);
        else if (found == QLatin1String("a folder"))
            made = QDir().mkpath(path);
        ASSERT_TRUE(made);

        EXPECT_EQ(marks.leftStanding(kName), row.standing);
        EXPECT_EQ(marks.raise(kName).isEmpty(), row.raises);
        // What this run does never changes what the start found.
        EXPECT_EQ(marks.leftStanding(kName), row.standing);
        EXPECT_EQ(MarkFolder(settings).leftStanding(kName), row.raises);
        EXPECT_TRUE(QFile::exists(target.fileName())) << "a link was followed";
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("nowhere")))) << "a link was followed";
        if (!row.raises)
            continue;
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_TRUE(marks.lower(kName).isEmpty());
        EXPECT_TRUE(marks.lower(kName).isEmpty());
        EXPECT_FALSE(MarkFolder(settings).leftStanding(kName));
    }
}

TEST(MarkFolderTest, AFolderOthersCanWriteHoldsNoMarks)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("tavrin"));
    ASSERT_TRUE(MarkFolder(settings).raise(kName).isEmpty());
    ASSERT_EQ(::chmod(QFile::encodeName(settings).constData(), 0777), 0);
    MarkFolder marks(settings);
    EXPECT_FALSE(marks.leftStanding(kName));
    EXPECT_TRUE(marks.raise(kName).contains(QStringLiteral("can be written by other users")));
    EXPECT_FALSE(marks.lower(kName).isEmpty());
}

} // namespace
