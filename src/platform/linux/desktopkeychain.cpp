#include "platform/linux/desktopkeychain.h"

#include "platform/linux/keyringprobe.h"

#include <qcoro/qcorosignal.h>
#include <qt6keychain/keychain.h>

namespace tavrin {

DesktopKeychain::DesktopKeychain(QDBusConnection bus, QObject* parent) : Keychain(parent), bus_(std::move(bus)) {}

quint64 DesktopKeychain::touch(const Item& item) { return ++generation_[item]; }

QCoro::Task<KeychainResult> DesktopKeychain::run(QKeychain::Job* job, Item item)
{
    // Jobs are children of the keychain: if it goes, they go, and the
    // coroutine waiting on them is never resumed.
    job->setAutoDelete(false);
    job->setInsecureFallback(false);
    job->start();
    co_await qCoro(job, &QKeychain::Job::finished);
    const QKeychain::Error error = job->error();
    KeychainResult result;
    if (error == QKeychain::NoError) {
        result.status = KeychainStatus::ok;
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(job))
            result.data = read->binaryData();
    } else {
        result.message = job->errorString();
    }
    job->deleteLater();
    if (error != QKeychain::NoError)
        result.status = co_await classify(error, item);
    if (result.status == KeychainStatus::failed && result.message.isEmpty())
        result.message = QStringLiteral("The keyring refused the request (error %1).").arg(int(error));
    co_return result;
}

QCoro::Task<KeychainStatus> DesktopKeychain::classify(int error, Item item)
{
    // The keyring library unlocks what it can (the keyring shows its
    // prompt); what is still locked after that reads as missing, so ask.
    KeyringProbe probe(bus_);
    switch (QKeychain::Error(error)) {
    case QKeychain::EntryNotFound:
        co_return co_await probe.locked(item.first, item.second) ? KeychainStatus::locked : KeychainStatus::notFound;
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser: co_return KeychainStatus::locked;
    case QKeychain::NoBackendAvailable: co_return KeychainStatus::noService;
    default: break;
    }
    if (!co_await probe.serviceReachable())
        co_return KeychainStatus::noService;
    if (co_await probe.lacksDefaultKeyring())
        co_return KeychainStatus::noCollection;
    if (co_await probe.locked(item.first, item.second))
        co_return KeychainStatus::locked;
    co_return KeychainStatus::failed;
}

QCoro::Task<KeychainResult> DesktopKeychain::read(QString service, QString account)
{
    const Item item{service, account};
    if (const auto it = cache_.constFind(item); it != cache_.cend())
        co_return KeychainResult{KeychainStatus::ok, *it, QString()};

    const quint64 generation = generation_.value(item);
    auto* job = new QKeychain::ReadPasswordJob(service, this);
    job->setKey(account);
    KeychainResult result = co_await run(job, item);
    if (result.ok() && generation_.value(item) == generation)
        cache_.insert(item, result.data);
    co_return result;
}

QCoro::Task<KeychainResult> DesktopKeychain::write(QString service, QString account, QByteArray secret)
{
    const Item item{service, account};
    const quint64 generation = touch(item);
    KeychainResult result = co_await writeWithKeyring(item, secret);
    if (generation_.value(item) == generation) {
        // After a failure the keyring's state is unknown: ask it next time.
        if (result.ok())
            cache_.insert(item, secret);
        else
            cache_.remove(item);
    }
    co_return result;
}

QCoro::Task<KeychainResult> DesktopKeychain::writeWithKeyring(Item item, QByteArray secret)
{
    // A keyring service without a keyring to keep items in (gnome-keyring
    // where no login keyring was made) is asked to make one first, with its
    // own prompt for the password. The keyring library would otherwise ask
    // for one itself on the write, and a second prompt after a cancelled
    // first is one too many: one prompt per save, whoever shows it.
    KeyringProbe probe(bus_);
    if (co_await probe.lacksDefaultKeyring()) {
        switch (co_await probe.createDefaultKeyring()) {
        case KeyringProbe::Making::made: break;
        case KeyringProbe::Making::cancelled: {
            KeychainResult cancelled{KeychainStatus::noCollection, {}, QString()};
            cancelled.cancelled = true;
            co_return cancelled;
        }
        case KeyringProbe::Making::failed: co_return KeychainResult{KeychainStatus::noCollection, {}, QString()};
        }
    }
    co_return co_await writeJob(item, secret);
}

QCoro::Task<KeychainResult> DesktopKeychain::writeJob(Item item, QByteArray secret)
{
    auto* job = new QKeychain::WritePasswordJob(item.first, this);
    job->setKey(item.second);
    job->setBinaryData(secret);
    co_return co_await run(job, item);
}

QCoro::Task<KeychainResult> DesktopKeychain::exists(QString service, QString account)
{
    const Item item{service, account};
    if (cache_.contains(item))
        co_return KeychainResult{KeychainStatus::ok, {}, QString()};
    // Asked without reading the secret: a locked keyring is not unlocked,
    // so its prompt never shows here.
    KeyringProbe probe(bus_);
    KeychainResult result;
    result.status = co_await probe.find(service, account);
    if (result.status == KeychainStatus::failed)
        result.message = QStringLiteral("The keyring did not answer.");
    co_return result;
}

QCoro::Task<KeychainResult> DesktopKeychain::remove(QString service, QString account)
{
    const Item item{service, account};
    touch(item);
    const bool known = cache_.remove(item);
    // The secret service deletes a missing item without complaint; look first
    // so that removing a missing item answers `notFound`, and one in a locked
    // keyring (or with no keyring) says so rather than seeming removed.
    if (!known) {
        auto* lookup = new QKeychain::ReadPasswordJob(service, this);
        lookup->setKey(account);
        const KeychainResult found = co_await run(lookup, item);
        if (!found.ok())
            co_return found;
    }
    auto* job = new QKeychain::DeletePasswordJob(service, this);
    job->setKey(account);
    co_return co_await run(job, item);
}

} // namespace tavrin
