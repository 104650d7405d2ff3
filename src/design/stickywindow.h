#pragma once

#include <QObject>

class QWidget;

namespace tavrin {

// Floating panels show on every virtual desktop. On X11 the window asks the
// window manager for all desktops (_NET_WM_DESKTOP 0xFFFFFFFF) whenever it is
// shown; elsewhere nothing is needed or possible.
class StickyWindow : public QObject {
    Q_OBJECT
public:
    // Watches `window` (a top-level widget) for as long as it lives.
    static void install(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit StickyWindow(QWidget* window);
    void stick();

    QWidget* window_;
};

} // namespace tavrin
