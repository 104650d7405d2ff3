#include "platform/x11/x11keyboard.h"

#include "platform/eventmonitors.h"
#include "platform/hotkeys.h"

#include <X11/keysym.h>
// The XKB header names a field `explicit`, a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace tavrin {

X11Keyboard::X11Keyboard(X11Connection& conn, QObject* parent) : QObject(parent), conn_(conn)
{
    load();
    conn_.addEventHandler(this, [this](const xcb_generic_event_t& ev) { handleEvent(ev); });
}

bool X11Keyboard::followModifiers()
{
    if (xkbEvent_ >= 0)
        return true;
    auto* c = conn_.xcb();
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(c, &xcb_xkb_id);
    if (!xkb || !xkb->present)
        return false;
    const auto use = xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION);
    if (!conn_.sync()) {
        xcb_discard_reply(c, use.sequence);
        return false;
    }
    XcbReply<xcb_xkb_use_extension_reply_t> used(xcb_xkb_use_extension_reply(c, use, nullptr));
    if (!used || !used->supported)
        return false;
    // A client that uses XKB is told of mapping changes by XKB alone.
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = details.stateDetails = XCB_XKB_STATE_PART_MODIFIER_STATE;
    const std::uint16_t events =
        XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    const std::uint16_t parts = XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP;
    xcb_xkb_select_events_aux(c, XCB_XKB_ID_USE_CORE_KBD, events, 0, 0, parts, parts, &details);
    conn_.flush();
    xkbEvent_ = xkb->first_event;
    return true;
}

void X11Keyboard::handleEvent(const xcb_generic_event_t& ev)
{
    const int type = ev.response_type & 0x7f;
    bool remapped = type == XCB_MAPPING_NOTIFY
                    && reinterpret_cast<const xcb_mapping_notify_event_t&>(ev).request != XCB_MAPPING_POINTER;
    if (xkbEvent_ >= 0 && type == xkbEvent_) {
        // Every XKB event names its kind in the same place.
        const auto& state = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(ev);
        if (state.xkbType == XCB_XKB_STATE_NOTIFY)
            emit modifiersChanged(state.mods);
        remapped = state.xkbType == XCB_XKB_MAP_NOTIFY || state.xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY;
    }
    if (remapped) {
        load();
        emit mappingChanged();
    }
}

void X11Keyboard::load()
{
    auto* c = conn_.xcb();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const auto mapCookie = xcb_get_keyboard_mapping(c, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1);
    const auto modCookie = xcb_get_modifier_mapping(c);
    if (!conn_.sync()) {
        xcb_discard_reply(c, mapCookie.sequence);
        xcb_discard_reply(c, modCookie.sequence);
        return;
    }
    XcbReply<xcb_get_keyboard_mapping_reply_t> map(xcb_get_keyboard_mapping_reply(c, mapCookie, nullptr));
    XcbReply<xcb_get_modifier_mapping_reply_t> mods(xcb_get_modifier_mapping_reply(c, modCookie, nullptr));
    if (!map || !mods)
        return;
    minKeycode_ = setup->min_keycode;
    perKeycode_ = map->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map.get());
    keysyms_.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(map.get()));

    modifierKeys_.clear();
    altMask_ = superMask_ = numLockMask_ = 0;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mods.get());
    const int perMod = mods->keycodes_per_modifier;
    for (int mod = 0; mod < 8; ++mod) {
        for (int k = 0; k < perMod; ++k) {
            const xcb_keycode_t code = codes[mod * perMod + k];
            if (!code)
                continue;
            modifierKeys_.insert(code);
            if (mod < 3)
                continue; // Shift, Lock and Control are fixed
            const std::size_t base = std::size_t(code - minKeycode_) * std::size_t(perKeycode_);
            for (int col = 0; col < perKeycode_ && base + std::size_t(col) < keysyms_.size(); ++col) {
                const xcb_keysym_t s = keysyms_[base + std::size_t(col)];
                const auto bit = std::uint16_t(1u << mod);
                if ((s == XK_Alt_L || s == XK_Alt_R) && !altMask_)
                    altMask_ = bit;
                else if ((s == XK_Super_L || s == XK_Super_R) && !superMask_)
                    superMask_ = bit;
                else if (s == XK_Num_Lock && !numLockMask_)
                    numLockMask_ = bit;
            }
        }
    }
    if (!altMask_)
        altMask_ = XCB_MOD_MASK_1;
    if (!superMask_)
        superMask_ = XCB_MOD_MASK_4;
}

xcb_keycode_t X11Keyboard::keycodeFor(std::uint32_t keysym) const
{
    if (!keysym || perKeycode_ <= 0)
        return 0;
    // The key that types it unshifted, else one that types it in any level.
    for (int col = 0; col < perKeycode_; ++col)
        for (std::size_t i = std::size_t(col); i < keysyms_.size(); i += std::size_t(perKeycode_))
            if (keysyms_[i] == keysym)
                return xcb_keycode_t(minKeycode_ + i / std::size_t(perKeycode_));
    return 0;
}

std::uint16_t X11Keyboard::fromCarbon(std::uint32_t carbon) const
{
    std::uint16_t m = 0;
    if (carbon & modifier::control)
        m |= XCB_MOD_MASK_CONTROL;
    if (carbon & modifier::option)
        m |= altMask_;
    if (carbon & modifier::shift)
        m |= XCB_MOD_MASK_SHIFT;
    if (carbon & modifier::command)
        m |= superMask_;
    return m;
}

std::uint64_t X11Keyboard::modifierFlags(std::uint16_t state) const
{
    std::uint64_t f = 0;
    if (state & XCB_MOD_MASK_SHIFT)
        f |= modflag::shift;
    if (state & XCB_MOD_MASK_CONTROL)
        f |= modflag::control;
    if (state & altMask_)
        f |= modflag::option;
    if (state & superMask_)
        f |= modflag::command;
    return f;
}

} // namespace tavrin
