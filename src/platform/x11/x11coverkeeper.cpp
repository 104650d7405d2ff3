#include "platform/x11/x11coverkeeper.h"

#include "platform/x11/x11connection.h"
#include "platform/x11/x11veilcover.h"

#include <QDebug>
#include <fcntl.h>
#include <sys/epoll.h>
#include <unistd.h>
#include <xcb/shape.h>

namespace tavrin {

namespace {
constexpr std::uint32_t kClientMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
constexpr std::uint32_t kFrameMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
} // namespace

X11CoverKeeper::X11CoverKeeper(X11Connection& main) : main_(main)
{
    QString error;
    own_ = X11Connection::open(main.displayName(), &error, X11Connection::Events::dropped);
    X11Connection& conn = own_ ? *own_ : main;
    c_ = conn.xcb();
    root_ = conn.root();
    pidAtom_ = conn.ewmh()->_NET_WM_PID;
    idMask_ = xcb_get_setup(c_)->resource_id_mask;
    // The shape extension's data is asked for now, in a bounded wait, not
    // by the first cover in the middle of a window's appearing.
    xcb_prefetch_extension_data(c_, &xcb_shape_id);
    if (!own_ || !conn.sync() || ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0 || !makeEpoll()) {
        if (!own_)
            qWarning("Covers are made on the main thread: %s", qPrintable(error));
        own_.reset();
        c_ = main.xcb();
        return;
    }
    xcb_get_extension_data(c_, &xcb_shape_id);
    watch(root_, kFrameMask);
    xcb_flush(c_);
    thread_ = std::thread([this] { run(); });
    main_.setBatchWatched(true);
}

bool X11CoverKeeper::makeEpoll()
{
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (epoll_ < 0)
        return false;
    // The main connection's socket edge-triggered: told of each new arrival,
    // not again and again of what the main thread has not read yet.
    epoll_event own{EPOLLIN, {.fd = xcb_get_file_descriptor(c_)}};
    epoll_event wake{EPOLLIN, {.fd = wake_[0]}};
    epoll_event main{EPOLLIN | EPOLLET, {.fd = main_.descriptor()}};
    return ::epoll_ctl(epoll_, EPOLL_CTL_ADD, own.data.fd, &own) == 0
           && ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake.data.fd, &wake) == 0
           && ::epoll_ctl(epoll_, EPOLL_CTL_ADD, main.data.fd, &main) == 0;
}

X11CoverKeeper::~X11CoverKeeper()
{
    if (thread_.joinable()) {
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
    // A request sent from another thread may have read events off the
    // socket into xcb's queue, where the thread's wait does not see them.
    if (thread_.joinable() && std::this_thread::get_id() != thread_.get_id()) {
        const char byte = 0;
        [[maybe_unused]] const auto written = ::write(wake_[1], &byte, 1);
    }
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
}

void X11CoverKeeper::setUncovered(const QSet<std::uint32_t>& clients)
{
    std::lock_guard lock(mutex_);
    uncovered_ = clients;
}

std::uint32_t X11CoverKeeper::ownClient() const { return xcb_get_setup(c_)->resource_id_base & ~idMask_; }

xcb_window_t X11CoverKeeper::coverIn(xcb_window_t client, xcb_window_t parent)
{
    xcb_window_t cover = 0;
    {
        std::lock_guard lock(mutex_);
        cover = coverInLocked(covers_[client], client, parent);
    }
    nudge();
    return cover;
}

xcb_window_t X11CoverKeeper::coverInLocked(Covers& covers, xcb_window_t client, xcb_window_t parent)
{
    if (parent == client) {
        if (!covers.inner) {
            watch(client, kClientMask);
            covers.inner = makeLocked(client);
        }
        return covers.inner;
    }
    if (covers.frame == parent && covers.outer)
        return covers.outer;
    // The new one first: the client is never without a cover in its frame.
    const xcb_window_t old = covers.outer;
    watch(parent, kFrameMask);
    covers.frame = parent;
    covers.outer = makeLocked(parent);
    if (old)
        xcb_destroy_window(c_, old);
    xcb_flush(c_);
    return covers.outer;
}

void X11CoverKeeper::unframe(xcb_window_t client, xcb_window_t frame, bool frameGone)
{
    {
        std::lock_guard lock(mutex_);
        if (const auto it = covers_.find(client); it != covers_.end())
            unframeLocked(it->second, frame, frameGone);
    }
    nudge();
}

void X11CoverKeeper::unframeLocked(Covers& covers, xcb_window_t frame, bool frameGone)
{
    if (covers.frame != frame)
        return; // in another frame already
    if (!frameGone && covers.outer)
        xcb_destroy_window(c_, covers.outer);
    covers.frame = covers.outer = 0;
    xcb_flush(c_);
}

void X11CoverKeeper::uncover(xcb_window_t client, bool clientGone)
{
    {
        std::lock_guard lock(mutex_);
        const auto it = covers_.find(client);
        if (it == covers_.end())
            return;
        // Windows already gone with their parent answer BadWindow, which is dropped.
        for (xcb_window_t w : {it->second.outer, clientGone ? 0 : it->second.inner})
            if (w)
                xcb_destroy_window(c_, w);
        covers_.erase(it);
        xcb_flush(c_);
    }
    nudge();
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

void X11CoverKeeper::raise(xcb_window_t cover)
{
    if (!cover)
        return;
    const std::uint32_t mode = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c_, cover, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
    xcb_flush(c_);
    nudge();
}

xcb_window_t X11CoverKeeper::makeLocked(xcb_window_t parent)
{
    const xcb_window_t w = xcb_generate_id(c_);
    // Value order follows the mask bits: background pixel, override-redirect.
    const std::uint32_t values[] = {pixel_, 1};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, parent, 0, 0, X11VeilCover::kReach, X11VeilCover::kReach, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT,
                      values);
    // Clicks go through to the client.
    xcb_shape_rectangles(c_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, w, 0, 0, 0, nullptr);
    // Named as the program's own, for whoever looks at the tree.
    const std::uint32_t pid = std::uint32_t(::getpid());
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, pidAtom_, XCB_ATOM_CARDINAL, 32, 1, &pid);
    // A new child stands above its siblings already.
    xcb_map_window(c_, w);
    xcb_flush(c_);
    return w;
}

