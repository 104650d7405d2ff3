#include "platform/x11/x11veilcover.h"

#include "platform/x11/x11connection.h"
#include "platform/x11/x11coverkeeper.h"

#include <algorithm>
#include <xcb/shape.h>

namespace tavrin {

X11VeilCover::X11VeilCover(X11Connection& conn, X11CoverKeeper& keeper, xcb_window_t client)
    : conn_(conn),
      keeper_(keeper),
      id_(client),
      client_(client)
{
    inner_ = keeper_.coverIn(client, client);
}

X11VeilCover::~X11VeilCover()
{
    // Windows already gone with their parent answer BadWindow, which is dropped.
    if (label_)
        xcb_destroy_window(conn_.xcb(), label_);
    conn_.flush();
    keeper_.uncover(id_, gone_);
}

void X11VeilCover::frameWith(xcb_window_t frame)
{
    if (frame == frame_ || frame == client_)
        return;
    const xcb_window_t old = outer_;
    // The keeper puts the new one in first and takes the old one away, its label with it.
    frame_ = frame;
    depth_ = 0;
    outer_ = keeper_.coverIn(id_, frame);
    if (!old && label_)
        xcb_destroy_window(conn_.xcb(), label_); // it stood in the client's cover
    label_ = 0;
    size_ = Size{};
    if (pixmap_)
        setLabel(pixmap_, labelSize_);
    conn_.flush();
}

void X11VeilCover::unframe(bool frameGone)
{
    keeper_.unframe(id_, frame_, frameGone);
    frame_ = outer_ = label_ = 0;
    size_ = Size{};
    depth_ = 0;
    if (pixmap_)
        setLabel(pixmap_, labelSize_);
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
