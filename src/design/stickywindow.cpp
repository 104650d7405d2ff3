#include "design/stickywindow.h"

#include "design/environment.h"
#include "platform/panelwindows.h"

#include <QEvent>
#include <QWidget>

namespace tavrin {

void StickyWindow::install(QWidget* window, bool outOfTaskbar)
{
    window->installEventFilter(new StickyWindow(window, outOfTaskbar));
}

StickyWindow::StickyWindow(QWidget* window, bool outOfTaskbar)
    : QObject(window),
      window_(window),
      outOfTaskbar_(outOfTaskbar)
{}

bool StickyWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Show)
        stick();
    return false;
}

void StickyWindow::stick() { Environment::panelWindows().showOnAllDesktops(window_->winId(), outOfTaskbar_); }

} // namespace tavrin
