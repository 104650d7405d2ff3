#include "platform/linux/shortcutsfolder.h"

#include "platform/echoed.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace tavrin {

namespace {
// The most of a name or a path a message repeats.
constexpr qsizetype kMaxEcho = 200;
constexpr qsizetype kMaxPath = 4000;

void fail(const QString& line)
{
    std::fputs(qPrintable(QStringLiteral("tavrin: ") + line + QLatin1Char('\n')), stderr);
}
} // namespace

QString ShortcutsFolder::path(const UserFolders& folders)
{
    return folders.applicationSupport.isEmpty() ? QString()
                                                : folders.applicationSupport + QStringLiteral("/tavrin/shortcuts");
}

QStringList ShortcutsFolder::names(const QString& folder)
{
    QStringList out;
    if (folder.isEmpty())
        return out;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Executable, QDir::Name);
    // A name with control or direction characters (a line break included)
    // could neither be listed as it is nor shown: it is left out.
    for (const QFileInfo& entry : entries)
        if (echoed(entry.fileName(), kMaxPath) == entry.fileName())
            out << entry.fileName();
    std::sort(out.begin(), out.end());
    return out;
}

QString ShortcutsFolder::file(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".")
        || name == QLatin1String(".."))
        return {};
    const QFileInfo info(QDir(folder).filePath(name));
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

int ShortcutsFolder::main(int argc, char** argv)
{
    QStringList words;
    for (int i = 2; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    const QString folder = path(UserFolders::ofThisUser());
    if (words == QStringList{QStringLiteral("list")}) {
        for (const QString& name : names(folder))
            std::fputs(qPrintable(echoed(name, kMaxPath) + QLatin1Char('\n')), stdout);
        return 0;
    }
    if (words.size() != 2 || words[0] != QLatin1String("run")) {
        fail(QStringLiteral("Usage: tavrin shortcuts list | tavrin shortcuts run NAME"));
        return 2;
    }
    const QString shortcut = file(folder, words[1]);
    if (shortcut.isEmpty()) {
        fail(QStringLiteral("There is no shortcut called \"%1\" in %2.")
                 .arg(echoed(words[1], kMaxEcho), echoed(folder, kMaxPath)));
        return 1;
    }
    const QByteArray program = QFile::encodeName(shortcut);
    char* const arguments[] = {const_cast<char*>(program.constData()), nullptr};
    ::execv(program.constData(), arguments);
    fail(QStringLiteral("Couldn't run %1.").arg(echoed(shortcut, kMaxPath)));
    return 1;
}

} // namespace tavrin
