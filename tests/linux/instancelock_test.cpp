#include "platform/linux/instancelock.h"

#include <QFile>
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

} // namespace
