#pragma once

#include "design/ttheme.h"

#include <QPointer>
#include <QWidget>

namespace tavrin {

// A small frameless window that shows an editor beside the control that
// opened it, with an arrow pointing at that control. It closes when another
// window becomes active (a click outside it) or on Escape, and says so with
// `closed`. It takes no keyboard from other programs (see `OpenWhileActive`). The arrow sits on the
// bottom edge (the popover above its control) unless the screen has no room
// above, when it flips below. The content keeps its own size and insets.
class Popover : public QWidget {
    Q_OBJECT
public:
    enum class Edge { bottom, top };

    static constexpr qreal kRadius = 10;
    static constexpr qreal kArrowWidth = 18;
    static constexpr qreal kArrowHeight = 9;
    // Room around the bubble for its shadow.
    static constexpr int kMargin = 10;

    // The popover goes when `anchor` goes; `content` becomes the popover's.
    Popover(QWidget* content, QWidget* anchor);

    QWidget* content() const { return content_; }
    QWidget* anchor() const { return anchor_; }

    // Shows the popover at its anchor; again when it is open, places it anew.
    void open();

    // The bubble's outline for a window of this size: a rounded rectangle
    // inside the margin, with the arrow on `edge` at `arrowX`.
    static QPainterPath bubble(const QSizeF& window, Edge edge, qreal arrowX);

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void place();
    // Takes the anchor's theme and colour scheme.
    void followAnchor();

    QWidget* content_;
    QPointer<QWidget> anchor_;
    Edge edge_ = Edge::bottom;
    qreal arrowX_ = 0;
};

} // namespace tavrin
