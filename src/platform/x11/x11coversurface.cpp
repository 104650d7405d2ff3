#include "platform/x11/x11coversurface.h"

#include "platform/x11/x11veilsurfaces.h"

namespace tavrin {

X11CoverSurface::X11CoverSurface(QWidget& content, X11VeilSurfaces& owner, xcb_window_t client)
    : owner_(owner),
      client_(client)
{
    number_ = owner_.attach(client_, content);
}

X11CoverSurface::~X11CoverSurface() { owner_.release(client_); }

} // namespace tavrin
