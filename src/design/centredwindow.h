#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace tavrin {

// Where a window of the program's own (the first-run window, Settings)
// first opens: centred on the monitor the user is looking at.
class CentredWindow {
public:
    // Moves a top-level window that has not shown yet to the centre of the
    // available area of the screen under the pointer (the primary screen
    // when none is), at its present size. Give it its final size first: a
    // resize while the window manager is still placing it can undo the move.
    static void place(QWidget& window);
    // The top-left corner of a window of `size` centred in `area`; a window
    // larger than the area keeps its top-left corner (and so its title bar)
    // inside it.
    static QPoint origin(const QSize& size, const QRect& area);
};

} // namespace tavrin
