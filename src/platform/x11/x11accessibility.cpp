#include "platform/x11/x11accessibility.h"

#include <cerrno>
#include <csignal>

namespace tavrin {

namespace {
constexpr double kFrameTolerance = 0.5;

bool isConfigureOf(const xcb_generic_event_t& ev, xcb_window_t a, xcb_window_t b)
{
    const int type = ev.response_type & 0x7f;
    if (type == XCB_CONFIGURE_NOTIFY) {
        const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(ev);
        return c.window == a || (b && c.window == b);
    }
    if (type == XCB_DESTROY_NOTIFY)
        return reinterpret_cast<const xcb_destroy_notify_event_t&>(ev).window == a;
    return false;
}

bool isPropertyOf(const xcb_generic_event_t& ev, xcb_window_t window, std::initializer_list<xcb_atom_t> atoms)
{
    if ((ev.response_type & 0x7f) == XCB_DESTROY_NOTIFY)
        return reinterpret_cast<const xcb_destroy_notify_event_t&>(ev).window == window;
    if ((ev.response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(ev);
    return p.window == window && std::find(atoms.begin(), atoms.end(), p.atom) != atoms.end();
}

// "AXFocusedWindow" when the active window is the application's; none when
// it is not (the application's other windows must be looked at).
std::optional<AXResult> activeWindowOf(X11Windows& windows, const X11Windows::RootState& root, int pid, double timeout)
{
    if (!root.active
        || std::find(root.frontToBack.begin(), root.frontToBack.end(), root.active) == root.frontToBack.end())
        return std::nullopt;
    const auto info = windows.readOne(root.active, X11Windows::needState | X11Windows::needClass, timeout);
    if (!info)
        return AXResult{AXError::cannotComplete, {}};
    if (!info->exists || info->pid != pid)
        return std::nullopt;
    return AXResult{AXError::success, AXElement{pid, info->id}};
}

} // namespace

struct X11Accessibility::Reader {
    std::unique_ptr<X11Connection> conn;
    DesktopEntries entries;
    std::unique_ptr<X11Windows> windows;
};

X11Accessibility::X11Accessibility(X11Windows& windows, QObject* parent)
    : Accessibility(parent),
      windows_(windows),
      conn_(windows.connection())
{
    // A window that changes shows that its application answers again.
    connect(&windows_, &X11Windows::windowChanged, this,
            [this](xcb_window_t id) { slow_.remove(windows_.knownPid(id)); });
    // Made here, on this object's thread; without it reads from other
    // threads fail.
    QString error;
    if (auto conn = X11Connection::open(conn_.displayName(), &error, X11Connection::Events::dropped)) {
        reader_ = std::make_unique<Reader>();
        reader_->conn = std::move(conn);
        reader_->windows =
            std::make_unique<X11Windows>(*reader_->conn, reader_->entries, nullptr, X11Windows::Mode::readingOnly);
    }
}

X11Accessibility::~X11Accessibility()
{
    if (reader_)
        reader_->windows.reset(); // before its connection
}

bool X11Accessibility::isTrusted(bool) { return true; }

AXElement X11Accessibility::applicationElement(int pid) { return {pid, 0}; }

AXElement X11Accessibility::systemWideElement() { return {AXElement::kSystemWidePid, 0}; }

double X11Accessibility::timeoutFor(int pid) const
{
    const std::lock_guard lock(stateMutex_);
    return timeouts_.value(pid, defaultTimeout_);
}

bool X11Accessibility::enhancedUserInterface(int pid) const
{
    const std::lock_guard lock(stateMutex_);
    return enhancedUserInterface_.value(pid, false);
}

void X11Accessibility::setMessagingTimeout(const AXElement& element, double seconds)
{
    const std::lock_guard lock(stateMutex_);
    if (element.isSystemWide())
        defaultTimeout_ = seconds > 0 ? seconds : kDefaultTimeout;
    else if (element.pid > 0 && seconds > 0)
        timeouts_.insert(element.pid, seconds);
    else if (element.pid > 0)
        timeouts_.remove(element.pid);
}

bool X11Accessibility::processExists(int pid) const { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

X11Accessibility::WindowRead X11Accessibility::readWindow(X11Windows& windows, const AXElement& e, unsigned needs)
{
    WindowRead r;
    auto info = windows.readOne(windowOf(e), needs, timeoutFor(e.pid));
    if (!info)
        r.error = AXError::cannotComplete;
    else if (!info->exists || info->pid != e.pid)
        r.error = AXError::invalidElement;
    else
        r.info = std::move(*info);
    return r;
}

AXResult X11Accessibility::attribute(const AXElement& element, const QString& name)
{
    if (onOwnThread())
        return read(windows_, element, name);
    const std::lock_guard lock(readerMutex_);
    if (!reader_ || !reader_->conn->isAlive())
        return {AXError::cannotComplete, {}};
    return read(*reader_->windows, element, name);
}

AXResult X11Accessibility::read(X11Windows& windows, const AXElement& element, const QString& name)
{
    if (!element.isValid())
        return {AXError::invalidElement, {}};
    if (element.isSystemWide())
        return name == ax::Role ? AXResult{AXError::success, QStringLiteral("AXSystemWide")}
                                : AXResult{AXError::attributeUnsupported, {}};
    if (element.isApplication())
        return applicationAttribute(windows, element, name);
    if (isCloseButton(element)) {
        const WindowRead w = readWindow(windows, element, 0);
        if (w.error != AXError::success)
            return {w.error, {}};
        return name == ax::Role ? AXResult{AXError::success, QStringLiteral("AXButton")}
                                : AXResult{AXError::attributeUnsupported, {}};
    }
    return windowAttribute(windows, element, name);
}

AXResult X11Accessibility::applicationAttribute(X11Windows& windows, const AXElement& e, const QString& name)
{
    if (!processExists(e.pid))
        return {AXError::invalidElement, {}};
    if (name == ax::Role)
        return {AXError::success, QStringLiteral("AXApplication")};
    if (name == ax::EnhancedUserInterface)
        return {AXError::success, enhancedUserInterface(e.pid)};
    if (name != ax::Windows && name != ax::FocusedWindow && name != ax::Title)
        return {AXError::attributeUnsupported, {}};

    const double timeout = timeoutFor(e.pid);
    const auto root = windows.rootState(timeout);
    if (name == ax::FocusedWindow && root) {
        // The active window, when it is this application's: found without
        // reading every window (a hot key asks this on every press).
        if (const auto focused = activeWindowOf(windows, *root, e.pid, timeout))
            return *focused;
    }
    auto infos =
        root ? windows.read(root->frontToBack, X11Windows::needState | X11Windows::needClass, timeout) : std::nullopt;
    if (!infos)
        return {AXError::cannotComplete, {}};
    std::vector<const X11WindowInfo*> own;
    for (const X11WindowInfo& w : *infos)
        if (w.exists && w.pid == e.pid)
            own.push_back(&w);

    if (name == ax::Title) {
        if (own.empty())
            return {AXError::noValue, {}};
        return {AXError::success, windows.application(*own.front()).name};
    }
    if (name == ax::Windows) {
        std::vector<AXElement> out;
        out.reserve(own.size());
        for (const X11WindowInfo* w : own)
            out.push_back({e.pid, w->id});
        return {AXError::success, out};
    }
    // The focused window: the active one when it is this application's, else
    // its frontmost window that is not minimised.
    for (const X11WindowInfo* w : own)
        if (w->id == root->active)
            return {AXError::success, AXElement{e.pid, w->id}};
    for (const X11WindowInfo* w : own)
        if (!w->hidden)
            return {AXError::success, AXElement{e.pid, w->id}};
    return {AXError::noValue, {}};
}

AXResult X11Accessibility::windowAttribute(X11Windows& windows, const AXElement& e, const QString& name)
{
    unsigned needs = 0;
    if (name == ax::Position || name == ax::Size)
        needs = X11Windows::needFrame;
    else if (name == ax::Title)
        needs = X11Windows::needTitle;
    else if (name == ax::Subrole)
        needs = X11Windows::needKind;
    else if (name == ax::Minimized || name == ax::FullScreen)
        needs = X11Windows::needState;
    const WindowRead w = readWindow(windows, e, needs);
    if (w.error != AXError::success)
        return {w.error, {}};
    const X11WindowInfo& i = w.info;
    if (name == ax::Position)
        return {AXError::success, Point{i.frame.x, i.frame.y}};
    if (name == ax::Size)
        return {AXError::success, Size{i.frame.width, i.frame.height}};
    if (name == ax::Title)
        return {AXError::success, i.title};
    if (name == ax::Role)
        return {AXError::success, ax::WindowRole};
    if (name == ax::Subrole)
        return {AXError::success,
                X11Windows::isStandard(i, *windows.connection().ewmh()) ? ax::StandardWindow : ax::DialogSubrole};
    if (name == ax::Minimized)
        return {AXError::success, i.hidden};
    if (name == ax::FullScreen)
        return {AXError::success, i.fullScreen};
    if (name == ax::CloseButton)
        return {AXError::success, AXElement{e.pid, e.token | kCloseButtonBit}};
    if (name == ax::Document)
        return {AXError::noValue, {}};
    return {AXError::attributeUnsupported, {}};
}

AXError X11Accessibility::setAttribute(const AXElement& element, const QString& name, const AXValue& value)
{
    if (!onOwnThread())
        return AXError::cannotComplete;
    if (!element.isValid())
        return AXError::invalidElement;
    if (element.isApplication()) {
        if (name != ax::EnhancedUserInterface)
            return AXError::attributeUnsupported;
        if (!processExists(element.pid))
            return AXError::invalidElement;
        const bool* on = std::get_if<bool>(&value);
        if (!on)
            return AXError::illegalArgument;
        // Nothing on this desktop corresponds: kept so that it reads back.
        const std::lock_guard lock(stateMutex_);
        enhancedUserInterface_.insert(element.pid, *on);
        return AXError::success;
    }
    if (!isWindow(element))
        return AXError::attributeUnsupported;
    if (name == ax::Position) {
        const Point* p = std::get_if<Point>(&value);
        return p ? moveResize(element, *p, std::nullopt) : AXError::illegalArgument;
    }
    if (name == ax::Size) {
        const Size* s = std::get_if<Size>(&value);
        return s ? moveResize(element, std::nullopt, *s) : AXError::illegalArgument;
    }
    if (name == ax::Minimized || name == ax::FullScreen) {
        const bool* on = std::get_if<bool>(&value);
        if (!on)
            return AXError::illegalArgument;
        return name == ax::Minimized ? setMinimized(element, *on) : setFullScreen(element, *on);
    }
    return AXError::attributeUnsupported;
}

AXError X11Accessibility::setFrame(const AXElement& window, const Rect& frame)
{
    if (!onOwnThread())
        return AXError::cannotComplete;
    if (!window.isValid())
        return AXError::invalidElement;
    if (!isWindow(window))
        return AXError::attributeUnsupported;
    return moveResize(window, frame.origin(), frame.size());
}

AXError X11Accessibility::performAction(const AXElement& element, const QString& action)
{
    if (!onOwnThread())
        return AXError::cannotComplete;
    if (!element.isValid())
        return AXError::invalidElement;
    if (isCloseButton(element) && action == ax::Press) {
        const WindowRead w = readWindow(element, 0);
        if (w.error != AXError::success)
            return w.error;
        // The client decides whether it closes (it may ask about unsaved work).
        windows_.close(windowOf(element));
        return AXError::success;
    }
    if (isWindow(element) && action == ax::Raise)
        return raise(element);
    return AXError::actionUnsupported;
}

AXError X11Accessibility::await(int pid, const std::function<bool(const xcb_generic_event_t&)>& relevant,
                                const std::function<std::optional<AXError>()>& done)
{
    if (slow_.contains(pid))
        return AXError::cannotComplete;
    const double deadline = X11Connection::steadyNow() + timeoutFor(pid);
    for (;;) {
        if (auto r = done())
            return *r;
        const double left = deadline - X11Connection::steadyNow();
        if (left <= 0)
            break;
        // Looked at again after each relevant event, and now and then.
        if (!conn_.waitForEvent(relevant, std::min(left, kSettleTime)) && conn_.waitsCutShort())
            return AXError::cannotComplete;
    }
    slow_.insert(pid);
    return AXError::cannotComplete;
}

AXError X11Accessibility::releaseMaximised(const AXElement& e, WindowRead& w, unsigned needs)
{
    // The manager gives back the old frame and its own decoration for it in
    // steps, after the state: done once the state is clear and the frame has
    // stood still for a moment, since the size asked for next depends on
    // that decoration.
    const xcb_window_t id = windowOf(e);
    const auto& ewmh = *conn_.ewmh();
    windows_.changeState(id, false, ewmh._NET_WM_STATE_MAXIMIZED_VERT, ewmh._NET_WM_STATE_MAXIMIZED_HORZ);
    const xcb_window_t frame = windows_.frameOf(id);
    Rect frameSeen = w.info.frame, clientSeen = w.info.client;
    double stillSince = X11Connection::steadyNow();
    return await(
        e.pid,
        [&](const xcb_generic_event_t& ev) {
            return isPropertyOf(ev, id, {ewmh._NET_WM_STATE, ewmh._NET_FRAME_EXTENTS}) || isConfigureOf(ev, id, frame);
        },
        [&]() -> std::optional<AXError> {
            w = readWindow(e, needs);
            if (w.error != AXError::success)
                return w.error;
            const double now = X11Connection::steadyNow();
            if (!w.info.frame.near(frameSeen, kFrameTolerance) || !w.info.client.near(clientSeen, kFrameTolerance)) {
                frameSeen = w.info.frame;
                clientSeen = w.info.client;
                stillSince = now;
            }
            if (w.info.maximizedVert || w.info.maximizedHorz || now - stillSince < kSettleTime)
                return std::nullopt;
            return AXError::success;
        });
}

AXError X11Accessibility::moveResize(const AXElement& e, std::optional<Point> origin, std::optional<Size> size)
{
    const unsigned needs = X11Windows::needFrame | X11Windows::needState | X11Windows::needHints;
    WindowRead w = readWindow(e, needs);
    if (w.error != AXError::success)
        return w.error;
    if (w.info.fullScreen)
        return AXError::cannotComplete;
    if (w.info.maximizedVert || w.info.maximizedHorz) {
        const AXError released = releaseMaximised(e, w, needs);
        if (released != AXError::success)
            return released;
    }

    const X11WindowInfo& before = w.info;
    const double decoW = before.frame.width - before.client.width;
    const double decoH = before.frame.height - before.client.height;
    const Size client = size ? before.hints.constrain({size->width - decoW, size->height - decoH})
                             : Size{before.client.width, before.client.height};
    // Where the manager will put it: whole points, the size it allows.
    const Point at = origin ? Point{std::round(origin->x), std::round(origin->y)} : before.frame.origin();
    const Rect wanted(at, Size{client.width + decoW, client.height + decoH});
    if (before.frame.near(wanted, kFrameTolerance))
        return AXError::success;

    windows_.moveResize(before, origin, size ? std::optional<Size>(client) : std::nullopt);
    if (slow_.contains(e.pid))
        return AXError::cannotComplete;
    return waitUntilPlaced(e, before.frame, wanted);
}

AXError X11Accessibility::waitUntilPlaced(const AXElement& e, const Rect& from, const Rect& wanted)
{
    const xcb_window_t id = windowOf(e);
    // Wait for the window to stand where the manager puts it: where asked,
    // or — once it has moved elsewhere — where it settles. A frame at the
    // asked place in its old size, or in the asked size at its old place, is
    // half-way (the manager's move and resize reach the server one after the
    // other, far apart on a loaded machine): the rest is waited for.
    auto halfWay = [&](const Rect& r) {
        return (Rect(wanted.origin(), from.size()).near(r, kFrameTolerance)
                || Rect(from.origin(), wanted.size()).near(r, kFrameTolerance));
    };
    const xcb_window_t frame = windows_.frameOf(id);
    const double deadline = X11Connection::steadyNow() + timeoutFor(e.pid);
    Rect last = from;
    double settleBy = 0;
    for (;;) {
        const double now = X11Connection::steadyNow();
        const double until = settleBy > 0 ? std::min(settleBy, deadline) : deadline;
        if (now >= until
            || !conn_.waitForEvent([&](const xcb_generic_event_t& ev) { return isConfigureOf(ev, id, frame); },
                                   until - now))
            break;
        const WindowRead after = readWindow(e, X11Windows::needFrame);
        if (after.error != AXError::success)
            return after.error;
        if (after.info.frame.near(wanted, kFrameTolerance))
            return AXError::success;
        if (!after.info.frame.near(last, kFrameTolerance)) {
            last = after.info.frame;
            settleBy = halfWay(last) ? 0 : X11Connection::steadyNow() + kSettleTime;
        }
    }
    if (!last.near(from, kFrameTolerance))
        return AXError::success; // the manager placed it its own way
    if (conn_.waitsCutShort())
        return AXError::cannotComplete; // the program is ending: the window is not to blame
    slow_.insert(e.pid);
    return AXError::cannotComplete;
}

AXError X11Accessibility::setMinimized(const AXElement& e, bool minimized)
{
    const WindowRead w = readWindow(e, X11Windows::needState | X11Windows::needKind);
    if (w.error != AXError::success)
        return w.error;
    if (w.info.hidden == minimized)
        return AXError::success;
    const xcb_window_t id = windowOf(e);
    if (minimized)
        windows_.minimize(id);
    else
        windows_.activate(id); // restores it and gives it the focus
    const auto& ewmh = *conn_.ewmh();
    const bool focuses = !minimized && w.info.acceptsFocus;
    return await(
        e.pid,
        [&](const xcb_generic_event_t& ev) {
            return isPropertyOf(ev, id, {ewmh._NET_WM_STATE, conn_.atoms().wmState})
                   || (focuses && isPropertyOf(ev, conn_.root(), {ewmh._NET_ACTIVE_WINDOW}));
        },
        [&]() -> std::optional<AXError> {
            const WindowRead now = readWindow(e, X11Windows::needState);
            if (now.error != AXError::success)
                return now.error;
            if (now.info.hidden != minimized)
                return std::nullopt;
            if (focuses) {
                const auto active = windows_.activeWindow(timeoutFor(e.pid));
                if (!active || *active != id)
                    return std::nullopt;
            }
            return AXError::success;
        });
}

AXError X11Accessibility::setFullScreen(const AXElement& e, bool fullScreen)
{
    const WindowRead w = readWindow(e, X11Windows::needState | X11Windows::needFrame);
    if (w.error != AXError::success)
        return w.error;
    if (w.info.fullScreen == fullScreen)
        return AXError::success;
    const xcb_window_t id = windowOf(e);
    const xcb_window_t frame = windows_.frameOf(id);
    const xcb_atom_t state = conn_.ewmh()->_NET_WM_STATE;
    windows_.changeState(id, fullScreen, conn_.ewmh()->_NET_WM_STATE_FULLSCREEN);
    // The state changes first, then the frame: done when both have.
    double stateSince = 0;
    return await(
        e.pid,
        [&](const xcb_generic_event_t& ev) { return isPropertyOf(ev, id, {state}) || isConfigureOf(ev, id, frame); },
        [&]() -> std::optional<AXError> {
            const WindowRead now = readWindow(e, X11Windows::needState | X11Windows::needFrame);
            if (now.error != AXError::success)
                return now.error;
            if (now.info.fullScreen != fullScreen)
                return std::nullopt;
            if (stateSince == 0)
                stateSince = X11Connection::steadyNow();
            if (!now.info.frame.near(w.info.frame, kFrameTolerance)
                || X11Connection::steadyNow() - stateSince > kSettleTime)
                return AXError::success;
            return std::nullopt;
        });
}

AXError X11Accessibility::raise(const AXElement& e)
{
    const WindowRead w = readWindow(e, X11Windows::needKind);
    if (w.error != AXError::success)
        return w.error;
    const xcb_window_t id = windowOf(e);
    const double timeout = timeoutFor(e.pid);
    const auto active = windows_.activeWindow(timeout);
    if (!active)
        return AXError::cannotComplete;
    if (*active == id)
        return AXError::success;
    windows_.activate(id);
    const auto& ewmh = *conn_.ewmh();
    const xcb_window_t root = conn_.root();
    return await(
        e.pid,
        [&](const xcb_generic_event_t& ev) {
            return isPropertyOf(ev, root, {ewmh._NET_ACTIVE_WINDOW, ewmh._NET_CLIENT_LIST_STACKING});
        },
        // Raised: active, or on top for clients that take no focus.
        [&]() -> std::optional<AXError> {
            if (w.info.acceptsFocus) {
                const auto nowActive = windows_.activeWindow(timeout);
                if (!nowActive)
                    return AXError::cannotComplete;
                return *nowActive == id ? std::optional(AXError::success) : std::nullopt;
            }
            const auto now = windows_.rootState(timeout);
            if (!now)
                return AXError::cannotComplete;
            return !now->frontToBack.empty() && now->frontToBack.front() == id ? std::optional(AXError::success)
                                                                               : std::nullopt;
        });
}

AXResult X11Accessibility::elementAtPosition(const AXElement& root, Point point)
{
    if (!onOwnThread())
        return {AXError::cannotComplete, {}};
    if (!root.isValid() || (!root.isSystemWide() && !root.isApplication()))
        return {AXError::illegalArgument, {}};
    const double timeout = root.isSystemWide() ? timeoutFor(0) : timeoutFor(root.pid);
    const auto state = windows_.rootState(timeout);
    auto infos = state ? windows_.read(state->frontToBack, X11Windows::needFrame | X11Windows::needState, timeout)
                       : std::nullopt;
    if (!infos)
        return {AXError::cannotComplete, {}};
    for (const X11WindowInfo& w : *infos) {
        if (!w.exists || w.hidden || (w.desktop != state->desktop && w.desktop != 0xFFFFFFFF))
            continue;
        if (!w.frame.contains(point))
            continue;
        if (root.isApplication() && w.pid != root.pid)
            return {AXError::noValue, {}};
        return {AXError::success, AXElement{w.pid, w.id}};
    }
    return {AXError::noValue, {}};
}

} // namespace tavrin
