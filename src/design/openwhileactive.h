#pragma once

#include <QObject>
#include <Qt>

class QWidget;

namespace tavrin {

// A window that stays open only while it is the active window: the menu-bar
// window, a popover. It takes the keyboard focus when it opens but grabs
// neither the keyboard nor the pointer, so that other programs' hot keys,
// the window manager's keys (Alt+Tab) and other windows keep working while
// it is open; it closes when another window becomes active (a click
// elsewhere, a key of the window manager, a new window) and on Escape.
// Short-lived menus that close on any click or key keep the toolkit's popup
// and its grab instead.
class OpenWhileActive : public QObject {
    Q_OBJECT
public:
    // The flags to make such a window with: a frameless tool window above
    // the others (a transient one when it has a parent).
    static constexpr Qt::WindowFlags kFlags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

    // Watches `window` (a top-level widget made with kFlags) for as long as
    // it lives; it is kept out of the task bar, the pager and window cycling.
    static void install(QWidget* window);
    // Shows the window in front and asks for the keyboard focus for it.
    static void open(QWidget* window);
    // Whether the hidden `window` still counts as the focus window: it was
    // closed while it had the focus, and the window system has not yet told
    // where the focus went. Shown again now, it may learn of neither its
    // focus nor its losing it; a window opened often is best made anew then.
    static bool isStale(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit OpenWhileActive(QWidget* window);
    void activeChanged();

    QWidget* window_;
    // It has been the active window since it was shown: a window that never
    // got the focus is not closed by another window's.
    bool wasActive_ = false;
};

} // namespace tavrin
