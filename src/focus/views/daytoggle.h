#pragma once

#include <QAbstractButton>

namespace tavrin {

// One day of a weekly window: its letter in a 26-point circle, the accent
// colour with white text while the day is in, a faint circle while it is out.
class DayToggle : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kSide = 26;

    DayToggle(const QString& letter, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {kSide, kSide}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavrin
