#pragma once

#include "platform/panelwindows.h"

#include <QByteArray>
#include <QHash>
#include <xcb/xcb.h>

namespace tavrin {

// The program's own windows on X11, asked on Qt's own connection (the one
// that made them, so a request never overtakes the window's creation). Atoms
// are interned on first use and kept.
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
    xcb_atom_t atom(const char* name);
    xcb_window_t root() const;
    // A 32-bit client message to the root window, as EWMH has clients ask
    // the window manager.
    void askWindowManager(xcb_window_t window, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1, std::uint32_t d2,
                          std::uint32_t d3);
    void skipTaskbar(xcb_window_t window);

    xcb_connection_t* c_;
    QHash<QByteArray, xcb_atom_t> atoms_;
};

} // namespace tavrin
