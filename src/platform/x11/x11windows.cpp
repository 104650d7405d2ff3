#include "platform/x11/x11windows.h"

namespace tavrin {

namespace {
// ICCCM WM_SIZE_HINTS flags and the positions of their fields.
constexpr std::uint32_t kMinSize = 1u << 4, kMaxSize = 1u << 5, kResizeInc = 1u << 6, kBaseSize = 1u << 8,
                        kWinGravity = 1u << 9;
constexpr std::uint32_t kIconicState = 3;
constexpr std::uint32_t kSourcePager = 2; // requests from a pager are obeyed at once

X11SizeHints parseSizeHints(const std::vector<std::uint32_t>& v)
{
    X11SizeHints h;
    if (v.size() < 15)
        return h;
    const std::uint32_t flags = v[0];
    auto dim = [](std::uint32_t x) { return int(std::min<std::uint32_t>(x, INT_MAX)); };
    if (flags & kMinSize) {
        h.minWidth = dim(v[5]);
        h.minHeight = dim(v[6]);
    }
    if (flags & kMaxSize) {
        h.maxWidth = v[7] ? dim(v[7]) : INT_MAX;
        h.maxHeight = v[8] ? dim(v[8]) : INT_MAX;
    }
    if (flags & kResizeInc) {
        h.incWidth = std::max(1, dim(v[9]));
        h.incHeight = std::max(1, dim(v[10]));
    }
    if ((flags & kBaseSize) && v.size() >= 17) {
        h.baseWidth = dim(v[15]);
        h.baseHeight = dim(v[16]);
    }
    if ((flags & kWinGravity) && v.size() >= 18 && v[17] >= XCB_GRAVITY_NORTH_WEST && v[17] <= XCB_GRAVITY_STATIC)
        h.gravity = v[17];
    return h;
}

// The first of the window types this server knows that a _NET_WM_WINDOW_TYPE
// lists, else none.
xcb_atom_t firstKnownType(const std::vector<xcb_atom_t>& known, const xcb_get_property_reply_t* type)
{
    for (std::uint32_t a : X11Connection::cardinals(type))
        if (std::find(known.begin(), known.end(), a) != known.end())
            return a;
    return XCB_ATOM_NONE;
}

// Fills whether the window is transient and whether it takes the focus.
void decodeKind(X11WindowInfo& info, const xcb_get_property_reply_t* transient, const xcb_get_property_reply_t* wmHints,
                const xcb_get_property_reply_t* protocols, xcb_atom_t takeFocus)
{
    const auto t = X11Connection::cardinals(transient);
    info.transient = !t.empty() && t[0] != 0;
    // ICCCM: input focus unless WM_HINTS says no, or the client takes
    // it itself (WM_TAKE_FOCUS).
    const auto h = X11Connection::cardinals(wmHints);
    const bool input = h.size() < 2 || !(h[0] & 1) || h[1] != 0;
    const auto p = X11Connection::cardinals(protocols);
    info.acceptsFocus = input || std::find(p.begin(), p.end(), takeFocus) != p.end();
}

// Fills the _NET_WM_STATE flags and the desktop (all desktops when unset).
void decodeState(X11WindowInfo& info, const xcb_get_property_reply_t* state, const xcb_get_property_reply_t* desktop,
                 const xcb_ewmh_connection_t& e)
{
    for (std::uint32_t a : X11Connection::cardinals(state)) {
        info.hidden |= a == e._NET_WM_STATE_HIDDEN;
        info.fullScreen |= a == e._NET_WM_STATE_FULLSCREEN;
        info.maximizedVert |= a == e._NET_WM_STATE_MAXIMIZED_VERT;
        info.maximizedHorz |= a == e._NET_WM_STATE_MAXIMIZED_HORZ;
        info.above |= a == e._NET_WM_STATE_ABOVE;
    }
    const auto d = X11Connection::cardinals(desktop);
    info.desktop = d.empty() ? 0xFFFFFFFF : d[0];
}

// The outer frame in root coordinates around the client area, its border
// and the frame extents.
void frameAroundClient(X11WindowInfo& info)
{
    const double bw = info.borderWidth;
    const Rect& c = info.client;
    info.frame = {c.x - bw - info.extents.left, c.y - bw - info.extents.top,
                  c.width + 2 * bw + info.extents.left + info.extents.right,
                  c.height + 2 * bw + info.extents.top + info.extents.bottom};
}

// Fills the client area, border, frame extents and outer frame in root
// coordinates; `origin` (the client's corner on the root) may be missing.
void decodeFrame(X11WindowInfo& info, const xcb_get_geometry_reply_t& geometry,
                 const xcb_translate_coordinates_reply_t* origin, const xcb_get_property_reply_t* extents)
{
    const auto x = X11Connection::cardinals(extents);
    if (x.size() == 4)
        info.extents = {int(x[0]), int(x[1]), int(x[2]), int(x[3])};
    info.borderWidth = geometry.border_width;
    const double cx = origin ? origin->dst_x : geometry.x, cy = origin ? origin->dst_y : geometry.y;
    info.client = {cx, cy, double(geometry.width), double(geometry.height)};
    frameAroundClient(info);
}
} // namespace

Size X11SizeHints::constrain(Size requested) const
{
    // The base size stands in for a missing minimum and the other way round.
    const bool hasBase = baseWidth >= 0 || baseHeight >= 0;
    const bool hasMin = minWidth || minHeight;
    auto one = [&](double req, int minV, int maxV, int baseV, int inc) {
        const long base = hasBase ? baseV : minV;
        const long lo = hasMin ? minV : baseV;
        long w = std::lround(req);
        w = std::min<long>(w, maxV);
        w = std::max<long>(w, lo);
        w = (w - base) / inc * inc + base;
        return double(std::max<long>(w, 1));
    };
    return {one(requested.width, minWidth, maxWidth, baseWidth, incWidth),
            one(requested.height, minHeight, maxHeight, baseHeight, incHeight)};
}

X11Windows::X11Windows(X11Connection& conn, DesktopEntries& entries, QObject* parent, Mode mode)
    : QObject(parent),
      conn_(conn),
      entries_(entries),
      mode_(mode)
{
    const auto& e = *conn_.ewmh();
    knownTypes_ = {e._NET_WM_WINDOW_TYPE_NORMAL,  e._NET_WM_WINDOW_TYPE_DIALOG,  e._NET_WM_WINDOW_TYPE_UTILITY,
                   e._NET_WM_WINDOW_TYPE_TOOLBAR, e._NET_WM_WINDOW_TYPE_SPLASH,  e._NET_WM_WINDOW_TYPE_MENU,
                   e._NET_WM_WINDOW_TYPE_DOCK,    e._NET_WM_WINDOW_TYPE_DESKTOP, e._NET_WM_WINDOW_TYPE_NOTIFICATION};
    opacityAtom_ = conn_.atoms().netWmWindowOpacity;
    if (mode_ == Mode::readingOnly)
        return;
    conn_.selectInput(conn_.root(), XCB_EVENT_MASK_PROPERTY_CHANGE);
    conn_.addEarlyHandler(this, [this](const xcb_generic_event_t& ev) { dropChanged(ev); });
    conn_.addEventHandler(this, [this](const xcb_generic_event_t& ev) { handleEvent(ev); });
}

void X11Windows::dropChanged(const xcb_generic_event_t& event)
{
    // Stamped whether or not something was kept: a read under way when the
    // change came may have been answered before it.
    auto changed = [this](xcb_window_t id, unsigned needs) {
        if (!watched_.contains(id))
            return;
        changedAt_[id] = ++changes_;
        if (needs & (needState | needClass | needKind | needType))
            listingChangedAt_ = changes_;
        if (auto it = kept_.find(id); it != kept_.end() && !(it->needs &= ~needs))
            kept_.erase(it);
    };
    switch (event.response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (p.window != conn_.root()) {
            const unsigned needs = needsOfProperty(p.atom);
            if (needs)
                changed(p.window, needs);
            if (auto it = kept_.find(p.window); it != kept_.end() && (needs & needFrame))
                it->framed = false; // its decoration is no longer known
        } else if (isRootStateProperty(p.atom)) {
            keptRoot_.reset();
            rootChangedAt_ = listingChangedAt_ = ++changes_;
        }
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        // A move or a new size changes the frame and nothing else read.
        const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (watched_.contains(c.window)) {
            changed(c.window, needFrame);
            if (event.response_type & 0x80)
                takeToldPlace(c);
            else if (auto it = kept_.find(c.window); it != kept_.end())
                it->framed = false; // its border, or a size inside a frame, is no longer known
        } else if (auto it = clients_.constFind(c.window); it != clients_.cend()) {
            changed(*it, needFrame);
        } else if (c.event == conn_.root() || c.window == conn_.root()) {
            // A top-level that is no known frame may hold a client deeper
            // down, and a new screen size may move them all.
            for (xcb_window_t id : kept_.keys())
                changed(id, needFrame);
            allChangedAt_ = ++changes_;
        }
        break;
    }
    case XCB_REPARENT_NOTIFY:
        changed(reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window, needAll);
        break;
    case XCB_MAP_NOTIFY: changed(reinterpret_cast<const xcb_map_notify_event_t&>(event).window, needAll); break;
    case XCB_UNMAP_NOTIFY: changed(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window, needAll); break;
    case XCB_DESTROY_NOTIFY: changed(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window, needAll); break;
    default: break;
    }
}

