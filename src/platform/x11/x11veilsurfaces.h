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

class X11VeilCover;
class X11VeilSurface;
class X11WindowServer;
class X11Windows;

// Veil surfaces on the X11 desktop. Every covered client carries a cover in
// its own window tree (X11VeilCover): inside the window manager's frame, or
// inside the client itself where no window manager frames it, so the server
// keeps it over the window through every move, resize, restack, minimise and
// restore with no event round trip. While new windows are to be covered
// (`coverNewWindows`), every new top-level window is watched from its
// creation: as soon as its class and process are set, a covered one gets its
// cover before it is first mapped, and the cover follows it into the frame
// the window manager makes for it. A client or window manager that raises a
// window of its own above a cover is noticed and the cover raised again.
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

    void restacked(xcb_window_t window);
    void handleEvent(const xcb_generic_event_t& event);
    void handleStructure(const xcb_generic_event_t& event);
    // A new top-level window: watched until its class and process are known.
    void watch(xcb_window_t window);
    // Its class or process may be set now: covered when it is to be.
    void judge(xcb_window_t window);
    X11VeilCover* ensureCover(xcb_window_t client, const QString& name, int pid);
    // Covers the client in the root's child that holds `parent` too.
    void frame(X11VeilCover& cover, xcb_window_t parent);
    void forget(xcb_window_t client);
    X11VeilCover* coverIn(xcb_window_t parent) const;
    X11VeilCover* coverWithTopLevel(xcb_window_t window) const;
    Label draw(QWidget& content, std::uint8_t depth, xcb_drawable_t drawable);
    bool stillCovered(const X11VeilCover& cover) const;

    X11WindowServer& server_;
    X11Windows& windows_;
    std::optional<X11Atoms> qtAtoms_;
    std::vector<X11VeilSurface*> surfaces_;
    std::function<bool(const QString&, int)> covered_;
    std::uint32_t pixel_ = 0;
    std::unordered_map<xcb_window_t, std::unique_ptr<X11VeilCover>> covers_;
    QHash<xcb_window_t, Label> labels_; // by client, while a surface is attached
    QSet<xcb_window_t> watched_;        // new top-levels of unknown class
};

} // namespace tavrin
