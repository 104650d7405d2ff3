#pragma once

#include <Qt>
#include <cstdint>
#include <optional>

namespace tavrin {

// Keys typed into the simulated desktop's window become the Mac virtual key
// codes and Carbon modifier masks that the rest of the system binds to.
// Control is ⌃, Alt is ⌥, Shift is ⇧ and the Super (Meta) key is ⌘.
class QtKeyTranslator {
public:
    static std::optional<std::uint32_t> macKeyCode(int qtKey);
    static std::uint32_t carbonModifiers(Qt::KeyboardModifiers modifiers);
    static std::uint64_t modifierFlags(Qt::KeyboardModifiers modifiers);
};

} // namespace tavrin
