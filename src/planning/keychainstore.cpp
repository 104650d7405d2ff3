#include "planning/keychainstore.h"

#include "platform/keychain.h"
#include "platform/platform.h"

#include <QUuid>

namespace tavrin {

KeychainStore::KeychainStore(Keychain* keychain, QObject* parent) : QObject(parent), keychain_(keychain) {}

Keychain& KeychainStore::keychain() const { return keychain_ ? *keychain_ : *Platform::current().keychain; }

KeychainStore& KeychainStore::shared()
{
    static KeychainStore* store = new KeychainStore;
    return *store;
}

QCoro::Task<std::optional<QString>> KeychainStore::readSecret(QString account)
{
    const KeychainResult result = co_await keychain().read(kService, account);
    if (!result.ok())
        co_return std::nullopt;
    const QString secret = QString::fromUtf8(result.data).trimmed();
    if (secret.isEmpty())
        co_return std::nullopt;
    co_return secret;
}

QCoro::Task<bool> KeychainStore::writeSecret(QString account, QString secret)
{
    secret = secret.trimmed();
    KeychainResult result;
    if (secret.isEmpty())
        result = co_await keychain().remove(kService, account);
    else
        result = co_await keychain().write(kService, account, secret.toUtf8());
    co_return result.status != KeychainStatus::failed;
}

std::optional<bool> KeychainStore::claudeKeyPresence() const
{
    if (!keychain_ && keyInstallation_ != Platform::installation())
        return std::nullopt;
    return hasClaudeKey_;
}

void KeychainStore::noteClaudeKey(bool present)
{
    if (claudeKeyPresence() == present)
        return;
    hasClaudeKey_ = present;
    keyInstallation_ = Platform::installation();
    emit hasClaudeKeyChanged();
}

QCoro::Task<std::optional<QString>> KeychainStore::claudeKey()
{
    auto key = co_await readSecret(kClaudeKeyAccount);
    noteClaudeKey(key.has_value());
    co_return key;
}

QCoro::Task<bool> KeychainStore::setClaudeKey(QString key)
{
    const bool present = !key.trimmed().isEmpty();
    const bool stored = co_await writeSecret(kClaudeKeyAccount, std::move(key));
    if (stored)
        noteClaudeKey(present);
    co_return stored;
}

QCoro::Task<std::optional<QString>> KeychainStore::tavrinAIToken()
{
    co_return co_await readSecret(kTavrinAITokenAccount);
}

QCoro::Task<bool> KeychainStore::setTavrinAIToken(QString token)
{
    co_return co_await writeSecret(kTavrinAITokenAccount, std::move(token));
}

QCoro::Task<QString> KeychainStore::instanceId()
{
    if (instanceId_)
        co_return *instanceId_;
    const KeychainResult stored = co_await keychain().read(kService, kInstanceAccount);
    // Another call may have settled the id while this one waited.
    if (instanceId_)
        co_return *instanceId_;
    const QString existing = QString::fromUtf8(stored.data).trimmed();
    if (stored.ok() && !existing.isEmpty()) {
        instanceId_ = existing;
        co_return existing;
    }
    const QString fresh = QUuid::createUuid().toString(QUuid::WithoutBraces);
    instanceId_ = fresh;
    // Only a missing item is replaced: an unreadable Keychain may still hold
    // the real id, so this run's id is kept in memory alone.
    if (stored.status != KeychainStatus::failed)
        co_await keychain().write(kService, kInstanceAccount, fresh.toUtf8());
    co_return fresh;
}

} // namespace tavrin
