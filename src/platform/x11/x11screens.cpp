#include "platform/x11/x11screens.h"

#include <QMetaObject>
#include <QSet>
#include <algorithm>
#include <xcb/randr.h>

namespace tavrin {

namespace {
bool sameScreens(const std::vector<ScreenInfo>& a, const std::vector<ScreenInfo>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ScreenInfo& x, const ScreenInfo& y) {
        return x.frame == y.frame && x.visibleFrame == y.visibleFrame && x.localizedName == y.localizedName
               && x.displayNumber == y.displayNumber && x.pixelWidth == y.pixelWidth && x.pixelHeight == y.pixelHeight
               && x.serialNumber == y.serialNumber;
    });
}
} // namespace

std::optional<X11Strut> X11Strut::fromValues(const std::vector<std::uint32_t>& v, Size root)
{
    X11Strut s;
    if (v.size() < 4)
        return std::nullopt;
    s.left = int(v[0]);
    s.right = int(v[1]);
    s.top = int(v[2]);
    s.bottom = int(v[3]);
    if (v.size() >= 12) {
        s.leftStartY = int(v[4]);
        s.leftEndY = int(v[5]);
        s.rightStartY = int(v[6]);
        s.rightEndY = int(v[7]);
        s.topStartX = int(v[8]);
        s.topEndX = int(v[9]);
        s.bottomStartX = int(v[10]);
        s.bottomEndX = int(v[11]);
    } else {
        s.leftEndY = s.rightEndY = int(root.height) - 1;
        s.topEndX = s.bottomEndX = int(root.width) - 1;
    }
    if (!s.left && !s.right && !s.top && !s.bottom)
        return std::nullopt;
    return s;
}

Rect X11Screens::visibleArea(const Rect& monitor, const std::vector<X11Strut>& struts, Size root)
{
    double minX = monitor.minX(), maxX = monitor.maxX(), minY = monitor.minY(), maxY = monitor.maxY();
    // A strut counts from the root window's edge; it belongs to the monitor
    // on which its inner edge lies (a panel on an inner edge would otherwise
    // cover every monitor before it).
    auto within = [](double v, double lo, double hi) { return v > lo && v <= hi; };
    auto overlaps = [](double a0, double a1, double b0, double b1) { return a0 < b1 && b0 < a1; };
    for (const X11Strut& s : struts) {
        if (s.left > 0 && within(s.left, monitor.minX(), monitor.maxX())
            && overlaps(s.leftStartY, s.leftEndY + 1.0, monitor.minY(), monitor.maxY()))
            minX = std::max(minX, double(s.left));
        if (s.right > 0 && within(monitor.maxX() - (root.width - s.right), 0, monitor.width)
            && overlaps(s.rightStartY, s.rightEndY + 1.0, monitor.minY(), monitor.maxY()))
            maxX = std::min(maxX, root.width - s.right);
        if (s.top > 0 && within(s.top, monitor.minY(), monitor.maxY())
            && overlaps(s.topStartX, s.topEndX + 1.0, monitor.minX(), monitor.maxX()))
            minY = std::max(minY, double(s.top));
        if (s.bottom > 0 && within(monitor.maxY() - (root.height - s.bottom), 0, monitor.height)
            && overlaps(s.bottomStartX, s.bottomEndX + 1.0, monitor.minX(), monitor.maxX()))
            maxY = std::min(maxY, root.height - s.bottom);
    }
    if (maxX <= minX || maxY <= minY)
        return monitor;
    return {minX, minY, maxX - minX, maxY - minY};
}

std::uint32_t X11Screens::edidSerial(const QByteArray& edid)
{
    static const char header[] = "\x00\xff\xff\xff\xff\xff\xff\x00";
    if (edid.size() < 16 || !edid.startsWith(QByteArray(header, 8)))
        return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(edid.constData());
    return std::uint32_t(b[12]) | std::uint32_t(b[13]) << 8 | std::uint32_t(b[14]) << 16 | std::uint32_t(b[15]) << 24;
}

