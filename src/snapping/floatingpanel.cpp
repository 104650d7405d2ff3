#include "snapping/floatingpanel.h"

#include "design/stickywindow.h"
#include "design/windowtranslucency.h"
#include "design/x11windowrequests.h"

#include <QLayout>
#include <QVBoxLayout>
#include <cmath>

namespace tavrin {

FloatingPanel::FloatingPanel(QWidget* content, Mouse mouse, const QString& name) : content_(content)
{
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                            | Qt::NoDropShadowWindowHint;
    if (mouse == Mouse::passThrough)
        flags |= Qt::WindowTransparentForInput;
    auto* window = new QWidget(nullptr, flags);
    window->setObjectName(name);
    window->setWindowTitle(name);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAttribute(Qt::WA_NoSystemBackground);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setFocusPolicy(Qt::NoFocus);
    WindowTranslucency::install(window);
    StickyWindow::install(window, true);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (content)
        layout->addWidget(content);
    window_ = window;
}

FloatingPanel::~FloatingPanel() { delete window_.data(); }

bool FloatingPanel::isVisible() const { return window_ && window_->isVisible(); }

Size FloatingPanel::fittingSize()
{
    if (!window_)
        return {};
    window_->layout()->activate();
    const QSize size = window_->sizeHint();
    return {double(size.width()), double(size.height())};
}

Rect FloatingPanel::frame() const
{
    if (!window_)
        return {};
    const QRect g = window_->geometry();
    return {double(g.x()), double(g.y()), double(g.width()), double(g.height())};
}

void FloatingPanel::setFrame(const Rect& frame)
{
    if (!window_)
        return;
    const int left = int(std::lround(frame.minX())), top = int(std::lround(frame.minY()));
    const int right = int(std::lround(frame.maxX())), bottom = int(std::lround(frame.maxY()));
    window_->setGeometry(left, top, std::max(right - left, 1), std::max(bottom - top, 1));
}

double FloatingPanel::opacity() const { return window_ ? window_->windowOpacity() : 0; }

void FloatingPanel::setOpacity(double opacity)
{
    if (window_)
        window_->setWindowOpacity(opacity);
}

void FloatingPanel::orderFront(const HUDPanel* under)
{
    if (!window_)
        return;
    window_->show();
    const auto* above = dynamic_cast<const FloatingPanel*>(under);
    if (above && above->isVisible() && stackUnder(*above->window_))
        return;
    window_->raise();
    if (above && above->isVisible())
        above->window_->raise();
}

bool FloatingPanel::stackUnder(QWidget& above)
{
    xcb_connection_t* c = X11WindowRequests::connection();
    if (!c)
        return false;
    // Raising the other panel afterwards is not enough: the window manager
    // may stack a window it has only just taken on above everything, or
    // refuse a raise, and some ignore a plain restack request of a client.
    // Both requests name the window to go right under.
    const auto window = xcb_window_t(window_->winId()), sibling = xcb_window_t(above.winId());
    const std::uint32_t values[] = {sibling, XCB_STACK_MODE_BELOW};
    xcb_configure_window(c, window, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    const xcb_atom_t restack = X11WindowRequests::atom(c, "_NET_RESTACK_WINDOW");
    // Source 2: on the user's direct behalf, as a pager asks.
    if (restack != XCB_ATOM_NONE)
        X11WindowRequests::askWindowManager(c, window, restack, {2, sibling, XCB_STACK_MODE_BELOW, 0});
    xcb_flush(c);
    return true;
}

void FloatingPanel::orderOut()
{
    if (window_)
        window_->hide();
}

} // namespace tavrin
