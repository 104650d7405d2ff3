#pragma once

#include "design/tween.h"
#include "windows/snaptarget.h"

#include <QAbstractButton>

namespace tavrin {

class Frames;
class ShortcutStore;

// One cell of the snap grid: a miniature display with the target's zone in
// it and, in the bottom right corner, the key bound to the target ("–" when
// it has none). The cell is lit, in the accent colour, while it is `on` (the
// window sits in that zone) or under the pointer; the two look the same.
// The whole cell takes clicks.
class SnapCell : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kRadius = 8;
    static constexpr qreal kZoneInset = 4;
    static constexpr qreal kZoneRadius = 2;
    static constexpr qreal kChipFontSize = 9;
    static constexpr qreal kChipPadding = 3;
    static constexpr qreal kChipRadius = 4;
    static constexpr qreal kChipRight = 4;
    static constexpr qreal kChipBottom = 3;
    static constexpr double kLitSeconds = 0.15;

    SnapCell(SnapTarget target, ShortcutStore& shortcuts, QWidget* parent = nullptr);

    SnapTarget target() const { return target_; }
    // The display's real aspect; the cell's own shape is kept within bounds.
    double aspect() const { return aspect_; }
    void setAspect(double aspect);
    bool isOn() const { return on_; }
    void setOn(bool on);
    bool isHovered() const { return hover_; }
    bool isLit() const { return on_ || hover_; }

    // The label of the key bound to the target, read afresh: "Q", or "–".
    QString chipText() const;

    // The zone of `target` in a cell of `size`, for the display's real aspect:
    // inset 4 points, each side at least 2.
    static QRectF zoneRect(SnapTarget target, double aspect, const QSizeF& size);
    // The grid letter of a target (Q W E / A S D / Z X C).
    static QChar letter(SnapTarget target);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void litChanged();
    void frame();
    void updateAccessibleName();

    SnapTarget target_;
    ShortcutStore& shortcuts_;
    double aspect_ = 1.6;
    bool on_ = false;
    bool hover_ = false;
    Tween lit_;
    Frames* frames_;
};

} // namespace tavrin
