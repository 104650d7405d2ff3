#pragma once

#include "platform/veilsurfaces.h"

#include <QPointer>
#include <QWidget>
#include <xcb/xcb.h>

namespace tavrin {

class X11VeilSurfaces;
class X11WindowServer;

// One veil window on the X11 desktop (see X11VeilSurfaces). The window
// system fills it with its content's background colour from the instant it
// is mapped or grows, before the content has drawn: the window below never
// shows through a veil that has not painted yet.
class X11VeilSurface : public VeilSurface {
public:
    // `qt`: Qt's connection, or null where the surface shows nowhere.
    X11VeilSurface(QWidget& content, X11VeilSurfaces& owner, X11WindowServer& server, xcb_connection_t* qt);
    ~X11VeilSurface() override;

    std::uint32_t number() const override { return window_; }
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override;
    void setOrigin(Point origin) override;
    int level() const override { return level_; }
    void setLevel(int level) override;
    void orderAbove(std::uint32_t window) override;
    void orderFront() override;
    void orderOut() override;
    bool isVisible() const override;

    // The window manager restacked `window` (a child of the root window).
    void restacked(xcb_window_t window);

private:
    void show();
    void raiseToTop();
    void stackAbove(xcb_window_t sibling);
    void fillWithBackground();
    void flush();

    QPointer<QWidget> content_;
    X11VeilSurfaces& owner_;
    X11WindowServer& server_;
    xcb_connection_t* qt_;
    xcb_window_t window_ = 0;
    Rect frame_;
    int level_ = kNormalLevel;
    // The frame (or window) it stands directly above; 0 at the front.
    xcb_window_t above_ = 0;
};

} // namespace tavrin
