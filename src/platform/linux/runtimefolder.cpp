#include "platform/linux/runtimefolder.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

bool RuntimeFolder::isPrivateFolderOf(const QString& path, uid_t uid)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == uid && (st.st_mode & 07777) == 0700;
}

QString RuntimeFolder::choose(const QString& given, const QString& temp, uid_t uid, QString* why)
{
    if (!given.isEmpty())
        return given;
    // The name earlier runs used: made here, or left by this user before. A
    // folder someone else made under that name (0777, or a link) is passed
    // over, never adopted or changed.
    QString named = temp + QStringLiteral("/runtime-tavrin-") + QString::number(uid);
    if (::mkdir(QFile::encodeName(named).constData(), 0700) == 0 || errno == EEXIST) {
        if (isPrivateFolderOf(named, uid))
            return named;
    }
    QByteArray pattern = QFile::encodeName(temp + QStringLiteral("/runtime-tavrin-XXXXXX"));
    if (!::mkdtemp(pattern.data())) {
        if (why)
            *why = qt_error_string(errno);
        return {};
    }
    QString fresh = QFile::decodeName(pattern);
    if (isPrivateFolderOf(fresh, uid))
        return fresh;
    if (why)
        *why = QStringLiteral("%1 is not private to this user").arg(fresh);
    return {};
}

} // namespace tavrin
