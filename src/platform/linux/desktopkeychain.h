#pragma once

#include "platform/keychain.h"

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
// once.
class DesktopKeychain : public Keychain {
    Q_OBJECT
public:
    explicit DesktopKeychain(QObject* parent = nullptr);

    QCoro::Task<KeychainResult> read(QString service, QString account) override;
    QCoro::Task<KeychainResult> write(QString service, QString account, QByteArray secret) override;
    QCoro::Task<KeychainResult> remove(QString service, QString account) override;

private:
    using Item = std::pair<QString, QString>; // service, account

    // Starts `job` and waits for it; the job is deleted afterwards.
    QCoro::Task<KeychainResult> run(QKeychain::Job* job);
    quint64 touch(const Item& item);

    QHash<Item, QByteArray> cache_;
    // Counts the writes and removals of each item, so that a read that was
    // overtaken by one does not put a stale value in the cache.
    QHash<Item, quint64> generation_;
};

} // namespace tavrin
