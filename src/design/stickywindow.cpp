#include "design/stickywindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tavrin {

namespace {
constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;
constexpr std::uint32_t kStateAdd = 1;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

// Asks the window manager to change a property of a mapped window, as
// EWMH has clients do it: a message to the root window.
void askWindowManager(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type, std::array<std::uint32_t, 4> data)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    for (std::size_t i = 0; i < data.size(); ++i)
        message.data.data32[i] = data[i];
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}
// Adds the two states to a window's _NET_WM_STATE (read by the window
// manager when the window is mapped, and merged by Qt with its own), and asks
// for them in case it is mapped already.
void skipTaskbar(xcb_connection_t* c, xcb_window_t window)
{
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    const std::array<xcb_atom_t, 2> skip = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER")};
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
    askWindowManager(c, window, state, {kStateAdd, skip[0], skip[1], 1});
}
} // namespace

void StickyWindow::install(QWidget* window, bool outOfTaskbar)
{
    window->installEventFilter(new StickyWindow(window, outOfTaskbar));
}

StickyWindow::StickyWindow(QWidget* window, bool outOfTaskbar)
    : QObject(window), window_(window), outOfTaskbar_(outOfTaskbar)
{
}

bool StickyWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Show)
        stick();
    return false;
}

void StickyWindow::stick()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* c = x11->connection();
    const auto window = xcb_window_t(window_->winId());
    const xcb_atom_t desktop = atom(c, "_NET_WM_DESKTOP");
    if (desktop == XCB_ATOM_NONE)
        return;
    // Before the window is mapped the property is enough; once it is, the
    // window manager takes the request as a message to the root window.
    // The source of each request: a normal application (1).
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, desktop, XCB_ATOM_CARDINAL, 32, 1, &kAllDesktops);
    askWindowManager(c, window, desktop, {kAllDesktops, 1, 0, 0});
    if (outOfTaskbar_)
        skipTaskbar(c, window);
    xcb_flush(c);
}

} // namespace tavrin
