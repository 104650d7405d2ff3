#include "platform/x11/x11coverkeeper.h"

#include "platform/x11/x11connection.h"

#include <QDebug>
#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <pthread.h>
#include <sys/epoll.h>
#include <unistd.h>
#include <xcb/shape.h>
#include <xcb/sync.h>

namespace tavrin {

namespace {
constexpr std::uint32_t kClientMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
constexpr std::uint32_t kFrameMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
// A root's own size too, for the covers' reach.
constexpr std::uint32_t kRootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;

std::uint16_t sizeOf(double length) { return std::uint16_t(std::clamp(length, 1.0, 65535.0)); }
} // namespace

X11CoverKeeper::X11CoverKeeper(X11Connection& main, Listener listener) : main_(main), listener_(std::move(listener))
{
    own_ = X11Connection::open(main.displayName(), &problem_, X11Connection::Events::dropped);
    X11Connection& conn = own_ ? *own_ : main;
    c_ = conn.xcb();
    pidAtom_ = conn.ewmh()->_NET_WM_PID;
    idMask_ = xcb_get_setup(c_)->resource_id_mask;
    idBase_ = xcb_get_setup(c_)->resource_id_base & ~idMask_;
    // Every screen's root: windows on any of them are covered.
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c_)); it.rem; xcb_screen_next(&it)) {
        roots_.push_back(it.data->root);
        screenSizes_.emplace_back(it.data->width_in_pixels, it.data->height_in_pixels);
        reachWidth_ = std::max(reachWidth_, it.data->width_in_pixels);
        reachHeight_ = std::max(reachHeight_, it.data->height_in_pixels);
    }
    // The shape extension's data is asked for now, in a bounded wait, not
    // by the first cover in the middle of a window's appearing.
    xcb_prefetch_extension_data(c_, &xcb_shape_id);
    xcb_prefetch_extension_data(c_, &xcb_sync_id);
    if (!own_ || !conn.sync() || ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0 || !makeEpoll()) {
        if (own_ && problem_.isEmpty())
            problem_ = QStringLiteral("the X display did not answer a new connection");
        qWarning("Covers are made on the main thread: %s", qPrintable(problem_));
        own_.reset();
        c_ = main.xcb();
        idBase_ = xcb_get_setup(c_)->resource_id_base & ~idMask_;
        return;
    }
    xcb_get_extension_data(c_, &xcb_shape_id);
    putFirst();
    {
        std::lock_guard lock(mutex_);
        for (xcb_window_t root : roots_)
            watchLocked(root, kRootMask);
    }
    flush();
    main_.setHoldWatcher([this](bool holding) { watchMain(holding); });
    main_.setBatchWatched(true);
    // Last: everything the thread reads is in place.
    thread_ = std::thread([this] {
        pthread_setname_np(pthread_self(), "cover keeper");
        threadId_ = std::this_thread::get_id();
        run();
    });
}

void X11CoverKeeper::putFirst()
{
    // The server serves the clients that have requests waiting in the order
    // of their priority (the sync extension's), all at 0 unless one asks.
    // Above them, covers sent are made before what another client asked for
    // at the same moment: a window manager's grab of the server to frame and
    // show the new window, a screen capture.
    constexpr std::int32_t kPriority = 1;
    const xcb_query_extension_reply_t* sync = xcb_get_extension_data(c_, &xcb_sync_id);
    if (sync && sync->present)
        xcb_sync_set_priority(c_, XCB_NONE, kPriority);
}

bool X11CoverKeeper::makeEpoll()
{
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (epoll_ < 0)
        return false;
    // The main connection's socket is watched only while the main thread
    // holds moves back (`watchMain`).
    epoll_event own{EPOLLIN, {.fd = xcb_get_file_descriptor(c_)}};
    epoll_event wake{EPOLLIN, {.fd = wake_[0]}};
    epoll_event main{EPOLLET, {.fd = main_.descriptor()}};
    return ::epoll_ctl(epoll_, EPOLL_CTL_ADD, own.data.fd, &own) == 0
           && ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake.data.fd, &wake) == 0
           && ::epoll_ctl(epoll_, EPOLL_CTL_ADD, main.data.fd, &main) == 0;
}

