#include "support/keyringdaemon.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace tavrin {

// A secret as the secret service sends it: (oayays).
struct PlainSecret {
    QDBusObjectPath session;
    QByteArray parameters;
    QByteArray value;
    QString contentType;
};

QDBusArgument& operator<<(QDBusArgument& out, const PlainSecret& s)
{
    out.beginStructure();
    out << s.session << s.parameters << s.value << s.contentType;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PlainSecret& s)
{
    in.beginStructure();
    in >> s.session >> s.parameters >> s.value >> s.contentType;
    in.endStructure();
    return in;
}

namespace {
const QString kSecrets = QStringLiteral("org.freedesktop.secrets");
const QByteArray kPassword = "test-password"; // read to the end: no line feed

// A session bus without service files: nothing is started on demand (but
// the keyring's prompter, when %2 names the folder of its service file).
const char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:tmpdir=%1</listen>%2
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
<allow own="*"/></policy></busconfig>
)";
const QString kPrompter = QStringLiteral("org.gnome.keyring.SystemPrompter.service");

bool waitFor(const std::function<bool()>& done, int ms = 10000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

void stop(QProcess& p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(5000))
        p.kill();
    p.waitForFinished(1000);
}
} // namespace

KeyringDaemon::KeyringDaemon(const Options& options)
{
    const Keyring keyring = options.keyring;
    const QString busProgram = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (busProgram.isEmpty()) {
        problem_ = QStringLiteral("dbus-daemon is not installed");
        return;
    }
    QDir(home_.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home_.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QString services;
    if (!options.promptDisplay.isEmpty()) {
        // Only the prompter's service file, from where the system keeps it.
        QDir(home_.path()).mkpath(QStringLiteral("services"));
        const QString system = QStringLiteral("/usr/share/dbus-1/services/") + kPrompter;
        if (!QFile::copy(system, home_.filePath(QStringLiteral("services/")) + kPrompter)) {
            problem_ = QStringLiteral("the keyring's prompter is not installed (Debian package gcr)");
            return;
        }
        services = QStringLiteral("<servicedir>%1</servicedir>").arg(home_.filePath(QStringLiteral("services")));
    }
    QFile config(home_.filePath(QStringLiteral("bus.conf")));
    if (!config.open(QIODevice::WriteOnly)
        || config.write(QString::fromLatin1(kBusConfig).arg(home_.path(), services).toUtf8()) < 0) {
        problem_ = QStringLiteral("the bus configuration could not be written");
        return;
    }
    config.close();
    if (!options.promptDisplay.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), options.promptDisplay);
        env.insert(QStringLiteral("HOME"), home_.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.filePath(QStringLiteral("run")));
        bus_.setProcessEnvironment(env);
    }
    bus_.start(busProgram, {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                            QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    QByteArray address;
    while (bus_.waitForReadyRead(5000) && !address.contains('\n'))
        address += bus_.readAllStandardOutput();
    if (!address.contains('\n')) {
        problem_ = QStringLiteral("dbus-daemon printed no address");
        return;
    }
    address_ = QString::fromUtf8(address.trimmed());
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.trimmed());
    if (keyring == Keyring::running
        && !startDaemon(daemon_, {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                                  QStringLiteral("--components=secrets")}))
        return;
    if (keyring == Keyring::withoutLogin)
        startDaemon(daemon_, {QStringLiteral("--foreground"), QStringLiteral("--components=secrets")}, false);
}

KeyringDaemon::~KeyringDaemon()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("tavrin-test-keyring"));
    stop(daemon_);
    stop(bus_);
}

QDBusConnection KeyringDaemon::bus() const
{
    return QDBusConnection::connectToBus(address_, QStringLiteral("tavrin-test-keyring"));
}