unsigned X11Windows::needsOfProperty(xcb_atom_t property) const
{
    // As `request` reads them.
    const auto& e = *conn_.ewmh();
    if (property == e._NET_WM_NAME || property == XCB_ATOM_WM_NAME)
        return needTitle;
    if (property == XCB_ATOM_WM_CLASS)
        return needClass;
    if (property == e._NET_WM_WINDOW_TYPE)
        return needKind | needType;
    if (property == XCB_ATOM_WM_TRANSIENT_FOR || property == XCB_ATOM_WM_HINTS || property == e.WM_PROTOCOLS)
        return needKind;
    if (property == e._NET_WM_STATE || property == e._NET_WM_DESKTOP)
        return needState;
    if (property == e._NET_FRAME_EXTENTS)
        return needFrame;
    if (property == XCB_ATOM_WM_NORMAL_HINTS)
        return needHints;
    if (opacityAtom_ != XCB_ATOM_NONE && property == opacityAtom_)
        return needOpacity;
    if (property == e._NET_WM_PID)
        return needAll;
    return 0;
}

bool X11Windows::isRootStateProperty(xcb_atom_t property) const
{
    const auto& e = *conn_.ewmh();
    return property == e._NET_CLIENT_LIST || property == e._NET_CLIENT_LIST_STACKING || property == e._NET_ACTIVE_WINDOW
           || property == e._NET_CURRENT_DESKTOP;
}

