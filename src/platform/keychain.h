#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <qcoro/qcorotask.h>

namespace tavrin {

// How the keyring answered. `locked`: the item (or the keyring it would go
// in) is locked and was not unlocked, so whether it holds a secret is
// unknown. `noService`: no keyring runs in this session at all.
// `noCollection`: one runs, but holds no keyring to keep items in, and none
// was made.
enum class KeychainStatus { ok, notFound, locked, noService, noCollection, failed };

struct KeychainResult {
    KeychainStatus status = KeychainStatus::failed;
    QByteArray data; // the secret, for a successful read
    QString message; // the keyring's own words, for `failed`
    // For `noCollection`: the keyring asked the user to make one, and they
    // cancelled.
    bool cancelled = false;
    bool ok() const { return status == KeychainStatus::ok; }
    // The keyring answered (with a secret or without one).
    bool answered() const { return status == KeychainStatus::ok || status == KeychainStatus::notFound; }
};

// Generic-password items, by service and account. Calls never block the
// main thread: they complete asynchronously.
class Keychain : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QCoro::Task<KeychainResult> read(QString service, QString account) = 0;
    // Updates the item, or adds it when missing.
    virtual QCoro::Task<KeychainResult> write(QString service, QString account, QByteArray secret) = 0;
    // Removing a missing item is not a failure (status `notFound`).
    virtual QCoro::Task<KeychainResult> remove(QString service, QString account) = 0;
    // Whether the item is there, without reading its secret, so that a
    // locked keyring is not asked to unlock: `ok` (no data) when it is,
    // `locked` when it is there in a locked keyring, `notFound` when not.
    // By default a read.
    virtual QCoro::Task<KeychainResult> exists(QString service, QString account)
    {
        KeychainResult found = co_await read(std::move(service), std::move(account));
        found.data.clear();
        co_return found;
    }
};

} // namespace tavrin
