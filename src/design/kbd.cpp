#include "design/kbd.h"

#include "design/designfont.h"
#include "design/squircle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tavrin {

namespace {
constexpr qreal kPadX = 6;
constexpr qreal kPadY = 1;
constexpr qreal kMarkGap = 4; // between a taken key's mark and its text
} // namespace

Kbd::Kbd(const QString& text, bool onAccent, QWidget* parent) : DesignWidget(parent), text_(text), onAccent_(onAccent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Kbd::setText(const QString& text)
{
    text_ = text;
    updateGeometry();
    update();
}

void Kbd::setOnAccent(bool onAccent)
{
    onAccent_ = onAccent;
    update();
}

void Kbd::setTaken(bool taken)
{
    taken_ = taken;
    setToolTip(taken ? takenToolTip() : QString());
    updateGeometry();
    update();
}

Kbd::Look Kbd::look(const TTheme& t, bool onAccent, bool taken)
{
    if (taken) {
        QColor wash = t.danger, edge = t.danger;
        wash.setAlphaF(0.12f);
        edge.setAlphaF(0.5f);
        return {t.danger, wash, edge};
    }
    if (onAccent) {
        QColor veil(Qt::white);
        veil.setAlphaF(0.2f);
        return {Qt::white, veil, QColor(0, 0, 0, 0)};
    }
    return {t.muted, t.fillHover, t.line};
}

QSizeF Kbd::size(const QString& text, bool taken)
{
    const QFontMetricsF fm(DesignFont::system(kFontSize));
    const qreal mark = taken ? kMarkSize.width() + kMarkGap : 0;
    return {fm.horizontalAdvance(text) + mark + 2 * kPadX, fm.height() + 2 * kPadY};
}

QSize Kbd::sizeHint() const
{
    const QSizeF s = size(text_, taken_);
    return {int(std::ceil(s.width())), int(std::ceil(s.height()))};
}

void Kbd::paint(QPainter& painter, const QRectF& rect, const QString& text, const TTheme& t, bool onAccent, bool taken)
{
    const Look l = look(t, onAccent, taken);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Squircle::fill(painter, rect, kRadius, l.fill);
    Squircle::hairline(painter, rect, kRadius, l.outline);
    QRectF textRect = rect.adjusted(kPadX, kPadY, -kPadX, -kPadY);
    if (taken) {
        const QRectF box(QPointF(textRect.left(), rect.center().y() - kMarkSize.height() / 2), kMarkSize);
        paintTakenMark(painter, box, l.foreground);
        textRect.setLeft(box.right() + kMarkGap);
    }
    painter.setFont(DesignFont::system(kFontSize));
    painter.setPen(l.foreground);
    painter.drawText(textRect, Qt::AlignCenter, text);
    painter.restore();
}

void Kbd::paintTakenMark(QPainter& painter, const QRectF& box, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(box.center().x(), box.top());
    triangle.lineTo(box.right(), box.bottom());
    triangle.lineTo(box.left(), box.bottom());
    triangle.closeSubpath();
    // The exclamation mark is cut out, so the surface shows through it.
    const qreal bar = box.width() * 0.16, x = box.center().x() - bar / 2;
    QPainterPath cut;
    cut.addRect(QRectF(x, box.top() + box.height() * 0.36, bar, box.height() * 0.3));
    cut.addRect(QRectF(x, box.top() + box.height() * 0.74, bar, bar));
    painter.fillPath(triangle.subtracted(cut), colour);
    painter.restore();
}

void Kbd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect(), text_, t(), onAccent_, taken_);
}

} // namespace tavrin
