#pragma once

#include "design/hoverbutton.h"

namespace tavrin {

// A clickable list row in `RowButtonStyle`: its label (any widget) fills the
// row, and the whole row takes the click. A new row starts unhighlighted.
class RowButton : public HoverButton {
    Q_OBJECT
public:
    explicit RowButton(QWidget* label, QWidget* parent = nullptr);

    QWidget* label() const { return label_; }
    bool isHovered() const { return hovered(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* label_;
};

} // namespace tavrin
