#include "platform/userfolders.h"

#include <QDir>

namespace tavrin {

UserFolders UserFolders::ofThisUser()
{
    UserFolders folders;
    folders.home = QDir::homePath();
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG base-directory rules ignore a relative value.
    folders.applicationSupport =
        !config.isEmpty() && QDir::isAbsolutePath(config) ? config : folders.home + QStringLiteral("/.config");
    return folders;
}

} // namespace tavrin
