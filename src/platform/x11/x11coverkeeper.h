#pragma once

#include <QSet>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>
#include <xcb/xcb.h>

namespace tavrin {

class X11Connection;

// The windows of the covers (see X11VeilCover), made and kept on top from a
// thread of its own on a connection of its own, so that how soon a cover
// stands never depends on what the main thread is doing: a new top-level is
// covered as soon as the server tells of it, the window manager's frame as
// soon as the window is reparented into it, and a cover is raised again as
// soon as a window of the client's or the frame's is created, raised or
// reparented above it. The main thread judges windows (their class and
// process) and says here which clients never get a cover and which were
// judged not to; it asks for, labels and takes away the covers through the
// calls below, which give it the windows the thread made already.
//
// The thread also watches the main connection's socket while that holds
// window moves back for a batch (see X11Connection::batchMovesOn): the
// server tells both connections of a move at once, so one wake-up serves both.
//
// Where no connection of its own can be opened, the covers are made on the
// main thread's connection, from its events, as they come there.
class X11CoverKeeper {
public:
    explicit X11CoverKeeper(X11Connection& main);
    ~X11CoverKeeper();
    X11CoverKeeper(const X11CoverKeeper&) = delete;
    X11CoverKeeper& operator=(const X11CoverKeeper&) = delete;

    // Covering new windows on (filled with `pixel`) or off.
    void setCovering(bool on, std::uint32_t pixel);
    // The client part of window ids (see `clientOf`) whose new top-levels are
    // never covered: this program's connections, the window manager's.
    void setNeverCovered(const QSet<std::uint32_t>& clients);
    // The clients whose windows were all judged not to be covered: their new
    // top-levels are not covered either.
    void setUncovered(const QSet<std::uint32_t>& clients);
    // The client part of this keeper's own window ids.
    std::uint32_t ownClient() const;

    // The window that covers `client` standing in `parent` (the client
    // itself, or the frame that holds it, which replaces an earlier frame's),
    // made now unless the thread made it already.
    xcb_window_t coverIn(xcb_window_t client, xcb_window_t parent);
    // The client left `frame` (or `frame` went): that cover is forgotten,
    // and taken away unless `frameGone`.
    void unframe(xcb_window_t client, xcb_window_t frame, bool frameGone);
    // Takes away every cover of the client (those the server still has);
    // `clientGone`: they went with it, only forgotten.
    void uncover(xcb_window_t client, bool clientGone);
    // Takes away the covers of every client but these.
    void retain(const QSet<xcb_window_t>& clients);
    // Puts a cover window back above its siblings.
    void raise(xcb_window_t cover);

private:
    struct Covers {
        xcb_window_t inner = 0;
        xcb_window_t frame = 0;
        xcb_window_t outer = 0;
    };

    void run();
    void nudge();
    void handle(const xcb_generic_event_t& event);
    void created(xcb_window_t window, xcb_window_t parent);
    void reparented(xcb_window_t window, xcb_window_t parent);
    void restacked(xcb_window_t parent, xcb_window_t window, xcb_window_t below, bool onTop);
    void destroyed(xcb_window_t window);
    // Locked: the covers that stand in `parent` (as client or frame), if any.
    Covers* coversIn(xcb_window_t parent, xcb_window_t* mine);
    bool ownsLocked(xcb_window_t window) const;
    xcb_window_t coverInLocked(Covers& covers, xcb_window_t client, xcb_window_t parent);
    void unframeLocked(Covers& covers, xcb_window_t frame, bool frameGone);
    xcb_window_t makeLocked(xcb_window_t parent);
    void watch(xcb_window_t window, std::uint32_t mask);
    // The thread's wait on both connections and its wake-up pipe; false if it cannot be made.
    bool makeEpoll();

    X11Connection& main_;
    std::unique_ptr<X11Connection> own_;
    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = 0;
    std::uint32_t idMask_ = 0;

    mutable std::mutex mutex_;
    bool covering_ = false;
    std::uint32_t pixel_ = 0;
    QSet<std::uint32_t> never_;
    QSet<std::uint32_t> uncovered_;
    std::unordered_map<xcb_window_t, Covers> covers_; // by client

    int wake_[2] = {-1, -1};
    int epoll_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace tavrin
