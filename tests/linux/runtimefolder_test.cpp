#include "platform/linux/runtimefolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavrin;

namespace {

constexpr uid_t kNobody = 65534;

// Without XDG_RUNTIME_DIR the runtime folder is made in the shared temporary
// folder, where anyone may have made one under the expected name first.
TEST(RuntimeFolderTest, OnlyAFolderOfTheUsersOwnIsAdopted)
{
    QTemporaryDir temp;
    const uid_t me = ::getuid();
    const QString named = temp.path() + QStringLiteral("/runtime-tavrin-") + QString::number(me);
    EXPECT_EQ(RuntimeFolder::choose(QStringLiteral("/run/user/7"), temp.path(), me), QStringLiteral("/run/user/7"));

    // Made fresh, then found again by the next run.
    EXPECT_EQ(RuntimeFolder::choose(QString(), temp.path(), me), named);
    EXPECT_TRUE(RuntimeFolder::isPrivateFolderOf(named, me));
    EXPECT_EQ(RuntimeFolder::choose(QString(), temp.path(), me), named);

    // Someone else's folder under the name (0777, another owner), or a link
    // there: passed over for a fresh one, and left as it was.
    struct Squat {
        const char* what;
        bool link;
        mode_t mode;
        bool otherOwner;
    };
    const Squat squats[] = {{"open to all", false, 0777, false},
                            {"a link to a folder of ours", true, 0700, false},
                            {"another user's, 0777", false, 0777, true}};
    for (const Squat& squat : squats) {
        if (squat.otherOwner && me != 0)
            continue; // only root can make a folder another user owns
        // What the last case left there: a link or an empty folder.
        if (::unlink(QFile::encodeName(named).constData()) != 0)
            ::rmdir(QFile::encodeName(named).constData());
        if (squat.link) {
            ASSERT_TRUE(QDir().mkpath(temp.path() + QStringLiteral("/mine")));
            ::chmod(QFile::encodeName(temp.path() + QStringLiteral("/mine")).constData(), 0700);
            ASSERT_TRUE(QFile::link(temp.path() + QStringLiteral("/mine"), named));
        } else {
            ASSERT_EQ(::mkdir(QFile::encodeName(named).constData(), 0700), 0);
            ASSERT_EQ(::chmod(QFile::encodeName(named).constData(), squat.mode), 0);
            if (squat.otherOwner) {
                ASSERT_EQ(::chown(QFile::encodeName(named).constData(), kNobody, kNobody), 0);
            }
        }
        const QString chosen = RuntimeFolder::choose(QString(), temp.path(), me);
        EXPECT_NE(chosen, named) << squat.what;
        EXPECT_TRUE(RuntimeFolder::isPrivateFolderOf(chosen, me)) << squat.what;
        EXPECT_FALSE(RuntimeFolder::isPrivateFolderOf(named, me)) << squat.what;
        ::rmdir(QFile::encodeName(chosen).constData());
    }
}

} // namespace
