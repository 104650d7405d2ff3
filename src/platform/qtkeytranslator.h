#pragma once

#include <QString>
#include <Qt>
#include <cstdint>
#include <optional>

namespace tavrin {

// Keys typed into the program's own windows (the simulated desktop, the
// shortcut recorder) become the Mac virtual key codes and Carbon modifier
// masks that every key binding is stored as, so a key typed here is the key
// the hot-key service registers. Control is ⌃, Alt is ⌥, Shift is ⇧ and the
// Super (Meta) key is ⌘. The US layout's shifted symbols ("!", "{", …) are the
// keys they are typed with ("1", "[", …).
class QtKeyTranslator {
public:
    // The Mac key code of a Qt key; none for a key the Mac layout lacks.
    static std::optional<std::uint32_t> macKeyCode(int qtKey);
    // The label of the key alone, as key bindings show it: "A", "1", "←",
    // "↩", "Space", "F5"; empty for a key without a Mac key code.
    static QString keyLabel(int qtKey);
    // F1 to F20: keys that may be bound without a modifier.
    static bool isFunctionKey(int qtKey);
    // ⌃ ⌥ ⇧ ⌘ alone, and the other keys that only change what a key does.
    static bool isModifierKey(int qtKey);

    static std::uint32_t carbonModifiers(Qt::KeyboardModifiers modifiers);
    static std::uint64_t modifierFlags(Qt::KeyboardModifiers modifiers);
};

} // namespace tavrin
