#include "design/stickywindow.h"

#include "design/x11windowrequests.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace tavrin {

namespace {
using Requests = X11WindowRequests;

constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;
constexpr std::uint32_t kStateAdd = 1;

// Adds the two states to a window's _NET_WM_STATE (read by the window
// manager when the window is mapped, and merged by Qt with its own), and asks
// for them in case it is mapped already.
void skipTaskbar(xcb_connection_t* c, xcb_window_t window)
{
    const xcb_atom_t state = Requests::atom(c, "_NET_WM_STATE");
    const std::array<xcb_atom_t, 2> skip = {Requests::atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                            Requests::atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    if (state == XCB_ATOM_NONE || skip[0] == XCB_ATOM_NONE || skip[1] == XCB_ATOM_NONE)
        return;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 1024), nullptr);
    std::vector<xcb_atom_t> atoms;
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    for (xcb_atom_t a : skip)
        if (std::find(atoms.begin(), atoms.end(), a) == atoms.end())
            atoms.push_back(a);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32, std::uint32_t(atoms.size()),
                        atoms.data());
    Requests::askWindowManager(c, window, state, {kStateAdd, skip[0], skip[1], 1});
}
} // namespace

void StickyWindow::install(QWidget* window, bool outOfTaskbar)
{
    window->installEventFilter(new StickyWindow(window, outOfTaskbar));
}

StickyWindow::StickyWindow(QWidget* window, bool outOfTaskbar)
    : QObject(window),
      window_(window),
      outOfTaskbar_(outOfTaskbar)
{}

bool StickyWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Show)
        stick();
    return false;
}

void StickyWindow::stick()
{
    xcb_connection_t* c = Requests::connection();
    if (!c)
        return;
    const auto window = xcb_window_t(window_->winId());
    const xcb_atom_t desktop = Requests::atom(c, "_NET_WM_DESKTOP");
    if (desktop == XCB_ATOM_NONE)
        return;
    // Before the window is mapped the property is enough; once it is, the
    // window manager takes the request as a message to the root window.
    // The source of each request: a normal application (1).
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, desktop, XCB_ATOM_CARDINAL, 32, 1, &kAllDesktops);
    Requests::askWindowManager(c, window, desktop, {kAllDesktops, 1, 0, 0});
    if (outOfTaskbar_)
        skipTaskbar(c, window);
    xcb_flush(c);
}

} // namespace tavrin
