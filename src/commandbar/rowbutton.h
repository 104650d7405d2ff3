#pragma once

#include <QAbstractButton>

namespace tavrin {

// A clickable list row in `RowButtonStyle`: its label (any widget) fills the
// row, and the whole row takes the click. A new row starts unhighlighted.
class RowButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit RowButton(QWidget* label, QWidget* parent = nullptr);

    QWidget* label() const { return label_; }
    bool isHovered() const { return hover_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QWidget* label_;
    bool hover_ = false;
};

} // namespace tavrin