void X11Windows::takeToldPlace(const xcb_configure_notify_event_t& told)
{
    const auto it = kept_.find(told.window);
    if (it == kept_.end() || !it->framed)
        return;
    // The point told is the border's outer corner; the border is the one
    // read (the event names the one the client asked for, which managers
    // keep at 0).
    X11WindowInfo& info = it->info;
    const double bw = info.borderWidth;
    info.client = {told.x + bw, told.y + bw, double(told.width), double(told.height)};
    frameAroundClient(info);
    it->needs |= needFrame;
}

bool X11Windows::keptIsCurrent()
{
    // Inside an early handler, events read now reach this one only later.
    if (mode_ != Mode::watching || !conn_.isAlive() || conn_.earlyHandlersRunning())
        return false;
    conn_.serviceEarly();
    return true;
}

void X11Windows::handleEvent(const xcb_generic_event_t& event)
{
    const auto& e = *conn_.ewmh();
    switch (event.response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (p.window == conn_.root()) {
            if (p.atom == e._NET_CLIENT_LIST || p.atom == e._NET_CLIENT_LIST_STACKING)
                emit clientListChanged();
            else if (p.atom == e._NET_ACTIVE_WINDOW)
                emit activeWindowChanged();
        } else if (watched_.contains(p.window)) {
            if (p.atom == XCB_ATOM_WM_CLASS)
                classes_.remove(p.window);
            emit windowChanged(p.window);
        }
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (watched_.contains(c.window))
            emit windowChanged(c.window);
        else if (auto it = clients_.constFind(c.window); it != clients_.cend())
            emit windowChanged(*it);
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto& r = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (watched_.contains(r.window))
            clients_.remove(frames_.take(r.window));
        break;
    }
    case XCB_DESTROY_NOTIFY: forget(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window); break;
    default: break;
    }
}

