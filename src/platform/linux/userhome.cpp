#include "platform/linux/userhome.h"

#include <QFile>
#include <cerrno>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace tavrin {

QString UserHome::choose(const QString& given, const std::function<QString()>& fromPasswords)
{
    return given.isEmpty() ? fromPasswords() : given;
}

QString UserHome::ofUser(uid_t uid)
{
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? std::size_t(suggested) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    // A long entry (a network directory's) may need more room.
    while (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (!found || !found->pw_dir)
        return {};
    return QFile::decodeName(found->pw_dir);
}

QString UserHome::settle()
{
    const QString given = qEnvironmentVariable("HOME");
    QString home = choose(given, [] { return ofUser(::getuid()); });
    if (given.isEmpty() && !home.isEmpty())
        qputenv("HOME", QFile::encodeName(home));
    return home;
}

} // namespace tavrin
