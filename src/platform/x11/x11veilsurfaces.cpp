#include "platform/x11/x11veilsurfaces.h"

#include "platform/x11/x11connection.h"
#include "platform/x11/x11coversurface.h"
#include "platform/x11/x11veilcover.h"
#include "platform/x11/x11veilsurface.h"
#include "platform/x11/x11windows.h"
#include "platform/x11/x11windowserver.h"

#include <QGuiApplication>
#include <QImage>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <optional>

namespace tavrin {

namespace {
struct TopLevel {
    xcb_window_t window = 0;
    Size size;
    std::uint8_t depth = 0;
};

// The root's child that holds `window` (itself when it is one), with its
// size and depth; none when the server does not answer or it is gone.
std::optional<TopLevel> topLevelOf(X11Connection& conn, xcb_window_t window)
{
    xcb_connection_t* c = conn.xcb();
    for (int step = 0; step < 8; ++step) {
        const auto cookie = xcb_query_tree(c, window);
        if (!conn.sync()) {
            xcb_discard_reply(c, cookie.sequence);
            return std::nullopt;
        }
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, cookie, nullptr));
        if (!tree)
            return std::nullopt;
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            break;
        window = tree->parent;
    }
    const auto cookie = xcb_get_geometry(c, window);
    if (!conn.sync()) {
        xcb_discard_reply(c, cookie.sequence);
        return std::nullopt;
    }
    XcbReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, cookie, nullptr));
    if (!g)
        return std::nullopt;
    return TopLevel{window, Size{double(g->width), double(g->height)}, g->depth};
}

// Pictures of 32 bits a pixel, least significant byte first, as QImage keeps them.
bool imagesFit(xcb_connection_t* c, std::uint8_t depth)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST || (depth != 24 && depth != 32))
        return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth)
            return it.data->bits_per_pixel == 32;
    return false;
}
} // namespace

X11VeilSurfaces::X11VeilSurfaces(X11WindowServer& server, X11Windows& windows, QObject* parent)
    : QObject(parent),
      server_(server),
      windows_(windows)
{
    connect(&server_, &X11WindowServer::restacked, this, &X11VeilSurfaces::restacked);
    // The root's SubstructureNotify, which the window server selects, tells
    // of new top-levels, frames and reparenting.
    windows_.connection().addEventHandler(this, [this](const xcb_generic_event_t& event) { handleEvent(event); });
}

X11VeilSurfaces::~X11VeilSurfaces()
{
    covers_.clear();
    for (const Label& l : std::as_const(labels_))
        if (l.pixmap)
            xcb_free_pixmap(windows_.connection().xcb(), l.pixmap);
    windows_.connection().flush();
}

xcb_connection_t* X11VeilSurfaces::qtConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

const X11Atoms& X11VeilSurfaces::qtAtoms()
{
    static const X11Atoms none;
    if (!qtAtoms_)
        if (xcb_connection_t* qt = qtConnection())
            qtAtoms_ = X11Atoms::intern(qt, X11Connection::kDefaultTimeout);
    return qtAtoms_ ? *qtAtoms_ : none;
}

std::unique_ptr<VeilSurface> X11VeilSurfaces::make(QWidget& content, std::uint32_t covered)
{
    if (content.testAttribute(Qt::WA_TranslucentBackground) && qtConnection()) {
        // The blurring window goes over the window; the cover stays inside it.
        ensureCover(covered, {}, 0);
        return std::make_unique<X11VeilSurface>(content, *this, server_, qtConnection());
    }
    return std::make_unique<X11CoverSurface>(content, *this, covered);
}

bool X11VeilSurfaces::windowed() const { return windows_.connection().isAlive(); }

void X11VeilSurfaces::coverNewWindows(std::function<bool(const QString&, int)> covered, const QColor& fill)
{
    covered_ = std::move(covered);
    pixel_ = 0xFF000000u | (fill.rgb() & 0xFFFFFFu);
    if (!covered_)
        watched_.clear();
    // A cover no surface labels goes once its client is no longer covered;
    // a labelled one goes with its surface.
    for (auto it = covers_.begin(); it != covers_.end();) {
        if (!labels_.contains(it->first) && !stillCovered(*it->second))
            it = covers_.erase(it);
        else
            ++it;
    }
}

