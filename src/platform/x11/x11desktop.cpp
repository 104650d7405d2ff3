#include "platform/x11/x11desktop.h"

#include "platform/x11/desktopentries.h"
#include "platform/x11/desktopsettings.h"
#include "platform/x11/x11accessibility.h"
#include "platform/x11/x11automation.h"
#include "platform/x11/x11connection.h"
#include "platform/x11/x11defaults.h"
#include "platform/x11/x11eventmonitors.h"
#include "platform/x11/x11hotkeys.h"
#include "platform/x11/x11inputtaps.h"
#include "platform/x11/x11keyboard.h"
#include "platform/x11/x11screens.h"
#include "platform/x11/x11veilsurfaces.h"
#include "platform/x11/x11windows.h"
#include "platform/x11/x11windowserver.h"
#include "platform/x11/x11workspace.h"

#include <optional>
#include <unistd.h>

namespace tavrin {

namespace {
// The window through which an EWMH window manager says it runs: the one
// _NET_SUPPORTING_WM_CHECK names on the root, which names itself; none
// without such a window manager.
std::optional<xcb_window_t> windowManagerCheck(X11Connection& conn)
{
    const xcb_atom_t check = conn.ewmh()->_NET_SUPPORTING_WM_CHECK;
    auto rootCookie = conn.requestProperty(conn.root(), check, XCB_ATOM_WINDOW, 1);
    if (!conn.sync()) {
        xcb_discard_reply(conn.xcb(), rootCookie.sequence);
        return std::nullopt;
    }
    const auto onRoot = X11Connection::cardinals(conn.takeProperty(rootCookie).get());
    if (onRoot.empty() || !onRoot[0])
        return std::nullopt;
    auto childCookie = conn.requestProperty(onRoot[0], check, XCB_ATOM_WINDOW, 1);
    if (!conn.sync()) {
        xcb_discard_reply(conn.xcb(), childCookie.sequence);
        return std::nullopt;
    }
    const auto onChild = X11Connection::cardinals(conn.takeProperty(childCookie).get());
    if (onChild.empty() || onChild[0] != onRoot[0])
        return std::nullopt;
    return onRoot[0];
}

// The name the window manager gives itself on that window ("Xfwm4",
// "Openbox", "KWin"); empty when it gives none.
QString windowManagerName(X11Connection& conn, xcb_window_t check)
{
    auto cookie = conn.requestProperty(check, conn.ewmh()->_NET_WM_NAME);
    if (!conn.sync()) {
        xcb_discard_reply(conn.xcb(), cookie.sequence);
        return {};
    }
    return conn.text(conn.takeProperty(cookie).get());
}
} // namespace

std::unique_ptr<X11Desktop> X11Desktop::connect(QString* error, const QString& display)
{
    auto conn = X11Connection::open(display, error);
    if (!conn)
        return nullptr;
    const auto check = windowManagerCheck(*conn);
    if (!check) {
        if (error)
            *error = QStringLiteral("No window manager that follows EWMH runs on this X display.");
        return nullptr;
    }
    std::unique_ptr<X11Desktop> d(new X11Desktop);
    d->windowManagerName_ = windowManagerName(*conn, *check);
    d->conn_ = std::move(conn);
    d->entries_ = std::make_unique<DesktopEntries>();
    d->windows_ = std::make_unique<X11Windows>(*d->conn_, *d->entries_);
    d->keyboard_ = std::make_unique<X11Keyboard>(*d->conn_);
    d->accessibility_ = std::make_unique<X11Accessibility>(*d->windows_);
    d->windowServer_ = std::make_unique<X11WindowServer>(*d->windows_);
    d->screens_ = std::make_unique<X11Screens>(*d->conn_);
    d->hotKeys_ = std::make_unique<X11HotKeys>(*d->conn_, *d->keyboard_);
    X11Windows* windows = d->windows_.get();
    d->eventMonitors_ = std::make_unique<X11EventMonitors>(*d->conn_, *d->keyboard_, [windows] {
        const auto active = windows->activeWindow();
        if (!active || !*active)
            return false;
        const auto info = windows->readOne(*active, 0);
        return info && info->exists && info->pid == int(::getpid());
    });
    d->inputTaps_ = std::make_unique<X11InputTaps>(d->conn_->displayName(), *d->keyboard_);
    d->veilSurfaces_ = std::make_unique<X11VeilSurfaces>(*d->windowServer_, *d->windows_);
    return d;
}

X11Desktop::~X11Desktop()
{
    // Services before the connection they use, and its clock's timers before them.
    conn_->batchMovesOn(nullptr);
    automation_.reset();
    defaults_.reset();
    workspace_.reset();
    veilSurfaces_.reset();
    inputTaps_.reset();
    eventMonitors_.reset();
    hotKeys_.reset();
    screens_.reset();
    windowServer_.reset();
    accessibility_.reset();
    keyboard_.reset();
    windows_.reset();
}

Platform X11Desktop::startServices(const Platform& common)
{
    const QString desktop =
        DesktopSettings::runningDesktop(windowManagerName_, qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (!workspace_ && common.clock)
        workspace_ = std::make_unique<X11Workspace>(*windows_, *common.clock, desktop);
    if (!automation_ && workspace_)
        automation_ = std::make_unique<X11Automation>(windows_->entries(), *windows_, *workspace_);
    if (!defaults_ && common.defaults && common.clock)
        defaults_ =
            std::make_unique<X11Defaults>(*common.defaults, *common.clock, X11Defaults::runningDesktopSource(desktop));
    // Moves come in batches on the program's clock.
    conn_->batchMovesOn(common.clock);
    Platform p = common;
    p.accessibility = accessibility_.get();
    p.windowServer = windowServer_.get();
    p.screens = screens_.get();
    p.workspace = workspace_.get();
    p.hotKeys = hotKeys_.get();
    p.eventMonitors = eventMonitors_.get();
    p.inputTaps = inputTaps_.get();
    p.veilSurfaces = veilSurfaces_.get();
    p.automation = automation_.get();
    if (defaults_)
        p.defaults = defaults_.get();
    return p;
}

} // namespace tavrin
