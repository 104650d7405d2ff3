#pragma once

#include "platform/keychain.h"

#include <QHash>
#include <QPair>
#include <optional>

namespace tavrin {

// Generic-password items in memory. Every call completes at once; a test can
// make every call fail to stand for a locked or missing keyring.
class MemoryKeychain : public Keychain {
    Q_OBJECT
public:
    using Keychain::Keychain;

    QCoro::Task<KeychainResult> read(QString service, QString account) override;
    QCoro::Task<KeychainResult> write(QString service, QString account, QByteArray secret) override;
    QCoro::Task<KeychainResult> remove(QString service, QString account) override;
    // As the secret service answers it: a locked item is there (`locked`),
    // unread; other failures as set.
    QCoro::Task<KeychainResult> exists(QString service, QString account) override;

    // While set, every call fails with this status and message and changes
    // nothing.
    void setFailure(const QString& message, KeychainStatus status = KeychainStatus::failed)
    {
        failure_ = message;
        failureStatus_ = status;
    }
    void clearFailure() { failure_.reset(); }

    // The store's contents, read and written directly whatever failure is
    // set, and how many calls came through the Keychain interface.
    std::optional<QByteArray> item(const QString& service, const QString& account) const;
    void setItem(const QString& service, const QString& account, const QByteArray& secret);
    int callCount() const { return calls_; }

private:
    std::optional<KeychainResult> failed();

    QHash<QPair<QString, QString>, QByteArray> items_;
    std::optional<QString> failure_;
    KeychainStatus failureStatus_ = KeychainStatus::failed;
    int calls_ = 0;
};

} // namespace tavrin
