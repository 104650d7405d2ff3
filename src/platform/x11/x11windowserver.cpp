#include "platform/x11/x11windowserver.h"

#include <QCoreApplication>
#include <algorithm>
#include <unistd.h>
#include <xcb/xcbext.h>

namespace tavrin {

namespace {
Rect outer(std::int16_t x, std::int16_t y, std::uint16_t width, std::uint16_t height, std::uint16_t border)
{
    return {double(x), double(y), double(width + 2 * border), double(height + 2 * border)};
}
} // namespace

X11WindowServer::X11WindowServer(X11Windows& windows, QObject* parent) : WindowServer(parent), windows_(windows)
{
    X11Connection& conn = windows_.connection();
    // The root window's children: their stacking, frames and mapping.
    conn.selectInput(conn.root(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
    conn.flush();
    const auto& e = *conn.ewmh();
    // The properties of a window that decide whether and how it is listed.
    listedAtoms_ = {e._NET_WM_STATE,      e._NET_WM_DESKTOP, e._NET_WM_WINDOW_TYPE,          e._NET_WM_PID,
                    e._NET_FRAME_EXTENTS, XCB_ATOM_WM_CLASS, conn.atoms().netWmWindowOpacity};
    conn.addEventHandler(this, [this](const xcb_generic_event_t& event) {
        const bool stale = stale_;
        const bool child = handleEvent(event);
        if (child || stale_ != stale)
            emit changed();
    });
}

TitleBar X11WindowServer::titleBar() const
{
    TitleBar bar;
    bar.resizeEdge = 2;
    // As high as the frames the window manager draws say; openbox's default
    // theme before any was read.
    bar.dragHeight = titleHeight_ > 0 ? titleHeight_ : 20;
    bar.buttonHeight = bar.dragHeight;
    bar.buttonsOnRight = true;
    bar.minimise = {36, 52};
    bar.zoom = {20, 36};
    return bar;
}

void X11WindowServer::setSurface(xcb_window_t window, int level) { surfaces_.insert(window, level); }

void X11WindowServer::removeSurface(xcb_window_t window) { surfaces_.remove(window); }

xcb_window_t X11WindowServer::topLevelOf(xcb_window_t client) const
{
    const xcb_window_t frame = windows_.frameOf(client);
    const xcb_window_t top = frame ? frame : client;
    return std::find(stack_.begin(), stack_.end(), top) != stack_.end() ? top : 0;
}

// ---- Events ----

bool X11WindowServer::handleEvent(const xcb_generic_event_t& event)
{
    const xcb_window_t root = windows_.connection().root();
    switch (event.response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        const auto& e = *windows_.connection().ewmh();
        if (p.window == root)
            stale_ |= p.atom == e._NET_CLIENT_LIST || p.atom == e._NET_CLIENT_LIST_STACKING
                      || p.atom == e._NET_CURRENT_DESKTOP;
        else
            stale_ |= std::find(listedAtoms_.begin(), listedAtoms_.end(), p.atom) != listedAtoms_.end();
        return false;
    }
    case XCB_CREATE_NOTIFY:
    case XCB_DESTROY_NOTIFY:
    case XCB_REPARENT_NOTIFY: handleChildComingOrGoing(event); break;
    case XCB_CONFIGURE_NOTIFY: {
        // A move or resize alone is not told of: readers that follow
        // windows by hand ask again on every refresh anyway.
        const int before = restacks_;
        handleChildChange(event);
        return restacks_ != before;
    }
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_CIRCULATE_NOTIFY: handleChildChange(event); break;
    default: return false;
    }
    // Told of the root's children only (the events of other windows selected
    // on this connection pass by too).
    const auto* any = reinterpret_cast<const xcb_map_notify_event_t*>(&event);
    return any->event == root;
}

void X11WindowServer::handleChildComingOrGoing(const xcb_generic_event_t& event)
{
    const xcb_window_t root = windows_.connection().root();
    switch (event.response_type & 0x7f) {
    case XCB_CREATE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (c.parent != root)
            return;
        forgetChild(c.window);
        stack_.push_back(c.window); // new windows start on top
        geometry_.insert(c.window, outer(c.x, c.y, c.width, c.height, c.border_width));
        return;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& d = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (d.event != root)
            return;
        forgetChild(d.window);
        stale_ |= !surfaces_.contains(d.window);
        return;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto& r = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (r.event != root)
            return;
        forgetChild(r.window);
        if (r.parent == root)
            stack_.push_back(r.window);
        stale_ = true;
        return;
    }
    default: return;
    }
}

void X11WindowServer::handleChildChange(const xcb_generic_event_t& event)
{
    const xcb_window_t root = windows_.connection().root();
    switch (event.response_type & 0x7f) {
    case XCB_MAP_NOTIFY: {
        const auto& m = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (m.event != root)
            return;
        mapped_.insert(m.window);
        stale_ |= !m.override_redirect;
        return;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto& u = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (u.event != root)
            return;
        mapped_.remove(u.window);
        stale_ |= !surfaces_.contains(u.window) && windows_.clientOf(u.window) != 0;
        return;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (c.event != root)
            return;
        geometry_.insert(c.window, outer(c.x, c.y, c.width, c.height, c.border_width));
        restack(c.window, c.above_sibling);
        return;
    }
    case XCB_CIRCULATE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_circulate_notify_event_t&>(event);
        if (c.event != root)
            return;
        std::erase(stack_, c.window);
        if (c.place == XCB_PLACE_ON_TOP)
            stack_.push_back(c.window);
        else
            stack_.insert(stack_.begin(), c.window);
        emit restacked(c.window);
        return;
    }
    default: return;
    }
}

