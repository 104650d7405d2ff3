#pragma once

#include "design/designwidget.h"

class QPainter;

namespace tavrin {

// A thin bar showing a fraction: a 5-point `fillHover` capsule across the
// full width, with a `good` capsule from the leading edge as wide as the
// fraction (clamped to 0…1; a value that is not a number counts as 0).
class Meter : public DesignWidget {
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
public:
    static constexpr int kHeight = 5;

    explicit Meter(double value = 0, QWidget* parent = nullptr);

    double value() const { return value_; }
    void setValue(double value);

    QSize sizeHint() const override { return {120, kHeight}; }

    static double clamped(double value);
    static qreal barWidth(double value, qreal width);
    static void paint(QPainter& painter, const QRectF& rect, double value, const TTheme& t);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double value_;
};

} // namespace tavrin
