#include "app/busconnection.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <climits>
#include <dlfcn.h>

namespace tavrin {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("BusConnection", text); }

// The bus library's own setters, found in the library Qt's bus module
// loaded: their header is not part of what the program builds against.
using SetLimit = void (*)(void* connection, long limit);
SetLimit libraryFunction(const char* name) { return reinterpret_cast<SetLimit>(::dlsym(RTLD_DEFAULT, name)); }
} // namespace

bool BusConnection::keepReading(QDBusConnection bus, QString* problem)
{
    auto fail = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return false;
    };
    void* connection = bus.isConnected() ? bus.internalPointer() : nullptr;
    if (!connection)
        return fail(tr("there is no bus connection"));
    const SetLimit bytes = libraryFunction("dbus_connection_set_max_received_size");
    const SetLimit descriptors = libraryFunction("dbus_connection_set_max_received_unix_fds");
    if (!bytes || !descriptors)
        return fail(tr("the bus library offers no way to lift its limit"));
    bytes(connection, LONG_MAX);
    descriptors(connection, LONG_MAX);
    return true;
}

bool BusConnection::deliverSent(QDBusConnection bus, int limitMs)
{
    if (!bus.isConnected())
        return false;
    // Sent after everything before it, and answered by the bus once read:
    // its answer means all of that was written.
    const QDBusMessage id = bus.call(
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
        QDBus::Block, limitMs);
    return id.type() == QDBusMessage::ReplyMessage;
}

} // namespace tavrin
