#include "platform/linux/profilelock.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace tavrin::ProfileLock {

bool held(const QString& lockPath)
{
    char target[512];
    const ssize_t n = ::readlink(QFile::encodeName(lockPath).constData(), target, sizeof target - 1);
    if (n <= 0)
        return false;
    const QString text = QString::fromUtf8(target, n);
    const qsizetype mark = std::max(text.lastIndexOf(QLatin1Char('+')), text.lastIndexOf(QLatin1Char('-')));
    bool number = false;
    const int pid = text.mid(mark + 1).toInt(&number);
    if (!number || pid <= 0)
        return true;
    return QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

} // namespace tavrin::ProfileLock