void X11CoverKeeper::watchMain(bool holding)
{
    // Edge-triggered: told of each new arrival, not again and again of what
    // the main thread has not read yet; and told at once of what came before
    // the hold began. Between holds nothing wakes the thread for the main
    // connection (a hot key, the replies to its reads).
    epoll_event main{holding ? std::uint32_t(EPOLLIN | EPOLLET) : std::uint32_t(EPOLLET), {.fd = main_.descriptor()}};
    ::epoll_ctl(epoll_, EPOLL_CTL_MOD, main.data.fd, &main);
}

X11CoverKeeper::~X11CoverKeeper()
{
    if (thread_.joinable()) {
        main_.setHoldWatcher({});
        main_.setBatchWatched(false);
        stopping_ = true;
        const char byte = 0;
        [[maybe_unused]] const auto written = ::write(wake_[1], &byte, 1);
        thread_.join();
    }
    for (int fd : {wake_[0], wake_[1], epoll_})
        if (fd >= 0)
            ::close(fd);
    // The windows made on the own connection go with it.
}

void X11CoverKeeper::nudge()
{
    if (thread_.joinable()) {
        const char byte = 0;
        [[maybe_unused]] const auto written = ::write(wake_[1], &byte, 1);
    }
}

void X11CoverKeeper::flush()
{
    xcb_flush(c_);
    // xcb reads what the server sent while it writes: flushed from the main
    // thread (its calls, and `handleMain`), the thread's events may now sit
    // in xcb's queue, off the socket its wait watches, until something else
    // comes. It looks at once.
    if (threadId_.load(std::memory_order_relaxed) != std::this_thread::get_id())
        nudge();
}

void X11CoverKeeper::setCovering(bool on, std::uint32_t pixel)
{
    std::lock_guard lock(mutex_);
    covering_ = on;
    pixel_ = pixel;
}

void X11CoverKeeper::setNeverCovered(const QSet<std::uint32_t>& clients)
{
    std::lock_guard lock(mutex_);
    never_ = clients;
    // (The caller may not have heard yet that the window manager went.)
    never_.remove(wmGone_);
}

