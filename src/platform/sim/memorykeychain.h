#pragma once

#include "platform/keychain.h"

#include <QHash>
#include <QPair>
#include <optional>

namespace tavrin {

// Generic-password items in memory. Every call completes at once, unless
// held (as the keyring holds a call while its prompt is up); a test can make
// every call fail to stand for a locked or missing keyring.
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
    // `cancelled`: the user cancelled the keyring's prompt.
    void setFailure(const QString& message, KeychainStatus status = KeychainStatus::failed, bool cancelled = false)
    {
        failure_ = message;
        failureStatus_ = status;
        cancelled_ = cancelled;
    }
    void clearFailure() { failure_.reset(); }

    // The store's contents, read and written directly whatever failure is
    // set, and how many calls came through the Keychain interface.
    std::optional<QByteArray> item(const QString& service, const QString& account) const;
    void setItem(const QString& service, const QString& account, const QByteArray& secret);
    int callCount() const { return calls_; }

    // While held, writes and removals wait until released.
    void hold() { held_ = true; }
    void release()
    {
        held_ = false;
        emit released();
    }

signals:
    void released();

private:
    std::optional<KeychainResult> failed();
    QCoro::Task<> whileHeld();

    QHash<QPair<QString, QString>, QByteArray> items_;
    std::optional<QString> failure_;
    KeychainStatus failureStatus_ = KeychainStatus::failed;
    bool cancelled_ = false;
    bool held_ = false;
    int calls_ = 0;
};

} // namespace tavrin