bool X11VeilSurfaces::stillCovered(const X11VeilCover& cover) const
{
    return covered_ && covered_(cover.name, cover.pid);
}

void X11VeilSurfaces::enlist(X11VeilSurface* surface) { surfaces_.push_back(surface); }

void X11VeilSurfaces::discharge(X11VeilSurface* surface) { std::erase(surfaces_, surface); }

void X11VeilSurfaces::restacked(xcb_window_t window)
{
    if (server_.isSurface(window))
        return; // our own restacking
    for (X11VeilSurface* surface : std::vector<X11VeilSurface*>(surfaces_))
        surface->restacked(window);
}

// ---- Covers ----

X11VeilCover* X11VeilSurfaces::ensureCover(xcb_window_t client, const QString& name, int pid)
{
    if (const auto it = covers_.find(client); it != covers_.end())
        return it->second.get();
    X11Connection& conn = windows_.connection();
    auto made = std::make_unique<X11VeilCover>(conn, client, pixel_);
    X11VeilCover& cover = *made;
    cover.name = name;
    cover.pid = pid;
    if (name.isEmpty()) {
        if (const auto info = windows_.readOne(client, X11Windows::needClass); info && info->exists) {
            cover.name = windows_.application(*info).name;
            cover.pid = info->pid;
        }
    }
    // Its own children, its reparenting and its going.
    conn.selectInput(client, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    covers_.emplace(client, std::move(made));
    frame(cover, client);
    return &cover;
}

void X11VeilSurfaces::frame(X11VeilCover& cover, xcb_window_t parent)
{
    const auto top = topLevelOf(windows_.connection(), parent);
    if (!top)
        return;
    if (top->window == cover.client()) {
        cover.setClientGeometry(top->size, top->depth);
        return;
    }
    // The window manager's own windows in it, raised over ours.
    windows_.connection().selectInput(top->window, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    cover.frameWith(top->window, top->size, top->depth);
}

void X11VeilSurfaces::forget(xcb_window_t client)
{
    if (const auto it = covers_.find(client); it != covers_.end()) {
        it->second->clientGone();
        covers_.erase(it);
    }
}

X11VeilCover* X11VeilSurfaces::coverIn(xcb_window_t parent) const
{
    for (const auto& [client, cover] : covers_)
        if (cover->childOf(parent))
            return cover.get();
    return nullptr;
}

X11VeilCover* X11VeilSurfaces::coverWithTopLevel(xcb_window_t window) const
{
    for (const auto& [client, cover] : covers_)
        if (cover->frame() ? cover->frame() == window : client == window)
            return cover.get();
    return nullptr;
}

void X11VeilSurfaces::watch(xcb_window_t window)
{
    // Selected before it is read: a class set in between is still told of.
    windows_.connection().selectInput(window, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    watched_.insert(window);
    judge(window);
}

void X11VeilSurfaces::judge(xcb_window_t window)
{
    const auto info = windows_.readOne(window, X11Windows::needClass);
    if (!info)
        return; // no answer in time: asked again at its next change
    if (!info->exists) {
        watched_.remove(window);
        return;
    }
    if (info->instance.isEmpty() && info->wmClass.isEmpty())
        return; // not set yet
    watched_.remove(window);
    const QString name = windows_.application(*info).name;
    if (covered_ && covered_(name, info->pid))
        ensureCover(window, name, info->pid);
}

// ---- Labels ----

std::uint32_t X11VeilSurfaces::attach(xcb_window_t client, QWidget& content)
{
    X11VeilCover* cover = ensureCover(client, {}, 0);
    xcb_connection_t* c = windows_.connection().xcb();
    Label label = draw(content, cover->depth(), windows_.connection().root());
    if (const Label old = labels_.take(client); old.pixmap) {
        cover->setLabel(0, {});
        xcb_free_pixmap(c, old.pixmap);
    }
    labels_.insert(client, label);
    cover->setLabel(label.pixmap, label.size);
    return label.pixmap ? label.pixmap : xcb_generate_id(c);
}

void X11VeilSurfaces::release(xcb_window_t client)
{
    const Label label = labels_.take(client);
    if (const auto it = covers_.find(client); it != covers_.end()) {
        it->second->setLabel(0, {});
        if (!stillCovered(*it->second))
            covers_.erase(it);
    }
    if (label.pixmap)
        xcb_free_pixmap(windows_.connection().xcb(), label.pixmap);
    windows_.connection().flush();
}

X11VeilSurfaces::Label X11VeilSurfaces::draw(QWidget& content, std::uint8_t depth, xcb_drawable_t drawable)
{
    xcb_connection_t* c = windows_.connection().xcb();
    auto* inner = content.findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    const QSize size = inner ? inner->sizeHint() : QSize();
    if (!imagesFit(c, depth) || size.isEmpty())
        return {};
    content.resize(size);
    inner->setGeometry(QRect(QPoint(), size));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(content.palette().color(QPalette::Window));
    content.render(&image);
    Label label;
    label.size = Size{double(size.width()), double(size.height())};
    label.pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, depth, label.pixmap, drawable, std::uint16_t(size.width()), std::uint16_t(size.height()));
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, label.pixmap, 0, nullptr);
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, label.pixmap, gc, std::uint16_t(size.width()),
                  std::uint16_t(size.height()), 0, 0, 0, depth, std::uint32_t(image.sizeInBytes()), image.constBits());
    xcb_free_gc(c, gc);
    return label;
}

