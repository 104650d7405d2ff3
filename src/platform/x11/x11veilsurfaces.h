#pragma once

#include "platform/veilsurfaces.h"
#include "platform/x11/x11atoms.h"

#include <QColor>
#include <QHash>
#include <QObject>
#include <QSet>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>
#include <xcb/xcb.h>

namespace tavrin {

class X11CoverKeeper;
class X11VeilCover;
class X11VeilSurface;
class X11WindowServer;
class X11Windows;

// Veil surfaces on the X11 desktop. Every covered client carries a cover in
// its own window tree (X11VeilCover): inside the window manager's frame, or
// inside the client itself where no window manager frames it, so the server
// keeps it over the window through every move, resize, restack, minimise and
// restore with no event round trip.
//
// While windows are to be covered (`coverNewWindows`), every top-level
// window of a covered application carries its cover whatever its state —
// mapped or not, minimised, withdrawn, on another workspace, above the
// others, however small — so that it is covered already when it appears:
// the windows that exist when covering goes on are all read then, and new
// ones are followed from their creation. A new top-level is covered at its
// creation, before anything is read of it (a client may name and map it in
// the same breath), and uncovered once its class and process show that it
// is not to be covered; a popup, tooltip or other window that bypasses the
// window manager is told apart by the client that made it (the X resource
// id's client part), so that one of a covered client's is covered at once
// and one of a known uncovered client's never is. The frame a window
// manager makes around a covered window is covered the moment the window
// is reparented into it. A client window that another client's window
// holds (a terminal embedded in a tabbing program, a toolkit's window made
// in a foreign parent) is covered in itself alone, so that its host stays in
// view; windows on every X screen of the display are covered. The covers
// are made and kept on top by a thread of their own (X11CoverKeeper),
// whatever the main thread is doing; the connection's early handlers do the
// same from the main thread (also while it waits on the server for a window
// manager) and find them made. A client or window manager that raises a
// window of its own above a cover is noticed and the cover raised again.
// When the keeper's connection is lost (another client killed it), covering
// starts again at once on a new one; where none can be opened, the covers
// are made on the main thread and `problem` says so.
//
// A cover stays while its client is to be covered, whatever the veil engine
// makes of the window list; the engine's surfaces only give it its label.
// Translucent content (where a compositor blurs behind windows) also gets a
// blurring override-redirect window of Qt's, laid over the cover by the
// engine (X11VeilSurface).
class X11VeilSurfaces : public QObject, public VeilSurfaces {
    Q_OBJECT
public:
    X11VeilSurfaces(X11WindowServer& server, X11Windows& windows, QObject* parent = nullptr);
    ~X11VeilSurfaces() override;

    std::unique_ptr<VeilSurface> make(QWidget& content, std::uint32_t covered) override;
    bool windowed() const override;
    void coverNewWindows(std::function<bool(const QString& name, int pid)> covered, const QColor& fill) override;
    QString problem() const override { return problem_; }
    void onProblem(std::function<void()> told) override { problemTold_ = std::move(told); }

    // Qt's connection to the X server; null on other platforms.
    static xcb_connection_t* qtConnection();
    // The atom table on Qt's connection, interned on first use and kept;
    // one of XCB_ATOM_NONE while the server has not answered.
    const X11Atoms& qtAtoms();

    // Qt's surfaces tell of themselves while they live.
    void enlist(X11VeilSurface* surface);
    void discharge(X11VeilSurface* surface);

    // A surface over `client`: its cover labelled with `content`, drawn now.
    // Answers a number of its own for the surface.
    std::uint32_t attach(xcb_window_t client, QWidget& content);
    // That surface went: the label goes, and the cover unless the client is
    // still to be covered.
    void release(xcb_window_t client);

private:
    struct Label {
        xcb_pixmap_t pixmap = 0;
        Size size;
    };
    // A top-level client window (or a window that bypasses the window
    // manager) followed while covering is on.
    struct Known {
        QString name;
        int pid = 0;
        bool overrideRedirect = false;
        // Its class, or its process once it showed without one, was read.
        bool judged = false;
        // Judged by its class (not by its process alone): judged again when
        // a class or process comes later.
        bool named = false;
        // Whether it is to be covered, as last judged.
        bool verdict = false;
        // The root's child that holds it, when known without asking (0: ask);
        // itself while another client's window holds it.
        xcb_window_t top = 0;
    };
    // A client window found by a scan of the tree.
    struct Found {
        xcb_window_t window = 0;
        xcb_window_t parent = 0;
        xcb_window_t top = 0; // where its cover stands outermost
        QStringList cls;
        int pid = 0;
        bool overrideRedirect = false;
    };

