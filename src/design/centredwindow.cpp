#include "design/centredwindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace tavrin {

QPoint CentredWindow::origin(const QSize& size, const QRect& area)
{
    const int x = area.x() + (area.width() - size.width()) / 2;
    const int y = area.y() + (area.height() - size.height()) / 2;
    return {std::max(x, area.x()), std::max(y, area.y())};
}

void CentredWindow::place(QWidget& window)
{
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    if (area.isEmpty())
        area = screen->geometry();
    window.move(origin(window.frameGeometry().size(), area));
}

} // namespace tavrin
