#include "design/tseg.h"

#include "design/designfont.h"
#include "design/shadowcache.h"
#include "design/squircle.h"
#include "design/tsegaccessible.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace tavrin {

TSeg::TSeg(const QList<Option>& options, const QVariant& selection, QWidget* parent)
    : DesignWidget(parent),
      options_(options),
      selection_(selection)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    TSegAccessible::install();
}

void TSeg::setSelection(const QVariant& selection)
{
    if (selection_ == selection)
        return;
    selection_ = selection;
    update();
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.selected = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
    emit selectionChanged(selection);
}

int TSeg::selectedIndex() const
{
    for (int i = 0; i < options_.size(); ++i)
        if (options_[i].value == selection_)
            return i;
    return -1;
}

QFont TSeg::font() { return DesignFont::system(kFontSize); }

QStringList TSeg::labels() const
{
    QStringList list;
    for (const Option& o : options_)
        list.append(o.label);
    return list;
}

QList<qreal> TSeg::segmentWidths(const QStringList& labels)
{
    const QFontMetricsF fm(font());
    QList<qreal> widths;
    for (const QString& label : labels)
        widths.append(fm.horizontalAdvance(label) + 2 * kSegmentPadX);
    return widths;
}

QList<QRectF> TSeg::segmentRects(const QStringList& labels, const QSizeF& size)
{
    QList<QRectF> rects;
    qreal x = kPadding;
    const qreal height = size.height() - 2 * kPadding;
    for (qreal w : segmentWidths(labels)) {
        rects.append(QRectF(x, kPadding, w, height));
        x += w;
    }
    return rects;
}

QSize TSeg::sizeHint() const
{
    if (options_.isEmpty())
        return {int(2 * kPadding), int(2 * kPadding)};
    qreal width = 2 * kPadding;
    for (qreal w : segmentWidths(labels()))
        width += w;
    const qreal height = QFontMetricsF(font()).height() + 2 * kSegmentPadY + 2 * kPadding;
    return {int(std::ceil(width)), int(std::ceil(height))};
}

int TSeg::segmentAt(const QPointF& pos) const
{
    const QList<QRectF> rects = segmentRects(labels(), size());
    for (int i = 0; i < rects.size(); ++i)
        if (rects[i].contains(pos))
            return i;
    return -1;
}

void TSeg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    pressed_ = segmentAt(event->position());
    event->accept();
}

void TSeg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const int released = segmentAt(event->position());
    const int pressed = std::exchange(pressed_, -1);
    event->accept();
    // A click is a press and a release on the same segment.
    if (released < 0 || released != pressed)
        return;
    choose(released);
}

void TSeg::choose(int index)
{
    if (index < 0 || index >= options_.size())
        return;
    const QVariant value = options_[index].value;
    emit activated(value);
    setSelection(value);
}

void TSeg::paintEvent(QPaintEvent*)
{
    const TTheme theme = t();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = rect();
    Squircle::fill(painter, track, kRadius, theme.fill);
    Squircle::hairline(painter, track, kRadius, theme.line);

    const QList<QRectF> rects = segmentRects(labels(), size());
    const int selected = selectedIndex();
    if (selected >= 0) {
        const QRectF r = rects[selected];
        QColor shadow(Qt::black);
        shadow.setAlphaF(0.12f);
        ShadowCache::draw(painter, r, kSegmentRadius, 1.5, shadow, QPointF(0, 1));
        Squircle::fill(painter, r, kSegmentRadius, theme.glassStrong);
        Squircle::hairline(painter, r, kSegmentRadius, theme.line);
    }
    painter.setFont(font());
    for (int i = 0; i < rects.size(); ++i) {
        painter.setPen(i == selected ? theme.ink : theme.muted);
        painter.drawText(rects[i], Qt::AlignCenter, options_[i].label);
    }
}

} // namespace tavrin