void X11Windows::forget(xcb_window_t id)
{
    kept_.remove(id);
    changedAt_.remove(id);
    watched_.remove(id);
    pids_.remove(id);
    classes_.remove(id);
    clients_.remove(frames_.take(id));
    clients_.remove(id);
    conn_.forgetWindow(id);
}

void X11Windows::watch(xcb_window_t id)
{
    if (mode_ == Mode::readingOnly || watched_.contains(id))
        return;
    watched_.insert(id);
    conn_.selectInput(id, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE);
}

std::optional<X11Windows::RootState> X11Windows::rootState(double timeout)
{
    if (keptRoot_ && keptIsCurrent() && keptRoot_)
        return keptRoot_;
    const bool keep = keptIsCurrent();
    const std::uint64_t since = changes_;
    const auto& e = *conn_.ewmh();
    const xcb_window_t root = conn_.root();
    const xcb_get_property_cookie_t cookies[] = {
        conn_.requestProperty(root, e._NET_CLIENT_LIST, XCB_ATOM_WINDOW, 16384),
        conn_.requestProperty(root, e._NET_CLIENT_LIST_STACKING, XCB_ATOM_WINDOW, 16384),
        conn_.requestProperty(root, e._NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW, 1),
        conn_.requestProperty(root, e._NET_CURRENT_DESKTOP, XCB_ATOM_CARDINAL, 1)};
    if (!conn_.sync(timeout)) {
        for (const auto& c : cookies)
            xcb_discard_reply(conn_.xcb(), c.sequence);
        return std::nullopt;
    }
    std::vector<std::uint32_t> v[4];
    for (int i = 0; i < 4; ++i)
        v[i] = X11Connection::cardinals(conn_.takeProperty(cookies[i]).get());
    RootState s;
    s.mapped.assign(v[0].begin(), v[0].end());
    // The stacking list runs bottom to top. A window manager that keeps none
    // (xfwm4 4.16) gives the managed windows in the order they were mapped.
    const std::vector<std::uint32_t>& stacking = v[1].empty() ? v[0] : v[1];
    s.frontToBack.assign(stacking.rbegin(), stacking.rend());
    s.active = v[2].empty() ? 0 : v[2][0];
    s.desktop = v[3].empty() ? 0 : v[3][0];
    if (keep && rootChangedAt_ <= since)
        keptRoot_ = s;
    return s;
}

std::optional<xcb_window_t> X11Windows::activeWindow(double timeout)
{
    if (keptRoot_ && keptIsCurrent() && keptRoot_)
        return keptRoot_->active;
    auto cookie = conn_.requestProperty(conn_.root(), conn_.ewmh()->_NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW, 1);
    if (!conn_.sync(timeout)) {
        xcb_discard_reply(conn_.xcb(), cookie.sequence);
        return std::nullopt;
    }
    auto v = X11Connection::cardinals(conn_.takeProperty(cookie).get());
    return v.empty() ? xcb_window_t(0) : xcb_window_t(v[0]);
}

std::optional<std::uint64_t> X11Windows::listingVersion()
{
    if (!keptIsCurrent())
        return std::nullopt;
    return listingChangedAt_;
}

std::optional<X11WindowInfo> X11Windows::readOne(xcb_window_t id, unsigned needs, double timeout)
{
    auto all = read({id}, needs, timeout);
    if (!all)
        return std::nullopt;
    return all->front();
}

