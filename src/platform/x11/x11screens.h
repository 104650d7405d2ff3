#pragma once

#include "platform/screens.h"
#include "platform/x11/x11connection.h"

#include <QHash>
#include <optional>

namespace tavrin {

// A panel's reservation at the edges of the root window (_NET_WM_STRUT_PARTIAL).
struct X11Strut {
    int left = 0, right = 0, top = 0, bottom = 0;
    int leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
    int topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;

    // From _NET_WM_STRUT_PARTIAL (12 values) or _NET_WM_STRUT (4: whole edges).
    static std::optional<X11Strut> fromValues(const std::vector<std::uint32_t>& v, Size root);
};

// The monitors of XRandR, in the server's order, with their usable areas:
// each monitor less the panels that reserve its edges.
class X11Screens : public Screens {
    Q_OBJECT
public:
    explicit X11Screens(X11Connection& conn, QObject* parent = nullptr);

    std::vector<ScreenInfo> screens() override;
    // The refresh rate of the first active mode of the screen's outputs
    // (RandR); 60 when it cannot be read.
    double refreshRate() override;

    // A monitor's area less the struts whose inner edge lies on it.
    static Rect visibleArea(const Rect& monitor, const std::vector<X11Strut>& struts, Size root);
    // The serial number of an EDID block, 0 when it is not one.
    static std::uint32_t edidSerial(const QByteArray& edid);
    // The monitor name an EDID block reports (its display descriptor 0xFC),
    // empty when it reports none.
    static QString edidName(const QByteArray& edid);

private:
    struct Monitor {
        xcb_atom_t name = XCB_ATOM_NONE;
        Rect frame;
        std::uint32_t output = 0;
        bool automatic = true; // made by the server for an output, not by the user
    };
    struct Layout {
        Size root;
        std::vector<Monitor> monitors; // at least one
        std::vector<std::uint32_t> clients;
    };

    std::optional<std::vector<ScreenInfo>> read();
    // The root's size, the monitors (the screen as one without RandR 1.5)
    // and the managed windows; none when the server did not answer.
    std::optional<Layout> readLayout();
    // Learns the names and serials of monitors not known yet and the struts
    // of windows not known yet (watching them for changes); the panels'
    // struts, none when the server did not answer.
    std::optional<std::vector<X11Strut>> readDetails(const Layout& layout);
    // The struts of the listed windows, from what was read of them; the
    // windows no longer listed are forgotten.
    std::vector<X11Strut> keptStruts(const Layout& layout);
    void invalidate();
    void handleEvent(const xcb_generic_event_t& event);

    X11Connection& conn_;
    bool hasMonitors_ = false;
    std::optional<std::vector<ScreenInfo>> cache_;
    bool refreshScheduled_ = false;
    QHash<xcb_atom_t, QString> names_;
    QHash<std::uint32_t, std::uint32_t> serials_; // output → serial
    QHash<std::uint32_t, QString> edidNames_;     // output → monitor name
    // Each managed window's strut values as read (empty: none), kept until
    // the window changes them or leaves the list: a window coming or going
    // (a panel of this program shown) reads the new one's alone.
    QHash<xcb_window_t, std::vector<std::uint32_t>> strutValues_;
    std::optional<double> refreshRate_;
};

} // namespace tavrin
