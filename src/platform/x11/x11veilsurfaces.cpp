#include "platform/x11/x11veilsurfaces.h"

#include "platform/x11/x11veilsurface.h"
#include "platform/x11/x11windowserver.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>

namespace tavrin {

X11VeilSurfaces::X11VeilSurfaces(X11WindowServer& server, QObject* parent) : QObject(parent), server_(server)
{
    connect(&server_, &X11WindowServer::restacked, this, &X11VeilSurfaces::restacked);
}

xcb_connection_t* X11VeilSurfaces::qtConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::unique_ptr<VeilSurface> X11VeilSurfaces::make(QWidget& content)
{
    return std::make_unique<X11VeilSurface>(content, *this, server_, qtConnection());
}

bool X11VeilSurfaces::windowed() const { return qtConnection() != nullptr; }

void X11VeilSurfaces::enlist(X11VeilSurface* surface) { surfaces_.push_back(surface); }

void X11VeilSurfaces::discharge(X11VeilSurface* surface) { std::erase(surfaces_, surface); }

void X11VeilSurfaces::restacked(xcb_window_t window)
{
    if (server_.isSurface(window))
        return; // our own restacking
    for (X11VeilSurface* surface : std::vector<X11VeilSurface*>(surfaces_))
        surface->restacked(window);
}

} // namespace tavrin
