#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/x11/x11atoms.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

class QSocketNotifier;
struct xcb_res_query_client_ids_reply_t;

namespace tavrin {

class Clock;

// A reply of libxcb, freed with free().
struct XcbFree {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using XcbReply = std::unique_ptr<T, XcbFree>;

// One connection to the X server, shared by every service of the X11 desktop.
//
// Requests never wait without a bound: a batch of requests is sent, then
// `sync(timeout)` waits for the server to have answered all of them (a round
// trip that the server answers after every earlier request), after which the
// replies are collected without blocking. Events are read on the main loop
// and handed to the registered handlers; events read while a call waits are
// kept (in xcb's queue, or here) and handed out after that call has
// returned, never in the middle of it, at the latest before the main loop
// next sleeps — except to the early handlers, which see every event as soon
// as it is read, also in the middle of a wait (work that must not wait for
// the main loop, such as covering a new window before it shows).
class X11Connection : public QObject {
    Q_OBJECT
public:
    // How long a request to the server may take when no caller says otherwise.
    static constexpr double kDefaultTimeout = 1.0;

    // What becomes of the events the server sends: read on the main loop
    // and handed to the handlers; or never handed out, for a connection no
    // main loop watches (one a thread of its own uses): its owner polls xcb
    // for the events it wants, and those a wait here (sync, waitForEvent)
    // takes off xcb's queue are freed unseen.
    enum class Events { dispatched, dropped };

    // Opens the display named by `display` (empty: $DISPLAY). On failure
    // answers null and says why in `error`.
    static std::unique_ptr<X11Connection> open(const QString& display, QString* error,
                                               Events events = Events::dispatched);
    ~X11Connection() override;

    xcb_connection_t* xcb() const { return conn_; }
    xcb_ewmh_connection_t* ewmh() { return &ewmh_; }
    xcb_window_t root() const { return screen_->root; }
    const xcb_screen_t* screen() const { return screen_; }
    int screenNumber() const { return screenNumber_; }
    // The display as programs started on it must be told ($DISPLAY).
    QString displayName() const { return displayName_; }
    bool isAlive() const;
    // Seconds of the steady clock: the deadlines of waits on the server.
    static double steadyNow();

    // The program's table of the atoms it names, EWMH's among them, interned
    // when the connection opened (one the server did not give is NONE).
    const X11Atoms& atoms() const { return atoms_; }

    // Waits until the server has answered every request sent so far; false
    // on time-out or a lost connection. After it, replies of earlier requests
    // are there to be taken.
    bool sync(double timeout = kDefaultTimeout);

    // Waits for an event that `match` accepts, at most `timeout` seconds.
    // Every event read meanwhile is kept for the handlers.
    bool waitForEvent(const std::function<bool(const xcb_generic_event_t&)>& match, double timeout);

    void flush();

    // While `descriptor` is readable (the program's notice that it is to
    // quit, not yet taken by the main loop), every wait on the server ends
    // at once as a time-out: work that waits window after window for a
    // window manager that does not answer must not hold up the program's
    // end. -1: none.
    void cutWaitsShortOn(int descriptor) { cutShortOn_ = descriptor; }
    bool waitsCutShort() const;
    // From now on `waitForEvent` waits for nothing more than what has come
    // already: the program is ending, and no work of its last moments is to
    // wait for another client (a window manager that may never answer).
    // Round trips to the server still wait.
    void stopWaitingForOthers() { othersIgnored_ = true; }

