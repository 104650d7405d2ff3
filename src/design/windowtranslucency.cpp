#include "design/windowtranslucency.h"

#include <QBitmap>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace tavrin {

bool WindowTranslucency::compositing()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return true; // Wayland composites always; the offscreen platform keeps alpha
    xcb_connection_t* c = x11->connection();
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    static const char name[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof(name) - 1, name), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool composited = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return composited;
}

QBitmap WindowTranslucency::visibleShape(const QImage& rendered)
{
    // A faint halo goes with the clear parts.
    return QBitmap::fromImage(rendered.createAlphaMask(Qt::ThresholdAlphaDither));
}

void WindowTranslucency::install(QWidget* window)
{
    window->installEventFilter(new WindowTranslucency(window));
}

WindowTranslucency::WindowTranslucency(QWidget* window) : QObject(window), window_(window) {}

bool WindowTranslucency::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && (event->type() == QEvent::Show || event->type() == QEvent::Resize) && !pending_) {
        // Once the window has laid out and painted its new state.
        pending_ = true;
        QMetaObject::invokeMethod(this, &WindowTranslucency::fitMask, Qt::QueuedConnection);
    }
    return false;
}

void WindowTranslucency::fitMask()
{
    pending_ = false;
    if (!window_->isVisible())
        return;
    if (compositing()) {
        if (!window_->mask().isEmpty())
            window_->clearMask();
        return;
    }
    QImage image = window_->grab().toImage();
    image.setDevicePixelRatio(1);
    if (!image.hasAlphaChannel())
        return;
    QBitmap shape = visibleShape(image);
    const qreal ratio = window_->devicePixelRatioF();
    if (ratio != 1.0)
        shape = QBitmap::fromPixmap(shape.scaled(window_->size()));
    window_->setMask(shape);
}

} // namespace tavrin
