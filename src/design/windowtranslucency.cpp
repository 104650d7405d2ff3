#include "design/windowtranslucency.h"

#include "design/environment.h"
#include "design/squircle.h"
#include "design/surface.h"
#include "design/tglass.h"

#include <QApplication>
#include <QBitmap>
#include <QEvent>
#include <QImage>
#include <QPainterPath>
#include <QPixmap>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace tavrin {

namespace {

xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

const char* const kBlurRegion = "_KDE_NET_WM_BLUR_BEHIND_REGION";

// A region of the window in device pixels, as X11 rectangles.
std::vector<xcb_rectangle_t> pixelRects(const QRegion& region, qreal ratio)
{
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& r : region) {
        const QRect p = QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toAlignedRect();
        rects.push_back(
            {std::int16_t(p.x()), std::int16_t(p.y()), std::uint16_t(p.width()), std::uint16_t(p.height())});
    }
    return rects;
}

// Asks the window system for a blur behind `region`, or withdraws the
// request for an empty one. True when the window has a blur behind it.
bool requestBlur(QWidget* window, const QRegion& region)
{
    xcb_connection_t* c = x11Connection();
    if (!c)
        return !region.isEmpty(); // no window of X11's: what the desktop says stands
    const xcb_atom_t property = atom(c, kBlurRegion);
    const auto id = xcb_window_t(window->winId());
    if (region.isEmpty() || property == XCB_ATOM_NONE) {
        if (property != XCB_ATOM_NONE)
            xcb_delete_property(c, id, property);
        xcb_flush(c);
        return false;
    }
    std::vector<std::uint32_t> value;
    for (const xcb_rectangle_t& r : pixelRects(region, window->devicePixelRatioF()))
        value.insert(value.end(), {std::uint32_t(r.x), std::uint32_t(r.y), r.width, r.height});
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_CARDINAL, 32, std::uint32_t(value.size()),
                        value.data());
    xcb_flush(c);
    return true;
}

// Lets clicks outside `region` through to what lies behind the window.
void setInputShape(QWidget* window, const QRegion& region)
{
    xcb_connection_t* c = x11Connection();
    if (!c)
        return;
    const std::vector<xcb_rectangle_t> rects = pixelRects(region, window->devicePixelRatioF());
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         xcb_window_t(window->winId()), 0, 0, std::uint32_t(rects.size()), rects.data());
    xcb_flush(c);
}

// Our other windows under `area` draw again: Qt does not repaint what a
// change of a window's shape uncovers.
void repaintBelow(const QWidget* window, const QRect& area)
{
    for (QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible() && other->frameGeometry().intersects(area))
            other->update();
}

} // namespace

bool WindowTranslucency::compositing()
{
    xcb_connection_t* c = x11Connection();
    if (!c)
        return true; // Wayland composites always; the offscreen platform keeps alpha
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    const xcb_atom_t selection = atom(c, "_NET_WM_CM_S0");
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool composited = owner && owner->owner != XCB_NONE;
    std::free(owner);
    return composited;
}

bool WindowTranslucency::blurOffered()
{
    if (!Environment::blurAvailable())
        return false;
    xcb_connection_t* c = x11Connection();
    if (!c)
        return true;
    // The compositor's blur announces itself on the root window (it is not
    // listed among the supported hints).
    const xcb_atom_t property = atom(c, kBlurRegion);
    if (property == XCB_ATOM_NONE)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, property, XCB_ATOM_ANY, 0, 0), nullptr);
    const bool announced = reply && reply->type != XCB_ATOM_NONE;
    std::free(reply);
    return announced && compositing();
}

QBitmap WindowTranslucency::visibleShape(const QImage& rendered)
{
    // A faint halo goes with the clear parts.
    return QBitmap::fromImage(rendered.createAlphaMask(Qt::ThresholdAlphaDither));
}

QRegion WindowTranslucency::clickRegion(const QWidget* window)
{
    // Down through containers that hold one widget filling them.
    const QWidget* w = window;
    for (;;) {
        const QWidget* only = nullptr;
        int visible = 0;
        for (QObject* child : w->children()) {
            auto* c = qobject_cast<const QWidget*>(child);
            if (c && !c->isWindow() && c->isVisibleTo(w)) {
                only = c;
                ++visible;
            }
        }
        if (visible != 1 || only->geometry() != w->rect())
            break;
        w = only;
    }
    const auto* surface = qobject_cast<const Surface*>(w);
    if (!surface)
        return QRegion(window->rect());
    const QRectF shape = surface->shapeRect();
    return QRegion(QRectF(surface->mapTo(window, shape.topLeft()), shape.size()).toAlignedRect());
}

QRegion WindowTranslucency::glassRegion(const QWidget* window)
{
    QRegion region;
    for (const TGlass* glass : window->findChildren<const TGlass*>()) {
        if (!glass->isVisibleTo(window))
            continue;
        const QRectF shape = glass->shapeRect().translated(glass->mapTo(window, QPoint()));
        region += QRegion(Squircle::path(shape, glass->radius()).toFillPolygon().toPolygon());
    }
    return region;
}

bool WindowTranslucency::blurBehind(QWidget* window, const QRegion& region) { return requestBlur(window, region); }

void WindowTranslucency::fit(QWidget* window, bool compositing)
{
    const bool blur = compositing && blurOffered() && requestBlur(window, glassRegion(window));
    if (!blur)
        requestBlur(window, {});
    // The views draw for the window they are in from here on.
    Environment::setWindowBackdrop(window, compositing, blur);

    const QRegion before = window->mask();
    if (compositing) {
        if (!before.isEmpty())
            window->clearMask();
    } else {
        QImage image = window->grab().toImage();
        image.setDevicePixelRatio(1);
        if (image.hasAlphaChannel()) {
            QBitmap shape = visibleShape(image);
            const qreal ratio = window->devicePixelRatioF();
            if (ratio != 1.0)
                shape = QBitmap::fromPixmap(shape.scaled(window->size()));
            const QRegion visible(shape);
            // Nothing visible at all would read as no mask: keep one pixel.
            window->setMask(visible.isEmpty() ? QRegion(0, 0, 1, 1) : visible);
        }
    }
    setInputShape(window, clickRegion(window));
    if (window->isVisible() && window->mask() != before) {
        window->update();
        repaintBelow(window, window->frameGeometry());
    }
}

void WindowTranslucency::install(QWidget* window) { window->installEventFilter(new WindowTranslucency(window)); }

WindowTranslucency::WindowTranslucency(QWidget* window) : QObject(window), window_(window)
{
    if (Appearance* a = Environment::appearance())
        connect(a, &Appearance::blurAvailableChanged, this, &WindowTranslucency::fitLater);
}

bool WindowTranslucency::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_)
        return false;
    if (event->type() == QEvent::Show) {
        // Before the window is mapped, so that it never shows uncut; and
        // again once it has laid out and painted its new state.
        fit(window_, compositing());
        fitLater();
    } else if (event->type() == QEvent::Resize) {
        fitLater();
    }
    return false;
}

void WindowTranslucency::fitLater()
{
    if (pending_)
        return;
    pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            pending_ = false;
            if (window_->isVisible())
                fit(window_, compositing());
        },
        Qt::QueuedConnection);
}

} // namespace tavrin
