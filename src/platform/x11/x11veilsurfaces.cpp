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
    // Where it stands in its parent, its border included; whether it is
    // mapped and bypasses the window manager.
    xcb_window_t parent = 0;
    Rect bounds;
    bool mapped = false;
    bool overrideRedirect = false;
};

// The root's child that holds `window` through frames (`frames` of each
// parent), or the window itself when it is one or another client's window
// holds it, with its size, depth and place; none when the server does not
// answer or it is gone.
std::optional<TopLevel> topLevelOf(X11Connection& conn, xcb_window_t window,
                                   const std::function<bool(xcb_window_t)>& frames)
{
    xcb_connection_t* c = conn.xcb();
    const xcb_window_t client = window;
    xcb_window_t parent = 0, clientParent = 0;
    for (int step = 0; step < 8; ++step) {
        const auto cookie = xcb_query_tree(c, window);
        if (!conn.sync()) {
            xcb_discard_reply(c, cookie.sequence);
            return std::nullopt;
        }
        XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, cookie, nullptr));
        if (!tree)
            return std::nullopt;
        parent = tree->parent;
        clientParent = step == 0 ? parent : clientParent;
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            break;
        if (!frames(tree->parent)) {
            window = client; // held by another client: covered where it stands
            parent = clientParent;
            break;
        }
        window = tree->parent;
    }
    const auto cookie = xcb_get_geometry(c, window);
    const auto attributesCookie = xcb_get_window_attributes(c, window);
    if (!conn.sync()) {
        xcb_discard_reply(c, cookie.sequence);
        xcb_discard_reply(c, attributesCookie.sequence);
        return std::nullopt;
    }
    XcbReply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, cookie, nullptr));
    XcbReply<xcb_get_window_attributes_reply_t> a(xcb_get_window_attributes_reply(c, attributesCookie, nullptr));
    if (!g || !a)
        return std::nullopt;
    const double outside = 2.0 * g->border_width;
    return TopLevel{window,
                    Size{double(g->width), double(g->height)},
                    g->depth,
                    parent,
                    Rect(g->x, g->y, g->width + outside, g->height + outside),
                    a->map_state != XCB_MAP_STATE_UNMAPPED,
                    bool(a->override_redirect)};
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
    keeper_ = makeKeeper();
    if (!keeper_->ownConnection())
        problem_ = keeper_->problem();
    connect(&server_, &X11WindowServer::restacked, this, &X11VeilSurfaces::restacked);
    X11Connection& conn = windows_.connection();
    idMask_ = xcb_get_setup(conn.xcb())->resource_id_mask;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(conn.xcb())); it.rem; xcb_screen_next(&it))
        roots_.push_back(it.data->root);
    // The root's SubstructureNotify, which the window server selects, tells
    // of new top-levels, frames and reparenting.
    conn.addEarlyHandler(this, [this](const xcb_generic_event_t& event) { handleEarly(event); });
    conn.addEventHandler(this, [this](const xcb_generic_event_t& event) { handleEvent(event); });
}

std::unique_ptr<X11CoverKeeper> X11VeilSurfaces::makeKeeper()
{
    // The thread's word comes to the main loop; none comes once this is gone.
    X11CoverKeeper::Listener listener;
    listener.seen = [this](xcb_window_t window, bool overrideRedirect) {
        QMetaObject::invokeMethod(
            this, [this, window, overrideRedirect] { seen(window, overrideRedirect); }, Qt::QueuedConnection);
    };
    listener.lost = [this] {
        QMetaObject::invokeMethod(
            this, [this] { keeperLost(); }, Qt::QueuedConnection);
    };
    return std::make_unique<X11CoverKeeper>(windows_.connection(), std::move(listener));
}

void X11VeilSurfaces::keeperLost()
{
    if (!windows_.connection().isAlive())
        return; // the display went: nothing to cover on
    qWarning("The connection that keeps private windows covered was lost; covering goes on on a new one");
    // Its covers went with it; so do the ones of its own ids that another
    // client may be given next.
    covers_.clear();
    keeper_.reset();
    keeper_ = makeKeeper();
    if (!keeper_->ownConnection()) {
        qWarning("No new connection for the covers: they are made on the main thread");
        setProblem(QStringLiteral("Share-safe lost its connection to the X display that keeps private windows "
                                  "covered and could not open a new one (%1). Private windows are still covered, "
                                  "but a new one may show for a moment.")
                       .arg(keeper_->problem()));
    } else {
        setProblem(QString());
    }
    // Everything is read and covered again, as when covering goes on.
    auto covered = std::move(covered_);
    covered_ = {};
    known_.clear();
    if (covered)
        coverNewWindows(std::move(covered), fill_);
    for (auto it = labels_.cbegin(); it != labels_.cend(); ++it) {
        X11VeilCover* cover = ensureCover(it.key());
        if (cover && !cover->depth())
            locate(it.key());
        if (const auto again = covers_.find(it.key()); again != covers_.end())
            again->second->setLabel(it->pixmap, it->size);
    }
}