bool KeyringDaemon::startDaemon(QProcess& daemon, const QStringList& arguments, bool withLogin)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon"));
    if (program.isEmpty()) {
        problem_ = QStringLiteral("gnome-keyring-daemon is not installed (Debian package gnome-keyring)");
        return false;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home_.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    daemon.setProcessEnvironment(env);
    daemon.setStandardOutputFile(QProcess::nullDevice());
    daemon.setStandardErrorFile(QProcess::nullDevice());
    daemon.start(program, arguments);
    if (!daemon.waitForStarted(5000)) {
        problem_ = QStringLiteral("gnome-keyring-daemon did not start: ") + daemon.errorString();
        return false;
    }
    if (!withLogin) {
        // Ready once it answers on the bus, with no default keyring.
        daemon.closeWriteChannel();
        QDBusMessage alias = QDBusMessage::createMethodCall(kSecrets, QStringLiteral("/org/freedesktop/secrets"),
                                                            QStringLiteral("org.freedesktop.Secret.Service"),
                                                            QStringLiteral("ReadAlias"));
        alias << QStringLiteral("default");
        if (!waitFor([&] { return bus().call(alias, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage; }))
            problem_ = QStringLiteral("gnome-keyring-daemon did not answer on the bus");
        return problem_.isEmpty();
    }
    // Written out here: nothing else runs the event loop while it starts.
    daemon.write(kPassword);
    daemon.waitForBytesWritten(5000);
    daemon.closeWriteChannel();
    bool unlocked = false;
    if (!waitFor([&] { return defaultLocked(&unlocked) && !unlocked; }))
        problem_ = QStringLiteral("gnome-keyring-daemon did not offer an unlocked keyring on the bus");
    return problem_.isEmpty();
}

QString KeyringDaemon::defaultKeyring() const
{
    QDBusMessage alias =
        QDBusMessage::createMethodCall(kSecrets, QStringLiteral("/org/freedesktop/secrets"),
                                       QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("ReadAlias"));
    alias << QStringLiteral("default");
    const QDBusMessage path = bus().call(alias, QDBus::Block, 2000);
    const QString collection = qdbus_cast<QDBusObjectPath>(path.arguments().value(0)).path();
    return path.type() == QDBusMessage::ReplyMessage && collection != QLatin1String("/") ? collection : QString();
}

bool KeyringDaemon::defaultLocked(bool* locked) const
{
    const QString collection = defaultKeyring();
    if (collection.isEmpty())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kSecrets, collection, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.Secret.Collection") << QStringLiteral("Locked");
    const QDBusMessage reply = bus().call(get, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return false;
    *locked = qdbus_cast<QDBusVariant>(reply.arguments().value(0)).variant().toBool();
    return true;
}

bool KeyringDaemon::lock()
{
    const QString collection = defaultKeyring();
    if (collection.isEmpty())
        return false;
    QDBusMessage lock =
        QDBusMessage::createMethodCall(kSecrets, QStringLiteral("/org/freedesktop/secrets"),
                                       QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("Lock"));
    lock << QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath(collection)});
    if (bus().call(lock, QDBus::Block, 2000).type() != QDBusMessage::ReplyMessage)
        return false;
    bool locked = false;
    return defaultLocked(&locked) && locked;
}

bool KeyringDaemon::unlock()
{
    // The daemon's own way to unlock with the password (what its prompt does
    // when the user types it): a secret sent in a plain session.
    QDBusMessage open =
        QDBusMessage::createMethodCall(kSecrets, QStringLiteral("/org/freedesktop/secrets"),
                                       QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("OpenSession"));
    open << QStringLiteral("plain") << QVariant::fromValue(QDBusVariant(QString()));
    const QDBusMessage session = bus().call(open, QDBus::Block, 2000);
    const QString collection = defaultKeyring();
    if (session.type() != QDBusMessage::ReplyMessage || session.arguments().size() < 2 || collection.isEmpty()) {
        problem_ = QStringLiteral("no session for the password: ") + session.errorMessage();
        return false;
    }
    qDBusRegisterMetaType<PlainSecret>();
    const PlainSecret secret{
        qdbus_cast<QDBusObjectPath>(session.arguments().at(1)), {}, kPassword, QStringLiteral("text/plain")};
    QDBusMessage unlock =
        QDBusMessage::createMethodCall(kSecrets, QStringLiteral("/org/freedesktop/secrets"),
                                       QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"),
                                       QStringLiteral("UnlockWithMasterPassword"));
    unlock << QVariant::fromValue(QDBusObjectPath(collection)) << QVariant::fromValue(secret);
    const QDBusMessage unlocked = bus().call(unlock, QDBus::Block, 5000);
    if (unlocked.type() != QDBusMessage::ReplyMessage) {
        problem_ = QStringLiteral("the keyring refused the password: ") + unlocked.errorMessage();
        return false;
    }
    bool locked = true;
    if (waitFor([&] { return defaultLocked(&locked) && !locked; }, 5000))
        return true;
    problem_ = QStringLiteral("the keyring took the password but stayed locked");
    return false;
}

} // namespace tavrin
