#pragma once

#include "platform/keychain.h"

namespace tavrin::testing {

// A Keychain whose reads wait until the test lets them answer, as a keyring
// on the session bus does; the items are those of another Keychain.
class HeldKeychain : public Keychain {
    Q_OBJECT
public:
    explicit HeldKeychain(Keychain& items) : items_(items) {}

    QCoro::Task<KeychainResult> read(QString service, QString account) override;
    QCoro::Task<KeychainResult> write(QString service, QString account, QByteArray secret) override
    {
        return items_.write(std::move(service), std::move(account), std::move(secret));
    }
    QCoro::Task<KeychainResult> remove(QString service, QString account) override
    {
        return items_.remove(std::move(service), std::move(account));
    }

    // Reads started and not yet answered.
    int waiting() const { return waiting_; }
    void answerAll() { emit answered(); }

signals:
    void answered();

private:
    Keychain& items_;
    int waiting_ = 0;
};

} // namespace tavrin::testing
