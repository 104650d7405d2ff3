#pragma once

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

private:
    QCoro::Task<QStringList> names(QString method);
    QCoro::Task<bool> defaultKeyringLocked();

    QDBusConnection bus_;
};

} // namespace tavrin
