#pragma once

#include "platform/keychain.h"

#include <QDBusConnection>
#include <QHash>
#include <utility>

namespace QKeychain {
class Job;
}

namespace tavrin {

// Items in the desktop keyring (the freedesktop secret service) through
// QtKeychain: the service is the keyring item's service, the account its key,
// the secret binary data. Never falls back to storing secrets in plain text.
// Values read or written are kept in memory, so a repeated read answers at
// once. A locked keyring (or item) and a session without any keyring are
// told apart from a missing item and from other failures. Where the keyring
// service has no keyring to keep items in, a write asks it to make one.
class DesktopKeychain : public Keychain {
    Q_OBJECT
public:
    // `bus` is where the keyring is asked why a request failed: the session
    // bus, which the keyring library uses too.
    explicit DesktopKeychain(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    QCoro::Task<KeychainResult> read(QString service, QString account) override;
    QCoro::Task<KeychainResult> write(QString service, QString account, QByteArray secret) override;
    QCoro::Task<KeychainResult> remove(QString service, QString account) override;
    // Asks the secret service which items it holds (which lists locked ones
    // without unlocking them); a value in memory answers at once.
    QCoro::Task<KeychainResult> exists(QString service, QString account) override;

private:
    using Item = std::pair<QString, QString>; // service, account

    // Starts `job` on `item` and waits for it; the job is deleted afterwards.
    QCoro::Task<KeychainResult> run(QKeychain::Job* job, Item item);
    QCoro::Task<KeychainResult> writeJob(Item item, QByteArray secret);
    // Makes the keyring first where there is none to write to.
    QCoro::Task<KeychainResult> writeWithKeyring(Item item, QByteArray secret);
    // What a QtKeychain error on `item` means: missing, locked, no keyring
    // at all, or another failure.
    QCoro::Task<KeychainStatus> classify(int error, Item item);
    quint64 touch(const Item& item);

    QDBusConnection bus_;
    QHash<Item, QByteArray> cache_;
    // Counts the writes and removals of each item, so that a read that was
    // overtaken by one does not put a stale value in the cache.
    QHash<Item, quint64> generation_;
};

} // namespace tavrin