void X11CoverKeeper::setWindowManager(xcb_window_t check)
{
    {
        std::lock_guard lock(mutex_);
        wmCheck_ = check;
        wmGone_ = 0;
        if (check)
            watchLocked(check, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    }
    flush();
}

void X11CoverKeeper::setUncovered(const QSet<std::uint32_t>& clients)
{
    std::lock_guard lock(mutex_);
    uncovered_ = clients;
}

void X11CoverKeeper::watchAll(const std::vector<xcb_window_t>& windows)
{
    if (!own_)
        return;
    {
        std::lock_guard lock(mutex_);
        for (xcb_window_t w : windows)
            watchLocked(w, kFrameMask);
    }
    flush();
}

std::uint32_t X11CoverKeeper::ownClient() const { return idBase_; }

xcb_window_t X11CoverKeeper::coverIn(xcb_window_t client, xcb_window_t parent)
{
    xcb_window_t cover = 0;
    {
        std::lock_guard lock(mutex_);
        cover = coverInLocked(covers_[client], client, parent);
    }
    flush();
    return cover;
}

xcb_window_t X11CoverKeeper::coverInLocked(Covers& covers, xcb_window_t client, xcb_window_t parent)
{
    if (parent == client) {
        if (!covers.inner) {
            watchLocked(client, kClientMask);
            covers.inner = makeLocked(client);
        }
        return covers.inner;
    }
    if (covers.frame == parent && covers.outer)
        return covers.outer;
    // The new one first: the client is never without a cover in its frame.
    const xcb_window_t old = covers.outer;
    if (covers.beside) {
        // Framed now: its frame's cover is above anything it draws.
        xcb_destroy_window(c_, covers.beside);
        covers.beside = covers.besideIn = 0;
    }
    watchLocked(parent, kFrameMask);
    framed_.erase(covers.frame);
    covers.frame = parent;
    covers.outer = makeLocked(parent);
    framed_[parent] = client;
    if (old)
        xcb_destroy_window(c_, old);
    return covers.outer;
}

void X11CoverKeeper::coverBeside(xcb_window_t client, xcb_window_t parent, const Rect& bounds, bool shown)
{
    {
        std::lock_guard lock(mutex_);
        const auto it = covers_.find(client);
        if (it == covers_.end() || !it->second.inner)
            return; // uncovered meanwhile
        besideLocked(it->second, client, parent, bounds, shown);
    }
    flush();
}

void X11CoverKeeper::besideLocked(Covers& covers, xcb_window_t client, xcb_window_t parent, const Rect& bounds,
                                  bool shown)
{
    if (covers.beside && covers.besideIn != parent) {
        xcb_destroy_window(c_, covers.beside);
        covers.beside = 0;
    }
    if (!covers.beside) {
        watchLocked(parent, kFrameMask); // its client's moves, restacks, maps
        covers.beside = xcb_generate_id(c_);
        covers.besideIn = parent;
        const std::uint32_t values[] = {pixel_, 1};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, covers.beside, parent, std::int16_t(bounds.x),
                          std::int16_t(bounds.y), sizeOf(bounds.width), sizeOf(bounds.height), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_shape_rectangles(c_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, covers.beside, 0, 0,
                             0, nullptr);
        const std::uint32_t pid = std::uint32_t(::getpid());
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, covers.beside, pidAtom_, XCB_ATOM_CARDINAL, 32, 1, &pid);
    } else {
        const std::uint32_t values[] = {std::uint32_t(std::int32_t(bounds.x)), std::uint32_t(std::int32_t(bounds.y)),
                                        sizeOf(bounds.width), sizeOf(bounds.height)};
        xcb_configure_window(
            c_, covers.beside,
            XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    }
    restackBesideLocked(covers, client);
    if (shown)
        xcb_map_window(c_, covers.beside);
}

void X11CoverKeeper::restackBesideLocked(const Covers& covers, xcb_window_t client)
{
    const std::uint32_t values[] = {client, XCB_STACK_MODE_ABOVE};
    xcb_configure_window(c_, covers.beside, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
}

void X11CoverKeeper::destroyLocked(const Covers& covers, bool clientGone)
{
    // Windows already gone with their parent answer BadWindow, which is dropped.
    for (xcb_window_t w : {covers.outer, covers.beside, clientGone ? 0 : covers.inner})
        if (w)
            xcb_destroy_window(c_, w);
}

void X11CoverKeeper::unframe(xcb_window_t client, xcb_window_t frame, bool frameGone)
{
    {
        std::lock_guard lock(mutex_);
        if (const auto it = covers_.find(client); it != covers_.end())
            unframeLocked(it->second, frame, frameGone);
    }
    flush();
}

void X11CoverKeeper::unframeLocked(Covers& covers, xcb_window_t frame, bool frameGone)
{
    if (covers.frame != frame)
        return; // in another frame already
    if (!frameGone && covers.outer)
        xcb_destroy_window(c_, covers.outer);
    framed_.erase(covers.frame);
    covers.frame = covers.outer = 0;
}

void X11CoverKeeper::eraseLocked(xcb_window_t client)
{
    if (const auto it = covers_.find(client); it != covers_.end()) {
        framed_.erase(it->second.frame);
        covers_.erase(it);
    }
}

void X11CoverKeeper::uncover(xcb_window_t client, bool clientGone)
{
    {
        std::lock_guard lock(mutex_);
        const auto it = covers_.find(client);
        if (it == covers_.end())
            return;
        destroyLocked(it->second, clientGone);
        eraseLocked(client);
    }
    flush();
}

void X11CoverKeeper::retain(const QSet<xcb_window_t>& clients)
{
    std::vector<xcb_window_t> others;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [client, covers] : covers_)
            if (!clients.contains(client))
                others.push_back(client);
    }
    for (xcb_window_t client : others)
        uncover(client, false);
}

