#include "platform/linux/userhome.h"

#include <QDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tavrin {
namespace {

TEST(UserHome, TheEnvironmentsHomeElseThePasswordDatabases)
{
    int asked = 0;
    const auto passwords = [&] {
        ++asked;
        return QStringLiteral("/home/ada");
    };
    EXPECT_EQ(UserHome::choose(QStringLiteral("/srv/ada"), passwords), "/srv/ada");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(UserHome::choose(QString(), passwords), "/home/ada");
    EXPECT_EQ(UserHome::choose(QString(), [] { return QString(); }), QString()); // no entry
    EXPECT_EQ(UserHome::ofUser(uid_t(4'000'000'000u)), QString());
}

// Qt and every folder derived from the home follow once HOME is set.
TEST(UserHome, AnUnsetOrEmptyHomeIsTakenFromThePasswordDatabase)
{
    const bool wasSet = qEnvironmentVariableIsSet("HOME");
    const QByteArray saved = qgetenv("HOME");
    const QString own = UserHome::ofUser(::getuid());
    ASSERT_FALSE(own.isEmpty()) << "this user has no entry in the password database";
    for (const bool unset : {true, false}) {
        if (unset)
            qunsetenv("HOME");
        else
            qputenv("HOME", QByteArray());
        EXPECT_EQ(UserHome::settle(), own);
        EXPECT_EQ(qEnvironmentVariable("HOME"), own);
        EXPECT_EQ(QDir::homePath(), QDir::cleanPath(own));
    }
    qputenv("HOME", QByteArray("/srv/elsewhere"));
    EXPECT_EQ(UserHome::settle(), "/srv/elsewhere");
    EXPECT_EQ(qEnvironmentVariable("HOME"), "/srv/elsewhere");
    if (wasSet)
        qputenv("HOME", saved);
    else
        qunsetenv("HOME");
}

} // namespace
} // namespace tavrin