QString X11Screens::edidName(const QByteArray& edid)
{
    if (edid.size() < 128 || !edid.startsWith(QByteArray("\x00\xff\xff\xff\xff\xff\xff\x00", 8)))
        return {};
    // Four 18-byte descriptors from byte 54; a display descriptor starts
    // with two zero bytes and names its kind in the fourth.
    for (int at = 54; at + 18 <= 126; at += 18) {
        const QByteArray d = edid.mid(at, 18);
        if (d[0] != 0 || d[1] != 0 || quint8(d[3]) != 0xFC)
            continue;
        QByteArray text = d.mid(5, 13);
        if (const qsizetype end = text.indexOf('\n'); end >= 0)
            text.truncate(end);
        return QString::fromLatin1(text).trimmed();
    }
    return {};
}

X11Screens::X11Screens(X11Connection& conn, QObject* parent) : Screens(parent), conn_(conn)
{
    if (conn_.randrEventBase() >= 0) {
        auto* c = conn_.xcb();
        const auto version = xcb_randr_query_version(c, 1, 5);
        if (conn_.sync()) {
            XcbReply<xcb_randr_query_version_reply_t> v(xcb_randr_query_version_reply(c, version, nullptr));
            hasMonitors_ = v && (v->major_version > 1 || v->minor_version >= 5);
        } else {
            xcb_discard_reply(c, version.sequence);
        }
        xcb_randr_select_input(c, conn_.root(),
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE
                                   | XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    }
    conn_.selectInput(conn_.root(), XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    conn_.addEventHandler(this, [this](const xcb_generic_event_t& ev) { handleEvent(ev); });
}

void X11Screens::handleEvent(const xcb_generic_event_t& event)
{
    const int type = event.response_type & 0x7f;
    const int base = conn_.randrEventBase();
    if (base >= 0 && (type == base + XCB_RANDR_SCREEN_CHANGE_NOTIFY || type == base + XCB_RANDR_NOTIFY)) {
        serials_.clear();
        edidNames_.clear();
        invalidate();
        return;
    }
    if (type == XCB_CONFIGURE_NOTIFY
        && reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == conn_.root()) {
        invalidate();
        return;
    }
    if (type != XCB_PROPERTY_NOTIFY)
        return;
    const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
    const auto& e = *conn_.ewmh();
    if (p.atom == e._NET_WM_STRUT_PARTIAL || p.atom == e._NET_WM_STRUT) {
        strutValues_.remove(p.window);
        invalidate();
    } else if (p.window == conn_.root() && (p.atom == e._NET_WORKAREA || p.atom == e._NET_CLIENT_LIST)) {
        invalidate();
    }
}

void X11Screens::invalidate()
{
    refreshRate_.reset();
    if (refreshScheduled_)
        return;
    refreshScheduled_ = true;
    // Read again once the burst of events is over; tell only of real changes.
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshScheduled_ = false;
            auto now = read();
            if (!now)
                return;
            const bool changed = !cache_ || !sameScreens(*cache_, *now);
            cache_ = std::move(now);
            if (changed)
                emit screensChanged();
        },
        Qt::QueuedConnection);
}

std::vector<ScreenInfo> X11Screens::screens()
{
    if (!cache_ || refreshScheduled_) {
        if (auto now = read())
            cache_ = std::move(now);
    }
    return cache_.value_or(std::vector<ScreenInfo>{});
}

