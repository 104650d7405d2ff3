#pragma once

#include "design/designwidget.h"

#include <QPointer>

namespace tavrin {

class Timer;

// A grey placeholder imitating a plan row while the planner thinks. It
// pulses between opacity 0.45 and 1 (0.9 s each way, easing in and out),
// each row 0.15 s behind the one above it.
class SkeletonRow : public DesignWidget {
    Q_OBJECT
public:
    static constexpr double kPulseSeconds = 0.9;
    static constexpr double kStagger = 0.15;
    static constexpr qreal kLowOpacity = 0.45;

    explicit SkeletonRow(int index, QWidget* parent = nullptr);

    int index() const { return index_; }
    // The two bars' widths: 70 + 18 × index and 150 − 22 × index.
    qreal firstBarWidth() const { return 70 + 18.0 * index_; }
    qreal secondBarWidth() const { return std::max<qreal>(0, 150 - 22.0 * index_); }
    // The opacity `seconds` after the row appeared.
    static qreal opacityAt(double seconds, int index);
    qreal opacity() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int index_;
    double shownAt_ = 0;
    QPointer<Timer> frames_;
};

} // namespace tavrin
