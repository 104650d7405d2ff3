#pragma once

#include "platform/windowserver.h"
#include "platform/x11/x11windows.h"

#include <QHash>
#include <QSet>
#include <optional>
#include <vector>

namespace tavrin {

// The window manager's client windows as the on-screen list: those on the
// current desktop and not minimised, front to back, with their outer frames.
// A window's number is its client window's id; the normal layer (0) holds
// every managed window but docks and panels, the desktop, notifications and
// windows kept above the others; alpha is _NET_WM_WINDOW_OPACITY (1 unset).
// This process's veil surfaces (override-redirect windows the window manager
// does not manage) are listed among them where they stand, with this
// process's id.
//
// The list is kept from the server's events, so that reading it costs no
// round trip: the stacking of the root window's children and their frames
// follow ConfigureNotify, MapNotify, UnmapNotify, DestroyNotify and their
// kin; what the windows are (which are listed, their kind, state, desktop,
// opacity and owner) is read again, in one round trip, only after the client
// list or such a property of a window has changed.
class X11WindowServer : public WindowServer {
    Q_OBJECT
public:
    // Layers of the list, as the rest of the system reads them.
    static constexpr int kNormalLayer = 0;
    static constexpr int kFloatingLayer = 3;
    static constexpr int kDockLayer = 20;
    static constexpr int kNotificationLayer = 23;
    static constexpr int kDesktopLayer = -2147483623;

    explicit X11WindowServer(X11Windows& windows, QObject* parent = nullptr);

    std::vector<WindowInfo> onScreenWindows() override;
    // From the kept list while it is current; else asked of the server.
    std::optional<Rect> windowBounds(std::uint32_t number) override;
    // Title bars as high as the top of the frames the window manager draws
    // (_NET_FRAME_EXTENTS, 20 points before any is read); buttons where
    // openbox's default theme has them: on the right (minimise, maximise,
    // close), with a 1-point border.
    TitleBar titleBar() const override;
    bool listComplete() const override { return complete_; }
    bool announcesChanges() const override { return true; }

    // A window of this process listed as a veil at `level`, while mapped.
    void setSurface(xcb_window_t window, int level);
    void removeSurface(xcb_window_t window);
    bool isSurface(xcb_window_t window) const { return surfaces_.contains(window); }
    // The child of the root window that holds a client (its frame, or the
    // client itself), as last seen; 0 when there is none.
    xcb_window_t topLevelOf(xcb_window_t client) const;
    X11Windows& windows() { return windows_; }

    // How many times the windows were read from the server (tests).
    int reads() const { return reads_; }

signals:
    // A window of the root window changed its place in the stacking order.
    void restacked(xcb_window_t window);

private:
    // Answers whether a child of the root window changed.
    bool handleEvent(const xcb_generic_event_t& event);
    // A child of the root window is created, destroyed or reparented: the stack and what is kept of it.
    void handleChildComingOrGoing(const xcb_generic_event_t& event);
    // A child of the root window is mapped, unmapped, configured or circulated: its mapping, geometry and place.
    void handleChildChange(const xcb_generic_event_t& event);
    void restack(xcb_window_t window, xcb_window_t below);
    void forgetChild(xcb_window_t window);
    bool current();
    void read();
    // The kept stacking with what was read of each window; `complete` says
    // whether every window read is in it.
    std::vector<WindowInfo> listed(bool* complete) const;

    X11Windows& windows_;
    // What was read of the listed managed windows, by client, front to back.
    std::vector<WindowInfo> read_;
    QHash<xcb_window_t, std::size_t> readIndex_;
    // The root window's children, bottom to top, with their outer geometry
    // and whether they are mapped.
    std::vector<xcb_window_t> stack_;
    QHash<xcb_window_t, Rect> geometry_;
    QSet<xcb_window_t> mapped_;
    bool stackKnown_ = false;
    QHash<xcb_window_t, int> surfaces_;
    bool stale_ = true;
    bool complete_ = true;
    int titleHeight_ = 0;
    int restacks_ = 0;
    int reads_ = 0;
    std::vector<xcb_atom_t> listedAtoms_;
};

} // namespace tavrin
