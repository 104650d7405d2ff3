#include "platform/x11/x11veilsurface.h"

#include "platform/x11/x11veilsurfaces.h"
#include "platform/x11/x11windowserver.h"

#include <cmath>

namespace tavrin {

namespace {
QRect pixels(const Rect& r)
{
    const int x = int(std::lround(r.x)), y = int(std::lround(r.y));
    return QRect(x, y, std::max(1, int(std::lround(r.width))), std::max(1, int(std::lround(r.height))));
}
} // namespace

X11VeilSurface::X11VeilSurface(QWidget& content, X11VeilSurfaces& owner, X11WindowServer& server, xcb_connection_t* qt)
    : content_(&content),
      owner_(owner),
      server_(server),
      qt_(qt)
{
    // Never managed, never focused, never reached by a click.
    content.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint
                           | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint);
    content.setAttribute(Qt::WA_ShowWithoutActivating);
    content.setAttribute(Qt::WA_X11NetWmWindowTypeUtility);
    if (!qt_)
        return;
    window_ = xcb_window_t(content.winId());
    // Left out of task bars, pagers and window cycling.
    const X11Atoms& atoms = owner.qtAtoms();
    const xcb_atom_t skips[] = {atoms.netWmStateSkipTaskbar, atoms.netWmStateSkipPager};
    if (atoms.netWmState != XCB_ATOM_NONE)
        xcb_change_property(qt_, XCB_PROP_MODE_REPLACE, window_, atoms.netWmState, XCB_ATOM_ATOM, 32, 2, skips);
    fillWithBackground();
    server_.setSurface(window_, level_);
    owner_.enlist(this);
    flush();
}

X11VeilSurface::~X11VeilSurface()
{
    if (content_)
        content_->hide();
    if (!qt_)
        return;
    owner_.discharge(this);
    server_.removeSurface(window_);
    flush();
}

void X11VeilSurface::fillWithBackground()
{
    // An opaque veil's window is filled with its colour by the server itself
    // (a translucent one has no colour of its own to show).
    if (!qt_ || !content_ || content_->testAttribute(Qt::WA_TranslucentBackground))
        return;
    const QColor colour = content_->palette().color(QPalette::Window);
    const std::uint32_t pixel =
        (std::uint32_t(colour.red()) << 16) | (std::uint32_t(colour.green()) << 8) | std::uint32_t(colour.blue());
    xcb_change_window_attributes(qt_, window_, XCB_CW_BACK_PIXEL, &pixel);
}

void X11VeilSurface::flush()
{
    if (qt_)
        xcb_flush(qt_);
}

void X11VeilSurface::setFrame(const Rect& frame)
{
    frame_ = frame;
    if (content_)
        content_->setGeometry(pixels(frame));
    flush();
}

void X11VeilSurface::setOrigin(Point origin)
{
    frame_.x = origin.x;
    frame_.y = origin.y;
    if (content_)
        content_->move(pixels(frame_).topLeft());
    flush();
}

void X11VeilSurface::setLevel(int level)
{
    if (level == level_)
        return;
    level_ = level;
    if (qt_)
        server_.setSurface(window_, level);
    if (level_ != kNormalLevel && isVisible())
        raiseToTop();
    flush();
}

void X11VeilSurface::show()
{
    if (!content_ || content_->isVisible())
        return;
    fillWithBackground();
    content_->show();
}

void X11VeilSurface::orderAbove(std::uint32_t window)
{
    show();
    const xcb_window_t sibling = server_.topLevelOf(window);
    if (level_ != kNormalLevel || !sibling)
        raiseToTop();
    else
        stackAbove(sibling);
    flush();
}

void X11VeilSurface::orderFront()
{
    show();
    raiseToTop();
    flush();
}

void X11VeilSurface::orderOut()
{
    if (content_)
        content_->hide();
    above_ = 0;
    flush();
}

bool X11VeilSurface::isVisible() const { return content_ && content_->isVisible(); }

void X11VeilSurface::raiseToTop()
{
    above_ = 0;
    if (!qt_)
        return;
    const std::uint32_t mode = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(qt_, window_, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
}

void X11VeilSurface::stackAbove(xcb_window_t sibling)
{
    above_ = sibling;
    if (!qt_)
        return;
    const std::uint32_t values[] = {sibling, XCB_STACK_MODE_ABOVE};
    xcb_configure_window(qt_, window_, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
}

void X11VeilSurface::restacked(xcb_window_t window)
{
    if (!isVisible())
        return;
    // Raised over a floating veil, or over the veil of its own window: the
    // veil goes back over it before it is drawn again.
    if (level_ != kNormalLevel)
        raiseToTop();
    else if (above_ && above_ == window)
        stackAbove(window);
    else
        return;
    flush();
}

} // namespace tavrin