void X11CoverKeeper::raiseUnflushed(xcb_window_t cover)
{
    const std::uint32_t mode = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c_, cover, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
}

void X11CoverKeeper::handleMain(const xcb_generic_event_t& event) { handle(event); }

xcb_window_t X11CoverKeeper::makeLocked(xcb_window_t parent)
{
    const xcb_window_t w = xcb_generate_id(c_);
    // Value order follows the mask bits: background pixel, override-redirect.
    const std::uint32_t values[] = {pixel_, 1};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, parent, 0, 0, reachWidth_, reachHeight_, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT,
                      values);
    // Clicks go through to the client.
    xcb_shape_rectangles(c_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, w, 0, 0, 0, nullptr);
    // Named as the program's own, for whoever looks at the tree.
    const std::uint32_t pid = std::uint32_t(::getpid());
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, pidAtom_, XCB_ATOM_CARDINAL, 32, 1, &pid);
    // A new child stands above its siblings already.
    xcb_map_window(c_, w);
    return w;
}

void X11CoverKeeper::watchLocked(xcb_window_t window, std::uint32_t mask)
{
    // Only the thread's own connection: the main one keeps its own selections.
    if (!own_)
        return;
    std::uint32_t& selected = masks_[window];
    if ((selected | mask) == selected)
        return;
    selected |= mask;
    // Unchecked: a window gone meanwhile answers an error, which is dropped.
    xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &selected);
}

bool X11CoverKeeper::isRoot(xcb_window_t window) const
{
    return std::find(roots_.begin(), roots_.end(), window) != roots_.end();
}

bool X11CoverKeeper::ownsLocked(xcb_window_t window) const { return (window & ~idMask_) == idBase_; }

bool X11CoverKeeper::framesLocked(xcb_window_t parent) const
{
    // The window manager's windows (and this program's) hold clients as
    // frames; any other client's window holds them as its own content.
    return never_.contains(parent & ~idMask_);
}

X11CoverKeeper::Covers* X11CoverKeeper::coversIn(xcb_window_t parent, xcb_window_t* mine)
{
    if (const auto it = covers_.find(parent); it != covers_.end() && it->second.inner) {
        *mine = it->second.inner;
        return &it->second;
    }
    if (const auto f = framed_.find(parent); f != framed_.end())
        if (const auto it = covers_.find(f->second); it != covers_.end() && it->second.outer) {
            *mine = it->second.outer;
            return &it->second;
        }
    return nullptr;
}

// ---- The thread ----

void X11CoverKeeper::run()
{
    const int mainFd = main_.descriptor();
    while (!stopping_ && !xcb_connection_has_error(c_)) {
        epoll_event ready[3];
        const int n = ::epoll_wait(epoll_, ready, 3, -1);
        bool own = n < 0; // interrupted: look anyway
        for (int i = 0; i < n; ++i) {
            if (ready[i].data.fd == mainFd) {
                main_.endBatchIfUrgent();
                continue;
            }
            own = true;
            if (ready[i].data.fd == wake_[0]) {
                char drained[64];
                while (::read(wake_[0], drained, sizeof drained) > 0) {
                }
            }
        }
        // (Woken for the main connection alone, its own has nothing new.)
        while (XcbReply<xcb_generic_event_t> e{own ? xcb_poll_for_event(c_) : nullptr})
            handle(*e);
    }
    if (stopping_)
        return;
    // Nothing watches the main connection for it any more: moves are not
    // held back where nothing would end a batch for a hot key.
    main_.setBatchWatched(false);
    if (listener_.lost)
        listener_.lost();
}