void X11VeilSurfaces::setProblem(const QString& problem)
{
    if (problem == problem_)
        return;
    problem_ = problem;
    if (problemTold_)
        problemTold_();
}

bool X11VeilSurfaces::isRoot(xcb_window_t window) const
{
    return std::find(roots_.begin(), roots_.end(), window) != roots_.end();
}

void X11VeilSurfaces::seen(xcb_window_t window, bool overrideRedirect)
{
    if (!covered_ || known_.contains(window))
        return;
    // (Held by another client's window, or on another screen: asked where it
    // stands, for the cover beside it.)
    created(window, overrideRedirect, false);
    // Named (and maybe shown) before this connection watched it: judged now,
    // by its process alone while it has no class, and again when one comes.
    judge(window, true);
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
    fill_ = fill;
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
    // Once covering is off, the covers the keeper made of windows not
    // followed here (not seen before it went off) go too. While it is on,
    // the keeper covers a new window before this thread has heard of it
    // (its events may not even be read yet): that cover stays, and the
    // window is judged when its events come.
    if (!covered_) {
        QSet<xcb_window_t> kept;
        for (const auto& [client, cover] : covers_)
            kept.insert(client);
        keeper_->retain(kept);
    }
    tellKeeperUncovered();
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

void X11VeilSurfaces::tellKeeperUncovered()
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
    if (!findNeverCovered())
        return;
    std::vector<Found> found = walkTree();
    // Processes the clients did not name: the server knows each local client's.
    std::vector<xcb_window_t> unnamed;
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < found.size(); ++i)
        if (!found[i].pid) {
            unnamed.push_back(found[i].window);
            at.push_back(i);
        }
    const std::vector<int> pids = windows_.connection().clientPids(unnamed);
    for (std::size_t j = 0; j < at.size(); ++j)
        found[at[j]].pid = pids[j];
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
        k.named = !f.cls.isEmpty();
        k.verdict = covered_(k.name, k.pid);
        // One no window manager frames is asked where it stands, for the cover beside it.
        const bool unframed = f.top == f.window && (!isRoot(f.parent) || f.overrideRedirect || !wmCheck_);
        k.top = unframed ? 0 : f.top;
        known_.insert(f.window, k);
        windows_.connection().selectInput(f.window, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    }
}

