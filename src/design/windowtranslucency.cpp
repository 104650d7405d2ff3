#include "design/windowtranslucency.h"

#include "design/environment.h"
#include "design/squircle.h"
#include "design/surface.h"
#include "design/tglass.h"
#include "platform/panelwindows.h"

#include <QApplication>
#include <QBitmap>
#include <QEvent>
#include <QImage>
#include <QPainterPath>
#include <QPixmap>
#include <QWidget>

namespace tavrin {

namespace {

// A region of the window in device pixels.
QList<QRect> pixelRects(const QRegion& region, qreal ratio)
{
    QList<QRect> rects;
    for (const QRect& r : region)
        rects.append(QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toAlignedRect());
    return rects;
}

// Asks the window system for a blur behind `region`, or withdraws the
// request for an empty one. True when the window has a blur behind it.
bool requestBlur(QWidget* window, const QRegion& region)
{
    return Environment::panelWindows().setBlurBehind(window->winId(), pixelRects(region, window->devicePixelRatioF()));
}

// Lets clicks outside `region` through to what lies behind the window.
void setInputShape(QWidget* window, const QRegion& region)
{
    Environment::panelWindows().setClickRegion(window->winId(), pixelRects(region, window->devicePixelRatioF()));
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

bool WindowTranslucency::compositing() { return Environment::panelWindows().compositing(); }

bool WindowTranslucency::blurOffered()
{
    return Environment::blurAvailable() && Environment::panelWindows().blurOffered();
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
