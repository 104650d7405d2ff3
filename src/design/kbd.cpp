#include "design/kbd.h"

#include "design/designfont.h"
#include "design/squircle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tavrin {

namespace {
constexpr qreal kPadX = 6;
constexpr qreal kPadY = 1;
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

Kbd::Look Kbd::look(const TTheme& t, bool onAccent)
{
    if (onAccent) {
        QColor veil(Qt::white);
        veil.setAlphaF(0.2f);
        return {Qt::white, veil, QColor(0, 0, 0, 0)};
    }
    return {t.muted, t.fillHover, t.line};
}

QSizeF Kbd::size(const QString& text)
{
    const QFontMetricsF fm(DesignFont::system(kFontSize));
    return {fm.horizontalAdvance(text) + 2 * kPadX, fm.height() + 2 * kPadY};
}

QSize Kbd::sizeHint() const
{
    const QSizeF s = size(text_);
    return {int(std::ceil(s.width())), int(std::ceil(s.height()))};
}

void Kbd::paint(QPainter& painter, const QRectF& rect, const QString& text, const TTheme& t, bool onAccent)
{
    const Look l = look(t, onAccent);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Squircle::fill(painter, rect, kRadius, l.fill);
    Squircle::hairline(painter, rect, kRadius, l.outline);
    painter.setFont(DesignFont::system(kFontSize));
    painter.setPen(l.foreground);
    painter.drawText(rect.adjusted(kPadX, kPadY, -kPadX, -kPadY), Qt::AlignCenter, text);
    painter.restore();
}

void Kbd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect(), text_, t(), onAccent_);
}

} // namespace tavrin
