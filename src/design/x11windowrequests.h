#pragma once

#include <array>
#include <cstdint>
#include <xcb/xcb.h>

namespace tavrin {

// Requests about the program's own top-level windows to the X server and the
// window manager, on Qt's own connection, where the session is X11;
// elsewhere there is no connection and nothing is asked.
class X11WindowRequests {
public:
    // Qt's connection to the X server; null on other platforms.
    static xcb_connection_t* connection();
    // The atom of a name (a round trip); XCB_ATOM_NONE when it fails.
    static xcb_atom_t atom(xcb_connection_t* c, const char* name);
    // Asks the window manager for something about `window`, as EWMH has
    // clients do it: a 32-bit client message to the root window.
    static void askWindowManager(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type,
                                 const std::array<std::uint32_t, 4>& data);
};

} // namespace tavrin
