#include "platform/x11/x11panelwindows.h"

#include "platform/x11/x11connection.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/shape.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tavrin {

namespace {

constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;
constexpr std::uint32_t kStateAdd = 1;
// The source of a request: a normal application (1), or on the user's direct
// behalf, as a pager asks (2).
constexpr std::uint32_t kFromApplication = 1, kFromPager = 2;

std::vector<xcb_rectangle_t> xRects(const QList<QRect>& rects)
{
    std::vector<xcb_rectangle_t> out;
    out.reserve(std::size_t(rects.size()));
    for (const QRect& r : rects)
        out.push_back({std::int16_t(r.x()), std::int16_t(r.y()), std::uint16_t(r.width()), std::uint16_t(r.height())});
    return out;
}

} // namespace

std::unique_ptr<X11PanelWindows> X11PanelWindows::ofThisApplication()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return nullptr;
    return std::make_unique<X11PanelWindows>(x11->connection());
}

X11PanelWindows::X11PanelWindows(xcb_connection_t* connection) : c_(connection) {}

const X11Atoms& X11PanelWindows::atoms()
{
    static const X11Atoms none;
    if (!atoms_)
        atoms_ = X11Atoms::intern(c_, X11Connection::kDefaultTimeout);
    return atoms_ ? *atoms_ : none;
}

xcb_window_t X11PanelWindows::root() const { return xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root; }

void X11PanelWindows::askWindowManager(xcb_window_t window, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1,
                                       std::uint32_t d2, std::uint32_t d3)
{
    X11Connection::sendRootMessage(c_, root(), window, type, {d0, d1, d2, d3, 0});
}

bool X11PanelWindows::compositing()
{
    const xcb_atom_t selection = atoms().compositorOfScreen0;
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, selection), nullptr);
    const bool composited = owner && owner->owner != XCB_NONE;
    std::free(owner);
    return composited;
}

bool X11PanelWindows::blurOffered()
{
    const xcb_atom_t property = atoms().blurBehindRegion;
    if (property == XCB_ATOM_NONE)
        return false;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c_, xcb_get_property(c_, 0, root(), property, XCB_ATOM_ANY, 0, 0), nullptr);
    const bool announced = reply && reply->type != XCB_ATOM_NONE;
    std::free(reply);
    return announced && compositing();
}

bool X11PanelWindows::setBlurBehind(WId window, const QList<QRect>& rects)
{
    const xcb_atom_t property = atoms().blurBehindRegion;
    const auto id = xcb_window_t(window);
    if (rects.isEmpty() || property == XCB_ATOM_NONE) {
        if (property != XCB_ATOM_NONE)
            xcb_delete_property(c_, id, property);
        xcb_flush(c_);
        return false;
    }
    std::vector<std::uint32_t> value;
    for (const QRect& r : rects)
        value.insert(value.end(),
                     {std::uint32_t(r.x()), std::uint32_t(r.y()), std::uint32_t(r.width()), std::uint32_t(r.height())});
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_CARDINAL, 32, std::uint32_t(value.size()),
                        value.data());
    xcb_flush(c_);
    return true;
}

void X11PanelWindows::setClickRegion(WId window, const QList<QRect>& rects)
{
    const std::vector<xcb_rectangle_t> shape = xRects(rects);
    xcb_shape_rectangles(c_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, xcb_window_t(window), 0,
                         0, std::uint32_t(shape.size()), shape.data());
    xcb_flush(c_);
}

// Adds states to a window's _NET_WM_STATE (read by the window manager when
// the window is mapped, and merged by Qt with its own), and asks for them in
// case it is mapped already (two at a time, as the message carries).
void X11PanelWindows::addStates(xcb_window_t window, std::vector<xcb_atom_t> wanted)
{
    const xcb_atom_t state = atoms().netWmState;
    if (state == XCB_ATOM_NONE || std::count(wanted.begin(), wanted.end(), xcb_atom_t(XCB_ATOM_NONE)) > 0)
        return;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c_, xcb_get_property(c_, 0, window, state, XCB_ATOM_ATOM, 0, 1024), nullptr);
    std::vector<xcb_atom_t> atoms;
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    for (xcb_atom_t a : wanted)
        if (std::find(atoms.begin(), atoms.end(), a) == atoms.end())
            atoms.push_back(a);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32, std::uint32_t(atoms.size()),
                        atoms.data());
    for (std::size_t i = 0; i < wanted.size(); i += 2)
        askWindowManager(window, state, kStateAdd, wanted[i], i + 1 < wanted.size() ? wanted[i + 1] : 0,
                         kFromApplication);
}

void X11PanelWindows::showOnAllDesktops(WId window, bool outOfTaskbar)
{
    const auto id = xcb_window_t(window);
    const X11Atoms& a = atoms();
    if (a.netWmDesktop == XCB_ATOM_NONE)
        return;
    // Both ways of saying it: some window managers (xfwm4) pin a window to
    // the desktop it was first mapped on unless it is sticky, others read
    // only the desktop. Before the window is mapped the properties are
    // enough; once it is, the window manager takes requests as messages to
    // the root window.
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, id, a.netWmDesktop, XCB_ATOM_CARDINAL, 32, 1, &kAllDesktops);
    askWindowManager(id, a.netWmDesktop, kAllDesktops, kFromApplication, 0, 0);
    std::vector<xcb_atom_t> states{a.netWmStateSticky};
    if (outOfTaskbar)
        states.insert(states.end(), {a.netWmStateSkipTaskbar, a.netWmStateSkipPager});
    addStates(id, std::move(states));
    xcb_flush(c_);
}

bool X11PanelWindows::stackUnder(WId window, WId sibling)
{
    // A plain restack is not enough: the window manager may stack a window it
    // has only just taken on above everything, or refuse a raise, and some
    // ignore a plain restack request of a client. Both requests name the
    // window to go right under.
    const auto id = xcb_window_t(window), other = xcb_window_t(sibling);
    const std::uint32_t values[] = {other, XCB_STACK_MODE_BELOW};
    xcb_configure_window(c_, id, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    if (const xcb_atom_t restack = atoms().netRestackWindow; restack != XCB_ATOM_NONE)
        askWindowManager(id, restack, kFromPager, other, XCB_STACK_MODE_BELOW, 0);
    xcb_flush(c_);
    return true;
}

} // namespace tavrin
