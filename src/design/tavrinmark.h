#pragma once

#include "design/designwidget.h"

class QPainter;

namespace tavrin {

// The product mark as a view, `size` points square. The frame follows the
// foreground colour (the scheme's primary label colour unless a colour is
// given), the strokes the primary label colour at 70 %, and the block the
// desktop's accent colour.
class TavrinMark : public DesignWidget {
    Q_OBJECT
    Q_PROPERTY(qreal size READ markSize WRITE setMarkSize)
    Q_PROPERTY(QColor foreground READ foreground WRITE setForeground)
public:
    explicit TavrinMark(qreal size, QWidget* parent = nullptr);

    qreal markSize() const { return size_; }
    void setMarkSize(qreal size);
    // An invalid colour means the primary label colour.
    QColor foreground() const { return foreground_; }
    void setForeground(const QColor& colour);

    QSize sizeHint() const override;

    // The frame's line width for a drawing `width` by `height`: a twelfth of
    // the width, at least 1.2 points.
    static qreal lineWidth(qreal width);
    // The primary label colour of a scheme.
    static QColor labelColour(ColorScheme scheme);
    static void paint(QPainter& painter, const QRectF& rect, const QColor& foreground, const QColor& label,
                      const QColor& accent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal size_;
    QColor foreground_;
};

} // namespace tavrin
