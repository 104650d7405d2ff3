#pragma once

#include <QList>
#include <QRect>
#include <QtGui/qwindowdefs.h>

namespace tavrin {

// What the program asks of the window system about its own top-level
// windows, the floating panels: whether translucent windows blend with what
// lies behind them, a blur behind their glass, which part of them takes
// clicks, showing on every virtual desktop, and stacking one panel right
// under another. Rectangles are in device pixels, in window coordinates.
//
// This base answers for a window system that needs none of it (the
// offscreen platform, Wayland): windows blend, a blur asked for is had,
// nothing else is done. The X11 implementation asks the X server and the
// window manager.
class PanelWindows {
public:
    virtual ~PanelWindows() = default;

    // Whether translucent windows blend with what lies behind them.
    virtual bool compositing() { return true; }
    // Whether the window system blurs behind a window that asks for it.
    virtual bool blurOffered() { return true; }
    // Asks for a blur behind `rects` of `window`, or withdraws the request
    // for none. True when the window has a blur behind it.
    virtual bool setBlurBehind(WId window, const QList<QRect>& rects);
    // Only `rects` of `window` take clicks; the rest pass to what lies behind.
    virtual void setClickRegion(WId window, const QList<QRect>& rects);
    // Shows `window` on every virtual desktop, and out of the task bar, the
    // pager and window cycling when `outOfTaskbar`.
    virtual void showOnAllDesktops(WId window, bool outOfTaskbar);
    // Stacks `window` right under `sibling`; false when that cannot be asked
    // here (the caller raises instead).
    virtual bool stackUnder(WId window, WId sibling);
};

} // namespace tavrin