    // Handlers of events, called on the main loop in registration order.
    // `owner` ends the registration when destroyed.
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;
    void addEventHandler(QObject* owner, EventHandler handler);
    // Hands every event that has come to the handlers now, unless handlers
    // are running already (then they are handed out after those return).
    void dispatchPending();
    // Handlers called with each event as soon as it is read, before the
    // handlers above see it: from the main loop, and from inside `sync` and
    // `waitForEvent` while those wait (a layout waiting for the window
    // manager). They may send requests and wait on the server themselves;
    // events read meanwhile reach them after they return, in order, never
    // one inside another.
    void addEarlyHandler(QObject* owner, EventHandler handler);
    // Reads what the server has sent and hands it to the early handlers now:
    // for long work on the main loop that would keep them waiting.
    void serviceEarly();
    // Whether an early handler is running: events read meanwhile reach the
    // early handlers only after it returns.
    bool earlyHandlersRunning() const { return earlyRunning_; }

    // Window moves in batches. A window manager's drag sends a ConfigureNotify
    // for each pointer motion (some 240 a second); while nothing but moves
    // comes, the main loop takes them every `kMoveBatch` seconds of `clock`
    // instead of waking for each. Anything else (a hot key) ends the batch
    // at once: a thread that wakes for the server anyway watches the socket
    // for new data meanwhile and calls `endBatchIfUrgent` (see
    // X11CoverKeeper). Without both a clock and such a thread (or once the
    // thread has gone), nothing is batched.
    static constexpr double kMoveBatch = 0.016;
    void batchMovesOn(Clock* clock);
    void setBatchWatched(bool watched) { batchWatched_ = watched; }
    // Told (on the main thread) as a hold begins and as it ends, so that the
    // watching thread wakes for the socket only meanwhile, not for every
    // key and reply.
    void setHoldWatcher(std::function<void(bool holding)> watcher);
    int descriptor() const { return xcb_get_file_descriptor(conn_); }
    // From any thread, when new data came on the socket: while moves are
    // held back, wakes the main loop now unless the socket holds nothing but
    // moves.
    void endBatchIfUrgent();
    // Whether moves are being held back now (for tests).
    bool batching() const { return batchTimer_ != 0; }

    // Adds to the events this connection selects on a window (the masks of
    // XCB_EVENT_MASK_*, kept with those selected before); unchecked, a window
    // that is gone is ignored.
    void selectInput(xcb_window_t window, std::uint32_t mask);
    // What this connection selects on a window (XCB_EVENT_MASK_*), as selectInput left it.
    std::uint32_t selectedInput(xcb_window_t window) const { return masks_.value(window); }
    // Forgets what was selected on a window found to be gone.
    void forgetWindow(xcb_window_t window) { masks_.remove(window); }

    // The first event code of an extension, or -1 when the server lacks it.
    int randrEventBase() const { return randrEventBase_; }
    int xinputOpcode() const { return xinputOpcode_; }

    // The reply to an earlier request if the server has sent it already,
    // without waiting: false while it has not come. An error comes as a null
    // reply. Events read with it are kept for the handlers.
    bool pollReply(unsigned int sequence, void** reply);

    // Reading properties: send, sync, then take.
    xcb_get_property_cookie_t requestProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type = XCB_ATOM_ANY,
                                              std::uint32_t longs = 1024);
    XcbReply<xcb_get_property_reply_t> takeProperty(xcb_get_property_cookie_t cookie);
    static std::vector<std::uint32_t> cardinals(const xcb_get_property_reply_t* reply);
    // A text property: UTF8_STRING as UTF-8, COMPOUND_TEXT decoded (what is
    // not ASCII, Latin-1 or UTF-8 dropped), anything else as Latin-1.
    QString text(const xcb_get_property_reply_t* reply) const;
    // Strings separated by NUL (WM_CLASS).
    static QStringList strings(const xcb_get_property_reply_t* reply);

    // The process of the client that made each window, as the server knows
    // every local client's (the X-Resource extension): for windows whose
    // client did not name it. 0 where it is not known; all 0 when the server
    // does not answer within `timeout`.
    std::vector<int> clientPids(const std::vector<xcb_window_t>& windows, double timeout = kDefaultTimeout);
    // The process in one answer of the X-Resource extension, 0 if none.
    static int clientPid(const xcb_res_query_client_ids_reply_t* reply);

