#pragma once

#include <QAbstractButton>

namespace tavrin {

// A chip's small cross that removes it: 8.5-point bold strokes in the
// theme's `muted` colour. Its accessible name is "Remove " and the item.
class RemoveButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit RemoveButton(const QString& item, qreal size = 8.5, QWidget* parent = nullptr);

    void setItem(const QString& item);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal size_;
};

} // namespace tavrin
