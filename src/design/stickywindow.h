#pragma once

#include <QObject>

class QWidget;

namespace tavrin {

// Floating panels show on every virtual desktop. On X11 the window asks the
// window manager for all desktops (_NET_WM_DESKTOP 0xFFFFFFFF and the sticky
// state) whenever it is shown, and, when asked to, to be left out of the task bar and the pager,
// and so of window cycling (_NET_WM_STATE_SKIP_TASKBAR, _SKIP_PAGER);
// elsewhere nothing is needed or possible.
class StickyWindow : public QObject {
    Q_OBJECT
public:
    // Watches `window` (a top-level widget) for as long as it lives.
    static void install(QWidget* window, bool outOfTaskbar = false);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StickyWindow(QWidget* window, bool outOfTaskbar);
    void stick();

    QWidget* window_;
    bool outOfTaskbar_;
};

} // namespace tavrin
