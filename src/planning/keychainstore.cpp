#include "planning/keychainstore.h"

#include "platform/workspace.h"

#include <QUuid>

namespace tavrin {

KeychainStore::KeychainStore(Keychain& keychain, Workspace* workspace, QObject* parent)
    : QObject(parent),
      keychain_(keychain),
      workspace_(workspace)
{}

QCoro::Task<std::optional<QString>> KeychainStore::readSecret(QString account, KeychainResult* answer)
{
    KeychainResult result = co_await keychain_.read(kService, account);
    const QString secret = QString::fromUtf8(result.data).trimmed();
    result.data.clear();
    if (answer)
        *answer = result;
    if (!result.ok() || secret.isEmpty())
        co_return std::nullopt;
    co_return secret;
}

QCoro::Task<KeychainResult> KeychainStore::writeSecret(QString account, QString secret)
{
    secret = secret.trimmed();
    KeychainResult result;
    if (secret.isEmpty())
        result = co_await keychain_.remove(kService, account);
    else
        result = co_await keychain_.write(kService, account, secret.toUtf8());
    // Removing a key that isn't there leaves what was asked for.
    if (result.status == KeychainStatus::notFound)
        result.status = KeychainStatus::ok;
    co_return result;
}

QString KeychainStore::lockedMessage() { return tr("Your keyring is locked. Unlock it, then try again."); }

QString KeychainStore::noKeyringMessage()
{
    return tr("No keyring is running on this desktop. Tavrin keeps the Claude key in GNOME Keyring or KWallet: "
              "install or start one, then try again.");
}

bool KeychainStore::keyringsProgramInstalled() const
{
    return workspace_
           && (!workspace_->applicationLocation(kKeyringsProgram).isEmpty()
               || !workspace_->applicationLocation(QStringLiteral("Seahorse")).isEmpty());
}

QString KeychainStore::noCollectionMessage() const
{
    if (keyringsProgramInstalled())
        return tr("There is no keyring to keep the key in: make one in %1, then save again.").arg(kKeyringsProgram);
    return tr("There is no keyring to keep the key in, and none could be made. Install %1 (seahorse), make one "
              "there, then save again.")
        .arg(kKeyringsProgram);
}

// Saving again asks the keyring to make one again, with its own prompt.
QString KeychainStore::cancelledMessage()
{
    return tr("You cancelled making a keyring, so the key wasn't saved. Save again to make one.");
}

QString KeychainStore::waitingMessage()
{
    return tr("Waiting for your keyring. If it asks for a password, answer in its window.");
}

QString KeychainStore::stayedLockedMessage()
{
    return tr("Your keyring stayed locked, so your Claude key couldn't be read. Plan again to unlock it.");
}

QString KeychainStore::problemOf(const KeychainResult& read) const
{
    switch (read.status) {
    case KeychainStatus::ok:
    case KeychainStatus::notFound: return {};
    case KeychainStatus::locked: return lockedMessage();
    case KeychainStatus::noService: return noKeyringMessage();
    case KeychainStatus::noCollection: return read.cancelled ? cancelledMessage() : noCollectionMessage();
    case KeychainStatus::failed: break;
    }
    return tr("Your keyring couldn't be read: %1").arg(read.message);
}

void KeychainStore::noteClaudeKey(std::optional<bool> present, const QString& problem, bool locked)
{
    if (hasClaudeKey_ == present && problem_ == problem && locked_ == locked)
        return;
    hasClaudeKey_ = present;
    problem_ = problem;
    locked_ = locked;
    emit hasClaudeKeyChanged();
}

QCoro::Task<std::optional<QString>> KeychainStore::claudeKey()
{
    KeychainResult answer;
    auto key = co_await readSecret(kClaudeKeyAccount, &answer);
    if (answer.answered())
        noteClaudeKey(key.has_value(), QString());
    else
        noteClaudeKey(std::nullopt, problemOf(answer), answer.status == KeychainStatus::locked);
    co_return key;
}

QCoro::Task<> KeychainStore::lookForClaudeKey()
{
    const KeychainResult found = co_await keychain_.exists(kService, kClaudeKeyAccount);
    switch (found.status) {
    case KeychainStatus::ok: noteClaudeKey(true, QString()); break;
    case KeychainStatus::notFound: noteClaudeKey(false, QString()); break;
    // There, behind the lock: the key is read (and the keyring unlocked)
    // only when a plan needs it.
    case KeychainStatus::locked: noteClaudeKey(true, QString(), true); break;
    default: noteClaudeKey(std::nullopt, problemOf(found)); break;
    }
}

QCoro::Task<KeychainResult> KeychainStore::setClaudeKey(QString key)
{
    const bool present = !key.trimmed().isEmpty();
    KeychainResult stored = co_await writeSecret(kClaudeKeyAccount, std::move(key));
    if (stored.answered())
        noteClaudeKey(present, QString());
    co_return stored;
}

QCoro::Task<std::optional<QString>> KeychainStore::tavrinAIToken()
{
    co_return co_await readSecret(kTavrinAITokenAccount);
}

QCoro::Task<bool> KeychainStore::setTavrinAIToken(QString token)
{
    const KeychainResult stored = co_await writeSecret(kTavrinAITokenAccount, std::move(token));
    co_return stored.answered();
}

QCoro::Task<QString> KeychainStore::instanceId()
{
    if (instanceId_)
        co_return *instanceId_;
    const KeychainResult stored = co_await keychain_.read(kService, kInstanceAccount);
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
    if (stored.status == KeychainStatus::notFound)
        co_await keychain_.write(kService, kInstanceAccount, fresh.toUtf8());
    co_return fresh;
}

} // namespace tavrin
