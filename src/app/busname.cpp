#include "app/busname.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDBusMessage>
#include <QFileInfo>
#include <unistd.h>

namespace tavrin {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("BusName", text); }

// The executable a process runs, as the system names it; empty when it can't
// be read (a process of another user, one that has ended).
QString executableOf(qint64 pid) { return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget(); }

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
    const QByteArray path = QFileInfo(settingsPath).absoluteFilePath().toUtf8();
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
    const QString owner =
        found.type() == QDBusMessage::ReplyMessage ? found.arguments().value(0).toString() : QString();
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
    const QString exe = executableOf(process);
    if (!exe.isEmpty() && (exe == executableOf(::getpid()) || QFileInfo(exe).fileName() == QLatin1String("tavrin")))
        return owner;
    *why = tr("%1 is answered by another program (process %2), not Tavrin").arg(name).arg(process);
    return {};
}

} // namespace tavrin
