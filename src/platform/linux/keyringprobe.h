#pragma once

#include "platform/keychain.h"

#include <QDBusConnection>
#include <QString>
#include <qcoro/qcorotask.h>

namespace tavrin {

// Asks the session bus about the desktop keyring, to tell why a keyring
// request came back empty or failed: whether any keyring service runs (or
// can be started) there, and whether what was asked for is locked. Each
// question waits at most kLimitMs; a bus that does not answer counts as no
// keyring.
class KeyringProbe {
public:
    static constexpr int kLimitMs = 2000;

    explicit KeyringProbe(QDBusConnection bus = QDBusConnection::sessionBus()) : bus_(std::move(bus)) {}

    // The freedesktop secret service or KWallet runs on the bus, or the bus
    // can start one.
    QCoro::Task<bool> serviceReachable();
    // The secret service holds a locked item for this service and account
    // (as QtKeychain labels its items), or, with no such item, its default
    // keyring is locked.
    QCoro::Task<bool> locked(QString service, QString account);
    // Whether the secret service holds an item for this service and account,
    // asked without unlocking anything: `ok` (unlocked), `locked`,
    // `notFound`, or `noService` when no secret service answers.
    QCoro::Task<KeychainStatus> find(QString service, QString account);
    // The secret service runs but has no default keyring (collection) to
    // keep new items in, as gnome-keyring started without a login keyring.
    QCoro::Task<bool> lacksDefaultKeyring();
    // Asks the secret service to make the default keyring; the keyring shows
    // its own prompt for the new keyring's password. `made` once it is made;
    // `cancelled` when the user cancelled that prompt.
    enum class Making { made, cancelled, failed };
    QCoro::Task<Making> createDefaultKeyring();

private:
    QCoro::Task<QStringList> names(QString method);
    QCoro::Task<bool> defaultKeyringLocked();
    // The default keyring's path: "/" when there is none, empty when the
    // secret service did not answer.
    QCoro::Task<QString> defaultKeyring();

    QDBusConnection bus_;
};

} // namespace tavrin
