#pragma once

#include "design/designwidget.h"

#include <QLinearGradient>

class QPainter;

namespace tavrin {

// The small spark glyph, `size` points square, filled with an
// orange-pink-blue gradient from its top left to its bottom right.
class Spark : public DesignWidget {
    Q_OBJECT
public:
    explicit Spark(qreal size, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    static QLinearGradient gradient(const QRectF& frame);
    static void paint(QPainter& painter, const QRectF& frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal size_;
};

} // namespace tavrin
