#include "platform/linux/instancelock.h"

#include "platform/linux/privatefile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavrin {

InstanceLock::InstanceLock(const QString& settingsPath)
{
    // A link someone else made is not followed (the settings are not
    // written through it either).
    const QString settings =
        PrivateFile::othersCanRedirect(settingsPath).isEmpty() ? PrivateFile::writeTarget(settingsPath) : settingsPath;
    const QString path = settings + QStringLiteral(".lock");
    const QString folder = QFileInfo(path).absolutePath();
    QString why;
    if (!PrivateFile::makeFolder(folder, &why)) {
        problem_ = QStringLiteral("the folder %1 can't be made (%2)").arg(folder, why);
        return;
    }
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        problem_ = QStringLiteral("%1 can't be opened (%2)").arg(path, qt_error_string(errno));
        return;
    }
    int result = 0;
    do
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0)
        return;
    if (errno == EWOULDBLOCK)
        heldElsewhere_ = true;
    else
        problem_ = QStringLiteral("%1 can't be locked (%2)").arg(path, qt_error_string(errno));
    ::close(fd_);
    fd_ = -1;
}

InstanceLock::~InstanceLock()
{
    // Closing the file drops the lock.
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace tavrin
