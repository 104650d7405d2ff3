#pragma once

#include <QSlider>

namespace tavrin {

// A horizontal slider in the look of the design system's switch: a thin
// `fillHover` track, filled with `good` up to a white knob.
class GapSlider : public QSlider {
    Q_OBJECT
public:
    static constexpr int kKnob = 16;
    static constexpr qreal kTrack = 4;

    GapSlider(int minimum, int maximum, int value, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {200, kKnob + 4}; }
    QSize minimumSizeHint() const override { return {80, kKnob + 4}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    int valueAt(qreal x) const;
};

} // namespace tavrin
