#pragma once

#include <QObject>
#include <cstdint>

namespace tavrin {

// Carbon modifier masks: the model for every key binding.
namespace modifier {
constexpr std::uint32_t command = 0x100;
constexpr std::uint32_t shift = 0x200;
constexpr std::uint32_t option = 0x800;
constexpr std::uint32_t control = 0x1000;
} // namespace modifier

// Global hot keys. Keys are virtual key codes of the Mac keyboard layout and
// Carbon modifier masks; a backend translates them to its own keys.
class HotKeys : public QObject {
    Q_OBJECT
public:
    static constexpr std::uint32_t kSignature = 0x5456524e; // 'TVRN'
    static constexpr int kStatusNoError = 0;
    static constexpr int kStatusKeyInUse = -9878; // another client holds the key

    using QObject::QObject;

    // 0 when registered, else the system's refusal code.
    virtual int registerHotKey(std::uint32_t signature, std::uint32_t id, std::uint32_t keyCode,
                               std::uint32_t modifiers) = 0;
    virtual void unregisterHotKey(std::uint32_t signature, std::uint32_t id) = 0;

signals:
    // Emitted on the main thread.
    void pressed(std::uint32_t signature, std::uint32_t id);
    // The keyboard mapping changed (registered keys already follow it): a key
    // refused before may be free now.
    void keyboardChanged();
};

} // namespace tavrin