std::optional<X11Screens::Layout> X11Screens::readLayout()
{
    auto* c = conn_.xcb();
    const xcb_window_t root = conn_.root();
    const auto geometryCookie = xcb_get_geometry(c, root);
    const auto clientsCookie = conn_.requestProperty(root, conn_.ewmh()->_NET_CLIENT_LIST, XCB_ATOM_WINDOW, 16384);
    std::optional<xcb_randr_get_monitors_cookie_t> monitorsCookie;
    if (hasMonitors_)
        monitorsCookie = xcb_randr_get_monitors(c, root, 1);
    if (!conn_.sync()) {
        xcb_discard_reply(c, geometryCookie.sequence);
        xcb_discard_reply(c, clientsCookie.sequence);
        if (monitorsCookie)
            xcb_discard_reply(c, monitorsCookie->sequence);
        return std::nullopt;
    }
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr));
    Layout layout;
    layout.clients = X11Connection::cardinals(conn_.takeProperty(clientsCookie).get());
    XcbReply<xcb_randr_get_monitors_reply_t> monitors;
    if (monitorsCookie)
        monitors.reset(xcb_randr_get_monitors_reply(c, *monitorsCookie, nullptr));
    if (!geometry)
        return std::nullopt;
    layout.root = Size{double(geometry->width), double(geometry->height)};
    if (monitors) {
        for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem;
             xcb_randr_monitor_info_next(&it)) {
            Monitor m{it.data->name, Rect(it.data->x, it.data->y, it.data->width, it.data->height), 0,
                      bool(it.data->automatic)};
            if (it.data->nOutput > 0)
                m.output = xcb_randr_monitor_info_outputs(it.data)[0];
            layout.monitors.push_back(m);
        }
    }
    if (layout.monitors.empty()) // no RandR 1.5: the screen is one monitor
        layout.monitors.push_back({XCB_ATOM_NONE, Rect(0, 0, layout.root.width, layout.root.height), 0, true});
    return layout;
}

std::optional<std::vector<X11Strut>> X11Screens::readDetails(const Layout& layout)
{
    auto* c = conn_.xcb();
    const auto& e = *conn_.ewmh();
    std::vector<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> nameCookies;
    std::vector<std::pair<std::uint32_t, xcb_randr_get_output_property_cookie_t>> edidCookies;
    for (const Monitor& m : layout.monitors) {
        if (m.name && !names_.contains(m.name))
            nameCookies.push_back({m.name, xcb_get_atom_name(c, m.name)});
        if (m.output && !serials_.contains(m.output) && conn_.atoms().edid)
            edidCookies.push_back(
                {m.output, xcb_randr_get_output_property(c, m.output, conn_.atoms().edid, XCB_ATOM_ANY, 0, 32, 0, 0)});
    }
    struct StrutCookies {
        xcb_window_t window;
        xcb_get_property_cookie_t partial, whole;
    };
    std::vector<StrutCookies> strutCookies;
    for (std::uint32_t w : layout.clients) {
        if (strutValues_.contains(w))
            continue;
        conn_.selectInput(w, XCB_EVENT_MASK_PROPERTY_CHANGE);
        strutCookies.push_back({w, conn_.requestProperty(w, e._NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 12),
                                conn_.requestProperty(w, e._NET_WM_STRUT, XCB_ATOM_CARDINAL, 4)});
    }
    if ((!nameCookies.empty() || !edidCookies.empty() || !strutCookies.empty()) && !conn_.sync()) {
        for (auto& [a, k] : nameCookies)
            xcb_discard_reply(c, k.sequence);
        for (auto& [o, k] : edidCookies)
            xcb_discard_reply(c, k.sequence);
        for (const StrutCookies& k : strutCookies) {
            xcb_discard_reply(c, k.partial.sequence);
            xcb_discard_reply(c, k.whole.sequence);
        }
        return std::nullopt;
    }
    for (auto& [atom, k] : nameCookies) {
        XcbReply<xcb_get_atom_name_reply_t> r(xcb_get_atom_name_reply(c, k, nullptr));
        if (r)
            names_.insert(atom,
                          QString::fromLatin1(xcb_get_atom_name_name(r.get()), xcb_get_atom_name_name_length(r.get())));
    }
    for (auto& [output, k] : edidCookies) {
        XcbReply<xcb_randr_get_output_property_reply_t> r(xcb_randr_get_output_property_reply(c, k, nullptr));
        QByteArray edid;
        if (r && r->format == 8)
            edid = QByteArray(reinterpret_cast<const char*>(xcb_randr_get_output_property_data(r.get())),
                              xcb_randr_get_output_property_data_length(r.get()));
        serials_.insert(output, edidSerial(edid));
        edidNames_.insert(output, edidName(edid));
    }
    for (const StrutCookies& k : strutCookies) {
        auto values = X11Connection::cardinals(conn_.takeProperty(k.partial).get());
        auto whole = X11Connection::cardinals(conn_.takeProperty(k.whole).get());
        strutValues_.insert(k.window, values.size() < 12 ? std::move(whole) : std::move(values));
    }
    return keptStruts(layout);
}

