#pragma once

#include "app/menubar/nowview.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

namespace tavrin {

class Clock;

// The application's icon in the menu bar: a tray icon when the desktop has a
// tray (on X11, also once one appears later), and the icon in the simulated
// desktop's menu bar when there is one.
// A click on either opens the menu-bar window beside the icon, or closes it.
// The window takes the keyboard focus without grabbing it, and closes when
// another window becomes active or on Escape (see `OpenWhileActive`).
class MenuBarExtra : public QObject {
    Q_OBJECT
public:
    // Another place that shows the icon besides the tray (the simulated
    // desktop's menu bar): given the icon and what a click on it does, with
    // the icon's rectangle in global coordinates.
    using IconPlace = std::function<void(const QIcon& icon, std::function<void(const QRect& anchor)> clicked)>;

    explicit MenuBarExtra(MenuBarServices services, IconPlace place = {}, QObject* parent = nullptr);
    ~MenuBarExtra() override;

    // The icon is docked in a tray now.
    bool inTray() const;
    bool isOpen() const;
    // Opens the window beside an icon at `anchor` (global coordinates), or
    // closes it when it is open. A click on the icon that has just closed
    // the window (a click that activates another window closes it first)
    // leaves it closed.
    void toggle(const QRect& anchor);
    void open(const QRect& anchor);
    // Opens the window where a click on the icon would: beside the tray
    // icon, or without one at the top right of the screen with the pointer.
    // Open already: left as it is.
    void openBesideIcon();
    void close();

    QWidget* popup() const { return popup_; }
    NowView* view() const { return view_; }

    // Where a popup of `size` goes for an icon at `anchor` on a screen whose
    // usable area is `screen`: below the icon, its right edge under the
    // icon's, kept on the screen; above the icon when there is no room below.
    static QPoint placement(const QRect& anchor, const QSize& size, const QRect& screen);

    static constexpr double kReopenGuard = 0.3;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double now() const;
    // Puts the view into a new window, the old one going: one that closed
    // a moment ago with the focus would not learn of its next losing it.
    void holdView();

    Clock* clock_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    QPointer<QWidget> popup_;
    QPointer<NowView> view_;
    double closedAt_ = -1e9; // on the monotonic clock
};

} // namespace tavrin
