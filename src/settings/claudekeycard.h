#pragma once

#include "design/tcard.h"
#include "platform/keychain.h"
#include "platform/taskhandle.h"

#include <qcoro/qcorotask.h>

namespace tavrin {

class ClaudeKeyPlanner;
class Clock;
class Defaults;
class KeychainStore;
class MessageLine;
class TButton;
class TField;
class TSeg;
class KeyMsg;
class Timer;

// The Claude key card: a field for the key (monospaced, its characters
// hidden) that is saved to the keyring, never anywhere else; clearing the
// stored key; a test of a key with Anthropic; and the model to use. The
// field is emptied once its key is saved. A keyring that is locked, or none
// at all, is said as such.
class ClaudeKeyCard : public TCard {
    Q_OBJECT
public:
    // Keeps the chosen model in `defaults` and times the keyring's wait on
    // `clock`; all four outlive the card.
    ClaudeKeyCard(KeychainStore& keychain, ClaudeKeyPlanner& planner, Defaults& defaults, Clock& clock,
                  QWidget* parent = nullptr);

    TField* field() const { return field_; }
    TButton* saveButton() const { return save_; }
    TButton* clearButton() const { return clear_; }
    TButton* testButton() const { return test_; }
    MessageLine* result() const { return result_; }
    KeyMsg* keyState() const { return state_; }

    // How long the keyring may take before the card says it waits for it.
    static constexpr double kWaitingDelay = 0.4;

private:
    QCoro::Task<> saveKey(QString key, CancelToken cancel);
    QCoro::Task<> clearKey(CancelToken cancel);
    QCoro::Task<> testKey(QString typed, CancelToken cancel);
    QCoro::Task<> readState(CancelToken cancel);
    void showState();
    // Says that the keyring is awaited once it takes longer than
    // kWaitingDelay; with false, stops saying it.
    void waitForKeyring(bool waiting);
    // What to say when the keyring refused a write: `refused` ("Your
    // keyring didn't take the key") and why.
    QString refusal(const KeychainResult& answer, const QString& refused) const;

    KeychainStore& keychain_;
    ClaudeKeyPlanner& planner_;
    TField* field_;
    TButton* save_;
    TButton* clear_;
    TButton* test_;
    MessageLine* result_;
    KeyMsg* state_;
    TSeg* model_;
    Timer* waiting_;
    TaskHandle task_;
    TaskHandle stateTask_;
};

} // namespace tavrin