void X11CoverKeeper::handle(const xcb_generic_event_t& event)
{
    switch (event.response_type & 0x7f) {
    case XCB_CREATE_NOTIFY: created(reinterpret_cast<const xcb_create_notify_event_t&>(event)); return;
    case XCB_REPARENT_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        reparented(e.window, e.parent);
        return;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (e.event == e.window) {
            if (isRoot(e.window))
                screenResized(e.window, e.width, e.height);
            return;
        }
        configured(e);
        if (!isRoot(e.event))
            restacked(e.event, e.window, e.above_sibling, false);
        return;
    }
    case XCB_CIRCULATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_circulate_notify_event_t&>(event);
        if (e.event != e.window && e.place == XCB_PLACE_ON_TOP) {
            shown(e.event, e.window, std::nullopt);
            if (!isRoot(e.event))
                restacked(e.event, e.window, 0, true);
        }
        return;
    }
    case XCB_MAP_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (e.event != e.window)
            shown(e.event, e.window, true);
        return;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (e.event != e.window)
            shown(e.event, e.window, false);
        return;
    }
    case XCB_DESTROY_NOTIFY: destroyed(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window); return;
    default: return;
    }
}

void X11CoverKeeper::created(const xcb_create_notify_event_t& event)
{
    const xcb_window_t window = event.window, parent = event.parent;
    const bool overrideRedirect = event.override_redirect;
    std::unique_lock lock(mutex_);
    if (ownsLocked(window))
        return;
    const std::uint32_t client = window & ~idMask_;
    const bool top = isRoot(parent);
    // Embedded: made by one client inside another's window (not a frame).
    const bool embedded = !top && client != (parent & ~idMask_) && !framesLocked(parent);
    xcb_window_t mine = 0;
    const bool aboveOurs = !top && coversIn(parent, &mine);
    const bool followed = covering_ && !never_.contains(client);
    const bool cover =
        followed && (top || embedded) && !covers_.count(window) && !(overrideRedirect && uncovered_.contains(client));
    if (cover) {
        watchLocked(window, kClientMask);
        Covers& covers = covers_[window];
        covers.inner = makeLocked(window);
        // No window manager frames it: its drawing through its children
        // reaches past the cover inside it, not the one beside it.
        if (top ? overrideRedirect || !wmCheck_ : embedded) {
            const double outside = 2.0 * event.border_width;
            besideLocked(covers, window, parent, Rect(event.x, event.y, event.width + outside, event.height + outside),
                         false);
        }
    } else if (followed) {
        watchLocked(window, kFrameMask); // windows made in it
    }
    lock.unlock();
    if (aboveOurs)
        raiseUnflushed(mine); // a new child stands above ours
    flush();
    // The main connection hears only of its own screen's top-levels.
    if (followed && (embedded || (top && parent != main_.root())) && listener_.seen)
        listener_.seen(window, overrideRedirect);
}

void X11CoverKeeper::reparented(xcb_window_t window, xcb_window_t parent)
{
    std::unique_lock lock(mutex_);
    if (ownsLocked(window))
        return;
    if (const auto it = covers_.find(window); it != covers_.end()) {
        if (it->second.beside && it->second.besideIn != parent) {
            // Left the parent it shared with its sibling cover (the main
            // thread gives it a new one where it is still unframed).
            xcb_destroy_window(c_, it->second.beside);
            it->second.beside = it->second.besideIn = 0;
        }
        if (isRoot(parent) || !framesLocked(parent))
            unframeLocked(it->second, it->second.frame, false); // on its own, or held by another client
        else
            coverInLocked(it->second, window, parent);
        lock.unlock();
        flush();
        return;
    }
    // A window put into a covered one lands on top of its new siblings.
    xcb_window_t mine = 0;
    if (!isRoot(parent) && coversIn(parent, &mine)) {
        lock.unlock();
        raiseUnflushed(mine);
        flush();
    }
}

