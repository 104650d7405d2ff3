#pragma once

#include "platform/geometry.h"

#include <QString>
#include <xcb/xcb.h>

namespace tavrin {

class X11Connection;
class X11CoverKeeper;

// The windows that cover one client window from inside its own window tree,
// so that the X server moves, stacks, maps and unmaps them with it and no
// pixel of the client ever shows, however the window moves or grows and
// whoever moves it:
// - one inside the client window itself, made as soon as the client is known
//   to be covered (for a new window, before it is first mapped);
// - one inside the window manager's frame around the client (the root's
//   child that holds it), which covers the title bar too.
// Each is an override-redirect child (a window manager that redirects maps
// inside its frames leaves it alone) standing above its siblings at the
// parent's top left and reaching as far as the largest screen (children are
// clipped to their parent, so a growing window is covered before any event
// tells of it), filled by the server with one colour, with an empty input
// shape (clicks reach the client). A client no window manager frames also
// has one beside it (see X11CoverKeeper). The outermost carries the label, a child
// window whose background is a picture drawn once, kept in the middle of the
// frame. Moves and resizes thus cost no drawing at all. The covering windows
// themselves are the keeper's (X11CoverKeeper), which may have made them
// before this is told of the client or its frame. Main thread.
class X11VeilCover {
public:
    // Covers `client` now (its inner window), through `keeper`.
    X11VeilCover(X11Connection& conn, X11CoverKeeper& keeper, xcb_window_t client);
    // Takes its windows away (those the server still has).
    ~X11VeilCover();
    X11VeilCover(const X11VeilCover&) = delete;
    X11VeilCover& operator=(const X11VeilCover&) = delete;

    xcb_window_t client() const { return client_; }
    // The frame it covers too; 0 while the client is not framed.
    xcb_window_t frame() const { return frame_; }

    // The client is held by `frame` (the window manager's): covered there
    // too, replacing a cover in an earlier frame. Its size and depth follow
    // (`setTopGeometry`).
    void frameWith(xcb_window_t frame);
    // The frame let the client go, or went.
    void unframe(bool frameGone);
    // The client window is gone, and its windows with it.
    void clientGone()
    {
        client_ = inner_ = 0;
        gone_ = true;
    }
    // The frame (or, unframed, the client) took this size: the label keeps to the middle.
    void resized(Size size);
    // Shows this picture (a pixmap of the covering window's depth) in the
    // middle; 0 takes it off. The pixmap stays the caller's.
    void setLabel(xcb_pixmap_t pixmap, Size size);
    // The depth of the outermost window, for the label's pixmap.
    std::uint8_t depth() const { return depth_; }
    // The outermost window it stands in: the frame, else the client.
    xcb_window_t top() const { return frame_ ? frame_ : client_; }
    // That window's size and depth (unknown, 0, until told).
    void setTopGeometry(Size size, std::uint8_t depth)
    {
        depth_ = depth;
        resized(size);
    }

    // What it knows of the client's application.
    QString name;
    int pid = 0;

private:
    void placeLabel();

    X11Connection& conn_;
    X11CoverKeeper& keeper_;
    // The client as it was first told, kept after it went.
    xcb_window_t id_ = 0;
    bool gone_ = false;
    xcb_window_t client_ = 0;
    xcb_window_t inner_ = 0;
    xcb_window_t frame_ = 0;
    xcb_window_t outer_ = 0;
    xcb_window_t label_ = 0;
    xcb_pixmap_t pixmap_ = 0;
    Size labelSize_;
    Size size_;
    std::uint8_t depth_ = 0;
};

} // namespace tavrin
