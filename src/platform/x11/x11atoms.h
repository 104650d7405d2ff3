#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <xcb/xcb.h>

namespace tavrin {

// The program's one table of the atoms it names, EWMH's among them: the
// program's own panels and veils set their properties on Qt's connection,
// where EWMH's library (X11Connection::ewmh()) is not set up, so the table
// must stand on a bare connection. Atoms belong to the server, not to a
// connection: a table interned on one connection serves every connection to
// the same server. An atom the server did not give is XCB_ATOM_NONE.
struct X11Atoms {
    // Interned by name.
    xcb_atom_t wmState = XCB_ATOM_NONE, wmChangeState = XCB_ATOM_NONE, wmDeleteWindow = XCB_ATOM_NONE,
               wmTakeFocus = XCB_ATOM_NONE;
    xcb_atom_t utf8String = XCB_ATOM_NONE, compoundText = XCB_ATOM_NONE, edid = XCB_ATOM_NONE;
    xcb_atom_t netWmState = XCB_ATOM_NONE, netWmStateSkipTaskbar = XCB_ATOM_NONE, netWmStateSkipPager = XCB_ATOM_NONE;
    xcb_atom_t netWmStateSticky = XCB_ATOM_NONE;
    xcb_atom_t netWmDesktop = XCB_ATOM_NONE, netWmWindowOpacity = XCB_ATOM_NONE, netRestackWindow = XCB_ATOM_NONE;
    // The selection a compositing manager of screen 0 owns.
    xcb_atom_t compositorOfScreen0 = XCB_ATOM_NONE;
    // The property a window sets to have a compositor blur what lies behind it.
    xcb_atom_t blurBehindRegion = XCB_ATOM_NONE;
    // Predefined by the protocol.
    xcb_atom_t wmTransientFor = XCB_ATOM_WM_TRANSIENT_FOR, wmName = XCB_ATOM_WM_NAME, wmClass = XCB_ATOM_WM_CLASS,
               wmNormalHints = XCB_ATOM_WM_NORMAL_HINTS, wmHints = XCB_ATOM_WM_HINTS, string = XCB_ATOM_STRING;

    static constexpr std::size_t kNamed = 16;
    // The intern requests of every named atom, sent (not flushed).
    using Request = std::array<xcb_intern_atom_cookie_t, kNamed>;
    static Request request(xcb_connection_t* c);
    // The table from the replies of `request`, once the server has answered
    // them all (see X11Connection::sync): nothing waits then.
    static X11Atoms take(xcb_connection_t* c, const Request& request);

    // The table interned on a connection that another thread reads for its
    // events (Qt's): the replies are awaited at most `timeout` seconds, the
    // events read meanwhile stay queued for that reader. None when the
    // server did not answer in time or the connection is lost.
    static std::optional<X11Atoms> intern(xcb_connection_t* c, double timeout);
};

} // namespace tavrin