    void restacked(xcb_window_t window);
    // From the early handlers: what is kept of windows that went, dropped;
    // the keeper's covers made from these events where it has no connection.
    void handleEarly(const xcb_generic_event_t& event);
    // On the main loop: new windows followed and judged, frames and sizes
    // followed for the labels.
    void handleEvent(const xcb_generic_event_t& event);
    void reparented(const xcb_reparent_notify_event_t& event);
    // Covering went on: every client window there is, read and judged.
    void scanAll();
    // The clients whose windows are never covered (this program's, the
    // window manager's); false when the server does not answer.
    bool findNeverCovered();
    // Every client window in the tree of every screen: the roots' children
    // of other clients, what the window manager's frames hold, and windows
    // one client made or put in another's. Their processes as the clients
    // named them.
    std::vector<Found> walkTree();
    // What the walk asks of one window: its children, and for a window of
    // another client than its parent's its class, process and attributes.
    struct Asked {
        std::optional<xcb_get_property_cookie_t> cls, pid;
        std::optional<xcb_get_window_attributes_cookie_t> attributes;
        xcb_query_tree_cookie_t tree;
    };
    Asked ask(const Found& f);
    static void discard(xcb_connection_t* c, const Asked& a);
    // Reads the answers about a client window into `f`, adding it to `found`
    // when it is to be judged; false when the walk goes no deeper (the window
    // is gone, or is this program's own).
    bool takeClient(Found& f, const Asked& a, bool hasTree, std::vector<Found>& found);
    // The keeper went with its connection: covering starts again on a new one.
    void keeperLost();
    std::unique_ptr<X11CoverKeeper> makeKeeper();
    // A window the keeper saw and the main connection does not hear of.
    void seen(xcb_window_t window, bool overrideRedirect);
    bool isRoot(xcb_window_t window) const;
    // Whether a window put in `parent` is framed by the window manager
    // (rather than held by another client's window).
    bool frames(xcb_window_t parent) const { return neverCovered_.contains(clientOf(parent)); }
    void setProblem(const QString& problem);
    // A top-level created now: covered at once unless its client is known not
    // to be. `atTop`: it is a root's child (else asked where it stands).
    void created(xcb_window_t window, bool overrideRedirect, bool atTop = true);
    // Reads its class and process and judges it; unless `anyway`, one
    // without a class yet is left to be judged when the class comes.
    void judge(xcb_window_t window, bool anyway);
    // Covers or uncovers a known window as it is judged (or, not judged
    // yet, as its client's other windows are).
    void apply(xcb_window_t window);
    bool wanted(xcb_window_t window, const Known& known) const;
    // Whether the client that made `window` has windows judged covered
    // (true) or only ones judged uncovered (false); none when none are judged.
    std::optional<bool> clientVerdict(xcb_window_t window) const;
    std::uint32_t clientOf(xcb_window_t window) const { return window & ~idMask_; }
    X11VeilCover* ensureCover(xcb_window_t client);
    // Covers the client in `parent`, its new frame, at once (no round trip).
    void frame(xcb_window_t client, xcb_window_t parent);
    // Asks the server where the client's cover stands: covered in the
    // root's child that holds it too, with that window's size and depth.
    void locate(xcb_window_t client);
    void forget(xcb_window_t client);
    X11VeilCover* coverWithTopLevel(xcb_window_t window) const;
    Label draw(QWidget& content, std::uint8_t depth, xcb_drawable_t drawable);
    bool stillCovered(xcb_window_t client) const;
    // Tells the keeper which clients' windows were all judged uncovered.
    void tellKeeperUncovered();

    X11WindowServer& server_;
    X11Windows& windows_;
    std::optional<X11Atoms> qtAtoms_;
    std::vector<X11VeilSurface*> surfaces_;
    std::function<bool(const QString&, int)> covered_;
    std::uint32_t pixel_ = 0;
    QColor fill_;
    std::uint32_t idMask_ = 0;
    std::vector<xcb_window_t> roots_;
    QString problem_;
    std::function<void()> problemTold_;
    // Clients whose windows are never covered: the window manager's (its
    // frames are covered through their clients) and this program's.
    QSet<std::uint32_t> neverCovered_;
    // The window manager's check window: when it goes, so does the window
    // manager, and its client's ids go to the next client that connects.
    xcb_window_t wmCheck_ = 0;
    // Declared before the covers, which use it to the end.
    std::unique_ptr<X11CoverKeeper> keeper_;
    std::unordered_map<xcb_window_t, std::unique_ptr<X11VeilCover>> covers_;
    QHash<xcb_window_t, Label> labels_; // by client, while a surface is attached
    QHash<xcb_window_t, Known> known_;
};

} // namespace tavrin
