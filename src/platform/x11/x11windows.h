#pragma once

#include "platform/geometry.h"
#include "platform/x11/desktopentries.h"
#include "platform/x11/x11connection.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <climits>
#include <optional>
#include <vector>

namespace tavrin {

// WM_NORMAL_HINTS as the window manager applies them to a requested size.
struct X11SizeHints {
    int minWidth = 0, minHeight = 0;
    int maxWidth = INT_MAX, maxHeight = INT_MAX;
    int baseWidth = -1, baseHeight = -1; // -1: not given
    int incWidth = 1, incHeight = 1;
    // win_gravity: the point of the window that the window manager keeps
    // where a request puts it (NorthWest when not given).
    std::uint32_t gravity = XCB_GRAVITY_NORTH_WEST;

    // The client size an ICCCM window manager gives a window asked to take
    // `width` × `height`: within the minimum and maximum, base size plus a
    // whole number of increments, at least 1 × 1.
    Size constrain(Size requested) const;
};

// _NET_FRAME_EXTENTS: the decoration around the client area.
struct X11FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
};

// What was read of one managed window.
struct X11WindowInfo {
    xcb_window_t id = 0;
    bool exists = false;
    int pid = 0;
    QString title;
    QString instance, wmClass;
    xcb_atom_t type = XCB_ATOM_NONE; // the first window type this server knows, or none
    double opacity = 1.0;            // _NET_WM_WINDOW_OPACITY as a fraction; 1 when unset
    bool transient = false;
    bool acceptsFocus = true; // WM_HINTS input, or WM_TAKE_FOCUS
    bool hidden = false, fullScreen = false, maximizedVert = false, maximizedHorz = false, above = false;
    std::uint32_t desktop = 0xFFFFFFFF;
    X11FrameExtents extents;
    int borderWidth = 0;
    Rect client; // client area in root coordinates
    Rect frame;  // outer frame in root coordinates
    X11SizeHints hints;
};

// The application a window belongs to, by its desktop entry.
struct X11AppIdentity {
    QString name;        // the entry's Name, else the WM_CLASS class
    QString desktopId;   // empty when no entry matches
    QString location;    // the entry's file
    bool listed = false; // it has an entry shown in application menus (not NoDisplay)
};

// The managed client windows of the window manager and what the system reads
// of them. Reads are batched into one round trip, bounded by a time-out.
//
// Watching, what was read is kept until the server tells of a change to it
// (an event that reaches this connection after the reply it was read from),
// and read again only then: a hot key finds the focused window and its frame
// without a round trip. Before answering from what it keeps, it takes what
// the server has sent so far, so that it never answers older than a round
// trip made at that moment would, but for changes still on their way. A
// window the manager moved is known again from the message it sends the
// client (see `takeToldPlace`), without reading it again.
class X11Windows : public QObject {
    Q_OBJECT
public:
    enum Need : unsigned {
        needTitle = 1,
        needClass = 2,
        needKind = 4,   // window type, WM_TRANSIENT_FOR and whether it takes the focus
        needState = 8,  // _NET_WM_STATE and desktop
        needFrame = 16, // geometry and frame extents
        needHints = 32,
        needType = 64, // the window type alone (needKind reads it too)
        needOpacity = 128,
        needAll = 255,
    };

    // Watching: follows the windows it reads (their changes are announced,
    // what it learnt of them is kept until they change). Reading only: a
    // connection whose events nobody handles; every read asks afresh.
    enum class Mode { watching, readingOnly };

    X11Windows(X11Connection& conn, DesktopEntries& entries, QObject* parent = nullptr, Mode mode = Mode::watching);

    // What the root window says of the managed windows, read in one round
    // trip (or kept from the last, watching); none when the server timed out.
    struct RootState {
        std::vector<xcb_window_t> mapped;      // in the order they were first mapped
        std::vector<xcb_window_t> frontToBack; // the stacking order, top first
        xcb_window_t active = 0;               // _NET_ACTIVE_WINDOW, 0 for none
        std::uint32_t desktop = 0;             // the current desktop
    };
    std::optional<RootState> rootState(double timeout = X11Connection::kDefaultTimeout);
    // The active window alone; none on time-out.
    std::optional<xcb_window_t> activeWindow(double timeout = X11Connection::kDefaultTimeout);

    // Reads windows (the pid always); none on time-out. Windows that are gone
    // come back with `exists` false.
    std::optional<std::vector<X11WindowInfo>> read(const std::vector<xcb_window_t>& ids, unsigned needs,
                                                   double timeout = X11Connection::kDefaultTimeout);
    std::optional<X11WindowInfo> readOne(xcb_window_t id, unsigned needs,
                                         double timeout = X11Connection::kDefaultTimeout);

    // Grows whenever what `rootState` answers may have changed, or the pid,
    // class, kind or state of a window read before: what a caller built
    // from those (the running applications) holds while it stays the same,
    // whatever the windows' frames and titles do meanwhile. Takes in what
    // the server has sent first, as reads do. None while nothing kept can be
    // trusted (reading only, inside an early handler, connection lost).
    std::optional<std::uint64_t> listingVersion();

    X11AppIdentity application(const X11WindowInfo& info);
    // The pid of a window read before, else 0.
    int knownPid(xcb_window_t id) const { return pids_.value(id); }
    // The window manager's frame around a window read with `needFrame`, else 0.
    xcb_window_t frameOf(xcb_window_t id) const { return frames_.value(id); }
    // The client a frame holds, else 0.
    xcb_window_t clientOf(xcb_window_t frame) const { return clients_.value(frame); }

