#include "platform/linux/desktopkeychain.h"

#include <qcoro/qcorosignal.h>
#include <qt6keychain/keychain.h>

namespace tavrin {

DesktopKeychain::DesktopKeychain(QObject* parent) : Keychain(parent) {}

quint64 DesktopKeychain::touch(const Item& item) { return ++generation_[item]; }

QCoro::Task<KeychainResult> DesktopKeychain::run(QKeychain::Job* job)
{
    // Jobs are children of the keychain: if it goes, they go, and the
    // coroutine waiting on them is never resumed.
    job->setAutoDelete(false);
    job->setInsecureFallback(false);
    job->start();
    co_await qCoro(job, &QKeychain::Job::finished);

    KeychainResult result;
    switch (job->error()) {
    case QKeychain::NoError:
        result.status = KeychainStatus::ok;
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(job))
            result.data = read->binaryData();
        break;
    case QKeychain::EntryNotFound: result.status = KeychainStatus::notFound; break;
    default:
        result.status = KeychainStatus::failed;
        result.message = job->errorString();
        if (result.message.isEmpty())
            result.message = QStringLiteral("The keyring refused the request (error %1).").arg(int(job->error()));
        break;
    }
    job->deleteLater();
    co_return result;
}

QCoro::Task<KeychainResult> DesktopKeychain::read(QString service, QString account)
{
    const Item item{service, account};
    if (const auto it = cache_.constFind(item); it != cache_.cend())
        co_return KeychainResult{KeychainStatus::ok, *it, QString()};

    const quint64 generation = generation_.value(item);
    auto* job = new QKeychain::ReadPasswordJob(service, this);
    job->setKey(account);
    KeychainResult result = co_await run(job);
    if (result.ok() && generation_.value(item) == generation)
        cache_.insert(item, result.data);
    co_return result;
}

QCoro::Task<KeychainResult> DesktopKeychain::write(QString service, QString account, QByteArray secret)
{
    const Item item{service, account};
    const quint64 generation = touch(item);
    auto* job = new QKeychain::WritePasswordJob(service, this);
    job->setKey(account);
    job->setBinaryData(secret);
    KeychainResult result = co_await run(job);
    if (generation_.value(item) == generation) {
        // After a failure the keyring's state is unknown: ask it next time.
        if (result.ok())
            cache_.insert(item, secret);
        else
            cache_.remove(item);
    }
    co_return result;
}

QCoro::Task<KeychainResult> DesktopKeychain::remove(QString service, QString account)
{
    const Item item{service, account};
    touch(item);
    const bool known = cache_.remove(item);
    // The secret service deletes a missing item without complaint; look first
    // so that removing a missing item answers `notFound`.
    if (!known) {
        auto* lookup = new QKeychain::ReadPasswordJob(service, this);
        lookup->setKey(account);
        const KeychainResult found = co_await run(lookup);
        if (found.status == KeychainStatus::notFound)
            co_return found;
    }
    auto* job = new QKeychain::DeletePasswordJob(service, this);
    job->setKey(account);
    co_return co_await run(job);
}

} // namespace tavrin
