#pragma once

#include "platform/geometry.h"

#include <QSet>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>
#include <xcb/xcb.h>

namespace tavrin {

class X11Connection;

// The windows of the covers (see X11VeilCover), made and kept on top from a
// thread of its own on a connection of its own, so that how soon a cover
// stands never depends on what the main thread is doing: a new top-level (on
// any screen) or a window one client makes inside another's (an embedded
// terminal, a toolkit's foreign-parent window) is covered as soon as the
// server tells of it, the window manager's frame as soon as the window is
// reparented into it, and a cover is raised again as soon as a window of the
// client's or the frame's is created, raised or reparented above it. The main
// thread judges windows (their class and process) and says here which
// clients never get a cover and which were judged not to; it asks for,
// labels and takes away the covers through the calls below, which give it
// the windows the thread made already.
//
// The server serves the thread's connection before other clients whose
// requests wait at the same moment: a cover sent while the window manager
// holds the server to frame and show a window is made as soon as it lets go,
// before a screen capture or a compositor sees the window.
//
// A window is covered where it stands: inside itself, and inside the window
// manager's frame around it. A window held by another client's window is
// covered inside itself only, so that its host stays in view. A window no
// window manager frames (one that bypasses it, or one held by another
// client's window) is also covered by a sibling stacked directly above it,
// border included, that follows it: its own drawing through its children (a
// GC or picture that includes inferiors) paints over the cover inside it.
//
// A cover reaches as far as the largest screen from its parent's top left,
// and grows with the screens: a growing window is covered before any event
// tells of it, and the server, which keeps a picture of a cover whose parent
// redirects its children, never has to keep one larger than a screen.
//
// The thread also watches the main connection's socket while that holds
// window moves back for a batch (see X11Connection::batchMovesOn): the
// server tells both connections of a move at once, so one wake-up serves both.
//
// Where no connection of its own can be opened, the covers are made on the
// main thread's connection, from its events, as they come there.
//
// Shared state is behind one lock, never held across a flush or a round
// trip. The public calls are the main thread's; the thread and the main
// thread's early handlers (`handleMain`) both make covers from what their
// connections hear, whichever hears first, and neither makes one twice.
class X11CoverKeeper {
public:
    // What the thread tells the main thread, from the thread.
    struct Listener {
        // A window the main connection does not hear of (made inside another
        // client's window, or on another screen's root): to be judged.
        std::function<void(xcb_window_t window, bool overrideRedirect)> seen;
        // The connection went (another client killed it, the server dropped
        // it): its covers went with it and nothing more is covered here.
        std::function<void()> lost;
    };

    X11CoverKeeper(X11Connection& main, Listener listener);
    ~X11CoverKeeper();
    X11CoverKeeper(const X11CoverKeeper&) = delete;
    X11CoverKeeper& operator=(const X11CoverKeeper&) = delete;

    // Whether the covers are kept on a connection of their own, by the thread.
    bool ownConnection() const { return own_ != nullptr; }
    // Why no connection of its own could be opened (empty when it was).
    QString problem() const { return problem_; }

    // Covering new windows on (filled with `pixel`) or off.
    void setCovering(bool on, std::uint32_t pixel);
    // The client part of window ids (see `clientOf`) whose new windows are
    // never covered: this program's connections, the window manager's. A
    // window put in one of theirs is framed, not embedded.
    void setNeverCovered(const QSet<std::uint32_t>& clients);
    // The window manager's check window (0: none). When it goes, the window
    // manager's client part is no longer never covered, at once, whatever
    // the main thread has heard: the server gives those ids to the next
    // client that connects, and its first window is covered.
    void setWindowManager(xcb_window_t check);
    // The clients whose windows were all judged not to be covered: their new
    // popups (windows that bypass the window manager) are not covered. Their
    // other new windows are, until judged.
    void setUncovered(const QSet<std::uint32_t>& clients);
    // Watches these windows for windows made in them (a scan found them).
    void watchAll(const std::vector<xcb_window_t>& windows);
    // The client part of this keeper's own window ids.
    std::uint32_t ownClient() const;

    // The window that covers `client` standing in `parent` (the client
    // itself, or the frame that holds it, which replaces an earlier frame's),
    // made now unless the thread made it already.
    xcb_window_t coverIn(xcb_window_t client, xcb_window_t parent);
    // The client, which no window manager frames, stands in `parent` at
    // `bounds` (its border included), shown or not: covered there by a
    // sibling directly above it too, made now unless the thread made it.
    void coverBeside(xcb_window_t client, xcb_window_t parent, const Rect& bounds, bool shown);
    // The client left `frame` (or `frame` went): that cover is forgotten,
    // and taken away unless `frameGone`.
    void unframe(xcb_window_t client, xcb_window_t frame, bool frameGone);
    // Takes away every cover of the client (those the server still has);
    // `clientGone`: they went with it, only forgotten.
    void uncover(xcb_window_t client, bool clientGone);
    // Takes away the covers of every client but these, once covering is off
    // (while it is on, the thread covers windows the caller has not heard of yet).
    void retain(const QSet<xcb_window_t>& clients);
    // An event of the main connection, as soon as it is read: covers are
    // made and kept from these too (the main connection watches the root and
    // what it covers), by whichever thread hears first; where the keeper has
    // no connection of its own, from these alone.
    void handleMain(const xcb_generic_event_t& event);

private:
    struct Covers {
        xcb_window_t inner = 0;
        xcb_window_t frame = 0;
        xcb_window_t outer = 0;
        // The sibling above an unframed client, and the parent they share.
        xcb_window_t beside = 0;
        xcb_window_t besideIn = 0;
    };

