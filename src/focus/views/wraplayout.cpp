#include "focus/views/wraplayout.h"

#include <QWidget>
#include <QWidgetItem>
#include <algorithm>
#include <cmath>

namespace tavrin {

WrapLayout::Arrangement WrapLayout::arrange(const QList<QSizeF>& sizes, std::optional<qreal> width, qreal spacing)
{
    const qreal w = width.value_or(kOpenWidth);
    Arrangement out;
    qreal x = 0;
    qreal y = 0;
    qreal lineHeight = 0;
    for (const QSizeF& size : sizes) {
        // Only the item itself is tested against the edge, never the gap
        // after it.
        if (x > 0 && x + size.width() > w) {
            y += lineHeight + spacing;
            x = 0;
            lineHeight = 0;
        }
        out.frames << QRectF(QPointF(x, y), size);
        x += size.width() + spacing;
        lineHeight = std::max(lineHeight, size.height());
    }
    out.size = QSizeF(w, y + lineHeight);
    return out;
}

WrapLayout::WrapLayout(qreal spacing, QWidget* parent) : QLayout(parent), gap_(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

WrapLayout::~WrapLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void WrapLayout::addItem(QLayoutItem* item) { items_ << item; }

QLayoutItem* WrapLayout::itemAt(int index) const { return items_.value(index); }

QLayoutItem* WrapLayout::takeAt(int index)
{
    if (index < 0 || index >= items_.size())
        return nullptr;
    QLayoutItem* item = items_.takeAt(index);
    invalidate();
    return item;
}

void WrapLayout::insertWidget(int index, QWidget* widget)
{
    addChildWidget(widget);
    items_.insert(std::clamp<qsizetype>(index, 0, items_.size()), new QWidgetItem(widget));
    invalidate();
}

int WrapLayout::indexOf(const QWidget* widget) const
{
    for (qsizetype i = 0; i < items_.size(); ++i)
        if (items_.at(i)->widget() == widget)
            return int(i);
    return -1;
}

QList<QSizeF> WrapLayout::sizes() const
{
    QList<QSizeF> out;
    for (const QLayoutItem* item : items_)
        if (!item->isEmpty())
            out << QSizeF(item->sizeHint());
    return out;
}

int WrapLayout::heightForWidth(int width) const { return int(std::ceil(arrange(sizes(), width, gap_).size.height())); }

QSize WrapLayout::sizeHint() const
{
    const QSizeF size = arrange(sizes(), std::nullopt, gap_).size;
    return {int(std::ceil(size.width())), int(std::ceil(size.height()))};
}

QSize WrapLayout::minimumSize() const
{
    // As narrow as the widest item: anything narrower only overflows.
    qreal widest = 0;
    for (const QSizeF& size : sizes())
        widest = std::max(widest, size.width());
    return {int(std::ceil(widest)), heightForWidth(int(std::ceil(widest)))};
}

void WrapLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const Arrangement placed = arrange(sizes(), rect.width(), gap_);
    qsizetype next = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty())
            continue;
        const QRectF frame = placed.frames.at(next++).translated(rect.topLeft());
        item->setGeometry(frame.toAlignedRect());
    }
}

} // namespace tavrin
