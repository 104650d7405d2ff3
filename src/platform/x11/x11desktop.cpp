#include "platform/x11/x11desktop.h"

#include "platform/x11/desktopentries.h"
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

#include <unistd.h>

namespace tavrin {

namespace {
// Whether an EWMH window manager runs: _NET_SUPPORTING_WM_CHECK names a
// window that names itself.
bool hasWindowManager(X11Connection& conn)
{
    const xcb_atom_t check = conn.ewmh()->_NET_SUPPORTING_WM_CHECK;
    auto rootCookie = conn.requestProperty(conn.root(), check, XCB_ATOM_WINDOW, 1);
    if (!conn.sync()) {
        xcb_discard_reply(conn.xcb(), rootCookie.sequence);
        return false;
    }
    const auto onRoot = X11Connection::cardinals(conn.takeProperty(rootCookie).get());
    if (onRoot.empty() || !onRoot[0])
        return false;
    auto childCookie = conn.requestProperty(onRoot[0], check, XCB_ATOM_WINDOW, 1);
    if (!conn.sync()) {
        xcb_discard_reply(conn.xcb(), childCookie.sequence);
        return false;
    }
    const auto onChild = X11Connection::cardinals(conn.takeProperty(childCookie).get());
    return !onChild.empty() && onChild[0] == onRoot[0];
}
} // namespace

std::unique_ptr<X11Desktop> X11Desktop::connect(QString* error, const QString& display)
{
    auto conn = X11Connection::open(display, error);
    if (!conn)
        return nullptr;
    if (!hasWindowManager(*conn)) {
        if (error)
            *error = QStringLiteral("No window manager that follows EWMH runs on this X display.");
        return nullptr;
    }
    std::unique_ptr<X11Desktop> d(new X11Desktop);
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
    if (!workspace_ && common.clock)
        workspace_ = std::make_unique<X11Workspace>(*windows_, *common.clock);
    if (!automation_ && workspace_)
        automation_ = std::make_unique<X11Automation>(windows_->entries(), *windows_, *workspace_);
    if (!defaults_ && common.defaults && common.clock)
        defaults_ = std::make_unique<X11Defaults>(*common.defaults, *common.clock);
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