    void run();
    // Wakes the thread to look at xcb's queue.
    void nudge();
    // Sends what is queued on the keeper's connection (waking the thread
    // when called from another).
    void flush();
    void handle(const xcb_generic_event_t& event);
    void created(const xcb_create_notify_event_t& event);
    void reparented(xcb_window_t window, xcb_window_t parent);
    void restacked(xcb_window_t parent, xcb_window_t window, xcb_window_t below, bool onTop);
    void destroyed(xcb_window_t window);
    // A window in a watched parent moved, resized or restacked: a sibling
    // cover follows its client and stays directly above it.
    void configured(const xcb_configure_notify_event_t& event);
    // A window in a watched parent was mapped or unmapped (none: raised to
    // the top): a sibling cover shows and stacks as its client does.
    void shown(xcb_window_t parent, xcb_window_t window, std::optional<bool> mapped);
    // A screen took this size: covers grow with the largest.
    void screenResized(xcb_window_t root, std::uint16_t width, std::uint16_t height);
    bool isRoot(xcb_window_t window) const;
    // Locked: the covers that stand in `parent` (as client or frame), if any.
    Covers* coversIn(xcb_window_t parent, xcb_window_t* mine);
    bool ownsLocked(xcb_window_t window) const;
    // Locked: whether a window put in `parent` is framed by the window manager
    // (rather than embedded in another client's window).
    bool framesLocked(xcb_window_t parent) const;
    xcb_window_t coverInLocked(Covers& covers, xcb_window_t client, xcb_window_t parent);
    void unframeLocked(Covers& covers, xcb_window_t frame, bool frameGone);
    void eraseLocked(xcb_window_t client);
    xcb_window_t makeLocked(xcb_window_t parent);
    // Locked: `covers.beside`, made in `parent` over the client at `bounds`, or moved there.
    void besideLocked(Covers& covers, xcb_window_t client, xcb_window_t parent, const Rect& bounds, bool shown);
    // Locked: takes away every cover of the client but the one inside it
    // (`clientGone`: that one too is only forgotten).
    void destroyLocked(const Covers& covers, bool clientGone);
    // Locked: puts a client's sibling cover directly above it again.
    void restackBesideLocked(const Covers& covers, xcb_window_t client);
    void raiseUnflushed(xcb_window_t cover);
    // Locked: adds to what the keeper's connection selects on a window.
    void watchLocked(xcb_window_t window, std::uint32_t mask);
    // Asks the server to serve this connection before others that wait.
    void putFirst();
    // The thread's wait on both connections and its wake-up pipe; false if it cannot be made.
    bool makeEpoll();
    // Whether the wait includes the main connection's socket: while the main
    // thread holds moves back.
    void watchMain(bool holding);

    X11Connection& main_;
    Listener listener_;
    std::unique_ptr<X11Connection> own_;
    QString problem_;
    xcb_connection_t* c_ = nullptr;
    std::vector<xcb_window_t> roots_;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> screenSizes_; // by root, as `roots_`
    xcb_atom_t pidAtom_ = 0;
    std::uint32_t idMask_ = 0;
    std::uint32_t idBase_ = 0;

    mutable std::mutex mutex_;
    bool covering_ = false;
    std::uint32_t pixel_ = 0;
    // How far a cover reaches from its parent's top left: the largest screen's width and height.
    std::uint16_t reachWidth_ = 1;
    std::uint16_t reachHeight_ = 1;
    QSet<std::uint32_t> never_;
    QSet<std::uint32_t> uncovered_;
    xcb_window_t wmCheck_ = 0;
    std::uint32_t wmGone_ = 0;                              // the client part of a window manager seen to go
    std::unordered_map<xcb_window_t, Covers> covers_;       // by client
    std::unordered_map<xcb_window_t, xcb_window_t> framed_; // frame → client
    std::unordered_map<xcb_window_t, std::uint32_t> masks_; // what is selected on each window

    int wake_[2] = {-1, -1};
    int epoll_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    // The thread's id once it runs, for telling its flushes from the main thread's.
    std::atomic<std::thread::id> threadId_{};
};

} // namespace tavrin