bool X11VeilSurfaces::findNeverCovered()
{
    X11Connection& conn = windows_.connection();
    xcb_connection_t* c = conn.xcb();
    neverCovered_.clear();
    neverCovered_.insert(clientOf(xcb_generate_id(c)));
    if (xcb_connection_t* qt = qtConnection())
        neverCovered_.insert(clientOf(xcb_generate_id(qt)));
    neverCovered_.insert(keeper_->ownClient());
    const auto wmCookie = conn.requestProperty(conn.root(), conn.ewmh()->_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1);
    if (!conn.sync()) {
        xcb_discard_reply(c, wmCookie.sequence);
        return false;
    }
    wmCheck_ = 0;
    if (const auto wm = X11Connection::cardinals(conn.takeProperty(wmCookie).get()); !wm.empty() && wm[0]) {
        wmCheck_ = wm[0];
        neverCovered_.insert(clientOf(wmCheck_));
        conn.selectInput(wmCheck_, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    }
    keeper_->setWindowManager(wmCheck_);
    return true;
}

X11VeilSurfaces::Asked X11VeilSurfaces::ask(const Found& f)
{
    X11Connection& conn = windows_.connection();
    Asked a{std::nullopt, std::nullopt, std::nullopt, xcb_query_tree(conn.xcb(), f.window)};
    if (f.parent && clientOf(f.window) != clientOf(f.parent)) {
        a.cls = conn.requestProperty(f.window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        a.pid = conn.requestProperty(f.window, conn.ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
        a.attributes = xcb_get_window_attributes(conn.xcb(), f.window);
    }
    return a;
}

void X11VeilSurfaces::discard(xcb_connection_t* c, const Asked& a)
{
    for (const auto& cookie : {a.cls, a.pid})
        if (cookie)
            xcb_discard_reply(c, cookie->sequence);
    if (a.attributes)
        xcb_discard_reply(c, a.attributes->sequence);
    xcb_discard_reply(c, a.tree.sequence);
}

bool X11VeilSurfaces::takeClient(Found& f, const Asked& a, bool hasTree, std::vector<Found>& found)
{
    X11Connection& conn = windows_.connection();
    auto cls = conn.takeProperty(*a.cls);
    auto pid = conn.takeProperty(*a.pid);
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(conn.xcb(), *a.attributes, nullptr));
    if (!attributes || !hasTree)
        return false; // gone
    f.cls = X11Connection::strings(cls.get());
    const auto pids = X11Connection::cardinals(pid.get());
    f.pid = pids.empty() ? 0 : int(pids[0]);
    f.overrideRedirect = attributes->override_redirect;
    if (neverCovered_.contains(clientOf(f.window)) && clientOf(f.window) != clientOf(wmCheck_))
        return false; // this program's own: nothing of others in them
    if (!neverCovered_.contains(clientOf(f.window))) {
        // Held by another client's window (not a frame): covered where it stands.
        if (!isRoot(f.parent) && !frames(f.parent))
            f.top = f.window;
        found.push_back(f);
    }
    return true;
}

std::vector<X11VeilSurfaces::Found> X11VeilSurfaces::walkTree()
{
    X11Connection& conn = windows_.connection();
    xcb_connection_t* c = conn.xcb();
    std::vector<Found> found;
    // Every window walked is watched by the keeper for windows made in it.
    std::vector<xcb_window_t> walked;
    std::vector<Found> level;
    for (xcb_window_t root : roots_)
        level.push_back({root, 0, 0, {}, 0, false});
    // Level by level, one round trip each: a window made by another client
    // than its parent's is a client window (its class and process read),
    // unless its parent is a root or the window manager's.
    for (int depth = 0; depth < 12 && !level.empty(); ++depth) {
        std::vector<Asked> asked;
        asked.reserve(level.size());
        for (const Found& f : level)
            asked.push_back(ask(f));
        const bool answered = conn.sync();
        std::vector<Found> next;
        for (std::size_t i = 0; i < level.size(); ++i) {
            Found f = level[i];
            const Asked& a = asked[i];
            if (!answered) {
                discard(c, a);
                continue;
            }
            XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, a.tree, nullptr));
            if (a.attributes && !takeClient(f, a, bool(tree), found))
                continue;
            if (!tree)
                continue;
            if (f.parent)
                walked.push_back(f.window);
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            for (int j = 0; j < xcb_query_tree_children_length(tree.get()); ++j)
                next.push_back({children[j], f.window, f.parent ? f.top : children[j], {}, 0, false});
        }
        level = std::move(next);
    }
    keeper_->watchAll(walked);
    return found;
}

void X11VeilSurfaces::created(xcb_window_t window, bool overrideRedirect, bool atTop)
{
    if (!covered_ || neverCovered_.contains(clientOf(window))) {
        keeper_->uncover(window, false); // made by the keeper before it knew
        return;
    }
    if (known_.contains(window))
        return;
    Known k;
    k.overrideRedirect = overrideRedirect;
    // One that bypasses the window manager is asked where it stands, for the cover beside it.
    k.top = atTop && !overrideRedirect ? window : 0;
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
    if (known.judged && (known.named || known.verdict))
        return known.verdict;
    // Without a class, or not read yet: covered when its client has a window
    // that is. Judged by its process alone, it is not covered otherwise; not
    // read yet, a popup of a client known not to be covered is not either,
    // and any other window is covered until it is read (a client's first
    // window may be plain and its next one private).
    const std::optional<bool> client = clientVerdict(window);
    if (client.value_or(false))
        return true;
    if (known.judged)
        return false;
    return !known.overrideRedirect || !client.has_value();
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
    if (const auto k = known_.constFind(window); k == known_.cend() || (k->judged && k->named))
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
    if (!pid)
        pid = X11Connection::clientPid(r.get());
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
    if (k == known_.end() || (k->judged && k->named))
        return;
    k->name = name;
    k->pid = pid;
    k->judged = true;
    k->named = !cls.isEmpty();
    k->verdict = verdict;
    tellKeeperUncovered();
    if (const auto it = covers_.find(window); it != covers_.end()) {
        it->second->name = k->name;
        it->second->pid = pid;
    }
    // Its client's other windows not read yet follow it.
    const std::uint32_t client = clientOf(window);
    std::vector<xcb_window_t> same;
    for (auto it = known_.cbegin(); it != known_.cend(); ++it)
        if (it.key() == window || ((!it->judged || !it->named) && clientOf(it.key()) == client))
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
    if (it == covers_.end() || parent == client || parent == it->second->frame() || !frames(parent))
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
    const auto top =
        topLevelOf(windows_.connection(), it->second->top(), [this](xcb_window_t parent) { return frames(parent); });
    // Looked up again: the wait may have seen it go.
    const auto again = covers_.find(client);
    if (!top || again == covers_.end())
        return;
    X11VeilCover& cover = *again->second;
    if (top->window != cover.top())
        frame(client, top->window); // the frame held it within a window of its own
    if (cover.top() == top->window)
        cover.setTopGeometry(top->size, top->depth);
    // Not framed, bypassing the window manager or held by another client's
    // window: covered by a sibling too, out of reach of its own drawing.
    const bool unframed = top->window == client && top->parent
                          && (isRoot(top->parent) ? top->overrideRedirect || !wmCheck_ : !frames(top->parent));
    if (unframed)
        keeper_->coverBeside(client, top->parent, top->bounds, top->mapped);
}