std::vector<X11Strut> X11Screens::keptStruts(const Layout& layout)
{
    // Windows that left the list are forgotten (their ids may come back).
    if (std::size_t(strutValues_.size()) > layout.clients.size()) {
        const QSet<std::uint32_t> listed(layout.clients.begin(), layout.clients.end());
        strutValues_.removeIf([&](const auto& it) { return !listed.contains(it.key()); });
    }
    std::vector<X11Strut> struts;
    for (std::uint32_t w : layout.clients)
        if (auto s = X11Strut::fromValues(strutValues_.value(w), layout.root))
            struts.push_back(*s);
    return struts;
}

std::optional<std::vector<ScreenInfo>> X11Screens::read()
{
    const auto layout = readLayout();
    if (!layout)
        return std::nullopt;
    const auto struts = readDetails(*layout);
    if (!struts)
        return std::nullopt;
    std::vector<ScreenInfo> out;
    int index = 0;
    for (const Monitor& m : layout->monitors) {
        ScreenInfo s;
        s.frame = m.frame;
        s.visibleFrame = visibleArea(m.frame, *struts, layout->root);
        // The monitor's own name where it reports one, else the output's (a
        // monitor the user defined keeps the name given to it).
        const QString reported = m.automatic && m.output ? edidNames_.value(m.output) : QString();
        s.localizedName = !reported.isEmpty() ? reported
                          : m.name            ? names_.value(m.name)
                                              : QStringLiteral("Screen %1").arg(conn_.screenNumber());
        // The name's atom is fixed while the server runs and unique per monitor.
        s.displayNumber = m.name ? m.name : std::uint32_t(index + 1);
        s.pixelWidth = int(m.frame.width);
        s.pixelHeight = int(m.frame.height);
        s.serialNumber = m.output ? serials_.value(m.output) : 0;
        out.push_back(s);
        ++index;
    }
    return out;
}

double X11Screens::refreshRate()
{
    if (refreshRate_)
        return *refreshRate_;
    refreshRate_ = 60.0;
    if (conn_.randrEventBase() < 0)
        return *refreshRate_;
    auto* c = conn_.xcb();
    const auto cookie = xcb_randr_get_screen_resources_current(c, conn_.root());
    if (!conn_.sync()) {
        xcb_discard_reply(c, cookie.sequence);
        return *refreshRate_;
    }
    XcbReply<xcb_randr_get_screen_resources_current_reply_t> r(
        xcb_randr_get_screen_resources_current_reply(c, cookie, nullptr));
    if (!r)
        return *refreshRate_;
    // The mode of the first CRTC that shows something: its dot clock over
    // the pixels of a whole frame.
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(r.get());
    const int count = xcb_randr_get_screen_resources_current_crtcs_length(r.get());
    std::vector<xcb_randr_get_crtc_info_cookie_t> cookies;
    cookies.reserve(std::size_t(std::max(0, count)));
    for (int i = 0; i < count; ++i)
        cookies.push_back(xcb_randr_get_crtc_info(c, crtcs[i], r->config_timestamp));
    const bool answered = conn_.sync();
    xcb_randr_mode_t mode = 0;
    for (const auto& k : cookies) {
        if (!answered) {
            xcb_discard_reply(c, k.sequence);
            continue;
        }
        XcbReply<xcb_randr_get_crtc_info_reply_t> info(xcb_randr_get_crtc_info_reply(c, k, nullptr));
        if (info && info->mode && !mode)
            mode = info->mode;
    }
    const xcb_randr_mode_info_t* modes = xcb_randr_get_screen_resources_current_modes(r.get());
    for (int i = 0; i < xcb_randr_get_screen_resources_current_modes_length(r.get()); ++i)
        if (modes[i].id == mode && modes[i].htotal && modes[i].vtotal && modes[i].dot_clock)
            refreshRate_ = double(modes[i].dot_clock) / (double(modes[i].htotal) * double(modes[i].vtotal));
    return *refreshRate_;
}

} // namespace tavrin