    static bool isStandard(const X11WindowInfo& info, const xcb_ewmh_connection_t& ewmh);
    // Whether a window of this kind belongs on a desktop's window list.
    static bool isDockOrDesktop(const X11WindowInfo& info, const xcb_ewmh_connection_t& ewmh);
    // Whether it is an ordinary managed window: not a dock or panel, the
    // desktop, or a notification.
    static bool isNormalLayer(const X11WindowInfo& info, const xcb_ewmh_connection_t& ewmh);

    // Requests to the window manager; they take effect asynchronously.
    // Moves the outer frame of `window` (read with needFrame and needHints)
    // to `frameOrigin` and sizes its client area, given in the window's own
    // gravity: a window manager keeps the point it was told in the window's
    // gravity and places the window from it again later (when the client
    // changes its size hints), so a position given in another gravity would
    // move the window by its frame's extents then.
    void moveResize(const X11WindowInfo& window, std::optional<Point> frameOrigin, std::optional<Size> clientSize);
    // Where the reference point of `gravity` stands for a frame whose
    // outer corner is at `frameOrigin` (the x, y of a request in that gravity).
    static Point gravityPoint(std::uint32_t gravity, const X11FrameExtents& extents, Point frameOrigin);
    void changeState(xcb_window_t id, bool add, xcb_atom_t first, xcb_atom_t second = XCB_ATOM_NONE);
    void minimize(xcb_window_t id);
    void activate(xcb_window_t id);
    void close(xcb_window_t id);

    X11Connection& connection() { return conn_; }
    DesktopEntries& entries() { return entries_; }

signals:
    // _NET_CLIENT_LIST or _NET_ACTIVE_WINDOW changed.
    void clientListChanged();
    void activeWindowChanged();
    // A managed window changed its geometry, state or name (pid given).
    void windowChanged(xcb_window_t id);

private:
    // The replies one read waits for, per window.
    struct Cookies {
        unsigned needs = 0;
        xcb_get_geometry_cookie_t geometry{};
        xcb_translate_coordinates_cookie_t origin{};
        std::optional<xcb_query_tree_cookie_t> tree;
        std::optional<xcb_get_property_cookie_t> pid, name, wmName, wmClass, type, transient, wmHints, protocols, state,
            desktop, extents, hints, opacity;
    };
    Cookies request(xcb_window_t w, unsigned needs);
    void discard(const std::vector<Cookies>& cookies);
    // Fills `info` (its id set) from the replies; false when the window has
    // gone. `pidMissing`: the window sets no _NET_WM_PID that is not known.
    bool decode(X11WindowInfo& info, Cookies& cookies, bool* pidMissing);
    // Keeps the parent the query found for `client` as its frame (watched too), unless it is the root.
    void noteFrame(xcb_window_t client, xcb_query_tree_cookie_t cookie);
    // The pids of windows that set none, from the server (X-Resource).
    void resolvePids(std::vector<X11WindowInfo>& infos, const std::vector<std::size_t>& missing, double timeout);
    void handleEvent(const xcb_generic_event_t& event);
    // Drops what was kept of what `event` says has changed; called as soon
    // as the event is read, before anyone reads again.
    void dropChanged(const xcb_generic_event_t& event);
    // A window manager that moves or sizes a client tells it where it now
    // stands, in root coordinates (ICCCM 4.1.5: a synthetic ConfigureNotify).
    // With the decoration and border from a read still valid, that is the
    // whole frame: kept as if read now.
    void takeToldPlace(const xcb_configure_notify_event_t& told);
    // What a read takes from a window's `property`: none for the many that
    // say nothing kept here (the time of the user's last input, which
    // toolkits set at each key and click, an icon, a sync counter).
    unsigned needsOfProperty(xcb_atom_t property) const;
    // Whether the root's `property` is one of those RootState is read from.
    bool isRootStateProperty(xcb_atom_t property) const;
    // Whether what was kept may be answered now (having first taken in what
    // the server has sent).
    bool keptIsCurrent();
    void watch(xcb_window_t id);
    void forget(xcb_window_t id);

    X11Connection& conn_;
    DesktopEntries& entries_;
    Mode mode_;
    QHash<xcb_window_t, int> pids_;
    QHash<xcb_window_t, QStringList> classes_;
    QHash<QString, X11AppIdentity> apps_; // by "instance\nclass"
    QSet<xcb_window_t> watched_;
    QHash<xcb_window_t, xcb_window_t> frames_;  // client → frame (the top-level window that holds it)
    QHash<xcb_window_t, xcb_window_t> clients_; // frame → client
    // What was read of each window, and which needs it covers (watching).
    struct Kept {
        X11WindowInfo info;
        unsigned needs = 0;
        // The decoration and border in `info` were read, and the client has
        // not been reconfigured by anyone but the window manager since.
        bool framed = false;
    };
    QHash<xcb_window_t, Kept> kept_;
    std::optional<RootState> keptRoot_;
    // The changes told of, counted, and the last that touched each window,
    // the root's properties and all windows: a read during which one came
    // may have been answered before it, and is not kept.
    std::uint64_t changes_ = 0;
    QHash<xcb_window_t, std::uint64_t> changedAt_;
    std::uint64_t rootChangedAt_ = 0, allChangedAt_ = 0;
    // The last change that touched what `listingVersion` covers.
    std::uint64_t listingChangedAt_ = 0;
    std::vector<xcb_atom_t> knownTypes_;
    xcb_atom_t opacityAtom_ = XCB_ATOM_NONE;
};

} // namespace tavrin
