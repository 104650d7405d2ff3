#pragma once

#include "windows/keycombo.h"
#include "windows/shortcutaction.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QWidget;

namespace tavrin {

class ShortcutStore;

// Records a new key combination for one action at a time. While it listens
// the store's `isRecording` is on (the global hot keys are off, so the keys
// reach this window) and every key pressed in the given window comes here
// first. A press then:
// - Escape: stops, changing nothing;
// - Delete or Backspace without Ctrl, Alt or Super: stores "none" (no shortcut);
// - a key with Ctrl, Alt or Super, or a function key: stores it, unless another
//   action has it already (refused, naming that action);
// - any other key: refused; the recorder keeps listening after a refusal.
// It stops when the window hides or loses the keyboard, and when it goes.
class ShortcutRecorder : public QObject {
    Q_OBJECT
public:
    enum class Outcome { ignored, listening, recorded, cleared, cancelled, refused };

    // `title` names an action in refusals.
    ShortcutRecorder(ShortcutStore& store, std::function<QString(const ShortcutAction&)> title,
                     QObject* parent = nullptr);
    ~ShortcutRecorder() override;

    // Listens for `action`'s new keys in `window` (a recording for another
    // action stops first).
    void start(const ShortcutAction& action, QWidget* window);
    // Stops listening without changing anything.
    void cancel();

    bool isListening() const { return action_.has_value(); }
    std::optional<ShortcutAction> action() const { return action_; }
    // Why the last key was refused; empty otherwise.
    QString refusal() const { return refusal_; }

    // One key press while listening, with the Qt key and modifiers.
    Outcome press(int qtKey, Qt::KeyboardModifiers modifiers);

    // The binding a Qt key press stands for; none for a key without a Mac
    // key code.
    static std::optional<KeyCombo> comboFor(int qtKey, Qt::KeyboardModifiers modifiers);

signals:
    // Listening started or stopped, or a key was refused.
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stop();
    Outcome refuse(const QString& why);
    std::optional<ShortcutAction> holderOf(const KeyCombo& combo) const;

    ShortcutStore& store_;
    std::function<QString(const ShortcutAction&)> title_;
    std::optional<ShortcutAction> action_;
    QPointer<QWidget> window_;
    QString refusal_;
};

} // namespace tavrin
