#include "platform/linux/markfolder.h"

#include "platform/linux/privatefile.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {
QString systemError(const QString& path) { return path + QStringLiteral(": ") + qt_error_string(errno); }
} // namespace

MarkFolder::MarkFolder(const QString& folder) : folder_(folder) {}

QString MarkFolder::pathOf(const QString& name) const { return QDir(folder_).filePath(name + QStringLiteral(".mark")); }

bool MarkFolder::firstLook(const QString& name)
{
    const auto seen = atStart_.constFind(name);
    if (seen != atStart_.cend())
        return *seen;
    const QString path = pathOf(name);
    const bool standing = PrivateFile::othersCanRedirect(path).isEmpty() && PrivateFile::isOwnRegularFile(path);
    atStart_.insert(name, standing);
    return standing;
}

bool MarkFolder::leftStanding(const QString& name) { return firstLook(name); }

QString MarkFolder::raise(const QString& name)
{
    firstLook(name);
    const QString path = pathOf(name);
    QString why;
    if (!PrivateFile::makeFolder(folder_, &why))
        return why;
    if (QString unsafe = PrivateFile::othersCanRedirect(path); !unsafe.isEmpty())
        return unsafe;
    if (PrivateFile::isOwnRegularFile(path))
        return {};
    const QByteArray file = QFile::encodeName(path);
    // What stands in its place is not a mark of ours: it goes (a folder stays, and is said).
    if (::unlink(file.constData()) != 0 && errno != ENOENT)
        return systemError(path);
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return systemError(path);
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    // The mark is the file's being there; what it holds is only for people.
    [[maybe_unused]] const ssize_t written = ::write(fd, pid.constData(), std::size_t(pid.size()));
    ::close(fd);
    return {};
}

QString MarkFolder::lower(const QString& name)
{
    firstLook(name);
    const QString path = pathOf(name);
    if (QString unsafe = PrivateFile::othersCanRedirect(path); !unsafe.isEmpty())
        return unsafe;
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        return systemError(path);
    return {};
}

} // namespace tavrin
