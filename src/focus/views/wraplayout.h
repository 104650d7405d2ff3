#pragma once

#include <QLayout>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <optional>

namespace tavrin {

// Places its items left to right in their own order, each at its ideal size
// (never shrunk), and starts a new line when the next item would pass the
// right edge; lines start at the left edge, and the items of a line share
// their top edge. `spacing` is both the gap between items and between lines.
class WrapLayout : public QLayout {
    Q_OBJECT
public:
    // The width measured for when none is given.
    static constexpr qreal kOpenWidth = 500;

    struct Arrangement {
        QSizeF size;          // the available width, and the height used
        QList<QRectF> frames; // each item's frame, from the top-left corner
    };

    // Where items of these ideal sizes go in `width` (none: kOpenWidth).
    // The first item of a line always stays on it, even when wider than the
    // width; an item ending exactly at the width stays on its line.
    static Arrangement arrange(const QList<QSizeF>& sizes, std::optional<qreal> width, qreal spacing);

    explicit WrapLayout(qreal spacing, QWidget* parent = nullptr);
    ~WrapLayout() override;

    qreal gap() const { return gap_; }

    void addItem(QLayoutItem* item) override;
    int count() const override { return int(items_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    // Puts `widget` at `index` (clamped to the end).
    void insertWidget(int index, QWidget* widget);
    int indexOf(const QWidget* widget) const override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    QList<QSizeF> sizes() const;

    qreal gap_;
    QList<QLayoutItem*> items_;
};

} // namespace tavrin
