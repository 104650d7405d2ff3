#include "platform/x11/x11eventmonitors.h"

#include <xcb/xinput.h>

namespace tavrin {

X11EventMonitors::X11EventMonitors(X11Connection& conn, X11Keyboard& keyboard, std::function<bool()> ownsActiveWindow,
                                   QObject* parent)
    : EventMonitors(parent),
      conn_(conn),
      keyboard_(keyboard),
      ownsActiveWindow_(std::move(ownsActiveWindow))
{
    if (keyboard_.followModifiers())
        connect(&keyboard_, &X11Keyboard::modifiersChanged, this, &X11EventMonitors::modifiersChanged);
    selectRawButtons();
    lastFlags_ = currentModifierFlags();
    conn_.addEventHandler(this, [this](const xcb_generic_event_t& ev) { handleEvent(ev); });
}

void X11EventMonitors::selectRawButtons()
{
    if (conn_.xinputOpcode() < 0)
        return;
    auto* c = conn_.xcb();
    // From 2.1 raw events arrive during grabs too (a drag).
    const auto version = xcb_input_xi_query_version(c, 2, 2);
    if (!conn_.sync()) {
        xcb_discard_reply(c, version.sequence);
        return;
    }
    XcbReply<xcb_input_xi_query_version_reply_t> v(xcb_input_xi_query_version_reply(c, version, nullptr));
    const bool raw = v && (v->major_version > 2 || (v->major_version == 2 && v->minor_version >= 1));
    if (!raw)
        return;
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE};
    xcb_input_xi_select_events(c, conn_.root(), 1, &mask.head);
    conn_.flush();
}

X11EventMonitors::Pointer X11EventMonitors::queryPointer()
{
    auto* c = conn_.xcb();
    const auto cookie = xcb_query_pointer(c, conn_.root());
    if (!conn_.sync()) {
        xcb_discard_reply(c, cookie.sequence);
        return {};
    }
    XcbReply<xcb_query_pointer_reply_t> r(xcb_query_pointer_reply(c, cookie, nullptr));
    if (!r)
        return {};
    return {true, r->mask, Point{double(r->root_x), double(r->root_y)}};
}

std::uint64_t X11EventMonitors::currentModifierFlags() { return keyboard_.modifierFlags(queryPointer().mask); }

std::uint32_t X11EventMonitors::pressedMouseButtons()
{
    const std::uint16_t m = queryPointer().mask;
    std::uint32_t buttons = 0;
    if (m & XCB_BUTTON_MASK_1)
        buttons |= 1u << 0; // left
    if (m & XCB_BUTTON_MASK_3)
        buttons |= 1u << 1; // right
    if (m & XCB_BUTTON_MASK_2)
        buttons |= 1u << 2; // middle
    if (m & XCB_BUTTON_MASK_4)
        buttons |= 1u << 3;
    if (m & XCB_BUTTON_MASK_5)
        buttons |= 1u << 4;
    return buttons;
}

Point X11EventMonitors::mouseLocation() { return queryPointer().location; }

void X11EventMonitors::modifiersChanged(std::uint16_t state)
{
    const std::uint64_t flags = keyboard_.modifierFlags(state);
    if (flags == lastFlags_)
        return;
    lastFlags_ = flags;
    if (ownsActiveWindow_ && ownsActiveWindow_())
        emit localModifierFlagsChanged(flags);
    else
        emit globalModifierFlagsChanged(flags);
}

void X11EventMonitors::handleEvent(const xcb_generic_event_t& event)
{
    if ((event.response_type & 0x7f) != XCB_GE_GENERIC)
        return;
    const auto& ge = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (ge.extension != conn_.xinputOpcode())
        return;
    const auto& raw = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event);
    switch (ge.event_type) {
    case XCB_INPUT_RAW_BUTTON_PRESS:
    case XCB_INPUT_RAW_BUTTON_RELEASE: {
        if (raw.detail != 1)
            return;
        const Point at = queryPointer().location;
        if (ge.event_type == XCB_INPUT_RAW_BUTTON_PRESS)
            emit globalLeftMouseDown(at);
        else
            emit globalLeftMouseUp(at);
        return;
    }
    default: return;
    }
}

} // namespace tavrin