X11Windows::Cookies X11Windows::request(xcb_window_t w, unsigned needs)
{
    auto* c = conn_.xcb();
    const auto& e = *conn_.ewmh();
    Cookies k;
    k.needs = needs;
    watch(w);
    k.geometry = xcb_get_geometry(c, w);
    if (needs & needFrame) {
        k.origin = xcb_translate_coordinates(c, w, conn_.root(), 0, 0);
        k.extents = conn_.requestProperty(w, e._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL, 4);
        if (!frames_.contains(w))
            k.tree = xcb_query_tree(c, w);
    }
    if (!pids_.contains(w))
        k.pid = conn_.requestProperty(w, e._NET_WM_PID, XCB_ATOM_CARDINAL, 1);
    if (needs & needTitle) {
        k.name = conn_.requestProperty(w, e._NET_WM_NAME, e.UTF8_STRING);
        k.wmName = conn_.requestProperty(w, XCB_ATOM_WM_NAME);
    }
    if ((needs & needClass) && !classes_.contains(w))
        k.wmClass = conn_.requestProperty(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    if (needs & (needKind | needType))
        k.type = conn_.requestProperty(w, e._NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 32);
    if (needs & needKind) {
        k.transient = conn_.requestProperty(w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 1);
        k.wmHints = conn_.requestProperty(w, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 2);
        k.protocols = conn_.requestProperty(w, e.WM_PROTOCOLS, XCB_ATOM_ATOM, 16);
    }
    if (needs & needState) {
        k.state = conn_.requestProperty(w, e._NET_WM_STATE, XCB_ATOM_ATOM, 64);
        k.desktop = conn_.requestProperty(w, e._NET_WM_DESKTOP, XCB_ATOM_CARDINAL, 1);
    }
    if (needs & needHints)
        k.hints = conn_.requestProperty(w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 18);
    if ((needs & needOpacity) && opacityAtom_ != XCB_ATOM_NONE)
        k.opacity = conn_.requestProperty(w, opacityAtom_, XCB_ATOM_CARDINAL, 1);
    return k;
}

void X11Windows::discard(const std::vector<Cookies>& cookies)
{
    auto* c = conn_.xcb();
    for (const Cookies& k : cookies) {
        xcb_discard_reply(c, k.geometry.sequence);
        if (k.needs & needFrame)
            xcb_discard_reply(c, k.origin.sequence);
        if (k.tree)
            xcb_discard_reply(c, k.tree->sequence);
        for (const auto& p : {k.pid, k.name, k.wmName, k.wmClass, k.type, k.transient, k.wmHints, k.protocols, k.state,
                              k.desktop, k.extents, k.hints, k.opacity})
            if (p)
                xcb_discard_reply(c, p->sequence);
    }
}

std::optional<std::vector<X11WindowInfo>> X11Windows::read(const std::vector<xcb_window_t>& ids, unsigned needs,
                                                           double timeout)
{
    if (mode_ == Mode::readingOnly) {
        // Nothing says when a window changes or goes (and its id may be
        // given to another): what an earlier read learnt may be stale.
        pids_.clear();
        classes_.clear();
        frames_.clear();
        clients_.clear();
    }
    std::vector<X11WindowInfo> out(ids.size());
    // Windows kept with all that is needed are answered from there; the
    // others are read with what was kept of them too, so that a read of
    // other needs does not lose it.
    const bool keep = keptIsCurrent();
    const std::uint64_t since = changes_;
    std::vector<std::size_t> asked;
    std::vector<Cookies> cookies;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        out[i].id = ids[i];
        const auto it = keep ? kept_.constFind(ids[i]) : kept_.cend();
        if (it != kept_.cend() && (it->needs & needs) == needs) {
            out[i] = it->info;
            continue;
        }
        asked.push_back(i);
        cookies.push_back(request(ids[i], needs | (it != kept_.cend() ? it->needs : 0)));
    }
    if (asked.empty())
        return out;
    if (!conn_.sync(timeout)) {
        discard(cookies);
        return std::nullopt;
    }
    std::vector<std::size_t> missingPid;
    for (std::size_t j = 0; j < asked.size(); ++j) {
        bool pidMissing = false;
        if (decode(out[asked[j]], cookies[j], &pidMissing) && pidMissing)
            missingPid.push_back(asked[j]);
    }
    if (!missingPid.empty())
        resolvePids(out, missingPid, timeout);
    // Not kept: a read that found the frame only now (its moves were not yet
    // told of when it was read), or one of a window without a known pid
    // (asked again each time).
    for (std::size_t j = 0; keep && allChangedAt_ <= since && j < asked.size(); ++j)
        if (const X11WindowInfo& info = out[asked[j]];
            info.exists && info.pid > 0 && !cookies[j].tree && changedAt_.value(info.id) <= since)
            kept_.insert(info.id, {info, cookies[j].needs, (cookies[j].needs & needFrame) != 0});
    return out;
}

