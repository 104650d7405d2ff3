#include "platform/x11/x11veilsurfaces.h"

#include "platform/x11/x11connection.h"
#include "platform/x11/x11coverkeeper.h"
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
#include <xcb/res.h>

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
      windows_(windows),
      keeper_(std::make_unique<X11CoverKeeper>(windows.connection()))
{
    connect(&server_, &X11WindowServer::restacked, this, &X11VeilSurfaces::restacked);
    X11Connection& conn = windows_.connection();
    idMask_ = xcb_get_setup(conn.xcb())->resource_id_mask;
    // The root's SubstructureNotify, which the window server selects, tells
    // of new top-levels, frames and reparenting.
    conn.addEarlyHandler(this, [this](const xcb_generic_event_t& event) { handleEarly(event); });
    conn.addEventHandler(this, [this](const xcb_generic_event_t& event) { handleEvent(event); });
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
        ensureCover(covered);
        return std::make_unique<X11VeilSurface>(content, *this, server_, qtConnection());
    }
    return std::make_unique<X11CoverSurface>(content, *this, covered);
}

bool X11VeilSurfaces::windowed() const { return windows_.connection().isAlive(); }

void X11VeilSurfaces::coverNewWindows(std::function<bool(const QString&, int)> covered, const QColor& fill)
{
    const bool starting = !covered_ && covered;
    covered_ = std::move(covered);
    pixel_ = 0xFF000000u | (fill.rgb() & 0xFFFFFFu);
    // Starting, the keeper covers nothing new until it knows which clients
    // never get covers (the window manager's, read below).
    keeper_->setCovering(covered_ && !starting, pixel_);
    if (!covered_)
        known_.clear();
    else if (starting)
        scanAll();
    // What is to be covered may have changed (the private applications, the
    // ones hidden by hand): every window is judged again.
    // (The test may ask the server, whose events may change what is known
    // meanwhile: nothing is held across it.)
    const QList<xcb_window_t> windows = known_.keys();
    for (xcb_window_t w : windows) {
        const auto k = known_.constFind(w);
        if (k == known_.cend() || !k->judged)
            continue;
        const QString name = k->name;
        const bool verdict = covered_(name, k->pid);
        if (const auto again = known_.find(w); again != known_.end())
            again->verdict = verdict;
    }
    for (xcb_window_t w : windows)
        apply(w);
    // A cover no surface labels goes once its client is no longer covered;
    // a labelled one goes with its surface.
    std::vector<xcb_window_t> clients;
    for (const auto& [client, cover] : covers_)
        clients.push_back(client);
    for (xcb_window_t client : clients)
        if (!labels_.contains(client) && !stillCovered(client))
            covers_.erase(client);
    // Covers the keeper made of windows not followed here (covering went
    // off before they were seen) go too.
    QSet<xcb_window_t> kept;
    for (const auto& [client, cover] : covers_)
        kept.insert(client);
    keeper_->retain(kept);
    publish();
    keeper_->setCovering(bool(covered_), pixel_);
    windows_.connection().flush();
}

bool X11VeilSurfaces::stillCovered(xcb_window_t client) const
{
    if (const auto k = known_.constFind(client); k != known_.cend())
        return wanted(client, *k);
    const auto it = covers_.find(client);
    if (!covered_ || it == covers_.end())
        return false;
    const QString name = it->second->name;
    return covered_(name, it->second->pid);
}