void X11VeilSurfaces::forget(xcb_window_t client)
{
    known_.remove(client);
    if (const auto it = covers_.find(client); it != covers_.end()) {
        it->second->clientGone();
        covers_.erase(it);
    }
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
    // Covers are made and raised by the keeper, from its own connection's
    // events and from these, whichever come first.
    keeper_->handleMain(event);
    // What is kept of a window that went is dropped at once, so that nothing
    // held across a wait on the server can be of a window that is gone.
    if ((event.response_type & 0x7f) != XCB_DESTROY_NOTIFY)
        return;
    const auto& d = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
    windows_.connection().forgetWindow(d.window); // what was selected on it, by anyone
    forget(d.window);
    if (d.window == wmCheck_ && wmCheck_) {
        neverCovered_.remove(clientOf(wmCheck_));
        wmCheck_ = 0;
        tellKeeperUncovered();
    }
    for (const auto& [client, cover] : covers_)
        if (cover->frame() == d.window)
            cover->unframe(true);
}

void X11VeilSurfaces::handleEvent(const xcb_generic_event_t& event)
{
    // New windows are followed and judged here, on the main loop: their
    // covers are up already.
    xcb_window_t window = 0;
    bool anyway = false;
    switch (event.response_type & 0x7f) {
    case XCB_CREATE_NOTIFY: {
        // A client that named it in the same breath is judged now, often
        // before the window manager has mapped it.
        const auto& c = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        if (isRoot(c.parent))
            created(c.window, c.override_redirect);
        window = c.window;
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (p.atom == XCB_ATOM_WM_CLASS || p.atom == windows_.connection().ewmh()->_NET_WM_PID) {
            window = p.window;
            // Judged without a class already: judged again with what came.
            const auto k = known_.constFind(window);
            anyway = k != known_.cend() && k->judged;
        }
        break;
    }
    case XCB_MAP_NOTIFY:
        // Shown without a class: judged by its process alone.
        window = reinterpret_cast<const xcb_map_notify_event_t&>(event).window;
        anyway = true;
        break;
    case XCB_REPARENT_NOTIFY:
        reparented(reinterpret_cast<const xcb_reparent_notify_event_t&>(event));
        window = reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window;
        anyway = true;
        break;
    case XCB_CONFIGURE_NOTIFY: {
        const auto& c = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (X11VeilCover* cover = coverWithTopLevel(c.window))
            cover->resized(Size{double(c.width), double(c.height)});
        return;
    }
    default: return;
    }
    if (const auto k = known_.constFind(window); window && k != known_.cend() && !(k->judged && k->named))
        judge(window, anyway);
}

void X11VeilSurfaces::reparented(const xcb_reparent_notify_event_t& r)
{
    // Framed by the window manager, or on its own or held by another
    // client's window, where it is covered in itself alone.
    const bool framed = !isRoot(r.parent) && frames(r.parent);
    if (const auto k = known_.find(r.window); k != known_.end())
        k->top = framed ? 0 : r.window;
    const auto it = covers_.find(r.window);
    if (it == covers_.end())
        return;
    if (!framed && it->second->frame())
        it->second->unframe(false);
    // Where its cover stands outermost now (the keeper framed it already),
    // and that window's size, asked of the server: this event may be old.
    if (!isRoot(r.parent))
        locate(r.window);
}

} // namespace tavrin
