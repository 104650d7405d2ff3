#pragma once

#include "design/designwidget.h"
#include "windows/layoutkind.h"

class QPainter;

namespace tavrin {

// A layout in miniature: the outline of a display of the given aspect,
// fitted into the view and centred, and inside it the zones of the layout for
// that many windows as rounded rectangles inset 1 point, in the accent colour
// when highlighted, else in the foreground colour (the theme's `ink` unless
// the caller gives one; the outline is that colour at half strength). It
// fills the frame its parent gives it.
class LayoutGlyph : public DesignWidget {
    Q_OBJECT
    Q_PROPERTY(QColor foreground READ foreground WRITE setForeground)
public:
    static constexpr qreal kOutlineRadius = 3;
    static constexpr qreal kOutlineWidth = 1;
    static constexpr qreal kZoneRadius = 1.5;
    static constexpr qreal kZoneInset = 1;

    LayoutGlyph(LayoutKind kind, qreal aspect, int windows, bool highlighted, QWidget* parent = nullptr);

    LayoutKind kind() const { return kind_; }
    void setKind(LayoutKind kind);
    qreal aspect() const { return aspect_; }
    void setAspect(qreal aspect);
    int windows() const { return windows_; }
    bool highlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);
    QColor foreground() const { return foreground_; }
    void setForeground(const QColor& colour);

    QSize sizeHint() const override { return {40, 14}; }

    // The display's outline in `bounds`, and the zones' rectangles in an
    // area (before their inset), main slot first. At least one window is
    // drawn; an invalid aspect counts as 1.6.
    static QRectF displayRect(const QRectF& bounds, qreal aspect);
    static QList<QRectF> zoneRects(LayoutKind kind, int windows, const QRectF& area, qreal aspect);
    static void paint(QPainter& painter, const QRectF& bounds, LayoutKind kind, qreal aspect, int windows,
                      const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LayoutKind kind_;
    qreal aspect_;
    int windows_;
    bool highlighted_;
    QColor foreground_;
};

} // namespace tavrin