void X11CoverKeeper::restacked(xcb_window_t parent, xcb_window_t window, xcb_window_t below, bool onTop)
{
    std::unique_lock lock(mutex_);
    xcb_window_t mine = 0;
    // Raised directly over ours (or circulated to the top): ours goes back on top.
    if (ownsLocked(window) || !coversIn(parent, &mine) || (!onTop && below != mine))
        return;
    lock.unlock();
    raiseUnflushed(mine);
    flush();
}

void X11CoverKeeper::destroyed(xcb_window_t window)
{
    std::unique_lock lock(mutex_);
    masks_.erase(window);
    if (window == wmCheck_ && wmCheck_) {
        wmGone_ = window & ~idMask_;
        never_.remove(wmGone_);
        wmCheck_ = 0;
    }
    // The client's inner cover went with it; its frame's goes now. A frame's
    // cover went with the frame.
    bool sent = false;
    if (const auto it = covers_.find(window); it != covers_.end()) {
        sent = it->second.outer || it->second.beside;
        destroyLocked(it->second, true);
        eraseLocked(window);
    }
    if (const auto f = framed_.find(window); f != framed_.end()) {
        if (const auto it = covers_.find(f->second); it != covers_.end())
            it->second.frame = it->second.outer = 0;
        framed_.erase(f);
    }
    lock.unlock();
    if (sent)
        flush();
}

void X11CoverKeeper::configured(const xcb_configure_notify_event_t& event)
{
    std::unique_lock lock(mutex_);
    if (ownsLocked(event.window))
        return;
    if (const auto it = covers_.find(event.window);
        it != covers_.end() && it->second.beside && it->second.besideIn == event.event) {
        // Moved, resized or restacked: its sibling follows, border included.
        const double outside = 2.0 * event.border_width;
        besideLocked(it->second, event.window, event.event,
                     Rect(event.x, event.y, event.width + outside, event.height + outside), false);
    } else if (const auto below = covers_.find(event.above_sibling);
               below != covers_.end() && below->second.beside && below->second.besideIn == event.event) {
        // Put directly above a covered client, between it and its sibling
        // cover: the cover goes back between them, so that it stays in view.
        restackBesideLocked(below->second, event.above_sibling);
    } else {
        return;
    }
    lock.unlock();
    flush();
}

void X11CoverKeeper::shown(xcb_window_t parent, xcb_window_t window, std::optional<bool> mapped)
{
    std::unique_lock lock(mutex_);
    const auto it = covers_.find(window);
    if (it == covers_.end() || !it->second.beside || it->second.besideIn != parent)
        return;
    restackBesideLocked(it->second, window);
    if (mapped == true)
        xcb_map_window(c_, it->second.beside);
    else if (mapped == false)
        xcb_unmap_window(c_, it->second.beside);
    lock.unlock();
    flush();
}

void X11CoverKeeper::screenResized(xcb_window_t root, std::uint16_t width, std::uint16_t height)
{
    std::unique_lock lock(mutex_);
    const auto at = std::find(roots_.begin(), roots_.end(), root);
    screenSizes_[std::size_t(at - roots_.begin())] = {width, height};
    std::uint16_t w = 1, h = 1;
    for (const auto& [sw, sh] : screenSizes_) {
        w = std::max(w, sw);
        h = std::max(h, sh);
    }
    // Grown only: a cover larger than what it covers shows nothing more.
    if (w <= reachWidth_ && h <= reachHeight_)
        return;
    reachWidth_ = std::max(w, reachWidth_);
    reachHeight_ = std::max(h, reachHeight_);
    const std::uint32_t values[] = {reachWidth_, reachHeight_};
    for (const auto& [client, covers] : covers_)
        for (xcb_window_t cover : {covers.inner, covers.outer})
            if (cover)
                xcb_configure_window(c_, cover, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    lock.unlock();
    flush();
}

} // namespace tavrin
