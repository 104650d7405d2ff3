#include "platform/linux/instancelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

using namespace tavrin;

namespace {

TEST(InstanceLockTest, OneHolderPerSettingsFileUntilItLetsGo)
{
    QTemporaryDir dir;
    const QString settings = dir.path() + QStringLiteral("/new/tavrin/defaults.plist");
    std::optional<InstanceLock> first(std::in_place, settings);
    EXPECT_FALSE(first->heldElsewhere());
    EXPECT_TRUE(first->problem().isEmpty()) << first->problem().toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.path() + QStringLiteral("/new/tavrin")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // The lock is per open file, so it holds even within one process.
    EXPECT_TRUE(InstanceLock(settings).heldElsewhere());
    EXPECT_FALSE(InstanceLock(dir.path() + QStringLiteral("/other/defaults.plist")).heldElsewhere());
    first.reset();
    EXPECT_FALSE(InstanceLock(settings).heldElsewhere());
}

TEST(InstanceLockTest, AFolderThatCantBeMadeIsAProblemNotAnotherInstance)
{
    QTemporaryDir dir;
    QFile blocker(dir.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const InstanceLock lock(dir.path() + QStringLiteral("/file/tavrin/defaults.plist"));
    EXPECT_FALSE(lock.heldElsewhere());
    EXPECT_FALSE(lock.problem().isEmpty());
}

// A dotfiles set-up: two config folders whose settings files are links to
// one shared file. The second Tavrin must be refused, or each would write
// over the other's changes; and a lock file that is itself a link (planted
// by someone else) is never opened through it.
TEST(InstanceLockTest, LinkedSettingsShareOneLockAndTheLockIsNeverALink)
{
    QTemporaryDir dir;
    const QString shared = dir.path() + QStringLiteral("/dotfiles/defaults.plist");
    QDir().mkpath(dir.path() + QStringLiteral("/dotfiles"));
    for (const char* folder : {"/c/tavrin", "/e/tavrin"}) {
        QDir().mkpath(dir.path() + QLatin1String(folder));
        ASSERT_TRUE(QFile::link(shared, dir.path() + QLatin1String(folder) + QStringLiteral("/defaults.plist")));
    }
    const InstanceLock first(dir.path() + QStringLiteral("/c/tavrin/defaults.plist"));
    ASSERT_FALSE(first.heldElsewhere());
    ASSERT_TRUE(first.problem().isEmpty()) << first.problem().toStdString();
    EXPECT_TRUE(QFileInfo::exists(shared + QStringLiteral(".lock")));
    EXPECT_TRUE(InstanceLock(dir.path() + QStringLiteral("/e/tavrin/defaults.plist")).heldElsewhere());

    const QString planted = dir.path() + QStringLiteral("/p/defaults.plist");
    QDir().mkpath(dir.path() + QStringLiteral("/p"));
    ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/elsewhere"), planted + QStringLiteral(".lock")));
    const InstanceLock refused(planted);
    EXPECT_FALSE(refused.heldElsewhere());
    EXPECT_FALSE(refused.problem().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/elsewhere")));
}

} // namespace