void X11CoverKeeper::watch(xcb_window_t window, std::uint32_t mask)
{
    // Unchecked: a window gone meanwhile answers an error, which is dropped.
    if (own_)
        xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
}

bool X11CoverKeeper::ownsLocked(xcb_window_t window) const
{
    return (window & ~idMask_) == (xcb_get_setup(c_)->resource_id_base & ~idMask_);
}

X11CoverKeeper::Covers* X11CoverKeeper::coversIn(xcb_window_t parent, xcb_window_t* mine)
{
    if (const auto it = covers_.find(parent); it != covers_.end() && it->second.inner) {
        *mine = it->second.inner;
        return &it->second;
    }
    for (auto& [client, covers] : covers_)
        if (covers.frame == parent && covers.outer) {
            *mine = covers.outer;
            return &covers;
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
}

void X11CoverKeeper::handle(const xcb_generic_event_t& event)
{
    switch (event.response_type & 0x7f) {
    case XCB_CREATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        created(e.window, e.parent);
        return;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        // Told by the window itself, or by the root it leaves (a new
        // top-level may be reparented before it is watched), or by the
        // covered window it is put in.
        if (e.event == e.window || e.event == root_ || e.event == e.parent)
            reparented(e.window, e.parent);
        return;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (e.event != e.window && e.event != root_)
            restacked(e.event, e.window, e.above_sibling, false);
        return;
    }
    case XCB_CIRCULATE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_circulate_notify_event_t&>(event);
        if (e.event != e.window && e.event != root_ && e.place == XCB_PLACE_ON_TOP)
            restacked(e.event, e.window, 0, true);
        return;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (e.event == e.window || e.event == root_)
            destroyed(e.window);
        return;
    }
    default: return;
    }
}

void X11CoverKeeper::created(xcb_window_t window, xcb_window_t parent)
{
    std::unique_lock lock(mutex_);
    if (ownsLocked(window))
        return;
    if (parent != root_) {
        // A new child stands above ours.
        xcb_window_t mine = 0;
        if (coversIn(parent, &mine)) {
            lock.unlock();
            raise(mine);
        }
        return;
    }
    const std::uint32_t client = window & ~idMask_;
    if (!covering_ || never_.contains(client) || uncovered_.contains(client) || covers_.count(window))
        return;
    watch(window, kClientMask);
    covers_[window].inner = makeLocked(window);
}

void X11CoverKeeper::reparented(xcb_window_t window, xcb_window_t parent)
{
    std::unique_lock lock(mutex_);
    if (ownsLocked(window))
        return;
    if (const auto it = covers_.find(window); it != covers_.end()) {
        if (parent == root_)
            unframeLocked(it->second, it->second.frame, false);
        else
            coverInLocked(it->second, window, parent);
        return;
    }
    // A window put into a covered one lands on top of its new siblings.
    xcb_window_t mine = 0;
    if (parent != root_ && coversIn(parent, &mine)) {
        lock.unlock();
        raise(mine);
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
    raise(mine);
}

void X11CoverKeeper::destroyed(xcb_window_t window)
{
    std::lock_guard lock(mutex_);
    // The client's inner cover went with it; its frame's goes now. A frame's
    // cover went with the frame.
    if (const auto it = covers_.find(window); it != covers_.end()) {
        if (it->second.outer)
            xcb_destroy_window(c_, it->second.outer);
        covers_.erase(it);
        xcb_flush(c_);
    }
    for (auto& [client, covers] : covers_)
        if (covers.frame == window)
            covers.frame = covers.outer = 0;
}

} // namespace tavrin
