#pragma once

#include "windows/keycombo.h"
#include "windows/shortcutaction.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace tavrin {

// The store of shortcut bindings. A binding lives in the defaults
// under "shortcut." + the action's id, as the KeyCombo's JSON text, or "none"
// for an action the user left without a shortcut; a missing key means the
// action's default.
class ShortcutStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(QSet<QString> unavailable READ unavailable WRITE setUnavailable NOTIFY unavailableChanged)
    Q_PROPERTY(bool isRecording READ isRecording WRITE setRecording NOTIFY isRecordingChanged)
public:
    // The program makes one, at start; tests make their own.
    using QObject::QObject;

    static QString key(const ShortcutAction& action) { return QStringLiteral("shortcut.") + action.id(); }

    // The binding in effect for an action, or none.
    std::optional<KeyCombo> combo(const ShortcutAction& action) const;
    // Stores a binding; none stores "none" (no shortcut). Calls `onChange`.
    void set(const std::optional<KeyCombo>& combo, const ShortcutAction& action);
    // Every action back to its default. Calls `onChange`.
    void resetAll();

    // Ids of the actions whose key the system refused at the last
    // registration. Like `isRecording`, it belongs to the desktop the keys
    // were registered on: once another platform is installed, none.
    QSet<QString> unavailable() const;
    void setUnavailable(const QSet<QString>& ids);

    // True while the shortcut recorder listens for keys; a change calls
    // `onChange`.
    bool isRecording() const;
    void setRecording(bool recording);

    // Called after a binding changes, after a reset and when `isRecording`
    // changes (the owner re-registers the hot keys).
    std::function<void()> onChange;

signals:
    void unavailableChanged();
    void isRecordingChanged();
    // Any binding changed (for views that show them).
    void bindingsChanged();

private:
    void changed();
    // Forgets what belonged to an earlier platform.
    void forgetEarlierDesktop() const;

    mutable QSet<QString> unavailable_;
    mutable bool isRecording_ = false;
    mutable std::uint64_t installation_ = 0;
};

} // namespace tavrin