bool X11Windows::decode(X11WindowInfo& info, Cookies& k, bool* pidMissing)
{
    const unsigned needs = k.needs;
    auto* c = conn_.xcb();
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, k.geometry, nullptr));
    XcbReply<xcb_translate_coordinates_reply_t> origin;
    if (needs & needFrame)
        origin.reset(xcb_translate_coordinates_reply(c, k.origin, nullptr));
    if (k.tree)
        noteFrame(info.id, *k.tree);
    auto take = [&](std::optional<xcb_get_property_cookie_t>& p) {
        return p ? conn_.takeProperty(*p) : XcbReply<xcb_get_property_reply_t>();
    };
    auto pid = take(k.pid), name = take(k.name), wmName = take(k.wmName), wmClass = take(k.wmClass),
         type = take(k.type), transient = take(k.transient), wmHints = take(k.wmHints), protocols = take(k.protocols),
         state = take(k.state), desktop = take(k.desktop), extents = take(k.extents), hints = take(k.hints),
         opacity = take(k.opacity);
    info.exists = geometry != nullptr;
    if (!info.exists) {
        forget(info.id);
        return false;
    }
    if (k.pid) {
        const auto v = X11Connection::cardinals(pid.get());
        if (!v.empty() && v[0] > 0)
            pids_.insert(info.id, int(v[0]));
        else
            *pidMissing = true;
    }
    info.pid = pids_.value(info.id);
    if (needs & needTitle) {
        info.title = conn_.text(name.get());
        if (info.title.isEmpty())
            info.title = conn_.text(wmName.get());
    }
    if (needs & needClass) {
        if (k.wmClass)
            classes_.insert(info.id, X11Connection::strings(wmClass.get()));
        const QStringList cls = classes_.value(info.id);
        info.instance = cls.value(0);
        info.wmClass = cls.value(1);
    }
    if (needs & (needKind | needType))
        info.type = firstKnownType(knownTypes_, type.get());
    if (needs & needKind)
        decodeKind(info, transient.get(), wmHints.get(), protocols.get(), conn_.atoms().wmTakeFocus);
    if (needs & needState)
        decodeState(info, state.get(), desktop.get(), *conn_.ewmh());
    if (needs & needFrame)
        decodeFrame(info, *geometry, origin.get(), extents.get());
    if (needs & needHints)
        info.hints = parseSizeHints(X11Connection::cardinals(hints.get()));
    if (const auto o = X11Connection::cardinals(opacity.get()); !o.empty())
        info.opacity = double(o[0]) / 0xFFFFFFFFu;
    return true;
}

void X11Windows::noteFrame(xcb_window_t client, xcb_query_tree_cookie_t cookie)
{
    // Moves change the frame, not the client inside it: watch both. Where
    // the root's children are watched on this connection already, a frame
    // that is one is told of there, and one nested deeper does not move with
    // its window; watched again, each move of a window would come twice and
    // often wake the program twice.
    XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(conn_.xcb(), cookie, nullptr));
    if (tree && tree->parent != tree->root && tree->parent != XCB_WINDOW_NONE) {
        frames_.insert(client, tree->parent);
        clients_.insert(tree->parent, client);
        if (mode_ == Mode::watching && !(conn_.selectedInput(conn_.root()) & XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY))
            conn_.selectInput(tree->parent, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    }
}

void X11Windows::resolvePids(std::vector<X11WindowInfo>& infos, const std::vector<std::size_t>& missing, double timeout)
{
    std::vector<xcb_window_t> windows;
    windows.reserve(missing.size());
    for (std::size_t i : missing)
        windows.push_back(infos[i].id);
    const std::vector<int> pids = conn_.clientPids(windows, timeout);
    for (std::size_t j = 0; j < missing.size(); ++j)
        if (pids[j] > 0) {
            pids_.insert(infos[missing[j]].id, pids[j]);
            infos[missing[j]].pid = pids[j];
        }
}

X11AppIdentity X11Windows::application(const X11WindowInfo& info)
{
    const QString key = info.instance + u'\n' + info.wmClass;
    if (auto it = apps_.constFind(key); it != apps_.cend())
        return *it;
    X11AppIdentity app;
    if (const DesktopEntry* entry = entries_.forWindowClass(info.instance, info.wmClass)) {
        app.name = entry->name;
        app.desktopId = entry->id;
        app.location = entry->path;
        app.listed = !entry->noDisplay;
    } else {
        app.name = !info.wmClass.isEmpty() ? info.wmClass : info.instance;
    }
    apps_.insert(key, app);
    return app;
}

bool X11Windows::isStandard(const X11WindowInfo& info, const xcb_ewmh_connection_t& ewmh)
{
    // A window without a type is a dialog when it is transient for another.
    if (info.type == XCB_ATOM_NONE)
        return !info.transient;
    return info.type == ewmh._NET_WM_WINDOW_TYPE_NORMAL;
}

