#pragma once

#include "settings/panepage.h"
#include "windows/shortcutaction.h"

#include <QList>

namespace tavrin {

class KeyMsg;
class MessageLine;
class RecorderButton;
class SettingSwitch;
class ShortcutRecorder;
class ShortcutStore;
class TButton;
class TCard;

// The shortcuts pane: the letter-grid switch, then every action in menu
// order with its key combination and a recorder; an action whose key
// another program holds says so. "Reset all" brings back every default.
class ShortcutsPane : public PanePage {
    Q_OBJECT
public:
    static inline const QString kLetterGridKey = QStringLiteral("snap.letterGrid");

    explicit ShortcutsPane(ShortcutStore& store, QWidget* parent = nullptr);

    // The action's name as the pane lists it.
    static QString title(const ShortcutAction& action);

    ShortcutRecorder& recorder() const { return *recorder_; }
    SettingSwitch* letterGridSwitch() const { return letterGrid_; }
    TButton* resetButton() const { return reset_; }
    RecorderButton* recorderButton(const ShortcutAction& action) const;
    KeyMsg* takenNote(const ShortcutAction& action) const;
    MessageLine* messageLine(const ShortcutAction& action) const;

    // The letter grid on or off: stored, announced as a change of the
    // bindings, then the store's owner is told (the snap targets' keys
    // depend on it).
    static void setLetterGrid(ShortcutStore& store, bool on);

private:
    struct Row {
        ShortcutAction action;
        RecorderButton* button = nullptr;
        KeyMsg* taken = nullptr;
        MessageLine* message = nullptr;
    };
    void addActionCards();
    void addRow(TCard* card, const ShortcutAction& action);
    void showBindings();
    void showRecorder();
    const Row* rowOf(const ShortcutAction& action) const;

    ShortcutStore& store_;
    ShortcutRecorder* recorder_;
    SettingSwitch* letterGrid_ = nullptr;
    TButton* reset_ = nullptr;
    QList<Row> rows_;
};

} // namespace tavrin
