#pragma once

#include "platform/geometry.h"

#include <QIcon>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace tavrin {

class SimDesktop;
struct SimSurface;
struct SimWindow;

// The "Simulated desktop" window: draws the simulated displays and the
// windows on them live, and turns what a person does in it into the
// desktop's input — keys typed here are global key presses, a click brings a
// window forward, a drag on a title bar moves the window.
class SimDesktopWindow : public QWidget {
    Q_OBJECT
public:
    // Opens at `openingSize` of its screen, centred there.
    explicit SimDesktopWindow(SimDesktop& desktop, QWidget* parent = nullptr);

    // The size to open at on a screen with this available area: most of it,
    // in the proportions of the simulated displays with the menu bar above
    // them and the status line below, never below the minimum size.
    QSize openingSize(const QSize& available) const;
    // The pixel size of the labels drawn on the displays: larger as the
    // displays are drawn larger, 11 at the least.
    int labelPixels() const;

    // Screen points ↔ this widget's coordinates, for the current size.
    QPointF toWidget(Point p) const;
    Point toScreen(QPointF p) const;
    QRectF toWidget(const Rect& r) const;

    // Where an area of the simulated desktop shows on the real screen:
    // its drawing in this window, in global coordinates.
    Rect shownAt(const Rect& area) const;
    // The real screen area this window is shown on (less the real desktop's
    // own panels), in global coordinates.
    Rect screenArea() const;

    QString lastKey() const { return lastKey_; }
    // The line under the desktop: hidden and minimised windows, the last
    // key, the settings page opened last, the edge tiling.
    QString statusLine() const;

    // An application's icon in the first display's menu bar, at its right
    // end: a click on it calls `clicked` with the icon's rectangle in global
    // coordinates instead of reaching the desktop. A null icon removes it.
    void setMenuBarExtra(const QIcon& icon, std::function<void(const QRect& globalRect)> clicked);
    // Where the icon is drawn, in this widget's coordinates; empty without one.
    QRect menuBarExtraRect() const;
    // The first display's menu bar, in this widget's coordinates: as tall as
    // its label, ending where the display's visible area begins.
    QRectF menuBarRect() const;
    QFont menuBarFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Mapping {
        double scale = 1;
        double offsetX = 0;
        double offsetY = 0;
    };
    Mapping mapping() const;
    // The simulated displays' bounding box, in screen points.
    Rect displaysBounds() const;
    QRect desktopArea() const;
    QMargins desktopMargins() const;
    void paintMenuBar(QPainter& p) const;
    void paintWindow(QPainter& p, const SimWindow& w, bool isFocused) const;
    void paintSurface(QPainter& p, const SimSurface& s) const;
    void paintDock(QPainter& p, const QRectF& dock) const;

    SimDesktop& desktop_;
    QString lastKey_;
    QIcon extraIcon_;
    std::function<void(const QRect&)> extraClicked_;
};

} // namespace tavrin
