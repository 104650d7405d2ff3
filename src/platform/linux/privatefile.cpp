#include "platform/linux/privatefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

const QString kTemporaryInfix = QStringLiteral(".saving-");
constexpr int kTemporaryRandom = 6; // QTemporaryFile's XXXXXX

QString systemError(int error) { return qt_error_string(error); }

PrivateFile::Stamp stampOf(const struct stat& st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
            qint64(st.st_mtim.tv_nsec)};
}

// Closes the descriptor however the read ends.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

PrivateFile::Read PrivateFile::read(const QString& path, qint64 limit)
{
    Read r;
    // Non-blocking, so that opening a pipe returns at once.
    Descriptor file{::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    if (file.fd < 0) {
        // Under a file where a folder should be, there is no file either.
        r.outcome = errno == ENOENT || errno == ENOTDIR ? Read::Outcome::missing : Read::Outcome::unreadable;
        r.why = systemError(errno);
        return r;
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) {
        r.outcome = Read::Outcome::unreadable;
        r.why = systemError(errno);
        return r;
    }
    r.outcome = Read::Outcome::refused;
    if (!S_ISREG(st.st_mode)) {
        r.why = QStringLiteral("it is not a regular file");
        return r;
    }
    const QString tooLarge = QStringLiteral("it is larger than %1 MiB").arg(limit / (qint64{1024} * 1024));
    if (st.st_size > limit) {
        r.why = tooLarge;
        return r;
    }
    // The file may grow while it is read: read one byte past the limit at most.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype done = 0;
    while (true) {
        if (done == bytes.size()) {
            if (done > limit) {
                r.why = tooLarge;
                return r;
            }
            bytes.resize(std::min<qsizetype>(limit + 1, done * 2 + 4096));
        }
        const ssize_t n = ::read(file.fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            r.outcome = Read::Outcome::unreadable;
            r.why = systemError(errno);
            return r;
        }
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    r.outcome = Read::Outcome::ok;
    r.bytes = std::move(bytes);
    r.stamp = stampOf(st);
    r.stamp.size = done;
    return r;
}

std::optional<PrivateFile::Stamp> PrivateFile::stamp(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

bool PrivateFile::makeFolder(const QString& path, QString* why)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // The missing folders, outermost first.
    QStringList missing;
    for (QString at = absolute; !QFileInfo(at).isDir(); at = QFileInfo(at).path()) {
        if (at == QFileInfo(at).path()) // the root, and it is no folder
            break;
        missing.prepend(at);
    }
    for (const QString& folder : missing) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST) {
            if (why)
                *why = systemError(errno);
            return false;
        }
    }
    if (!QFileInfo(absolute).isDir()) {
        if (why)
            *why = systemError(ENOTDIR);
        return false;
    }
    return true;
}

// Where the bytes go: the path itself, or what its link points to, so that a
// settings file linked from elsewhere stays linked.
QString PrivateFile::writeTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

QString PrivateFile::write(const QString& path, const QByteArray& bytes)
{
    const QString target = writeTarget(path);
    // QTemporaryFile makes its files 0600 and, where the system can, leaves
    // them unnamed until fileName() is asked: only then can a crash leave one.
    QTemporaryFile file(target + kTemporaryInfix + QString(kTemporaryRandom, QLatin1Char('X')));
    if (!file.open())
        return file.errorString();
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return file.errorString();
        done += n;
    }
    if (!file.flush())
        return file.errorString();
    // On disk before it takes the old file's place: a crash now leaves one or
    // the other, whole.
    if (::fsync(file.handle()) != 0)
        return systemError(errno);
    if (::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return systemError(errno);
    file.setAutoRemove(false);
    Descriptor folder{
        ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd >= 0)
        ::fsync(folder.fd); // the rename itself; a failure here loses nothing written
    return {};
}

void PrivateFile::removeStaleTemporaries(const QString& path)
{
    const QFileInfo target(writeTarget(path));
    const QString prefix = target.fileName() + kTemporaryInfix;
    QDir folder(target.absolutePath());
    const QStringList names =
        folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (name.size() == prefix.size() + kTemporaryRandom)
            folder.remove(name);
    }
}

QString PrivateFile::othersCanRedirect(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) == 0) {
        if (st.st_uid != ::getuid() && st.st_uid != 0)
            return QStringLiteral("the folder %1 belongs to another user").arg(folder);
        if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
            return QStringLiteral("the folder %1 can be written by other users").arg(folder);
    }
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode) && st.st_uid != ::getuid())
        return QStringLiteral("%1 is a link another user made").arg(path);
    return {};
}

bool PrivateFile::isOwnRegularFile(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid();
}

void PrivateFile::makePrivate(const QString& path)
{
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::chmod(name.constData(), 0600);
}

bool PrivateFile::renameToNew(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system that can't promise it: look first.
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return errno == ENOENT && ::rename(source.constData(), target.constData()) == 0;
}

} // namespace tavrin
