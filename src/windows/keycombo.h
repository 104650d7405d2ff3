#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tavrin {

// One key binding: a virtual key code of the Mac keyboard layout, a Carbon
// modifier mask (platform/hotkeys.h) and the label of the key alone.
struct KeyCombo {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    QString key; // "A", "1", "←", "↩", "Space"

    // One name per key, modifiers first in the order Ctrl Alt Shift Super:
    // {"Ctrl", "Alt", "←"}; a key cap each.
    QStringList keyNames() const;
    // The keys in running text: "Ctrl+Alt+←".
    QString text() const;

    QJsonObject toJson() const;
    static std::optional<KeyCombo> fromJson(const QJsonObject& json);
    // The compact JSON text the bindings are stored as.
    QString toJsonText() const;
    static std::optional<KeyCombo> fromJsonText(const QString& text);

    friend bool operator==(const KeyCombo&, const KeyCombo&) = default;
};

} // namespace tavrin