bool X11Windows::isDockOrDesktop(const X11WindowInfo& info, const xcb_ewmh_connection_t& ewmh)
{
    return info.type == ewmh._NET_WM_WINDOW_TYPE_DOCK || info.type == ewmh._NET_WM_WINDOW_TYPE_DESKTOP;
}

bool X11Windows::isNormalLayer(const X11WindowInfo& info, const xcb_ewmh_connection_t& ewmh)
{
    return !isDockOrDesktop(info, ewmh) && info.type != ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION;
}

Point X11Windows::gravityPoint(std::uint32_t gravity, const X11FrameExtents& e, Point frameOrigin)
{
    // ICCCM: the gravity names the point of the window that stays put when
    // the frame goes around it; Static keeps the client's own corner.
    // Whole pixels, halves rounded down as the server does for its own gravity.
    int dx = 0, dy = 0;
    switch (gravity) {
    case XCB_GRAVITY_NORTH:
    case XCB_GRAVITY_CENTER:
    case XCB_GRAVITY_SOUTH: dx = (e.left + e.right) / 2; break;
    case XCB_GRAVITY_NORTH_EAST:
    case XCB_GRAVITY_EAST:
    case XCB_GRAVITY_SOUTH_EAST: dx = e.left + e.right; break;
    case XCB_GRAVITY_STATIC: dx = e.left; break;
    default: break;
    }
    switch (gravity) {
    case XCB_GRAVITY_WEST:
    case XCB_GRAVITY_CENTER:
    case XCB_GRAVITY_EAST: dy = (e.top + e.bottom) / 2; break;
    case XCB_GRAVITY_SOUTH_WEST:
    case XCB_GRAVITY_SOUTH:
    case XCB_GRAVITY_SOUTH_EAST: dy = e.top + e.bottom; break;
    case XCB_GRAVITY_STATIC: dy = e.top; break;
    default: break;
    }
    return {frameOrigin.x + dx, frameOrigin.y + dy};
}

void X11Windows::moveResize(const X11WindowInfo& window, std::optional<Point> frameOrigin,
                            std::optional<Size> clientSize)
{
    // The window's own gravity, named (not 0) so that every window manager
    // reads the point the same way; the size is the client area's.
    const std::uint32_t gravity = window.hints.gravity;
    std::uint32_t flags = gravity | (kSourcePager << 12);
    std::uint32_t x = 0, y = 0, w = 0, h = 0;
    if (frameOrigin) {
        flags |= (1u << 8) | (1u << 9);
        const Point at = gravityPoint(gravity, window.extents, *frameOrigin);
        x = std::uint32_t(std::int32_t(std::lround(at.x)));
        y = std::uint32_t(std::int32_t(std::lround(at.y)));
    }
    if (clientSize) {
        flags |= (1u << 10) | (1u << 11);
        w = std::uint32_t(std::max(1L, std::lround(clientSize->width)));
        h = std::uint32_t(std::max(1L, std::lround(clientSize->height)));
    }
    conn_.sendManagerMessage(window.id, conn_.ewmh()->_NET_MOVERESIZE_WINDOW, {flags, x, y, w, h});
    conn_.flush();
}

void X11Windows::changeState(xcb_window_t id, bool add, xcb_atom_t first, xcb_atom_t second)
{
    conn_.sendRootMessage(id, conn_.ewmh()->_NET_WM_STATE, add ? 1 : 0, first, second, kSourcePager);
    conn_.flush();
}

void X11Windows::minimize(xcb_window_t id)
{
    conn_.sendRootMessage(id, conn_.atoms().wmChangeState, kIconicState);
    conn_.flush();
}

void X11Windows::activate(xcb_window_t id)
{
    conn_.sendRootMessage(id, conn_.ewmh()->_NET_ACTIVE_WINDOW, kSourcePager, XCB_CURRENT_TIME, 0);
    conn_.flush();
}

void X11Windows::close(xcb_window_t id)
{
    conn_.sendRootMessage(id, conn_.ewmh()->_NET_CLOSE_WINDOW, XCB_CURRENT_TIME, kSourcePager);
    conn_.flush();
}

} // namespace tavrin