// ---- Events ----

void X11VeilSurfaces::handleEvent(const xcb_generic_event_t& event)
{
    const xcb_window_t root = windows_.connection().root();
    switch (event.response_type & 0x7f) {
    case XCB_CREATE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (c.parent == root) {
            if (covered_ && !c.override_redirect)
                watch(c.window);
        } else if (X11VeilCover* cover = coverIn(c.parent); cover && !cover->owns(c.window)) {
            cover->raiseIn(c.parent); // a new child stands above ours
        }
        return;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (watched_.contains(p.window)
            && (p.atom == XCB_ATOM_WM_CLASS || p.atom == windows_.connection().ewmh()->_NET_WM_PID))
            judge(p.window);
        return;
    }
    default: handleStructure(event); return;
    }
}

void X11VeilSurfaces::handleStructure(const xcb_generic_event_t& event)
{
    const xcb_window_t root = windows_.connection().root();
    switch (event.response_type & 0x7f) {
    case XCB_REPARENT_NOTIFY: {
        const auto& r = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        const auto it = covers_.find(r.window);
        if (it == covers_.end())
            return;
        if (r.parent == root)
            it->second->unframe(false);
        else if (r.parent != it->second->frame())
            frame(*it->second, r.parent);
        return;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (X11VeilCover* cover = coverWithTopLevel(c.window))
            cover->resized(Size{double(c.width), double(c.height)});
        // Raised directly over ours: ours goes back on top.
        if (X11VeilCover* cover = c.event != root ? coverIn(c.event) : nullptr;
            cover && !cover->owns(c.window) && c.above_sibling && c.above_sibling == cover->childOf(c.event))
            cover->raiseIn(c.event);
        return;
    }
    case XCB_CIRCULATE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_circulate_notify_event_t&>(event);
        if (X11VeilCover* cover = c.event != root ? coverIn(c.event) : nullptr;
            cover && !cover->owns(c.window) && c.place == XCB_PLACE_ON_TOP)
            cover->raiseIn(c.event);
        return;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& d = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        watched_.remove(d.window);
        windows_.connection().forgetWindow(d.window); // what was selected on it, by anyone
        forget(d.window);
        for (const auto& [client, cover] : covers_)
            if (cover->frame() == d.window)
                cover->unframe(true);
        return;
    }
    default: return;
    }
}

} // namespace tavrin
