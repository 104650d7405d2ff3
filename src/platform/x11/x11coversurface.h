#pragma once

#include "platform/veilsurfaces.h"

#include <QPointer>
#include <QWidget>
#include <xcb/xcb.h>

namespace tavrin {

class X11VeilSurfaces;

// A veil as the veil engine sees it, over a client whose cover lives in the
// client's own window tree (see X11VeilCover): the server keeps the cover
// over the window, so frames, levels and orderings asked for here change
// nothing on the screen and cost nothing. It gives the cover its label, the
// content drawn once into a picture of the server's. Taking it away leaves
// the cover where the client is still to be covered.
class X11CoverSurface : public VeilSurface {
public:
    X11CoverSurface(QWidget& content, X11VeilSurfaces& owner, xcb_window_t client);
    ~X11CoverSurface() override;

    std::uint32_t number() const override { return number_; }
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override { frame_ = frame; }
    void setOrigin(Point origin) override
    {
        frame_.x = origin.x;
        frame_.y = origin.y;
    }
    int level() const override { return level_; }
    void setLevel(int level) override { level_ = level; }
    void orderAbove(std::uint32_t) override { visible_ = true; }
    void orderFront() override { visible_ = true; }
    void orderOut() override { visible_ = false; }
    bool isVisible() const override { return visible_; }
    bool followsWindow() const override { return true; }

private:
    X11VeilSurfaces& owner_;
    xcb_window_t client_;
    std::uint32_t number_ = 0;
    Rect frame_;
    int level_ = kNormalLevel;
    bool visible_ = false;
};

} // namespace tavrin