void X11WindowServer::restack(xcb_window_t window, xcb_window_t below)
{
    const auto at = std::find(stack_.begin(), stack_.end(), window);
    const bool known = at != stack_.end();
    const xcb_window_t before = !known || at == stack_.begin() ? 0 : *(at - 1);
    if (known && before == below)
        return;
    if (known)
        stack_.erase(at);
    const auto under = below ? std::find(stack_.begin(), stack_.end(), below) : stack_.begin();
    if (!below)
        stack_.insert(stack_.begin(), window);
    else if (under == stack_.end())
        stack_.push_back(window);
    else
        stack_.insert(under + 1, window);
    ++restacks_;
    emit restacked(window);
}

void X11WindowServer::forgetChild(xcb_window_t window)
{
    std::erase(stack_, window);
    geometry_.remove(window);
    mapped_.remove(window);
}

// ---- Reading ----

bool X11WindowServer::current()
{
    X11Connection& conn = windows_.connection();
    conn.dispatchPending();
    if (!conn.isAlive())
        return false;
    if (stale_ || !stackKnown_)
        read();
    return !stale_;
}

void X11WindowServer::read()
{
    ++reads_;
    X11Connection& conn = windows_.connection();
    const auto& ewmh = *conn.ewmh();
    // The stacking of the root's children comes in the same round trips.
    const auto tree = xcb_query_tree(conn.xcb(), conn.root());
    const auto root = windows_.rootState();
    const unsigned needs = X11Windows::needClass | X11Windows::needType | X11Windows::needState | X11Windows::needFrame
                           | X11Windows::needOpacity;
    const auto infos = root ? windows_.read(root->frontToBack, needs) : std::nullopt;
    // What the windows kept answer makes no round trip: the tree's reply
    // may still be on its way.
    void* answer = nullptr;
    const bool here = infos && conn.pollReply(tree.sequence, &answer);
    XcbReply<xcb_query_tree_reply_t> children(static_cast<xcb_query_tree_reply_t*>(answer));
    if (infos && !here && conn.sync())
        children.reset(xcb_query_tree_reply(conn.xcb(), tree, nullptr));
    else if (!here)
        xcb_discard_reply(conn.xcb(), tree.sequence);
    if (!infos) {
        stale_ = true; // timed out: ask again next time
        return;
    }
    stale_ = false;
    if (children) {
        const xcb_window_t* ids = xcb_query_tree_children(children.get());
        stack_.assign(ids, ids + xcb_query_tree_children_length(children.get()));
        stackKnown_ = true;
    }
    read_.clear();
    readIndex_.clear();
    for (const X11WindowInfo& w : *infos) {
        if (!w.exists || w.hidden || (w.desktop != root->desktop && w.desktop != 0xFFFFFFFF))
            continue;
        WindowInfo info;
        info.number = w.id;
        info.ownerPid = w.pid;
        info.ownerName = windows_.application(w).name;
        info.layer = w.type == ewmh._NET_WM_WINDOW_TYPE_DOCK           ? kDockLayer
                     : w.type == ewmh._NET_WM_WINDOW_TYPE_DESKTOP      ? kDesktopLayer
                     : w.type == ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION ? kNotificationLayer
                     : w.above                                         ? kFloatingLayer
                                                                       : kNormalLayer;
        info.bounds = w.frame;
        info.alpha = w.opacity;
        if (info.layer == kNormalLayer && w.extents.top > 0)
            titleHeight_ = w.extents.top;
        const xcb_window_t frame = windows_.frameOf(w.id);
        geometry_.insert(frame ? frame : w.id, w.frame);
        readIndex_.insert(w.id, read_.size());
        read_.push_back(std::move(info));
    }
}

std::vector<WindowInfo> X11WindowServer::listed(bool* complete) const
{
    std::size_t found = 0;
    std::vector<WindowInfo> out;
    out.reserve(read_.size() + std::size_t(surfaces_.size()));
    const int self = int(::getpid());
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
        const xcb_window_t child = *it;
        if (const auto s = surfaces_.constFind(child); s != surfaces_.cend()) {
            if (mapped_.contains(child) && geometry_.contains(child))
                out.push_back(
                    WindowInfo{child, self, QCoreApplication::applicationName(), *s, geometry_.value(child), 1.0});
            continue;
        }
        const xcb_window_t client = windows_.clientOf(child) ? windows_.clientOf(child) : child;
        const auto index = readIndex_.constFind(client);
        if (index == readIndex_.cend())
            continue;
        WindowInfo info = read_[*index];
        if (const auto g = geometry_.constFind(child); g != geometry_.cend())
            info.bounds = *g;
        out.push_back(std::move(info));
        ++found;
    }
    *complete = found == read_.size();
    return out;
}

std::vector<WindowInfo> X11WindowServer::onScreenWindows()
{
    const bool now = current();
    if (!stackKnown_) {
        complete_ = false;
        return read_;
    }
    bool whole = false;
    std::vector<WindowInfo> out = listed(&whole);
    complete_ = now && whole;
    // What was kept disagrees with itself: read afresh next time.
    stale_ |= !whole;
    return out;
}

std::optional<Rect> X11WindowServer::windowBounds(std::uint32_t number)
{
    if (current()) {
        if (surfaces_.contains(number) && geometry_.contains(number))
            return geometry_.value(number);
        if (readIndex_.contains(number)) {
            const xcb_window_t frame = windows_.frameOf(number);
            if (const auto g = geometry_.constFind(frame ? frame : number); g != geometry_.cend())
                return *g;
        }
    }
    // Not listed (minimised, on another desktop): asked of the server.
    const auto info = windows_.readOne(number, X11Windows::needFrame);
    if (!info || !info->exists)
        return std::nullopt;
    return info->frame;
}

} // namespace tavrin
