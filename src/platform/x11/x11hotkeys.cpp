#include "platform/x11/x11hotkeys.h"

#include "platform/x11/mackeys.h"

namespace tavrin {

X11HotKeys::X11HotKeys(X11Connection& conn, X11Keyboard& keyboard, QObject* parent)
    : HotKeys(parent),
      conn_(conn),
      keyboard_(keyboard),
      numLock_(keyboard.numLockMask())
{
    conn_.addEventHandler(this, [this](const xcb_generic_event_t& ev) { handleEvent(ev); });
    connect(&keyboard_, &X11Keyboard::mappingChanged, this, [this] {
        regrabAll();
        emit keyboardChanged();
    });
}

X11HotKeys::~X11HotKeys()
{
    if (!conn_.isAlive())
        return;
    for (const Grab& g : grabs_)
        ungrab(g.keycode, g.mods);
    conn_.sync();
}

std::vector<std::uint16_t> X11HotKeys::lockVariants() const
{
    std::vector<std::uint16_t> v{0, XCB_MOD_MASK_LOCK};
    if (numLock_)
        v.insert(v.end(), {numLock_, std::uint16_t(numLock_ | XCB_MOD_MASK_LOCK)});
    return v;
}

bool X11HotKeys::grab(xcb_keycode_t keycode, std::uint16_t mods)
{
    auto* c = conn_.xcb();
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint16_t lock : lockVariants())
        cookies.push_back(
            xcb_grab_key_checked(c, 1, conn_.root(), mods | lock, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    const bool answered = conn_.sync();
    bool refused = !answered;
    for (const auto& cookie : cookies) {
        if (!answered) {
            xcb_discard_reply(c, cookie.sequence);
            continue;
        }
        // Answered already: the check does not wait.
        if (xcb_generic_error_t* err = xcb_request_check(c, cookie)) {
            refused = true;
            std::free(err);
        }
    }
    if (refused)
        ungrab(keycode, mods); // only what this client holds is let go
    return !refused;
}

void X11HotKeys::ungrab(xcb_keycode_t keycode, std::uint16_t mods)
{
    for (std::uint16_t lock : lockVariants())
        xcb_ungrab_key(conn_.xcb(), keycode, conn_.root(), mods | lock);
    conn_.flush();
}

int X11HotKeys::registerHotKey(std::uint32_t signature, std::uint32_t id, std::uint32_t keyCode,
                               std::uint32_t modifiers)
{
    unregisterHotKey(signature, id);
    const xcb_keycode_t keycode = keyboard_.keycodeFor(keysymForMacKeyCode(keyCode));
    if (!keycode)
        return kStatusNoSuchKey;
    const std::uint16_t mods = keyboard_.fromCarbon(modifiers);
    for (const Grab& g : grabs_)
        if (g.keycode == keycode && g.mods == mods)
            return kStatusKeyInUse;
    if (!grab(keycode, mods))
        return kStatusKeyInUse;
    grabs_.push_back({signature, id, keyCode, modifiers, keycode, mods, true});
    return kStatusNoError;
}

void X11HotKeys::unregisterHotKey(std::uint32_t signature, std::uint32_t id)
{
    for (auto it = grabs_.begin(); it != grabs_.end(); ++it) {
        if (it->signature == signature && it->id == id) {
            ungrab(it->keycode, it->mods);
            grabs_.erase(it);
            return;
        }
    }
}

void X11HotKeys::regrabAll()
{
    // Key codes may have moved: grab each key where it is now. A key that
    // stays where it was is not let go of, not even for a moment: the server
    // announces a new mapping whenever another keyboard (or a typing tool)
    // is used, and a press arriving between the let-go and the new grab
    // would be lost. Those that moved are all let go of before any is
    // grabbed again, as one key's new place may be another's old one. A key
    // that can no longer be grabbed stays registered and silent, as it
    // would be if another client took it later.
    const std::uint16_t numLock = keyboard_.numLockMask();
    std::vector<Grab*> moved;
    for (Grab& g : grabs_) {
        const xcb_keycode_t keycode = keyboard_.keycodeFor(keysymForMacKeyCode(g.macKeyCode));
        const std::uint16_t mods = keyboard_.fromCarbon(g.carbon);
        if (g.held && numLock == numLock_ && keycode == g.keycode && mods == g.mods)
            continue;
        if (g.held && g.keycode)
            ungrab(g.keycode, g.mods);
        g.keycode = keycode;
        g.mods = mods;
        moved.push_back(&g);
    }
    numLock_ = numLock;
    for (Grab* g : moved)
        g->held = g->keycode && grab(g->keycode, g->mods);
}

void X11HotKeys::handleEvent(const xcb_generic_event_t& event)
{
    if ((event.response_type & 0x7f) != XCB_KEY_PRESS)
        return;
    const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
    const std::uint16_t ignored = XCB_MOD_MASK_LOCK | keyboard_.numLockMask() | 0xff00; // locks and buttons
    const std::uint16_t mods = key.state & ~ignored;
    for (const Grab& g : grabs_) {
        if (g.keycode == key.detail && g.mods == mods) {
            emit pressed(g.signature, g.id);
            return;
        }
    }
}

} // namespace tavrin
