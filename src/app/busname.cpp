#include "app/busname.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDBusMessage>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("BusName", text); }

// A process's executable: the file it holds open (stat() follows
// /proc/<pid>/exe to it, even once it is deleted) and the path the system
// names it by. None when it can't be read (a process of another user, one
// that has ended).
struct Executable {
    struct stat file = {};
    QString path;
};
std::optional<Executable> executableOf(const QString& process)
{
    const QString link = QStringLiteral("/proc/%1/exe").arg(process);
    Executable exe;
    if (::stat(QFile::encodeName(link).constData(), &exe.file) != 0)
        return std::nullopt;
    exe.path = QFileInfo(link).symLinkTarget();
    return exe;
}

// Whether a process runs this very program. The file it runs must be this
// one, by device and inode: a copy of the program, under any name, is
// another file. Or it runs the file this program replaced on disk (an
// upgrade, a rebuild): deleted since, it is named by this program's path
// and " (deleted)"; only who can write that path could have put it there.
bool runsThisProgram(qint64 pid)
{
    const auto theirs = executableOf(QString::number(pid));
    const auto ours = executableOf(QStringLiteral("self"));
    if (!theirs || !ours)
        return false;
    if (theirs->file.st_dev == ours->file.st_dev && theirs->file.st_ino == ours->file.st_ino)
        return true;
    return theirs->file.st_nlink == 0 && theirs->path == ours->path + QStringLiteral(" (deleted)");
}

// The settings file at the end of `path`'s links (at most this many), in a
// folder named without links: the file the program reads and locks, however
// the path names it.
constexpr int kMaxLinks = 40;
QString realFile(const QString& path)
{
    QFileInfo file(path);
    for (int hops = 0; file.isSymLink() && hops < kMaxLinks; ++hops)
        file = QFileInfo(file.symLinkTarget());
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? file.absoluteFilePath() : folder + QLatin1Char('/') + file.fileName();
}

// RequestName's answers.
constexpr uint kPrimaryOwner = 1, kInQueue = 2, kAlreadyOwner = 4;
// The bus answers its own questions at once; this only bounds a bus gone bad.
constexpr int kBusLimitMs = 5000;

// A question to the bus itself, asked directly (not through Qt's interface
// object, whose signals are set up on another thread as it starts).
QDBusMessage ask(QDBusConnection& bus, const QString& method, const QVariantList& arguments)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, kBusLimitMs);
}
} // namespace

QString BusName::forSettings(const QString& prefix, const QString& settingsPath)
{
    const QByteArray path = realFile(settingsPath).toUtf8();
    return prefix + QStringLiteral(".s")
           + QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(24));
}

BusName::Taken BusName::take(QDBusConnection bus, const QString& name)
{
    // RequestName without flags: no replacing, and a place in the queue.
    const QDBusMessage reply = ask(bus, QStringLiteral("RequestName"), {name, 0u});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return Taken::refused;
    switch (reply.arguments().value(0).toUInt()) {
    case kPrimaryOwner:
    case kAlreadyOwner: return Taken::now;
    case kInQueue: return Taken::queued;
    default: return Taken::refused;
    }
}

QString BusName::trustedOwner(QDBusConnection bus, const QString& name, QString* why)
{
    why->clear();
    const QDBusMessage found = ask(bus, QStringLiteral("GetNameOwner"), {name});
    QString owner = found.type() == QDBusMessage::ReplyMessage ? found.arguments().value(0).toString() : QString();
    if (owner.isEmpty())
        return {};
    const QDBusMessage uid = ask(bus, QStringLiteral("GetConnectionUnixUser"), {owner});
    const QDBusMessage pid = ask(bus, QStringLiteral("GetConnectionUnixProcessID"), {owner});
    if (uid.type() != QDBusMessage::ReplyMessage || pid.type() != QDBusMessage::ReplyMessage) {
        *why = tr("the session bus can't say who answers on %1").arg(name);
        return {};
    }
    if (uid.arguments().value(0).toUInt() != ::getuid()) {
        *why = tr("%1 is answered by a process of another user").arg(name);
        return {};
    }
    const uint process = pid.arguments().value(0).toUInt();
    if (runsThisProgram(process))
        return owner;
    *why = tr("%1 is answered by another program (process %2), not Tavrin").arg(name).arg(process);
    return {};
}

} // namespace tavrin
