#pragma once

#include "design/frames.h"
#include "design/tween.h"

#include <QAbstractButton>

namespace tavrin {

// A labelled on/off switch drawn in `TSwitchStyle`: the label, 8 points,
// then the switch. Only the switch takes clicks; a click on the label does
// nothing. Checkable: `isChecked()` is the state and `toggled` reports it.
class TSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit TSwitch(const QString& label = {}, bool on = false, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The switch's rectangle, at the trailing end.
    QRectF switchRect() const;
    // The knob's position now, from 0 (off) to 1 (on).
    qreal position() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void checkStateSet() override;
    void nextCheckState() override;

private:
    void moveKnob();

    Tween position_;
    Frames* frames_;
};

} // namespace tavrin
