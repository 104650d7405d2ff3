#pragma once

#include "platform/x11/x11connection.h"

#include <QObject>
#include <QSet>
#include <cstdint>
#include <vector>

namespace tavrin {

// The server's keyboard mapping: which key code types a keysym, and which
// modifier bits Alt, Super and Num Lock are on. Follows the mapping's
// changes (MappingNotify, or XKB's notifies once modifiers are followed).
class X11Keyboard : public QObject {
    Q_OBJECT
public:
    explicit X11Keyboard(X11Connection& conn, QObject* parent = nullptr);

    // 0 when no key of the keyboard types `keysym`.
    xcb_keycode_t keycodeFor(std::uint32_t keysym) const;
    bool isModifierKey(xcb_keycode_t keycode) const { return modifierKeys_.contains(keycode); }

    std::uint16_t altMask() const { return altMask_; }
    std::uint16_t superMask() const { return superMask_; }
    std::uint16_t numLockMask() const { return numLockMask_; }

    // The Carbon modifier mask (⌃ ⌥ ⇧ ⌘) as X modifiers, and back.
    std::uint16_t fromCarbon(std::uint32_t carbon) const;
    // Device-independent modifier flags of an X modifier state.
    std::uint64_t modifierFlags(std::uint16_t state) const;

    // From now on announces each change of the modifiers' state, whichever
    // window has the focus or a grab (XKB's state events). False, and
    // nothing announced, where the server has no XKB.
    bool followModifiers();

signals:
    void mappingChanged();
    // The keyboard's modifiers are now `state` (a core state mask).
    void modifiersChanged(std::uint16_t state);

private:
    void load();
    void handleEvent(const xcb_generic_event_t& event);

    X11Connection& conn_;
    xcb_keycode_t minKeycode_ = 0;
    int perKeycode_ = 0;
    std::vector<xcb_keysym_t> keysyms_;
    QSet<xcb_keycode_t> modifierKeys_;
    std::uint16_t altMask_ = XCB_MOD_MASK_1;
    std::uint16_t superMask_ = XCB_MOD_MASK_4;
    std::uint16_t numLockMask_ = XCB_MOD_MASK_2;
    // The first event number of XKB on the connection; -1 while unused.
    int xkbEvent_ = -1;
};

} // namespace tavrin
