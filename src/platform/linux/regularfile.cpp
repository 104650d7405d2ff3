#include "platform/linux/regularfile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin::RegularFile {

std::optional<QByteArray> read(const QString& path, qint64 maxBytes)
{
    // Without O_NONBLOCK an open of a FIFO waits for a writer for good.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> out;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= maxBytes) {
        // The file may grow while it is read: one byte more than allowed
        // tells that it has become too large.
        QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
        qsizetype filled = 0;
        bool failed = false;
        while (filled < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                failed = true;
            if (n <= 0)
                break;
            filled += n;
            if (filled == bytes.size() && filled <= maxBytes)
                bytes.resize(std::min<qint64>(maxBytes + 1, qint64(bytes.size()) * 2));
        }
        if (!failed && filled <= maxBytes) {
            bytes.truncate(filled);
            out = std::move(bytes);
        }
    }
    ::close(fd);
    return out;
}

} // namespace tavrin::RegularFile
