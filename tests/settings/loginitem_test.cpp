#include "settings/loginitem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tavrin {
namespace {

QString read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(LoginItem, TheEntryIsWrittenReadAndRemoved)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("config/autostart/tavrin.desktop");
    const LoginItem item(path, {"/opt/tavrin/bin/tavrin", "--desktop", "x11"});
    EXPECT_FALSE(item.isEnabled());
    QString problem;
    ASSERT_TRUE(item.setEnabled(true, &problem)) << problem.toStdString();
    EXPECT_TRUE(item.isEnabled());
    const QString text = read(path);
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nExec=\"/opt/tavrin/bin/tavrin\" \"--desktop\" \"x11\"\n"));

    // The desktop's own way of switching an entry off.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("Hidden=true\n");
    file.close();
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(item.setEnabled(true));
    EXPECT_TRUE(item.isEnabled());

    ASSERT_TRUE(item.setEnabled(false));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(item.setEnabled(false)); // already gone
}

TEST(LoginItem, ExecArgumentsAreQuotedAndEscaped)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/tavrin", "\"/usr/bin/tavrin\""},
        {"/home/a b/tavrin", "\"/home/a b/tavrin\""},
        {"50%", "\"50%%\""},
        {"say \"hi\"", "\"say \\\\\"hi\\\\\"\""},
        {"$HOME", "\"\\\\$HOME\""},
        {"a\\b", "\"a\\\\\\\\b\""},
    };
    for (const auto& [argument, quoted] : cases)
        EXPECT_EQ(LoginItem::execArgument(QString::fromUtf8(argument)), QString::fromUtf8(quoted)) << argument;
}

TEST(LoginItem, AFailureIsReportedAndLeavesTheEntryAsItWas)
{
    QTemporaryDir folder;
    QFile blocker(folder.filePath("autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const LoginItem item(folder.filePath("autostart/tavrin.desktop"), {"/opt/tavrin/bin/tavrin"});
    QString problem;
    EXPECT_FALSE(item.setEnabled(true, &problem));
    EXPECT_FALSE(problem.isEmpty());
    EXPECT_FALSE(item.isEnabled());
}

TEST(LoginItem, TheEntryLivesInTheSessionsAutostartFolder)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/somewhere");
    EXPECT_EQ(LoginItem::defaultEntryPath(), "/tmp/somewhere/autostart/tavrin.desktop");
    qputenv("XDG_CONFIG_HOME", "relative");
    EXPECT_EQ(LoginItem::defaultEntryPath(), QDir::homePath() + "/.config/autostart/tavrin.desktop");
    qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
} // namespace tavrin