void X11VeilSurfaces::publish()
{
    // As `clientVerdict` has it: a client with a window judged covered is
    // covered; one whose judged windows are all uncovered is not.
    QSet<std::uint32_t> covered, uncovered;
    for (auto it = known_.cbegin(); it != known_.cend(); ++it)
        if (it->judged)
            (it->verdict ? covered : uncovered).insert(clientOf(it.key()));
    uncovered.subtract(covered);
    keeper_->setNeverCovered(neverCovered_);
    keeper_->setUncovered(uncovered);
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

void X11VeilSurfaces::scanAll()
{
    X11Connection& conn = windows_.connection();
    xcb_connection_t* c = conn.xcb();
    neverCovered_.clear();
    neverCovered_.insert(clientOf(xcb_generate_id(c)));
    if (xcb_connection_t* qt = qtConnection())
        neverCovered_.insert(clientOf(xcb_generate_id(qt)));
    neverCovered_.insert(keeper_->ownClient());
    const auto wmCookie = conn.requestProperty(conn.root(), conn.ewmh()->_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1);
    const auto rootCookie = xcb_query_tree(c, conn.root());
    if (!conn.sync()) {
        xcb_discard_reply(c, wmCookie.sequence);
        xcb_discard_reply(c, rootCookie.sequence);
        return;
    }
    wmCheck_ = 0;
    if (const auto wm = X11Connection::cardinals(conn.takeProperty(wmCookie).get()); !wm.empty() && wm[0]) {
        wmCheck_ = wm[0];
        neverCovered_.insert(clientOf(wmCheck_));
        conn.selectInput(wmCheck_, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    }
    XcbReply<xcb_query_tree_reply_t> rootTree(xcb_query_tree_reply(c, rootCookie, nullptr));
    if (!rootTree)
        return;
    struct Found {
        xcb_window_t window = 0;
        xcb_window_t top = 0; // the root's child that holds it
        QStringList cls;
        int pid = 0;
        bool overrideRedirect = false;
    };
    std::vector<Found> found;
    // The root's children, then what the window manager's frames hold, two
    // levels down: a window with a class is a client; the root's children
    // of other clients are clients too (helpers, popups), with or without.
    std::vector<Found> level;
    const xcb_window_t* children = xcb_query_tree_children(rootTree.get());
    for (int i = 0; i < xcb_query_tree_children_length(rootTree.get()); ++i)
        level.push_back({children[i], children[i], {}, 0, false});
    for (int depth = 0; depth < 3 && !level.empty(); ++depth) {
        struct Asked {
            xcb_get_property_cookie_t cls, pid;
            xcb_get_window_attributes_cookie_t attributes;
            xcb_query_tree_cookie_t tree;
        };
        std::vector<Asked> asked;
        for (const Found& f : level)
            asked.push_back({conn.requestProperty(f.window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING),
                             conn.requestProperty(f.window, conn.ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 1),
                             xcb_get_window_attributes(c, f.window), xcb_query_tree(c, f.window)});
        const bool answered = conn.sync();
        std::vector<Found> next;
        for (std::size_t i = 0; i < level.size(); ++i) {
            Found f = level[i];
            auto cls = answered ? conn.takeProperty(asked[i].cls) : nullptr;
            auto pid = answered ? conn.takeProperty(asked[i].pid) : nullptr;
            XcbReply<xcb_get_window_attributes_reply_t> a(
                answered ? xcb_get_window_attributes_reply(c, asked[i].attributes, nullptr) : nullptr);
            XcbReply<xcb_query_tree_reply_t> tree(answered ? xcb_query_tree_reply(c, asked[i].tree, nullptr) : nullptr);
            if (!answered) {
                for (const auto& cookie : {asked[i].cls, asked[i].pid})
                    xcb_discard_reply(c, cookie.sequence);
                xcb_discard_reply(c, asked[i].attributes.sequence);
                xcb_discard_reply(c, asked[i].tree.sequence);
                continue;
            }
            if (!a)
                continue; // gone
            f.cls = X11Connection::strings(cls.get());
            const auto pids = X11Connection::cardinals(pid.get());
            f.pid = pids.empty() ? 0 : int(pids[0]);
            f.overrideRedirect = a->override_redirect;
            const bool ownedByOthers = depth == 0 && !neverCovered_.contains(clientOf(f.window));
            if (!f.cls.isEmpty() || ownedByOthers) {
                if (!neverCovered_.contains(clientOf(f.window)))
                    found.push_back(f);
                continue;
            }
            for (int j = 0; tree && j < xcb_query_tree_children_length(tree.get()); ++j)
                next.push_back({xcb_query_tree_children(tree.get())[j], f.top, {}, 0, false});
        }
        level = std::move(next);
    }
    // Processes the clients did not name: the server knows each local client's.
    std::vector<std::pair<std::size_t, xcb_res_query_client_ids_cookie_t>> res;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (found[i].pid)
            continue;
        xcb_res_client_id_spec_t spec{found[i].window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        res.emplace_back(i, xcb_res_query_client_ids(c, 1, &spec));
    }
    const bool answered = res.empty() || conn.sync();
    for (const auto& [i, cookie] : res) {
        XcbReply<xcb_res_query_client_ids_reply_t> r(answered ? xcb_res_query_client_ids_reply(c, cookie, nullptr)
                                                              : nullptr);
        if (!answered)
            xcb_discard_reply(c, cookie.sequence);
        for (auto it = r ? xcb_res_query_client_ids_ids_iterator(r.get()) : xcb_res_client_id_value_iterator_t{};
             r && it.rem; xcb_res_client_id_value_next(&it))
            if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
                && xcb_res_client_id_value_value_length(it.data) >= 1)
                found[i].pid = int(*xcb_res_client_id_value_value(it.data));
    }
    for (const Found& f : found) {
        Known k;
        if (!f.cls.isEmpty()) {
            X11WindowInfo info;
            info.instance = f.cls.value(0);
            info.wmClass = f.cls.value(1);
            k.name = windows_.application(info).name;
        }
        k.pid = f.pid;
        k.overrideRedirect = f.overrideRedirect;
        k.judged = true;
        k.verdict = covered_(k.name, k.pid);
        k.top = f.top;
        known_.insert(f.window, k);
        conn.selectInput(f.window, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    }
}

void X11VeilSurfaces::created(xcb_window_t window, bool overrideRedirect)
{
    if (!covered_ || neverCovered_.contains(clientOf(window))) {
        keeper_->uncover(window, false); // made by the keeper before it knew
        return;
    }
    if (known_.contains(window))
        return;
    Known k;
    k.overrideRedirect = overrideRedirect;
    k.top = window;
    known_.insert(window, k);
    // Its class and process, its reparenting into a frame and its going.
    windows_.connection().selectInput(window, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    apply(window);
}

std::optional<bool> X11VeilSurfaces::clientVerdict(xcb_window_t window) const
{
    const std::uint32_t client = clientOf(window);
    std::optional<bool> verdict;
    for (auto it = known_.cbegin(); it != known_.cend(); ++it) {
        if (!it->judged || clientOf(it.key()) != client)
            continue;
        if (it->verdict)
            return true;
        verdict = false;
    }
    return verdict;
}

bool X11VeilSurfaces::wanted(xcb_window_t window, const Known& known) const
{
    if (!covered_)
        return false;
    if (known.judged)
        return known.verdict;
    // Not read yet: as its client's other windows are; covered while nothing
    // is known of its client.
    return clientVerdict(window).value_or(true);
}

void X11VeilSurfaces::apply(xcb_window_t window)
{
    const auto k = known_.constFind(window);
    if (k == known_.cend())
        return;
    if (wanted(window, *k)) {
        ensureCover(window);
    } else if (const auto it = covers_.find(window); it == covers_.end()) {
        keeper_->uncover(window, false); // made by the keeper before it knew
    } else if (!labels_.contains(window)) {
        covers_.erase(it);
        windows_.connection().flush();
    }
}

void X11VeilSurfaces::judge(xcb_window_t window, bool anyway)
{
    if (const auto k = known_.constFind(window); k == known_.cend() || k->judged)
        return;
    X11Connection& conn = windows_.connection();
    xcb_connection_t* c = conn.xcb();
    const auto clsCookie = conn.requestProperty(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const auto pidCookie = conn.requestProperty(window, conn.ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const auto resCookie = xcb_res_query_client_ids(c, 1, &spec);
    if (!conn.sync()) {
        for (const auto& cookie : {clsCookie, pidCookie})
            xcb_discard_reply(c, cookie.sequence);
        xcb_discard_reply(c, resCookie.sequence);
        return; // no answer in time: judged at its next change
    }
    const QStringList cls = X11Connection::strings(conn.takeProperty(clsCookie).get());
    const auto pids = X11Connection::cardinals(conn.takeProperty(pidCookie).get());
    int pid = pids.empty() ? 0 : int(pids[0]);
    XcbReply<xcb_res_query_client_ids_reply_t> r(xcb_res_query_client_ids_reply(c, resCookie, nullptr));
    for (auto it = r ? xcb_res_query_client_ids_ids_iterator(r.get()) : xcb_res_client_id_value_iterator_t{};
         r && it.rem && !pid; xcb_res_client_id_value_next(&it))
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID)
            && xcb_res_client_id_value_value_length(it.data) >= 1)
            pid = int(*xcb_res_client_id_value_value(it.data));
    if (cls.isEmpty() && !anyway)
        return; // not named yet
    QString name;
    if (!cls.isEmpty()) {
        X11WindowInfo info;
        info.instance = cls.value(0);
        info.wmClass = cls.value(1);
        name = windows_.application(info).name;
    }
    if (!covered_)
        return;
    const bool verdict = covered_(name, pid);
    // Looked up again: events handled during the waits may have changed what is known.
    const auto k = known_.find(window);
    if (k == known_.end() || k->judged)
        return;
    k->name = name;
    k->pid = pid;
    k->judged = true;
    k->verdict = verdict;
    publish();
    if (const auto it = covers_.find(window); it != covers_.end()) {
        it->second->name = k->name;
        it->second->pid = pid;
    }
    // Its client's other windows not read yet follow it.
    const std::uint32_t client = clientOf(window);
    std::vector<xcb_window_t> same;
    for (auto it = known_.cbegin(); it != known_.cend(); ++it)
        if (it.key() == window || (!it->judged && clientOf(it.key()) == client))
            same.push_back(it.key());
    for (xcb_window_t w : same)
        apply(w);
}

X11VeilCover* X11VeilSurfaces::ensureCover(xcb_window_t client)
{
    if (const auto it = covers_.find(client); it != covers_.end())
        return it->second.get();
    X11Connection& conn = windows_.connection();
    auto made = std::make_unique<X11VeilCover>(conn, *keeper_, client);
    xcb_window_t top = 0;
    if (const auto k = known_.constFind(client); k != known_.cend()) {
        made->name = k->name;
        made->pid = k->pid;
        top = k->top;
    }
    // Its own children, its reparenting and its going.
    conn.selectInput(client, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    X11VeilCover* cover = made.get();
    covers_.emplace(client, std::move(made));
    if (top) {
        // Where it stands is known: no round trip before the next window's cover.
        frame(client, top);
        conn.flush();
        return cover;
    }
    conn.flush();
    // Where it stands: the window manager's frame around it is covered too.
    locate(client);
    const auto it = covers_.find(client);
    return it == covers_.end() ? nullptr : it->second.get();
}

void X11VeilSurfaces::frame(xcb_window_t client, xcb_window_t parent)
{
    const auto it = covers_.find(client);
    if (it == covers_.end() || parent == client || parent == it->second->frame())
        return;
    // The window manager's own windows in it, raised over ours (watched
    // before ours is made there, so that none goes unnoticed).
    windows_.connection().selectInput(parent, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    it->second->frameWith(parent);
    windows_.connection().flush();
}

void X11VeilSurfaces::locate(xcb_window_t client)
{
    const auto it = covers_.find(client);
    if (it == covers_.end())
        return;
    const auto top = topLevelOf(windows_.connection(), it->second->top());
    // Looked up again: the wait may have seen it go.
    const auto again = covers_.find(client);
    if (!top || again == covers_.end())
        return;
    X11VeilCover& cover = *again->second;
    if (top->window != cover.top())
        frame(client, top->window); // the frame held it within a window of its own
    if (cover.top() == top->window)
        cover.setTopGeometry(top->size, top->depth);
}

void X11VeilSurfaces::forget(xcb_window_t client)
{
    known_.remove(client);
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
        if (cover->top() == window)
            return cover.get();
    return nullptr;
}

// ---- Labels ----

std::uint32_t X11VeilSurfaces::attach(xcb_window_t client, QWidget& content)
{
    if (X11VeilCover* cover = ensureCover(client); cover && !cover->depth())
        locate(client);
    xcb_connection_t* c = windows_.connection().xcb();
    // Drawing takes a while: new windows made meanwhile are covered first.
    windows_.connection().serviceEarly();
    auto found = covers_.find(client);
    if (found == covers_.end())
        return xcb_generate_id(c); // gone meanwhile
    Label label = draw(content, found->second->depth(), windows_.connection().root());
    windows_.connection().serviceEarly();
    found = covers_.find(client);
    if (found == covers_.end()) {
        if (label.pixmap)
            xcb_free_pixmap(c, label.pixmap);
        return xcb_generate_id(c); // gone meanwhile
    }
    X11VeilCover* cover = found->second.get();
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
    const bool keep = stillCovered(client);
    if (const auto it = covers_.find(client); it != covers_.end()) {
        it->second->setLabel(0, {});
        if (!keep)
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

void X11VeilSurfaces::handleEarly(const xcb_generic_event_t& event)
{
    const xcb_window_t root = windows_.connection().root();
    switch (event.response_type & 0x7f) {
    case XCB_CREATE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (c.parent == root)
            created(c.window, c.override_redirect);
        else if (X11VeilCover* cover = coverIn(c.parent); cover && !cover->owns(c.window))
            cover->raiseIn(c.parent); // a new child stands above ours
        return;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto& r = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (const auto k = known_.find(r.window); k != known_.end())
            k->top = r.parent == root ? r.window : 0;
        if (const auto it = covers_.find(r.window); it != covers_.end()) {
            if (r.parent == root)
                it->second->unframe(false);
            else if (r.parent != it->second->frame())
                frame(r.window, r.parent);
        }
        // A window put into a covered one lands on top of its new siblings.
        if (X11VeilCover* cover = r.parent != root ? coverIn(r.parent) : nullptr; cover && !cover->owns(r.window))
            cover->raiseIn(r.parent);
        return;
    }
    default: handleStructure(event); return;
    }
}

void X11VeilSurfaces::handleEvent(const xcb_generic_event_t& event)
{
    // New windows are judged here, on the main loop: their covers are up already.
    xcb_window_t window = 0;
    bool anyway = false;
    switch (event.response_type & 0x7f) {
    case XCB_CREATE_NOTIFY:
        // A client that named it in the same breath is judged now, often
        // before the window manager has mapped it.
        window = reinterpret_cast<const xcb_create_notify_event_t&>(event).window;
        break;
    case XCB_PROPERTY_NOTIFY: {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (p.atom == XCB_ATOM_WM_CLASS || p.atom == windows_.connection().ewmh()->_NET_WM_PID)
            window = p.window;
        break;
    }
    case XCB_MAP_NOTIFY:
        // Shown without a class: judged by its process alone.
        window = reinterpret_cast<const xcb_map_notify_event_t&>(event).window;
        anyway = true;
        break;
    case XCB_REPARENT_NOTIFY: {
        const auto& r = reinterpret_cast<const xcb_reparent_notify_event_t&>(event);
        if (r.parent == windows_.connection().root())
            return;
        // Covered in its new parent already; where that stands, and its size, now.
        if (covers_.count(r.window))
            locate(r.window);
        window = r.window;
        anyway = true;
        break;
    }
    default: return;
    }
    if (const auto k = known_.constFind(window); window && k != known_.cend() && !k->judged)
        judge(window, anyway);
}

void X11VeilSurfaces::handleStructure(const xcb_generic_event_t& event)
{
    const xcb_window_t root = windows_.connection().root();
    switch (event.response_type & 0x7f) {
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
        windows_.connection().forgetWindow(d.window); // what was selected on it, by anyone
        forget(d.window);
        if (d.window == wmCheck_ && wmCheck_) {
            neverCovered_.remove(clientOf(wmCheck_));
            wmCheck_ = 0;
            publish();
        }
        for (const auto& [client, cover] : covers_)
            if (cover->frame() == d.window)
                cover->unframe(true);
        return;
    }
    default: return;
    }
}

} // namespace tavrin
