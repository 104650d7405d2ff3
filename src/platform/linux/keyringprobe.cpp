#include "platform/linux/keyringprobe.h"

#include "platform/linux/secretprompt.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <qcoro/qcorodbuspendingcall.h>

namespace tavrin {

namespace {
const QString kSecrets = QStringLiteral("org.freedesktop.secrets");
const QString kSecretsPath = QStringLiteral("/org/freedesktop/secrets");
const QString kServiceInterface = QStringLiteral("org.freedesktop.Secret.Service");
const QStringList kKeyrings = {kSecrets, QStringLiteral("org.kde.kwalletd5"), QStringLiteral("org.kde.kwalletd6"),
                               QStringLiteral("org.kde.kwalletd")};

QCoro::Task<QDBusMessage> ask(QDBusConnection bus, QDBusMessage call)
{
    QDBusPendingCall pending = bus.asyncCall(call, KeyringProbe::kLimitMs);
    co_return co_await pending;
}
} // namespace

QCoro::Task<QStringList> KeyringProbe::names(QString method)
{
    const QDBusMessage reply =
        co_await ask(bus_, QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                          QStringLiteral("/org/freedesktop/DBus"),
                                                          QStringLiteral("org.freedesktop.DBus"), method));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        co_return QStringList();
    co_return reply.arguments().constFirst().toStringList();
}

QCoro::Task<bool> KeyringProbe::serviceReachable()
{
    if (!bus_.isConnected())
        co_return false;
    const QStringList running = co_await names(QStringLiteral("ListNames"));
    const QStringList startable = co_await names(QStringLiteral("ListActivatableNames"));
    for (const QString& name : kKeyrings)
        if (running.contains(name) || startable.contains(name))
            co_return true;
    co_return false;
}

namespace {
// Lists the key's items, locked ones included, without unlocking anything.
QDBusMessage searchItems(const QString& service, const QString& account)
{
    QDBusMessage search =
        QDBusMessage::createMethodCall(kSecrets, kSecretsPath, kServiceInterface, QStringLiteral("SearchItems"));
    qDBusRegisterMetaType<QMap<QString, QString>>();
    const QMap<QString, QString> attributes{{QStringLiteral("server"), service}, {QStringLiteral("user"), account}};
    search << QVariant::fromValue(attributes);
    return search;
}
} // namespace

QCoro::Task<bool> KeyringProbe::locked(QString service, QString account)
{
    if (!bus_.isConnected())
        co_return false;
    const QDBusMessage reply = co_await ask(bus_, searchItems(service, account));
    // The answer: the unlocked items, then the locked ones.
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 2) {
        const auto lockedItems = qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(1));
        if (!lockedItems.isEmpty())
            co_return true;
        if (!qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(0)).isEmpty())
            co_return false;
    }
    co_return co_await defaultKeyringLocked();
}

QCoro::Task<QString> KeyringProbe::defaultKeyring()
{
    if (!bus_.isConnected())
        co_return QString();
    QDBusMessage alias =
        QDBusMessage::createMethodCall(kSecrets, kSecretsPath, kServiceInterface, QStringLiteral("ReadAlias"));
    alias << QStringLiteral("default");
    const QDBusMessage found = co_await ask(bus_, alias);
    if (found.type() != QDBusMessage::ReplyMessage || found.arguments().isEmpty())
        co_return QString();
    co_return qdbus_cast<QDBusObjectPath>(found.arguments().constFirst()).path();
}

QCoro::Task<bool> KeyringProbe::lacksDefaultKeyring() { co_return co_await defaultKeyring() == QLatin1String("/"); }

QCoro::Task<KeychainStatus> KeyringProbe::find(QString service, QString account)
{
    if (!bus_.isConnected())
        co_return KeychainStatus::noService;
    const QDBusMessage reply = co_await ask(bus_, searchItems(service, account));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
        co_return co_await serviceReachable() ? KeychainStatus::failed : KeychainStatus::noService;
    // The answer: the unlocked items, then the locked ones.
    if (!qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(0)).isEmpty())
        co_return KeychainStatus::ok;
    if (!qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(1)).isEmpty())
        co_return KeychainStatus::locked;
    co_return KeychainStatus::notFound;
}

QCoro::Task<KeyringProbe::Making> KeyringProbe::createDefaultKeyring()
{
    if (!bus_.isConnected())
        co_return Making::failed;
    QDBusMessage create =
        QDBusMessage::createMethodCall(kSecrets, kSecretsPath, kServiceInterface, QStringLiteral("CreateCollection"));
    const QVariantMap properties{{QStringLiteral("org.freedesktop.Secret.Collection.Label"), QStringLiteral("Login")}};
    create << properties << QStringLiteral("default");
    const QDBusMessage reply = co_await ask(bus_, create);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
        co_return Making::failed;
    const QString made = qdbus_cast<QDBusObjectPath>(reply.arguments().at(0)).path();
    const QString prompt = qdbus_cast<QDBusObjectPath>(reply.arguments().at(1)).path();
    if (made != QLatin1String("/") && !made.isEmpty())
        co_return Making::made;
    if (prompt.isEmpty() || prompt == QLatin1String("/"))
        co_return Making::failed;
    SecretPrompt asking(bus_, prompt);
    auto answered = asking.run();
    switch (co_await std::move(answered)) {
    case SecretPrompt::Outcome::cancelled: co_return Making::cancelled;
    case SecretPrompt::Outcome::unanswered: co_return Making::failed;
    case SecretPrompt::Outcome::completed: break;
    }
    co_return co_await lacksDefaultKeyring() ? Making::failed : Making::made;
}

QCoro::Task<bool> KeyringProbe::defaultKeyringLocked()
{
    const QString path = co_await defaultKeyring();
    if (path.isEmpty() || path == QLatin1String("/"))
        co_return false;
    QDBusMessage get = QDBusMessage::createMethodCall(kSecrets, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.Secret.Collection") << QStringLiteral("Locked");
    const QDBusMessage reply = co_await ask(bus_, get);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        co_return false;
    co_return qdbus_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

} // namespace tavrin