    // Sends a 32-bit client message to the root window, as EWMH asks of pagers.
    void sendRootMessage(xcb_window_t window, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1 = 0,
                         std::uint32_t d2 = 0, std::uint32_t d3 = 0, std::uint32_t d4 = 0);
    // The same, heard by the window manager alone (it holds the root's
    // redirection): the other clients watching the root's children, this
    // program's own connections among them, are not woken by each move.
    void sendManagerMessage(xcb_window_t window, xcb_atom_t type, const std::array<std::uint32_t, 5>& data);
    // The same on any connection (Qt's, for the program's own windows), to
    // the root window `root`; not flushed.
    static void sendRootMessage(xcb_connection_t* c, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
                                const std::array<std::uint32_t, 5>& data,
                                std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY
                                                     | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);

signals:
    // The server closed the connection; every call fails from now on.
    void lost();

private:
    X11Connection() = default;
    bool init(const QString& display, QString* error, Events events);
    // Connects to the display and finds its screen; false, saying why in `error`, when either fails.
    bool connectToDisplay(const QString& display, QString* error);
    // Interns the atoms and fetches the extensions' data in one round trip of at most 5 s; false, saying why, if not.
    bool internAtoms(QString* error);
    // Waits until the server has sent something or `seconds` have passed;
    // false when the wait was cut short.
    bool waitReadable(double seconds);
    void readEvents();
    // Takes the events xcb has read already (replies' reads bring them in).
    void takeQueuedEvents();
    // Hands the events no early handler has seen yet to the early handlers.
    void runEarly();
    void scheduleDispatch();
    void dispatch();
    // After a dispatch that handed out `handled` events, all moves if
    // `onlyMoves`: holds the next ones back for a batch, or stops holding.
    void holdMoves(int handled, bool onlyMoves);
    void endHold();
    void watchHold(bool holding);
    void cancelBatchTimer();
    // Whether the bytes waiting on the socket, not yet read, are all whole
    // ConfigureNotify events (or none), and xcb has read nothing since the
    // hold began (what it read may have ended inside a packet, and the
    // socket's bytes would then not start at one).
    bool onlyMovesUnread() const;
    // Before the main loop sleeps: events xcb read with a reply, which the
    // socket's notifier does not tell of, are handed out.
    void drainBeforeSleep();

    xcb_connection_t* conn_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    int screenNumber_ = 0;
    QString displayName_;
    xcb_ewmh_connection_t ewmh_{};
    bool ewmhReady_ = false;
    X11Atoms atoms_;
    int randrEventBase_ = -1;
    int xinputOpcode_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    Events events_ = Events::dispatched;

    struct Handler {
        QPointer<QObject> owner;
        EventHandler fn;
    };
    std::vector<Handler> handlers_;
    std::vector<Handler> earlyHandlers_;
    QHash<xcb_window_t, std::uint32_t> masks_;
    std::deque<XcbReply<xcb_generic_event_t>> pending_;
    // How many events at the front of `pending_` the early handlers have seen.
    std::size_t earlySeen_ = 0;
    // How many events at the front of `pending_` a `waitForEvent` has been offered.
    std::size_t waitOffered_ = 0;
    bool earlyRunning_ = false;
    bool dispatching_ = false;
    bool dispatchScheduled_ = false;
    bool lostReported_ = false;
    int cutShortOn_ = -1;
    bool othersIgnored_ = false;
    Clock* batchClock_ = nullptr;
    std::atomic<bool> batchWatched_{false};
    std::uint64_t batchTimer_ = 0;
    // Set while moves are held back; the watching thread clears it when it
    // asks the main loop to wake, so that it asks once.
    std::atomic<bool> holding_{false};
    std::function<void(bool)> holdWatcher_;
    bool holdWatched_ = false;
    // What xcb had read from the socket, in bytes, when the hold began.
    std::atomic<std::uint64_t> heldAtRead_{0};
};

} // namespace tavrin
