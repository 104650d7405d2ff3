#pragma once

#include "platform/geometry.h"

#include <QColor>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace tavrin {

// One veil on screen: a borderless surface of this process laid over another
// application's window. It never takes a click (clicks reach what lies below
// it), never takes the keyboard focus, is left out of window cycling and task
// lists, and keeps exactly the frame it is given, however far past a screen's
// edge. It shows in the window server's list as a window of this process.
// Main thread.
class VeilSurface {
public:
    // Levels: with the normal windows, or floating above all of them.
    static constexpr int kNormalLevel = 0;
    static constexpr int kFloatingLevel = 3;

    // Takes it off the screen.
    virtual ~VeilSurface() = default;

    // Its number in the window server's list.
    virtual std::uint32_t number() const = 0;
    // Its frame, top-left screen points; empty until one is set.
    virtual Rect frame() const = 0;
    // Takes a new frame and draws its content again for the new size.
    virtual void setFrame(const Rect& frame) = 0;
    // Moves it without a change of size (nothing is drawn again).
    virtual void setOrigin(Point origin) = 0;

    virtual int level() const = 0;
    // Changes its level; where it stands within the new level is decided by
    // the next ordering call.
    virtual void setLevel(int level) = 0;
    // Shows it directly above the window with this number (a window of its
    // level); when that window is not on screen, at the front of its level.
    virtual void orderAbove(std::uint32_t window) = 0;
    // Shows it at the front of its level.
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    virtual bool isVisible() const = 0;
    // The window system keeps it over its window by itself, through moves,
    // resizes and restacking: nothing needs to follow the window for it.
    virtual bool followsWindow() const { return false; }
};

// Makes veil surfaces on this desktop.
class VeilSurfaces {
public:
    virtual ~VeilSurfaces() = default;

    // A surface that shows `content`, a top-level widget that is not shown
    // yet, over the window numbered `covered`: the surface takes the widget
    // as its window (or, where the desktop is drawn, draws it). Hidden until
    // ordered in. The surface must go before the widget does.
    virtual std::unique_ptr<VeilSurface> make(QWidget& content, std::uint32_t covered) = 0;
    // From now on, windows that `covered` accepts (by their application's
    // name and process) are filled with `fill` from before they first show,
    // where the window system lets that be done; an empty function ends it.
    // Asked again whenever what is covered may have changed.
    virtual void coverNewWindows(std::function<bool(const QString& name, int pid)> covered, const QColor& fill)
    {
        (void)covered;
        (void)fill;
    }
    // What keeps windows from being covered as they should be, in words for
    // the user (empty while nothing does); `told` is called whenever it changes.
    virtual QString problem() const { return {}; }
    virtual void onProblem(std::function<void()> told) { (void)told; }
    // Surfaces are windows of the desktop's window system, so translucency
    // and blur behind them are the window system's to give; otherwise they
    // are drawn into a picture of the desktop, where nothing blurs and a veil
    // must be opaque.
    virtual bool windowed() const = 0;
};

} // namespace tavrin
