#pragma once

#include "platform/veilsurfaces.h"

#include <QObject>
#include <vector>
#include <xcb/xcb.h>

namespace tavrin {

class X11VeilSurface;
class X11WindowServer;

// Veil surfaces on the X11 desktop: override-redirect windows of this
// program (no window manager moves, clamps or decorates them) that take no
// input (an empty input shape: clicks reach the window below), typed as
// utility windows left out of task bars and pagers. One stands directly
// above the frame of the window it covers; a floating one is raised above
// every managed window. When the window manager restacks a window, the
// veils over it are put back above it at once, and floating veils are
// raised again, without waiting for the next update.
//
// The windows are Qt's own, on its connection; where Qt has no X11
// connection (the offscreen platform) surfaces keep their state but show
// nowhere.
class X11VeilSurfaces : public QObject, public VeilSurfaces {
    Q_OBJECT
public:
    explicit X11VeilSurfaces(X11WindowServer& server, QObject* parent = nullptr);

    std::unique_ptr<VeilSurface> make(QWidget& content) override;
    bool windowed() const override;

    // Qt's connection to the X server; null on other platforms.
    static xcb_connection_t* qtConnection();

    // Surfaces tell of themselves while they live.
    void enlist(X11VeilSurface* surface);
    void discharge(X11VeilSurface* surface);

private:
    void restacked(xcb_window_t window);

    X11WindowServer& server_;
    std::vector<X11VeilSurface*> surfaces_;
};

} // namespace tavrin
