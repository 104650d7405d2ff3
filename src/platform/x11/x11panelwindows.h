#pragma once

#include "platform/panelwindows.h"
#include "platform/x11/x11atoms.h"

#include <optional>
#include <vector>
#include <xcb/xcb.h>

namespace tavrin {

// The program's own windows on X11, asked on Qt's own connection (the one
// that made them, so a request never overtakes the window's creation). The
// atom table is interned on first use and kept.
class X11PanelWindows : public PanelWindows {
public:
    // Over Qt's connection; none when Qt does not run on X11.
    static std::unique_ptr<X11PanelWindows> ofThisApplication();
    explicit X11PanelWindows(xcb_connection_t* connection);

    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    bool compositing() override;
    // A compositor that blurs announces it on the root window with the
    // property windows set to ask for it (it is not among the supported hints).
    bool blurOffered() override;
    bool setBlurBehind(WId window, const QList<QRect>& rects) override;
    void setClickRegion(WId window, const QList<QRect>& rects) override;
    void showOnAllDesktops(WId window, bool outOfTaskbar) override;
    bool stackUnder(WId window, WId sibling) override;

private:
    // The table; one of XCB_ATOM_NONE while the server has not answered.
    const X11Atoms& atoms();
    xcb_window_t root() const;
    // A 32-bit client message to the root window, as EWMH has clients ask
    // the window manager.
    void askWindowManager(xcb_window_t window, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1, std::uint32_t d2,
                          std::uint32_t d3);
    void addStates(xcb_window_t window, std::vector<xcb_atom_t> wanted);

    xcb_connection_t* c_;
    std::optional<X11Atoms> atoms_;
};

} // namespace tavrin
