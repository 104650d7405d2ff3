#include "design/openwhileactive.h"

#include "design/stickywindow.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <utility>

namespace tavrin {

void OpenWhileActive::install(QWidget* window)
{
    window->installEventFilter(new OpenWhileActive(window));
    StickyWindow::install(window, true);
}

OpenWhileActive::OpenWhileActive(QWidget* window) : QObject(window), window_(window) {}

void OpenWhileActive::open(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

bool OpenWhileActive::isStale(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return !window->isVisible() && handle && handle->isActive();
}

bool OpenWhileActive::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_)
        return false;
    if (event->type() == QEvent::Show) {
        // Active while it or a window of its own (a menu it opened) has the
        // focus. A window hidden a moment ago while it had the focus still
        // counts as the focus window until the window system says otherwise
        // (see `isStale`).
        QWindow* handle = window_->windowHandle();
        wasActive_ = handle && handle->isActive();
        if (handle)
            connect(handle, &QWindow::activeChanged, this, &OpenWhileActive::activeChanged, Qt::UniqueConnection);
    }
    // Escape that no widget inside took.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        window_->hide();
        return true;
    }
    return false;
}

void OpenWhileActive::activeChanged()
{
    const QWindow* handle = window_->windowHandle();
    if (handle && handle->isActive()) {
        wasActive_ = true;
        return;
    }
    // Another window, of this program or another, became active.
    if (std::exchange(wasActive_, false) && window_->isVisible())
        window_->hide();
}

} // namespace tavrin
