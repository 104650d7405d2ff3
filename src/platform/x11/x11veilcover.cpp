#include "platform/x11/x11veilcover.h"

#include "platform/x11/x11connection.h"

#include <algorithm>
#include <unistd.h>
#include <xcb/shape.h>

namespace tavrin {

X11VeilCover::X11VeilCover(X11Connection& conn, xcb_window_t client, std::uint32_t pixel)
    : conn_(conn),
      client_(client),
      pixel_(pixel)
{
    inner_ = makeChild(client);
}

X11VeilCover::~X11VeilCover()
{
    // Windows already gone with their parent answer BadWindow, which is dropped.
    for (xcb_window_t w : {label_, outer_, inner_})
        if (w)
            xcb_destroy_window(conn_.xcb(), w);
    conn_.flush();
}

xcb_window_t X11VeilCover::makeChild(xcb_window_t parent)
{
    xcb_connection_t* c = conn_.xcb();
    const xcb_window_t w = xcb_generate_id(c);
    // Value order follows the mask bits: background pixel, override-redirect.
    const std::uint32_t values[] = {pixel_, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, 0, 0, kReach, kReach, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    // Clicks go through to the client.
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, w, 0, 0, 0, nullptr);
    // Named as the program's own, for whoever looks at the tree.
    const std::uint32_t pid = std::uint32_t(::getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, conn_.ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 32, 1, &pid);
    // A new child stands above its siblings already.
    xcb_map_window(c, w);
    conn_.flush();
    return w;
}

xcb_window_t X11VeilCover::childOf(xcb_window_t parent) const
{
    if (!parent)
        return 0;
    if (parent == client_)
        return inner_;
    if (parent == frame_)
        return outer_;
    return 0;
}

void X11VeilCover::frameWith(xcb_window_t frame)
{
    if (frame == frame_ || frame == client_)
        return;
    const xcb_window_t old = outer_;
    // The new one first: the client is never without a cover in its frame.
    frame_ = frame;
    depth_ = 0;
    outer_ = makeChild(frame);
    if (old)
        xcb_destroy_window(conn_.xcb(), old); // its label goes with it
    else if (label_)
        xcb_destroy_window(conn_.xcb(), label_); // it stood in the client's cover
    label_ = 0;
    size_ = Size{};
    if (pixmap_)
        setLabel(pixmap_, labelSize_);
    conn_.flush();
}

void X11VeilCover::unframe(bool frameGone)
{
    if (!frameGone && outer_)
        xcb_destroy_window(conn_.xcb(), outer_);
    frame_ = outer_ = label_ = 0;
    size_ = Size{};
    depth_ = 0;
    if (pixmap_)
        setLabel(pixmap_, labelSize_);
    conn_.flush();
}

void X11VeilCover::raiseIn(xcb_window_t parent)
{
    const xcb_window_t mine = childOf(parent);
    if (!mine)
        return;
    const std::uint32_t mode = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(conn_.xcb(), mine, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
    conn_.flush();
}

void X11VeilCover::resized(Size size)
{
    if (size == size_)
        return;
    size_ = size;
    placeLabel();
}

void X11VeilCover::setLabel(xcb_pixmap_t pixmap, Size size)
{
    xcb_connection_t* c = conn_.xcb();
    if (label_ && (!pixmap || pixmap != pixmap_)) {
        xcb_destroy_window(c, label_);
        label_ = 0;
    }
    pixmap_ = pixmap;
    labelSize_ = size;
    // In the frame's cover, or the client's while it has no frame.
    const xcb_window_t parent = outer_ ? outer_ : inner_;
    if (!pixmap_ || !parent || label_) {
        conn_.flush();
        return;
    }
    label_ = xcb_generate_id(c);
    const std::uint32_t values[] = {pixmap_, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, label_, parent, 0, 0, std::uint16_t(std::max(1.0, size.width)),
                      std::uint16_t(std::max(1.0, size.height)), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, label_, 0, 0, 0, nullptr);
    placeLabel();
    xcb_map_window(c, label_);
    conn_.flush();
}

void X11VeilCover::placeLabel()
{
    if (!label_)
        return;
    const std::int32_t values[] = {std::int32_t((size_.width - labelSize_.width) / 2),
                                   std::int32_t((size_.height - labelSize_.height) / 2)};
    xcb_configure_window(conn_.xcb(), label_, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    conn_.flush();
}

} // namespace tavrin
