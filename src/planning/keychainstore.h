#pragma once

#include "platform/keychain.h"

#include <QObject>
#include <QString>
#include <optional>
#include <qcoro/qcorotask.h>

namespace tavrin {

class Workspace;

// The planners' secrets: generic-password items whose service is the
// application's identifier and whose account names the item.
class KeychainStore : public QObject {
    Q_OBJECT
    // Whether a Claude key was there when last read or written (false
    // until then); for views that can't wait for the Keychain.
    Q_PROPERTY(bool hasClaudeKey READ hasClaudeKey NOTIFY hasClaudeKeyChanged)
    // Whether a read or write has answered yet, so that `hasClaudeKey` says
    // what the Keychain holds.
    Q_PROPERTY(bool claudeKeyKnown READ claudeKeyKnown NOTIFY hasClaudeKeyChanged)
    // Why the last read of the Claude key got no answer (a locked keyring,
    // none running, another failure), as a sentence for the user; empty
    // when the keyring answered. Not "no key": the next read asks again.
    Q_PROPERTY(QString claudeKeyProblem READ claudeKeyProblem NOTIFY hasClaudeKeyChanged)
public:
    static inline const QString kService = QStringLiteral("app.tavrin");
    static inline const QString kClaudeKeyAccount = QStringLiteral("anthropic-api-key");
    static inline const QString kTavrinAITokenAccount = QStringLiteral("tavrin-ai-token");
    static inline const QString kInstanceAccount = QStringLiteral("tavrin-instance");

    // Keeps its items in `keychain`; names the desktop's keyrings program
    // where `workspace` finds it installed (none: never). Both outlive the
    // store.
    KeychainStore(Keychain& keychain, Workspace* workspace, QObject* parent = nullptr);

    // The stored Claude key without surrounding white space; none when no key
    // is stored or the Keychain can't be read (`claudeKeyProblem` says
    // which). Every call asks the Keychain.
    QCoro::Task<std::optional<QString>> claudeKey();
    // Asks whether a Claude key is stored without reading it, so that a
    // locked keyring stays locked and shows no prompt (views that open
    // often ask this); notes the answer as a read does, and whether the
    // keyring holding the key is locked.
    QCoro::Task<> lookForClaudeKey();
    // Stores the key (trimmed); an empty key removes it. `answered()` when
    // it was stored or removed; otherwise the status says why not.
    QCoro::Task<KeychainResult> setClaudeKey(QString key);

    QCoro::Task<std::optional<QString>> tavrinAIToken();
    QCoro::Task<bool> setTavrinAIToken(QString token);

    // This installation's id for the hosted service: a random UUID made once
    // and kept. When the Keychain can't be read, an id for this run only.
    QCoro::Task<QString> instanceId();

    bool hasClaudeKey() const { return hasClaudeKey_.value_or(false); }
    bool claudeKeyKnown() const { return hasClaudeKey_.has_value(); }
    QString claudeKeyProblem() const { return problem_; }
    // The keyring that holds the Claude key is locked (as last asked): the
    // next read shows the keyring's unlock prompt.
    bool claudeKeyLocked() const { return locked_; }

    // The sentence for a read that got no answer; empty for one that did.
    QString problemOf(const KeychainResult& read) const;
    static QString lockedMessage();
    static QString noKeyringMessage();
    // Where no keyring could be made: one remedy, the keyrings program (to
    // install first where it is missing). Where the user cancelled the
    // keyring's prompt to make one: saving again.
    QString noCollectionMessage() const;
    static QString cancelledMessage();
    // While the keyring has not answered (its prompt may be up).
    static QString waitingMessage();
    // The desktop's program for keyrings, by its entry's name.
    static inline const QString kKeyringsProgram = QStringLiteral("Passwords and Keys");
    // A read that raised the unlock prompt, which the user cancelled.
    static QString stayedLockedMessage();

signals:
    // `hasClaudeKey` or `claudeKeyKnown` changed.
    void hasClaudeKeyChanged();

private:
    // The secret, trimmed; none when missing, empty or unreadable (with the
    // read's status in `answer`).
    QCoro::Task<std::optional<QString>> readSecret(QString account, KeychainResult* answer = nullptr);
    QCoro::Task<KeychainResult> writeSecret(QString account, QString secret);
    // Notes what the keyring said of the Claude key: whether one is there,
    // or why it couldn't say.
    void noteClaudeKey(std::optional<bool> present, const QString& problem, bool locked = false);
    bool keyringsProgramInstalled() const;

    Keychain& keychain_;
    Workspace* workspace_;
    std::optional<bool> hasClaudeKey_;
    QString problem_;
    bool locked_ = false;
    std::optional<QString> instanceId_;
};

} // namespace tavrin
